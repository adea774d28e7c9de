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

namespace tidewell::platform {

bool MatchesWildcard(std::string_view name, std::string_view pattern);

// A pattern taken apart once, for matching it against many names: the same
// answers as MatchesWildcard, without re-reading the pattern for each name.
// Holds a view of the pattern, which must outlive it.
class WildcardPattern {
 public:
  explicit WildcardPattern(std::string_view pattern);
  bool Matches(std::string_view name) const;

 private:
  struct Part {
    std::string_view text;       // the pattern as MatchPlain sees it
    std::size_t firstStar = 0;   // npos: no star
    std::size_t lastStar = 0;
    bool Matches(std::string_view name) const;
  };
  enum class Ending { Plain, DotStar, BareDot };
  Ending ending_ = Ending::Plain;
  Part whole_;  // the pattern itself (Plain, DotStar)
  Part stem_;   // without its ".*" or "." (DotStar, BareDot)
};

}  // namespace tidewell::platform
