#include "engine/rule_index.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "engine/pattern_shape.h"
#include "platform/text_case.h"

namespace tidewell {
namespace {

// A target's last component: the text after its last "\" (all of it when
// there is none).
std::string_view TargetLastComponent(std::string_view target) { return target.substr(target.rfind('\\') + 1); }

// A folder path's last component: the text between its last two "\". Only a
// path ending with "\" can be named like a target; others have none.
std::optional<std::string_view> FolderLastComponent(std::string_view folder) {
  if (!folder.ends_with('\\')) return std::nullopt;
  folder.remove_suffix(1);
  return folder.substr(folder.rfind('\\') + 1);
}

void UpperInto(std::string_view text, std::string& into) {
  into.resize(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) into[i] = ToUpperAscii(text[i]);
}

unsigned char FirstUpper(std::string_view text) { return static_cast<unsigned char>(ToUpperAscii(text.front())); }

}  // namespace

RowNumber FolderCandidates::NextRow(RowNumber from, RowNumber end) const {
  RowNumber next = end;
  const auto deleteRow = std::lower_bound(deleteRows_.begin(), deleteRows_.end(), from);
  if (deleteRow != deleteRows_.end()) next = std::min(next, *deleteRow);
  const auto namedRow = std::lower_bound(namedRows_.begin(), namedRows_.end(), from);
  if (namedRow != namedRows_.end()) next = std::min(next, *namedRow);
  return next;
}

std::span<const std::size_t> FolderCandidates::FilesOf(RowNumber row) const {
  const auto [first, last] = std::equal_range(deleteRows_.begin(), deleteRows_.end(), row);
  const auto at = static_cast<std::size_t>(first - deleteRows_.begin());
  return std::span<const std::size_t>(deleteFiles_).subspan(at, static_cast<std::size_t>(last - first));
}

RuleIndex::RuleIndex(std::span<const RuleSection> sections, std::span<const CategoryRule> numberedFolders,
                     std::span<const CategoryRule> baseRows) {
  // Sized once for every row: growing the lists and rehashing the maps row
  // by row was most of the cost of building the index at each start.
  std::size_t rowCount = numberedFolders.size() + baseRows.size();
  for (const RuleSection& section : sections) rowCount += section.rows.size();
  rows_.reserve(rowCount);
  deleteRowsBefore_.reserve(rowCount + 1);
  byExtension_.reserve(rowCount);
  byName_.reserve(rowCount);
  namedByLastComponent_.reserve(rowCount);
  deleteRowsBefore_.push_back(0);
  for (const RuleSection& section : sections) {
    RowRange range{static_cast<RowNumber>(rows_.size()), 0};
    for (const CategoryRule& row : section.rows) Add(row);
    if (section.numberedInstallerFolders) {
      for (const CategoryRule& row : numberedFolders) Add(row);
    }
    range.end = static_cast<RowNumber>(rows_.size());
    sectionRows_.push_back(range);
  }
  baseRows_.begin = static_cast<RowNumber>(rows_.size());
  for (const CategoryRule& row : baseRows) Add(row);
  baseRows_.end = static_cast<RowNumber>(rows_.size());
}

const RuleIndex& RuleIndex::OfTheTable() {
  // Kept for the life of the process and never torn down: freeing its
  // many small pieces one by one at exit cost a run as much as a third of
  // building them.
  static const RuleIndex& index = *new RuleIndex(CategorySections(), NumberedInstallerFolders(), tidewell::BaseRows());
  return index;
}

void RuleIndex::Add(const CategoryRule& row) {
  const auto number = static_cast<RowNumber>(rows_.size());
  rows_.push_back(&row);
  const bool runningDelete = !row.inert && row.action == RuleAction::DeleteMatching;
  deleteRowsBefore_.push_back(deleteRowsBefore_.back() + (runningDelete ? 1 : 0));
  if (row.inert) return;
  if (row.action == RuleAction::DeleteMatching) {
    AddDeleteRow(number, row.target);
  } else {
    namedByLastComponent_[UpperCased(TargetLastComponent(row.target))].push_back(number);
  }
}

void RuleIndex::AddDeleteRow(RowNumber row, std::string_view pattern) {
  PatternShape shape = ShapeOfPattern(pattern);
  switch (shape.kind) {
    case PatternKind::Extension:
      mayEndWith_.Add(shape.key);
      byExtension_[std::move(shape.key)].push_back(row);
      return;
    case PatternKind::ExactName:
      mayBeNamed_.Add(shape.key);
      byName_[std::move(shape.key)].push_back(row);
      return;
    case PatternKind::Wildcard:
      break;
  }
  const auto at = static_cast<std::uint32_t>(general_.size());
  general_.push_back({row, platform::WildcardPattern(shape.pattern)});
  if (const int first = LiteralFirstUpper(shape.pattern); first < 0) {
    generalAnyFirst_.push_back(at);
  } else {
    generalByFirst_[static_cast<std::size_t>(first)].push_back(at);
  }
}

void RuleIndex::AddNameCandidates(std::size_t file, std::string_view name, FolderCandidates& into) const {
  auto add = [&](RowNumber row) { into.pairs_.push_back((std::uint64_t{row} << 32) | file); };
  auto addAll = [&](const RowsByText& rows, const KeyPrefilter& mayHold, std::string_view key) {
    if (!mayHold.MayHold(key)) return;
    const auto found = rows.find(key);
    if (found == rows.end()) return;
    for (RowNumber row : found->second) add(row);
  };
  UpperInto(name, into.upper_);
  const std::string_view upper = into.upper_;
  addAll(byName_, mayBeNamed_, upper);
  if (const std::size_t dot = upper.rfind('.'); dot != std::string_view::npos) {
    addAll(byExtension_, mayEndWith_, upper.substr(dot + 1));
  }
  auto tryGeneral = [&](const std::vector<std::uint32_t>& which) {
    for (std::uint32_t at : which) {
      if (general_[at].pattern.Matches(name)) add(general_[at].row);
    }
  };
  tryGeneral(generalAnyFirst_);
  if (!name.empty()) tryGeneral(generalByFirst_[FirstUpper(name)]);
}

void RuleIndex::FindCandidates(const FolderSnapshot& folder, FolderCandidates& into) const {
  into.pairs_.clear();
  for (std::size_t file = 0; file < folder.Count(); ++file) AddNameCandidates(file, folder.Name(file), into);
  // Row first, then listing order: the order the rows run and each row
  // takes its files in.
  std::sort(into.pairs_.begin(), into.pairs_.end());
  into.deleteRows_.clear();
  into.deleteFiles_.clear();
  for (std::uint64_t pair : into.pairs_) {
    into.deleteRows_.push_back(static_cast<RowNumber>(pair >> 32));
    into.deleteFiles_.push_back(static_cast<std::size_t>(pair & 0xffffffffu));
  }

  into.namedRows_.clear();
  const std::optional<std::string_view> last = FolderLastComponent(folder.Folder());
  if (!last) return;
  UpperInto(*last, into.upper_);
  if (const auto found = namedByLastComponent_.find(std::string_view(into.upper_));
      found != namedByLastComponent_.end()) {
    into.namedRows_ = found->second;
  }
}

}  // namespace tidewell
