// The portable part of the process facts: the command line as one text.
#include "platform/process_facts.h"

namespace tidewell::platform {

std::string CommandLineText(const std::vector<std::string>& arguments) {
  std::string text;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    if (i > 0) text.push_back(' ');
    text.append(arguments[i]);
  }
  return text;
}

}  // namespace tidewell::platform
