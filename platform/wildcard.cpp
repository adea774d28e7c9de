#include "platform/wildcard.h"

#include <cstddef>

#include "platform/text_case.h"

namespace tidewell::platform {
namespace {

// "*" and "?" over the whole name, ASCII case ignored, "." an ordinary
// character. Greedy: a star first takes nothing; on a mismatch the most recent
// star takes one more character and matching resumes after it. Only the last
// star needs remembering, because whatever an earlier star could absorb the
// later one can absorb too, so the work stays bounded by name x pattern and is
// close to linear for real patterns.
bool MatchPlain(std::string_view name, std::string_view pattern, std::size_t firstStar, std::size_t lastStar) {
  // Quick answers from the literal ends: the text before the first star must
  // begin the name and the text after the last star must end it. Most rule
  // patterns ("*.TMP", "~DF*.TMP") are decided here; what remains is matched
  // in full below.
  if (firstStar == std::string_view::npos) {
    if (pattern.size() != name.size()) return false;
  } else {
    const std::string_view head = pattern.substr(0, firstStar);
    const std::string_view tail = pattern.substr(lastStar + 1);
    if (head.size() + tail.size() > name.size()) return false;
    auto literalEqual = [](std::string_view literal, std::string_view text) {
      for (std::size_t i = 0; i < literal.size(); ++i) {
        if (literal[i] != '?' && ToUpperAscii(literal[i]) != ToUpperAscii(text[i])) return false;
      }
      return true;
    };
    if (!literalEqual(head, name.substr(0, head.size()))) return false;
    if (!literalEqual(tail, name.substr(name.size() - tail.size()))) return false;
    if (firstStar == lastStar) return true;  // one star: it takes whatever lies between
  }
  std::size_t n = 0;
  std::size_t p = 0;
  std::size_t starAt = std::string_view::npos;  // pattern index of the last star
  std::size_t resumeAt = 0;                      // name index that star reaches

  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starAt = p++;
      resumeAt = n;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' || ToUpperAscii(pattern[p]) == ToUpperAscii(name[n]))) {
      ++p;
      ++n;
    } else if (starAt != std::string_view::npos) {
      p = starAt + 1;
      n = ++resumeAt;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool HasExtension(std::string_view name) {
  return name.find('.') != std::string_view::npos;
}

}  // namespace

bool MatchesWildcard(std::string_view name, std::string_view pattern) {
  return WildcardPattern(pattern).Matches(name);
}

WildcardPattern::WildcardPattern(std::string_view pattern) {
  auto part = [](std::string_view text) { return Part{text, text.find('*'), text.rfind('*')}; };
  whole_ = part(pattern);
  if (pattern.ends_with(".*")) {
    ending_ = Ending::DotStar;
    stem_ = part(pattern.substr(0, pattern.size() - 2));
  } else if (pattern.ends_with('.')) {
    ending_ = Ending::BareDot;
    stem_ = part(pattern.substr(0, pattern.size() - 1));
  }
}

bool WildcardPattern::Part::Matches(std::string_view name) const {
  return MatchPlain(name, text, firstStar, lastStar);
}

bool WildcardPattern::Matches(std::string_view name) const {
  switch (ending_) {
    case Ending::DotStar:
      return whole_.Matches(name) || (!HasExtension(name) && stem_.Matches(name));
    case Ending::BareDot:
      return !HasExtension(name) && stem_.Matches(name);
    case Ending::Plain:
      break;
  }
  return whole_.Matches(name);
}

}  // namespace tidewell::platform
