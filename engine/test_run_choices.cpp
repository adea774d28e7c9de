#include "engine/test_run_choices.h"

namespace tidewell {
namespace {

// A full path split after its last "\": the folder, then the name.
std::size_t NameStart(std::string_view path) { return path.rfind('\\') + 1; }

}  // namespace

TestRunChoices::Folder& TestRunChoices::Entry(std::string_view folder) {
  if (last_ == nullptr || last_->first != folder) {
    auto place = folders_.find(folder);
    if (place == folders_.end()) place = folders_.emplace(std::string(folder), Folder{}).first;
    last_ = &*place;
  }
  return last_->second;
}

void TestRunChoices::AddFile(std::string_view path) {
  const std::size_t at = NameStart(path);
  Entry(path.substr(0, at)).names.emplace(path.substr(at));
}

void TestRunChoices::AddRemovedFolder(std::string_view folder) {
  Folder& entry = Entry(folder);
  entry.removed = true;
  entry.names.clear();  // every file of it is gone with it
  anyRemoved_ = true;
}

void TestRunChoices::Forget(std::string_view folder) {
  if (folders_.empty()) return;
  const auto place = folders_.find(folder);
  if (place == folders_.end()) return;
  if (last_ == &*place) last_ = nullptr;
  folders_.erase(place);
}

const TestRunChoices::Folder* TestRunChoices::In(std::string_view folder) const {
  if (folders_.empty()) return nullptr;
  if (last_ != nullptr && last_->first == folder) return &last_->second;
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
