#include "engine/rule_table_names.h"

#include <utility>

#include "engine/deletion_primitives.h"
#include "engine/rule_table.h"
#include "platform/text_case.h"

namespace tidewell {
namespace {

// Every row of the table with its section's category (none for a base row).
template <typename Visit>
void ForEachRow(Visit&& visit) {
  for (const RuleSection& section : CategorySections()) {
    for (const CategoryRule& row : section.rows) visit(row, &section.category);
    if (section.numberedInstallerFolders) {
      for (const CategoryRule& row : NumberedInstallerFolders()) visit(row, &section.category);
    }
  }
  for (const CategoryRule& row : BaseRows()) visit(row, static_cast<const CategoryId*>(nullptr));
}

}  // namespace

RuleTableNames::RuleTableNames() {
  std::size_t rowCount = 0;
  ForEachRow([&rowCount](const CategoryRule&, const CategoryId*) { ++rowCount; });
  endings_.reserve(rowCount);
  exactNames_.reserve(rowCount);
  ForEachRow([this](const CategoryRule& row, const CategoryId*) {
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

RuleTableNames RuleTableNames::DeletedWith(const std::function<bool(CategoryId)>& isOn) {
  RuleTableNames names(Empty{});
  ForEachRow([&](const CategoryRule& row, const CategoryId* category) {
    if (row.inert || (category != nullptr && !isOn(*category))) return;
    if (row.action == RuleAction::DeleteMatching) names.AddPattern(row.target);
    if (row.action == RuleAction::EmptyNamed) names.emptiedFolders_.push_back(row.target);
  });
  return names;
}

void RuleTableNames::AddPattern(std::string_view pattern) {
  PatternShape shape = ShapeOfPattern(pattern);
  switch (shape.kind) {
    case PatternKind::Extension:
      mayEndWith_.Add(shape.key);
      endings_.insert(std::move(shape.key));
      return;
    case PatternKind::ExactName:
      mayBeNamed_.Add(shape.key);
      exactNames_.insert(std::move(shape.key));
      return;
    case PatternKind::Wildcard:
      if (const int first = LiteralFirstUpper(shape.pattern); first < 0) {
        othersAnyFirst_.emplace_back(shape.pattern);
      } else {
        othersByFirst_[static_cast<std::size_t>(first)].emplace_back(shape.pattern);
      }
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
  // Upper-cased only when a key may match (most names are turned away by the
  // prefilters), and then once for both look-ups.
  const std::size_t dot = name.rfind('.');
  const bool mayEnd = dot != std::string_view::npos && mayEndWith_.MayHold(name.substr(dot + 1));
  const bool mayBeNamed = mayBeNamed_.MayHold(name);
  if (mayEnd || mayBeNamed) {
    for (std::size_t i = 0; i < name.size(); ++i) upper[i] = ToUpperAscii(name[i]);
    const std::string_view upperName(upper, name.size());
    if (mayEnd && endings_.contains(upperName.substr(dot + 1))) return true;
    if (mayBeNamed && exactNames_.contains(upperName)) return true;
  }
  if (!name.empty()) {
    for (const platform::WildcardPattern& pattern : othersByFirst_[static_cast<unsigned char>(ToUpperAscii(name.front()))]) {
      if (pattern.Matches(name)) return true;
    }
  }
  for (const platform::WildcardPattern& pattern : othersAnyFirst_) {
    if (pattern.Matches(name)) return true;
  }
  return false;
}

}  // namespace tidewell
