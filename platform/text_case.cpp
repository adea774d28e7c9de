#include "platform/text_case.h"

#include <cstddef>

namespace tidewell {

std::string UpperCased(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = ToUpperAscii(c);
  return upper;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (ToUpperAscii(a[i]) != ToUpperAscii(b[i])) return false;
  }
  return true;
}

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
  return suffix.size() <= text.size() &&
         EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

bool FindNoCase(std::string_view text, std::string_view fragment) {
  if (fragment.size() > text.size()) return false;
  // A plain scan: names and paths are short, and this keeps the search free of
  // allocations (no upper-cased copies of either side).
  const std::size_t last = text.size() - fragment.size();
  for (std::size_t start = 0; start <= last; ++start) {
    if (EqualsNoCase(text.substr(start, fragment.size()), fragment)) return true;
  }
  return false;
}

}  // namespace tidewell
