// A preferences store that tells the user, once, when a value could not be
// saved.
//
// Every option is written the moment it changes, dozens of times at a first
// start; when the store's file cannot be written (a read-only or full home
// folder) the user should hear about it once, with the file and the reason,
// not once per value. The program goes on: the boxes keep their values for
// this session, they are only not remembered. The message names the file,
// says why (in plain words for a file too large to read and for a folder in
// its place) and that the file was left as it is: a store that cannot be
// written is never replaced.
#pragma once

#include <string>

#include "platform/preferences_store.h"
#include "settings/message_box.h"

namespace tidewell {

class WarnOnceStore : public platform::PreferencesStore {
 public:
  // `where` names the store for the user (its file's path).
  WarnOnceStore(platform::PreferencesStore& inner, MessageBoxes& boxes, std::string where)
      : inner_(inner), boxes_(boxes), where_(std::move(where)) {}

  std::string Read(std::string_view section, std::string_view name, std::string_view fallback) override {
    return inner_.Read(section, name, fallback);
  }
  std::error_code Write(std::string_view section, std::string_view name, std::string_view value) override;
  std::vector<std::pair<std::string, std::string>> ReadSection(std::string_view section) override {
    return inner_.ReadSection(section);
  }
  std::vector<std::string> ReadEvery(std::string_view section, std::string_view name) override {
    return inner_.ReadEvery(section, name);
  }
  std::vector<NumberedValue> ReadEveryNumbered(std::string_view section, std::string_view name) override {
    return inner_.ReadEveryNumbered(section, name);
  }
  void BeginBatch() override { inner_.BeginBatch(); }
  void EndBatch() override { inner_.EndBatch(); }

  bool Warned() const { return warned_; }

 private:
  platform::PreferencesStore& inner_;
  MessageBoxes& boxes_;
  std::string where_;
  bool warned_ = false;
};

}  // namespace tidewell
