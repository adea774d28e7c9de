#include "platform/wildcard.h"

#include <algorithm>
#include <cstddef>

#include "platform/text_case.h"

namespace tidewell::platform {
namespace {

// Whether `literal` ("?" matching any one character) equals the start of
// `text`, ASCII case ignored; `text` is at least as long.
bool LiteralEqual(std::string_view literal, std::string_view text) {
  for (std::size_t i = 0; i < literal.size(); ++i) {
    if (literal[i] != '?' && ToUpperAscii(literal[i]) != ToUpperAscii(text[i])) return false;
  }
  return true;
}

// Where `segment` (no star; "?" any one character) first occurs in `text`,
// case ignored; npos when nowhere.
std::size_t FindSegment(std::string_view text, std::string_view segment) {
  if (segment.size() > text.size()) return std::string_view::npos;
  const std::size_t last = text.size() - segment.size();
  const char first = segment.front();
  // A first character without case ("." in "*.MPE*") is searched for as it is.
  const bool caseless = first != '?' && ToUpperAscii(first) == first && !(first >= 'A' && first <= 'Z');
  for (std::size_t at = 0; at <= last; ++at) {
    if (caseless) {
      at = text.find(first, at);
      if (at == std::string_view::npos || at > last) return std::string_view::npos;
    } else if (first != '?' && ToUpperAscii(first) != ToUpperAscii(text[at])) {
      continue;
    }
    if (LiteralEqual(segment, text.substr(at))) return at;
  }
  return std::string_view::npos;
}

// "*" and "?" over the whole name, ASCII case ignored, "." an ordinary
// character. The text before the first star must begin the name and the text
// after the last star must end it; the pieces between the stars must then
// occur in the rest of the name in their order, and taking each piece at its
// first occurrence is always right: any later place leaves less room for
// the pieces after it, never more. So the work is bounded by name x pattern
// and close to linear for real patterns, whatever the names.
bool MatchPlain(std::string_view name, std::string_view pattern, std::size_t firstStar, std::size_t lastStar) {
  if (firstStar == std::string_view::npos) {
    return pattern.size() == name.size() && LiteralEqual(pattern, name);
  }
  const std::string_view head = pattern.substr(0, firstStar);
  const std::string_view tail = pattern.substr(lastStar + 1);
  if (head.size() + tail.size() > name.size()) return false;
  if (!LiteralEqual(head, name) || !LiteralEqual(tail, name.substr(name.size() - tail.size()))) return false;
  // What the stars share: the name between head and tail, and the pattern
  // between the first and the last star, pieces separated by stars.
  std::string_view rest = name.substr(head.size(), name.size() - head.size() - tail.size());
  std::string_view middle =
      firstStar == lastStar ? std::string_view{} : pattern.substr(firstStar + 1, lastStar - firstStar - 1);
  while (!middle.empty()) {
    const std::size_t star = middle.find('*');
    const std::string_view segment = middle.substr(0, star);
    middle = star == std::string_view::npos ? std::string_view{} : middle.substr(star + 1);
    if (segment.empty()) continue;
    const std::size_t at = FindSegment(rest, segment);
    if (at == std::string_view::npos) return false;
    rest.remove_prefix(at + segment.size());
  }
  return true;
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
  // The sizes a part can match: every character but a star takes one place,
  // and without a star nothing else can. A name may match either part of a
  // ".*" pattern, so its bounds span both.
  auto fewest = [](const Part& p) {
    return p.text.size() - static_cast<std::size_t>(std::count(p.text.begin(), p.text.end(), '*'));
  };
  auto most = [](const Part& p) { return p.firstStar == std::string_view::npos ? p.text.size() : std::string_view::npos; };
  const Part& matched = ending_ == Ending::BareDot ? stem_ : whole_;
  minSize_ = ending_ == Ending::DotStar ? fewest(stem_) : fewest(matched);
  maxSize_ = most(matched);
  // The last literal character before the first star sits at a fixed place
  // from the name's start (for ".*" too: a name matching either part begins
  // with the stem's), and the last one after the last star at a fixed place
  // from its end (not for ".*", whose two parts end differently).
  const Part& front = ending_ == Ending::DotStar ? stem_ : matched;
  const std::size_t headEnd = front.firstStar == std::string_view::npos ? front.text.size() : front.firstStar;
  for (std::size_t at = headEnd; at > 0; --at) {
    if (front.text[at - 1] == '?') continue;
    frontAt_ = at;
    front_ = ToUpperAscii(front.text[at - 1]);
    break;
  }
  if (ending_ != Ending::DotStar) {
    const std::size_t tailFrom = matched.firstStar == std::string_view::npos ? 0 : matched.lastStar + 1;
    for (std::size_t at = matched.text.size(); at > tailFrom; --at) {
      if (matched.text[at - 1] == '?') continue;
      backAt_ = matched.text.size() - (at - 1);
      back_ = ToUpperAscii(matched.text[at - 1]);
      break;
    }
  }
}

bool WildcardPattern::Part::Matches(std::string_view name) const {
  return MatchPlain(name, text, firstStar, lastStar);
}

bool WildcardPattern::MatchesInFull(std::string_view name) const {
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
