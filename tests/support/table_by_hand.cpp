#include "tests/support/table_by_hand.h"

#include <optional>

#include "engine/category_rules.h"
#include "engine/deletion_primitives.h"
#include "engine/folder_snapshot.h"
#include "engine/folder_walker.h"
#include "engine/rule_table.h"

namespace tidewell::testing {

void ApplyTableByHand(RunContext& context, std::string_view drive, const FolderList& folders,
                      TableReading reading, const std::vector<std::string>& spared) {
  for (std::int32_t i = 1; i <= folders.Count(); ++i) {
    const std::string_view folder = folders[i];
    YieldToMessages(context);
    bool isSpared = false;
    for (const std::string& fragment : spared) isSpared = isSpared || ContainsNoCase(folder, fragment);
    if (isSpared) continue;
    std::optional<FolderSnapshot> once;
    if (reading == TableReading::OncePerFolder) once.emplace(context, folder);
    auto run = [&](const CategoryRule& row) {
      if (row.inert) return;
      std::optional<FolderSnapshot> fresh;
      if (reading == TableReading::AfreshPerRow) fresh.emplace(context, folder);
      FolderSnapshot& snapshot = fresh ? *fresh : *once;
      if (row.action == RuleAction::DeleteMatching) DeleteMatchingFiles(context, snapshot, row.target);
      if (row.action == RuleAction::EmptyNamed) EmptyNamedFolder(context, snapshot, row.target, row.marker);
      if (row.action == RuleAction::PurgeNamed) PurgeNamedFolder(context, drive, snapshot, row.target, row.marker);
    };
    for (const RuleSection& section : CategorySections()) {
      bool guarded = false;
      for (std::string_view fragment : section.pathGuard) guarded = guarded || ContainsNoCase(folder, fragment);
      if (guarded || !context.config.IsOn(section.category)) continue;
      for (const CategoryRule& row : section.rows) run(row);
      if (section.numberedInstallerFolders) {
        for (const CategoryRule& row : NumberedInstallerFolders()) run(row);
      }
    }
    for (const CategoryRule& row : BaseRows()) run(row);
  }
  SweepSystemBackups(context, drive);
  if (context.config.IsOn(CategoryId::Wallpaper)) DeleteMatchingFiles(context, drive, context.config.windowsDir + "\\", "*.BMP");
}

}  // namespace tidewell::testing
