// What a file pattern of the rule table asks of a name, so that the rows can
// be found by a name's text instead of each pattern being tried on each name.
//
// Most patterns are "*.EXT" or a plain name. With the program's wildcards:
//   - "*.EXT", EXT without "*", "?" or ".", matches exactly the names whose
//     text after the last dot is EXT, case ignored;
//   - a pattern without "*" or "?" that does not end in "." matches exactly
//     the name that is the pattern, case ignored (a bare "." at the end asks
//     for a name without extension, which only the matcher decides);
//   - anything else is left to the matcher.
// An empty pattern lists every file, as the delete action reads it: "*.*".
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tidewell {

enum class PatternKind { Extension, ExactName, Wildcard };

struct PatternShape {
  PatternKind kind = PatternKind::Wildcard;
  // Extension: EXT upper-cased, without its dot. ExactName: the name
  // upper-cased. Wildcard: empty.
  std::string key;
  // The pattern as the matcher reads it.
  std::string_view pattern;
};

PatternShape ShapeOfPattern(std::string_view pattern);

// A name that a pattern starting with a literal character matches begins
// with that character, case ignored (names are never empty): that character,
// upper-cased, for such a pattern; -1 for one starting with "*" or "?" (or an
// empty one), which any name may match.
int LiteralFirstUpper(std::string_view pattern);

// Hashes the upper-cased keys; lookups take a view of an upper-cased copy of
// a name, made on the stack or in a reused buffer, not a new string.
// The keys are short (an extension, a file name), and a walk hashes one or
// two for every file it lists, so the hash is the plain FNV-1a, inline,
// rather than the library's general one.
struct PatternKeyHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view text) const {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return static_cast<std::size_t>(hash);
  }
};

}  // namespace tidewell
