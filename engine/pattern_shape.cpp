#include "engine/pattern_shape.h"

#include <algorithm>

#include "platform/text_case.h"

namespace tidewell {
namespace {

bool HasWildcard(std::string_view text) { return text.find_first_of("*?") != std::string_view::npos; }

}  // namespace

PatternShape ShapeOfPattern(std::string_view pattern) {
  if (pattern.empty()) pattern = "*.*";
  const std::string_view extension = pattern.substr(std::min<std::size_t>(2, pattern.size()));
  if (pattern.starts_with("*.") && !extension.empty() && !HasWildcard(extension) &&
      extension.find('.') == std::string_view::npos) {
    return {PatternKind::Extension, UpperCased(extension), pattern};
  }
  if (!HasWildcard(pattern) && !pattern.ends_with('.')) {
    return {PatternKind::ExactName, UpperCased(pattern), pattern};
  }
  return {PatternKind::Wildcard, {}, pattern};
}

int LiteralFirstUpper(std::string_view pattern) {
  if (pattern.empty() || pattern.front() == '*' || pattern.front() == '?') return -1;
  return static_cast<unsigned char>(ToUpperAscii(pattern.front()));
}

}  // namespace tidewell
