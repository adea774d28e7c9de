// A wildcard pattern over whole Windows paths, matched part by part.
//
// The pattern is taken apart at each "\" into parts, and a path into its
// names (the drive "c:" first, then each folder, then the file). Each part
// matches exactly one name, with the listing rules of platform/wildcard.h:
// case ignored, "*" and "?" within the name, "*.*" every name, a trailing
// ".*" also names without an extension, a trailing bare "." only names
// without one. Since each part sees one name, those extension rules look at
// that name alone: "C:\USERS\JOHN.DOE\TEMP\*.*" matches
// "c:\USERS\JOHN.DOE\TEMP\notes", and the dot in "JOHN.DOE" plays no part.
// A "*" inside a part never crosses a "\": "C:\A*\B.TXT" matches
// "c:\ALPHA\B.TXT" but not "c:\A\X\B.TXT".
//
// One part is different: a part that is "*" alone stands for any number of
// names, none included. "*\SAVEGAME.TMP" matches that name on any drive at
// any depth; "C:\*\TEMP" matches "c:\TEMP" and "c:\A\B\TEMP"; "*" alone
// matches every path.
//
// A pattern that ends with "\" matches folders only. A pattern ending with
// "\*" (the lone star last) matches its folder and everything below it.
//
// MatchesPathOrFolderAbove() answers for a path and every folder above it
// in one pass: whether the path, or a folder on the way to it (the drive's
// root included), matches. A path that ends with "\" is a folder, and so is
// every name before the last one.
//
// Cost: linear in the path's length. The path is read once, name by name;
// for each name the matcher holds the set of pattern parts it may have
// reached (at most parts + 1 of them) and tests each such part once, so no
// folder is ever matched twice and no choice is ever undone. Better still,
// a pattern remembers the states after each folder of the path it was
// asked last, so a path that shares folders with it costs only the names
// after them: the files of one folder, one after the other, cost one name
// each. Remembering makes a pattern one thread's at a time (copies are
// independent).
//
// Parse() refuses a pattern that can never match a path, saying why:
// an empty one, one with an empty part ("C:\\PROJECTS\\*" or a leading
// "\"; a trailing "\" is fine), a "." or ".." part, a first part that cannot
// match a drive ("C:PROJECTS\*", "1:\X", "*.DOC"): the first name of every
// path is its drive, a letter from A to Z and a colon.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tidewell::platform {

class PathPattern {
 public:
  // The pattern, or nullopt with `why` in a few plain words ("it is empty",
  // ...) when it can never match.
  static std::optional<PathPattern> Parse(std::string_view pattern, std::string& why);

  // True when `path` (a file's full Windows path, or a folder's with its
  // trailing "\") or a folder on the way to it matches. `nameTests`, when
  // given, grows by the number of names tested against a part.
  bool MatchesPathOrFolderAbove(std::string_view path, std::size_t* nameTests = nullptr) const;

  const std::string& Text() const;

 private:
  struct Compiled;
  explicit PathPattern(std::shared_ptr<const Compiled> compiled) : compiled_(std::move(compiled)) {}
  std::shared_ptr<const Compiled> compiled_;  // immutable, so copies share it

  // The states after each folder of the path asked last: the engine asks
  // for the files of one folder, and then of the folders below it, one
  // after the other, and only the names after the shared folders are read.
  struct Resume {
    std::string folders;                  // "c:\A\B\": the folders read, each with its "\"
    std::vector<std::size_t> ends;        // where each of them ends in `folders`
    std::vector<unsigned char> rows;      // the states before the first and after each
    std::optional<std::size_t> matchedAt; // the first of them that matched
  };
  mutable Resume resume_;
};

}  // namespace tidewell::platform
