// The rule table compiled once, so that a folder's names find the rows they
// can match instead of every row being tried against every name.
//
// Every row gets a number: the sections' rows in table order (InstallerUndo's
// own rows followed by the numbered installer folders), then the base rows.
// The index keys the rows by what a name must look like to match them:
//   - delete rows whose pattern is "*.EXT" (EXT without "*", "?" or "."), by
//     the upper-cased EXT: they match exactly the names whose text after the
//     last dot is EXT, case ignored;
//   - delete rows whose pattern holds no wildcard and does not end in ".",
//     by the upper-cased pattern: they match exactly the name, case ignored;
//   - every other delete row is tried with the wildcard matcher, but only on
//     names that begin with the pattern's first character (case ignored)
//     when that character is not a wildcard;
//   - named rows by the upper-cased last component of their target: a folder
//     can only be named like the target when its own last component is that.
// Inert rows are in no key: they never match.
//
// What FindCandidates answers depends only on the names, not on which files
// are still present nor on which categories are on: whoever runs the rows
// checks presence and flags at the moment each row runs, exactly as a row
// tried against every name would.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/folder_snapshot.h"
#include "engine/pattern_shape.h"
#include "engine/rule_table.h"
#include "platform/wildcard.h"

namespace tidewell {

using RowNumber = std::uint32_t;

// Rows [begin, end) of the numbered table.
struct RowRange {
  RowNumber begin = 0;
  RowNumber end = 0;
};

// The rows one folder's names can match. Delete rows come with the files
// (snapshot indices, ascending) whose names match their pattern; named rows
// only passed the last-component test and are still to be tested in full.
class FolderCandidates {
 public:
  // The first row in [from, end) that has a candidate, or `end`.
  RowNumber NextRow(RowNumber from, RowNumber end) const;
  // The files a delete row's pattern matches, ascending; empty for others.
  std::span<const std::size_t> FilesOf(RowNumber row) const;

 private:
  friend class RuleIndex;
  std::vector<RowNumber> deleteRows_;   // ascending, one per file matched
  std::vector<std::size_t> deleteFiles_;  // the file of each entry of deleteRows_
  std::vector<RowNumber> namedRows_;    // ascending
  // Scratch kept between folders: (row, file) pairs before sorting, and a
  // name upper-cased.
  std::vector<std::uint64_t> pairs_;
  std::string upper_;
};

class RuleIndex {
 public:
  // The rows' targets are viewed, not copied: they must outlive the index.
  RuleIndex(std::span<const RuleSection> sections, std::span<const CategoryRule> numberedFolders,
            std::span<const CategoryRule> baseRows);

  // The index of the program's own table, built on first use.
  static const RuleIndex& OfTheTable();

  std::size_t SectionCount() const { return sectionRows_.size(); }
  RowRange SectionRows(std::size_t section) const { return sectionRows_[section]; }
  RowRange BaseRows() const { return baseRows_; }
  const CategoryRule& Row(RowNumber row) const { return *rows_[row]; }

  // How many delete rows that run (not inert) lie in [from, to).
  std::uint32_t DeleteRowsBetween(RowNumber from, RowNumber to) const {
    return deleteRowsBefore_[to] - deleteRowsBefore_[from];
  }

  // The candidates of a folder's names and of its last component; `into`
  // is reused between folders to keep its memory.
  void FindCandidates(const FolderSnapshot& folder, FolderCandidates& into) const;

 private:
  using RowsByText = std::unordered_map<std::string, std::vector<RowNumber>, PatternKeyHash, std::equal_to<>>;
  struct GeneralRow {
    RowNumber row;
    platform::WildcardPattern pattern;
  };

  void Add(const CategoryRule& row);
  void AddDeleteRow(RowNumber row, std::string_view pattern);
  void AddNameCandidates(std::size_t file, std::string_view name, FolderCandidates& into) const;

  std::vector<const CategoryRule*> rows_;
  std::vector<std::uint32_t> deleteRowsBefore_;  // rows_.size() + 1 entries
  std::vector<RowRange> sectionRows_;
  RowRange baseRows_;
  RowsByText byExtension_;
  KeyPrefilter mayEndWith_;
  RowsByText byName_;
  KeyPrefilter mayBeNamed_;
  RowsByText namedByLastComponent_;
  std::vector<GeneralRow> general_;
  // Indices into general_: by the upper-cased first character of the
  // pattern, and those that begin with "*" or "?".
  std::array<std::vector<std::uint32_t>, 256> generalByFirst_;
  std::vector<std::uint32_t> generalAnyFirst_;
};

}  // namespace tidewell
