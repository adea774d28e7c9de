#include "engine/test_run_choices.h"

namespace tidewell {
namespace {

// A full path split after its last "\": the folder, then the name.
std::size_t NameStart(std::string_view path) { return path.rfind('\\') + 1; }

}  // namespace

void TestRunChoices::AddFile(std::string_view path) {
  const std::size_t at = NameStart(path);
  auto place = folders_.find(path.substr(0, at));
  if (place == folders_.end()) place = folders_.emplace(std::string(path.substr(0, at)), Folder{}).first;
  place->second.names.emplace(path.substr(at));
}

void TestRunChoices::AddRemovedFolder(std::string_view folder) {
  auto place = folders_.find(folder);
  if (place == folders_.end()) place = folders_.emplace(std::string(folder), Folder{}).first;
  place->second.removed = true;
  place->second.names.clear();  // every file of it is gone with it
  anyRemoved_ = true;
}

const TestRunChoices::Folder* TestRunChoices::In(std::string_view folder) const {
  if (folders_.empty()) return nullptr;
  const auto place = folders_.find(folder);
  return place == folders_.end() ? nullptr : &place->second;
}

bool TestRunChoices::FileGone(std::string_view path) const {
  if (folders_.empty()) return false;
  const std::size_t at = NameStart(path);
  const Folder* chosen = In(path.substr(0, at));
  return chosen != nullptr && chosen->Gone(path.substr(at));
}

}  // namespace tidewell
