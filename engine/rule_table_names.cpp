#include "engine/rule_table_names.h"

#include "engine/deletion_primitives.h"
#include "engine/rule_table.h"
#include "platform/text_case.h"

namespace tidewell {
namespace {

bool HasWildcard(std::string_view text) { return text.find_first_of("*?") != std::string_view::npos; }

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
  // A delete row with an empty pattern deletes every file ("*.*").
  if (pattern.empty()) pattern = "*.*";
  if (pattern.starts_with("*.") && pattern.size() > 2 && !HasWildcard(pattern.substr(1)) &&
      pattern.substr(2).find('.') == std::string_view::npos) {
    endings_.insert(UpperCased(pattern.substr(1)));
  } else if (!HasWildcard(pattern) && !pattern.ends_with('.')) {
    exactNames_.insert(UpperCased(pattern));
  } else {
    others_.emplace_back(pattern);
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
  if (dot != std::string_view::npos && endings_.contains(upperName.substr(dot))) return true;
  if (exactNames_.contains(upperName)) return true;
  for (const platform::WildcardPattern& pattern : others_) {
    if (pattern.Matches(name)) return true;
  }
  return false;
}

}  // namespace tidewell
