#include "settings/caption_text.h"

namespace tidewell {

std::string PlainCaption(std::string_view caption) {
  std::string plain;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;  // "&&" shows one "&"
    plain.push_back(caption[i]);
  }
  return plain;
}

}  // namespace tidewell
