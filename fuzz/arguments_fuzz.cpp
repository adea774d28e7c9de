// Fuzzes the console's command line: the input's NUL-separated words are
// parsed; nothing may crash, and a command line that was understood names
// only drive letters A to Z.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "cli/cli_arguments.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> words;
  std::size_t start = 0;
  while (start <= input.size()) {
    const std::size_t end = std::min(input.find('\0', start), input.size());
    words.push_back(input.substr(start, end - start));
    start = end + 1;
  }
  const tidewell::cli::ParsedArguments parsed = tidewell::cli::ParseArguments(words);
  if (parsed.error.empty() && parsed.arguments.drive && (*parsed.arguments.drive < 'A' || *parsed.arguments.drive > 'Z')) {
    std::abort();
  }
  return 0;
}
