#include "engine/folder_snapshot.h"

#include "engine/drive_checks.h"
#include "platform/wildcard.h"

namespace tidewell {

FolderSnapshot::FolderSnapshot(RunContext& context, std::string_view folder) : context_(context), folder_(folder) {
  Read();
}

FolderSnapshot::FolderSnapshot(RunContext& context, const FolderList& folders, std::int32_t index, bool fresh)
    : context_(context), folder_(folders[index]) {
  if (fresh || !folders.HasFiles(index)) {
    Read();
    return;
  }
  // A test run's choices so far are gone; the walk came before any of them.
  const TestRunChoices::Folder* chosen = context_.state.chosen.In(folder_);
  if (chosen != nullptr && chosen->removed) return;
  folders.ForEachFile(index, [&](std::string_view name, const WalkFacts* facts) {
    if (chosen != nullptr && chosen->names.contains(name)) return;
    files_.push_back({name, true, facts != nullptr, facts != nullptr ? *facts : WalkFacts{}});
  });
}

void FolderSnapshot::Read() {
  // A folder whose removal a test run logged is missing; a file it chose is gone.
  const TestRunChoices::Folder* chosen = context_.state.chosen.In(folder_);
  if (chosen != nullptr && chosen->removed) return;
  platform::FolderReader reader;
  if (context_.config.files.OpenFolder(folder_, reader)) return;
  platform::FolderEntry entry;
  while (reader.Next(entry)) {
    StopIfRequested(context_);
    if (entry.isFolder) continue;
    if (chosen != nullptr && chosen->names.contains(entry.name)) continue;
    names_.push_back(std::make_unique_for_overwrite<char[]>(entry.name.size()));
    std::memcpy(names_.back().get(), entry.name.data(), entry.name.size());
    files_.push_back({std::string_view(names_.back().get(), entry.name.size()), true, false, {}});
  }
}

std::size_t FolderSnapshot::Find(std::string_view name) const {
  for (std::size_t i = 0; i < files_.size(); ++i) {
    if (files_[i].present && files_[i].name == name) return i;
  }
  return npos;
}

bool FolderSnapshot::HasNormalFile(std::string_view pattern) const {
  if (pattern.empty()) return false;
  const platform::WildcardPattern compiled(pattern);
  std::string path;
  for (const File& file : files_) {
    if (!file.present || !compiled.Matches(file.name)) continue;
    path.assign(folder_).append(file.name);
    if (IsNormalFile(context_, path)) return true;
  }
  return false;
}

}  // namespace tidewell
