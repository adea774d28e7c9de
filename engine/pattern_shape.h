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

#include <bitset>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/text_case.h"

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

// A quick first test of a set of upper-cased keys: one bit for each
// (length, first character, last character) that some key has, all three
// taken modulo 32, case ignored. MayHold is false only for a text no key can
// equal (case ignored), so a lookup it lets through decides as before, and
// most of a walk's names (which the table does not name) are turned away
// with three loads instead of a hash, a division and a compare.
class KeyPrefilter {
 public:
  void Add(std::string_view key) { bits_.set(Slot(key)); }
  bool MayHold(std::string_view text) const { return bits_.test(Slot(text)); }

 private:
  static std::size_t Slot(std::string_view text) {
    if (text.empty()) return 0;
    const auto fold = [](char c) { return static_cast<std::size_t>(static_cast<unsigned char>(ToUpperAscii(c))) & 31u; };
    return ((text.size() & 31u) << 10) | (fold(text.front()) << 5) | fold(text.back());
  }
  std::bitset<32768> bits_;
};

}  // namespace tidewell
