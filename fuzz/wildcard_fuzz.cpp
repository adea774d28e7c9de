// Fuzzes the wildcard matcher against a plain reference: the input is split
// at its first NUL into a name and a pattern, and both matchers must agree.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/wildcard.h"

namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Table-driven: can name[i..] be matched by pattern[j..]? "*" any run, "?"
// one character, everything else itself, ASCII case ignored.
bool Plain(std::string_view name, std::string_view pattern) {
  std::vector<std::vector<char>> can(name.size() + 1, std::vector<char>(pattern.size() + 1, 0));
  can[name.size()][pattern.size()] = 1;
  for (std::size_t i = name.size() + 1; i-- > 0;) {
    for (std::size_t j = pattern.size(); j-- > 0;) {
      if (pattern[j] == '*') {
        can[i][j] = can[i][j + 1] || (i < name.size() && can[i + 1][j]);
      } else if (i < name.size() && (pattern[j] == '?' || Upper(pattern[j]) == Upper(name[i]))) {
        can[i][j] = can[i + 1][j + 1];
      }
    }
  }
  return can[0][0] != 0;
}

bool NoDot(std::string_view name) { return name.find('.') == std::string_view::npos; }

bool Reference(std::string_view name, std::string_view pattern) {
  if (pattern.ends_with(".*")) {
    return Plain(name, pattern) || (NoDot(name) && Plain(name, pattern.substr(0, pattern.size() - 2)));
  }
  if (pattern.ends_with('.')) return NoDot(name) && Plain(name, pattern.substr(0, pattern.size() - 1));
  return Plain(name, pattern);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 512) return 0;  // the reference is quadratic
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = input.find('\0');
  if (split == std::string_view::npos) return 0;
  const std::string_view name = input.substr(0, split);
  const std::string_view pattern = input.substr(split + 1);
  if (tidewell::platform::MatchesWildcard(name, pattern) != Reference(name, pattern)) std::abort();
  return 0;
}
