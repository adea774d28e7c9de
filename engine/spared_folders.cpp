#include "engine/spared_folders.h"

#include <optional>

#include "engine/drive_checks.h"

namespace tidewell {

std::vector<std::string> SpareFragments(RunContext& context, std::string_view drive) {
  std::vector<std::string> fragments{"Vaultkeep"};
  const char letter = DriveSpec(drive, context.config.files.Drives()).front();
  for (const std::string* hostFolder : {&context.config.programFolder, &context.config.recordsFolder}) {
    // The records folder is usually the program's own: its links are
    // resolved once, and it spares by one fragment.
    const std::string& programFolder = context.config.programFolder;
    if (hostFolder->empty() || (hostFolder != &programFolder && *hostFolder == programFolder)) {
      continue;
    }
    std::optional<std::string> folder = context.config.files.Drives().HostToVirtualOn(letter, *hostFolder);
    if (!folder) continue;
    if (folder->size() > 3) folder->pop_back();
    fragments.push_back(std::move(*folder));
  }
  return fragments;
}

}  // namespace tidewell
