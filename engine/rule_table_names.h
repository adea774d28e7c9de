// The file names the rule table can ever use, so that a walk keeps only those.
//
// A drive's walk lists every folder before the table runs, and keeps the names
// of the files it found so the table need not read a folder twice. Most names
// (a document, a program, a picture with no category on) match no row of the
// table, and keeping them all costs about 17 bytes per file for nothing. The
// table uses a file's name in three ways only:
//   - a delete row matches it against its pattern;
//   - a named row with a marker matches it against the marker;
//   - an emptying row deletes every file of a folder whose path ends in the
//     row's name ("Recent", "Spool\Printers"), whatever the file is called.
// So a name is kept when some row's pattern or marker matches it, and every
// name of a folder is kept when some emptying row names that folder. All rows
// count, whatever category is on: flags are read live while the table runs,
// and a category switched on after the walk must find its names. Inert rows
// never match anything, so they keep nothing.
//
// Keeping a name the table does not use changes nothing, dropping one it does
// would change what a run removes; the answers therefore lean to keeping: the
// patterns are the rows' own, matched by the program's own matcher, and a
// category's path guard is not looked at.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "engine/folder_walker.h"
#include "engine/pattern_shape.h"
#include "engine/rule_table.h"
#include "platform/wildcard.h"

namespace tidewell {

class RuleTableNames final : public KeptNames {
  using TextSet = std::unordered_set<std::string, PatternKeyHash, std::equal_to<>>;

 public:
  // The names every row of the table can use.
  RuleTableNames();

  // Only the names a run with these categories on can delete: those a delete
  // row of the base rows or of an "on" category matches, and every name of a
  // folder that such a section's emptying row names. Markers and purges are
  // left out (a purge lists its folder afresh). Path guards are not looked at,
  // so a name may be kept that its folder's guard would spare.
  static RuleTableNames DeletedWith(const std::function<bool(CategoryId)>& isOn);

  bool KeepsAllIn(std::string_view folder) const override;
  bool Keeps(std::string_view name) const override;

 private:
  struct Empty {};
  explicit RuleTableNames(Empty) {}
  void AddPattern(std::string_view pattern);

  // The keys of the "*.EXT" patterns (see pattern_shape.h).
  TextSet endings_;
  KeyPrefilter mayEndWith_;
  // The keys of the plain-name patterns.
  TextSet exactNames_;
  KeyPrefilter mayBeNamed_;
  // Every other pattern, asked one by one: those starting with a literal
  // character only of names that start with it (see LiteralFirstUpper).
  std::array<std::vector<platform::WildcardPattern>, 256> othersByFirst_;
  std::vector<platform::WildcardPattern> othersAnyFirst_;
  // The names of the emptying rows.
  std::vector<std::string_view> emptiedFolders_;
};

}  // namespace tidewell
