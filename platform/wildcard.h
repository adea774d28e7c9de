// The wildcard matcher behind every folder listing with a pattern.
//
// It answers whether a file name matches a listing pattern the way a Windows
// wildcard listing does, without the short-name aliases:
//   - case is ignored (ASCII letters, as text_case.h folds them);
//   - "*" matches any run of characters, including none; "?" exactly one;
//   - "*.*" (and "*") match every name, with or without a dot;
//   - a pattern ending in ".*" also matches a name that has no extension
//     (no dot at all) when the part before ".*" matches it: "Setup.*"
//     matches SETUP as well as Setup.exe;
//   - a pattern ending in a bare "." (not ".*") matches only names without an
//     extension (no dot at all), against the part before that dot:
//     "VB????~?." matches VB1234~1 but not VB1234~1.TMP;
//   - every other character, "." included, matches itself;
//   - an empty pattern matches only an empty name (a listing that wants every
//     file asks for "*").
// Matching is linear in practice (greedy star with one back-track point), so
// hostile names and patterns cannot make it slow.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/text_case.h"

namespace tidewell::platform {

bool MatchesWildcard(std::string_view name, std::string_view pattern);

// A pattern taken apart once, for matching it against many names: the same
// answers as MatchesWildcard, without re-reading the pattern for each name.
// Holds a view of the pattern, which must outlive it.
class WildcardPattern {
 public:
  explicit WildcardPattern(std::string_view pattern);
  bool Matches(std::string_view name) const { return !RulesOut(name) && MatchesInFull(name); }

 private:
  struct Part {
    std::string_view text;       // the pattern as MatchPlain sees it
    std::size_t firstStar = 0;   // npos: no star
    std::size_t lastStar = 0;
    bool Matches(std::string_view name) const;
  };
  enum class Ending { Plain, DotStar, BareDot };

  // What every matching name has, read off the pattern once, so that most
  // names are turned away by a length and a character or two: at least
  // minSize_ and at most maxSize_ characters; when frontAt_ is not 0, the
  // character front_ (upper-cased) at place frontAt_ - 1; when backAt_ is
  // not 0, the character back_ that many places from its end.
  bool RulesOut(std::string_view name) const {
    if (name.size() < minSize_ || name.size() > maxSize_) return true;
    if (frontAt_ != 0 && ToUpperAscii(name[frontAt_ - 1]) != front_) return true;
    return backAt_ != 0 && ToUpperAscii(name[name.size() - backAt_]) != back_;
  }
  bool MatchesInFull(std::string_view name) const;

  Ending ending_ = Ending::Plain;
  Part whole_;  // the pattern itself (Plain, DotStar)
  Part stem_;   // without its ".*" or "." (DotStar, BareDot)
  std::size_t minSize_ = 0;
  std::size_t maxSize_ = 0;
  std::size_t frontAt_ = 0;
  std::size_t backAt_ = 0;
  char front_ = 0;
  char back_ = 0;
};

}  // namespace tidewell::platform
