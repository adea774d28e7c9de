#include "engine/rule_table_names.h"

#include <utility>

#include "engine/deletion_primitives.h"
#include "engine/rule_table.h"
#include "platform/text_case.h"

namespace tidewell {
namespace {

template <typename Visit>
void ForEachRow(Visit&& visit) {
  for (const RuleSection& section : CategorySections()) {
    for (const CategoryRule& row : section.rows) visit(row);
    if (section.numberedInstallerFolders) {
      for (const CategoryRule& row : NumberedInstallerFolders()) visit(row);
    }
  }
  for (const CategoryRule& row : BaseRows()) visit(row);
}

}  // namespace

RuleTableNames::RuleTableNames() {
  std::size_t rowCount = 0;
  ForEachRow([&rowCount](const CategoryRule&) { ++rowCount; });
  endings_.reserve(rowCount);
  exactNames_.reserve(rowCount);
  ForEachRow([this](const CategoryRule& row) {
    if (row.inert) return;
    switch (row.action) {
      case RuleAction::DeleteMatching:
        AddPattern(row.target);
        break;
      case RuleAction::EmptyNamed:
        emptiedFolders_.push_back(row.target);
        if (!row.marker.empty()) AddPattern(row.marker);
        break;
      case RuleAction::PurgeNamed:
        // A purge lists its folder afresh; only its marker reads the walk's names.
        if (!row.marker.empty()) AddPattern(row.marker);
        break;
    }
  });
}

void RuleTableNames::AddPattern(std::string_view pattern) {
  PatternShape shape = ShapeOfPattern(pattern);
  switch (shape.kind) {
    case PatternKind::Extension:
      endings_.insert(std::move(shape.key));
      return;
    case PatternKind::ExactName:
      exactNames_.insert(std::move(shape.key));
      return;
    case PatternKind::Wildcard:
      others_.emplace_back(shape.pattern);
      return;
  }
}

bool RuleTableNames::KeepsAllIn(std::string_view folder) const {
  for (std::string_view name : emptiedFolders_) {
    if (FolderNameMatches(folder, name)) return true;
  }
  return false;
}

bool RuleTableNames::Keeps(std::string_view name) const {
  // A file name has at most 255 bytes.
  char upper[256];
  if (name.size() >= sizeof upper) return true;
  for (std::size_t i = 0; i < name.size(); ++i) upper[i] = ToUpperAscii(name[i]);
  const std::string_view upperName(upper, name.size());
  const std::size_t dot = upperName.rfind('.');
  if (dot != std::string_view::npos && endings_.contains(upperName.substr(dot + 1))) return true;
  if (exactNames_.contains(upperName)) return true;
  for (const platform::WildcardPattern& pattern : others_) {
    if (pattern.Matches(name)) return true;
  }
  return false;
}

}  // namespace tidewell
