// Fuzzes the wildcard matcher against a plain reference: the input is split
// at its first NUL into a name and a pattern, and both matchers must agree.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/wildcard.h"
#include "tests/support/wildcard_reference.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 512) return 0;  // the reference is quadratic
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = input.find('\0');
  if (split == std::string_view::npos) return 0;
  const std::string_view name = input.substr(0, split);
  const std::string_view pattern = input.substr(split + 1);
  if (tidewell::platform::MatchesWildcard(name, pattern) != tidewell::testing::Reference(name, pattern)) std::abort();
  return 0;
}
