// A plain, table-driven wildcard matcher with the listing rules of
// platform/wildcard.h, slow and obviously right, for checking the real one
// against it (the wildcard tests and the wildcard fuzzer).
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace tidewell::testing {

inline char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Table-driven: can name[i..] be matched by pattern[j..]? "*" any run, "?"
// one character, everything else itself, ASCII case ignored.
inline bool Plain(std::string_view name, std::string_view pattern) {
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

inline bool NoDot(std::string_view name) { return name.find('.') == std::string_view::npos; }

inline bool Reference(std::string_view name, std::string_view pattern) {
  if (pattern.ends_with(".*")) {
    return Plain(name, pattern) || (NoDot(name) && Plain(name, pattern.substr(0, pattern.size() - 2)));
  }
  if (pattern.ends_with('.')) return NoDot(name) && Plain(name, pattern.substr(0, pattern.size() - 1));
  return Plain(name, pattern);
}


}  // namespace tidewell::testing
