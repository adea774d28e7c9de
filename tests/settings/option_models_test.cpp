// The option models over a real store file: what a first start leaves in the
// store, write-on-change, the Scan all drives question, the Deepwash
// warnings and presets.
#include <gtest/gtest.h>

#include "platform/preferences_store.h"
#include "platform/text_file.h"
#include "settings/category_warnings.h"
#include "settings/check_value.h"
#include "settings/deepwash_selection.h"
#include "settings/main_options.h"
#include "settings/warn_once_store.h"
#include "tests/support/message_recorder.h"
#include "tests/support/temp_drive.h"

namespace tidewell {
namespace {

// Counts the writes that reach the real store file.
class CountingStore : public platform::PreferencesStore {
 public:
  explicit CountingStore(std::string path) : file(std::move(path)) {}
  std::string Read(std::string_view s, std::string_view n, std::string_view f) override { return file.Read(s, n, f); }
  std::error_code Write(std::string_view s, std::string_view n, std::string_view v) override {
    writes.push_back(std::string(n) + "=" + std::string(v));
    return file.Write(s, n, v);
  }
  std::vector<std::pair<std::string, std::string>> ReadSection(std::string_view s) override {
    return file.ReadSection(s);
  }
  platform::PreferencesFile file;
  std::vector<std::string> writes;
};

class RecordingView : public DeepwashView, public testing::MessageRecorder {
 public:
  void SetStatusText(std::string_view text) override { status = text; }
  MessageAnswer ShowMessage(const Message& message) override { return Record(message); }
  std::string status = "(untouched)";
};

class OptionModelsTest : public ::testing::Test {
 protected:
  OptionModelsTest() : store(folder.Path() + "/Tidewell.ini") {}

  void Start() {
    main.Load();
    deepwash.Create();
  }
  std::string Stored(std::string_view name) { return store.file.Read("Preferences", name, "<none>"); }

  testing::TempFolder folder;
  CountingStore store;
  RecordingView view;
  bool suppressEvents = false;
  DeepwashSelection deepwash{store, view, suppressEvents};
  MainWindowOptions main{store, view, suppressEvents, deepwash};
};

TEST_F(OptionModelsTest, AFirstStartStoresOnlyTheValuesThatDifferFromTheBoxesStartingState) {
  Start();
  std::vector<std::pair<std::string, std::string>> expected = {{"Reporting", "1"}};
  for (const CategoryId id : CreationLoadOrder()) {
    const Category& entry = Entry(id);
    const int start = entry.kind == EntryKind::Option ? 1 : 0;
    if (entry.defaultValue != start) expected.emplace_back(entry.settingsName, std::to_string(entry.defaultValue));
  }
  EXPECT_EQ(store.file.ReadSection("Preferences"), expected);
  EXPECT_EQ(expected.size(), 11u) << "Reporting, nine categories and MaintainLog";
  EXPECT_EQ(expected.back().first, "MaintainLog");
  EXPECT_TRUE(view.messages.empty());
  EXPECT_EQ(view.status, "(untouched)");
  EXPECT_FALSE(suppressEvents);
  EXPECT_EQ(main.CheckValue(RunOption::TestRun), 1);
  EXPECT_EQ(main.CheckValue(RunOption::MaintainLog), 0) << "read from the Deepwash box";

  // Every start writes back each loaded value that differs from the box's
  // starting state, stored or not; the store ends the same.
  const std::vector<std::string> firstWrites = store.writes;
  store.writes.clear();
  bool flag = false;
  DeepwashSelection again(store, view, flag);
  MainWindowOptions mainAgain(store, view, flag, again);
  mainAgain.Load();
  again.Create();
  EXPECT_EQ(store.writes, firstWrites);
  EXPECT_EQ(store.file.ReadSection("Preferences"), expected);
}

TEST_F(OptionModelsTest, StoredValuesThatAreNotACheckValueReadAsTheDefault) {
  ASSERT_FALSE(store.file.Write("Preferences", "TestRun", "0"));
  ASSERT_FALSE(store.file.Write("Preferences", "Reporting", "yes"));
  ASSERT_FALSE(store.file.Write("Preferences", "AutoExit", "7"));
  ASSERT_FALSE(store.file.Write("Preferences", "MinimizeOnUse", "-1"));
  ASSERT_FALSE(store.file.Write("Preferences", "Adobe", "2"));
  ASSERT_FALSE(store.file.Write("Preferences", "Temp", "1.5"));
  Start();
  EXPECT_EQ(main.CheckValue(RunOption::TestRun), 0);
  EXPECT_EQ(main.CheckValue(RunOption::KeepReport), 1);
  EXPECT_EQ(main.CheckValue(RunOption::ExitWhenDone), 0);
  EXPECT_EQ(main.CheckValue(RunOption::MinimiseOnUse), 0);
  EXPECT_EQ(deepwash.CheckValue(CategoryId::Adobe), 2);
  EXPECT_EQ(deepwash.CheckValue(CategoryId::Temp), 1);
}

TEST_F(OptionModelsTest, ScanAllDrivesAsksOnlyWhenCheckedWithWarningsOnAndNoUnchecksIt) {
  Start();
  main.SetValue(RunOption::ScanAllDrives, 1);
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].title, "Scan All Drives");
  EXPECT_EQ(view.messages[0].buttons, MessageButtons::YesNo);
  EXPECT_EQ(main.CheckValue(RunOption::ScanAllDrives), 0);
  EXPECT_EQ(Stored("ScanAllDrives"), "0");

  view.scriptedAnswers.push_back(MessageAnswer::Yes);
  main.SetValue(RunOption::ScanAllDrives, 1);
  EXPECT_EQ(Stored("ScanAllDrives"), "1");
  main.SetValue(RunOption::ScanAllDrives, 0);  // unchecking never asks
  EXPECT_EQ(view.messages.size(), 2u);
  EXPECT_EQ(Stored("ScanAllDrives"), "0");

  deepwash.SetValue(CategoryId::ShowWarnings, 0);
  main.SetValue(RunOption::ScanAllDrives, 1);
  EXPECT_EQ(view.messages.size(), 2u) << "no question with Show warnings off";
  EXPECT_EQ(Stored("ScanAllDrives"), "1");
}

TEST_F(OptionModelsTest, TheSixBoxesAreTheMainWindowOptionsInOrderAndMaintainLogIsNoneOfThem) {
  ASSERT_EQ(MainOptionEntries().size(), kMainWindowOptions.size());
  for (std::size_t i = 0; i < kMainWindowOptions.size(); ++i) {
    EXPECT_EQ(MainOptionEntries()[i].option, kMainWindowOptions[i]) << i;
  }
  Start();
  const std::vector<std::string> startWrites = store.writes;
  main.SetValue(RunOption::KeepReport, 0);
  EXPECT_EQ(main.CheckValue(RunOption::KeepReport), 0);
  EXPECT_EQ(main.CheckValue(RunOption::TestRun), 1);
  EXPECT_EQ(Stored("Reporting"), "0");
  main.SetValue(RunOption::ExitWhenDone, 1);
  EXPECT_EQ(main.CheckValue(RunOption::ExitWhenDone), 1);
  EXPECT_EQ(Stored("AutoExit"), "1");
  // Maintain log is a Deepwash box: setting it here changes nothing.
  main.SetValue(RunOption::MaintainLog, 1);
  EXPECT_EQ(store.writes.size(), startWrites.size() + 2);
  EXPECT_EQ(main.CheckValue(RunOption::MaintainLog), 0);
}

TEST_F(OptionModelsTest, TestRunIsNotWrittenWhileEventsAreSuppressed) {
  Start();
  suppressEvents = true;
  main.SetValue(RunOption::TestRun, 0);
  suppressEvents = false;
  EXPECT_EQ(Stored("TestRun"), "<none>");
  main.SetValue(RunOption::TestRun, 1);
  EXPECT_EQ(Stored("TestRun"), "1");
}

TEST_F(OptionModelsTest, CheckingACategoryWarnsAndUncheckingClearsTheWarning) {
  Start();
  deepwash.SetValue(CategoryId::Adobe, 1);
  EXPECT_EQ(Stored("Adobe"), "1");
  const std::string text = WarningFor(CategoryId::Adobe)->Text();
  ASSERT_GT(text.size(), 90u);
  EXPECT_EQ(view.status, "WARNINGS: " + text.substr(0, 90) + " ...");
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].title, "WARNING about deleting Adobe PDFs");
  EXPECT_EQ(view.messages[0].text, "WARNING: " + text);
  EXPECT_EQ(view.messages[0].icon, MessageIcon::Exclamation);

  deepwash.SetValue(CategoryId::Adobe, 0);
  EXPECT_EQ(view.status, "WARNINGS: None.");
  EXPECT_EQ(view.messages.size(), 1u);

  deepwash.SetValue(CategoryId::ShowWarnings, 0);
  deepwash.SetValue(CategoryId::Adobe, 1);
  EXPECT_EQ(view.messages.size(), 1u) << "no box with Show warnings off";
  EXPECT_EQ(view.status, "WARNINGS: " + text.substr(0, 90) + " ...");
}

TEST_F(OptionModelsTest, PresetsWriteOnlyWhatChangesInTheirOrder) {
  Start();
  store.writes.clear();
  deepwash.SelectAll();
  EXPECT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].title, "WARNING about deleting ALL files selected by Deepwash");
  std::vector<std::string> expected;
  for (const CategoryId id : SelectAllOrder()) {
    const Category& entry = Entry(id);
    const int before = entry.kind == EntryKind::Option ? 1 : entry.defaultValue;
    if (before == 0) expected.push_back(std::string(entry.settingsName) + "=1");
  }
  EXPECT_EQ(store.writes, expected);

  store.writes.clear();
  deepwash.SelectAll();
  EXPECT_TRUE(store.writes.empty());
  EXPECT_EQ(view.messages.size(), 2u) << "the box is shown again";

  deepwash.SelectNone();
  EXPECT_EQ(store.writes.size(), 36u);
  EXPECT_EQ(view.status, "WARNINGS: None.");
  EXPECT_EQ(Stored("ShowWarnings"), "<none>") << "never touched by a preset";

  store.writes.clear();
  deepwash.Safest();
  EXPECT_EQ(Stored("VB"), "1");
  EXPECT_EQ(store.writes.size(), 11u);  // only the boxes Safest checks were off
  EXPECT_EQ(view.status, "WARNINGS: None.");
  EXPECT_EQ(view.messages.size(), 2u);
}

// The store file as this process reads it, and another process that
// stores `pending` right after this process's next read.
class ChangedMidLoadFile : public platform::PreferencesFile {
 public:
  using PreferencesFile::PreferencesFile;
  std::string Read(std::string_view section, std::string_view name, std::string_view fallback) override {
    std::string value = PreferencesFile::Read(section, name, fallback);
    platform::PreferencesFile other(Path());
    for (const auto& [changed, text] : pending) EXPECT_FALSE(other.Write("Preferences", changed, text));
    pending.clear();
    return value;
  }
  std::vector<std::pair<std::string, std::string>> pending;
};

// Each load takes every box from one reading of the store (through the
// wrapper that warns of failed saves), so a change another process makes
// meanwhile is never half taken; the next read sees it whole.
TEST(OptionModelsLoadTest, EachLoadTakesEveryBoxFromOneReadingOfTheStore) {
  testing::TempFolder folder;
  ChangedMidLoadFile file(folder.Path() + "/Tidewell.ini");
  RecordingView view;
  WarnOnceStore store(file, view, file.Path());
  bool suppressEvents = false;
  {
    DeepwashSelection deepwash(store, view, suppressEvents);
    MainWindowOptions main(store, view, suppressEvents, deepwash);
    main.Load();
    deepwash.Create();
  }
  std::vector<std::pair<std::string, std::string>> flipped;
  for (const auto& [name, value] : file.ReadSection("Preferences")) flipped.emplace_back(name, value == "0" ? "1" : "0");
  ASSERT_GE(flipped.size(), 8u);

  DeepwashSelection deepwash(store, view, suppressEvents);
  MainWindowOptions main(store, view, suppressEvents, deepwash);
  file.pending = {{"Reporting", "0"}};  // read last of the six
  main.Load();
  EXPECT_EQ(main.CheckValue(RunOption::KeepReport), 1) << "the options mixed two files";
  EXPECT_EQ(file.Read("Preferences", "Reporting", ""), "0") << "the change was lost";

  file.pending = flipped;
  deepwash.Create();
  int categories = 0;
  for (const auto& [name, value] : flipped) {
    for (const Category& entry : CatalogueEntries()) {
      if (entry.settingsName != name) continue;
      ++categories;
      EXPECT_NE(deepwash.CheckValue(entry.id), std::stoi(value)) << name << ": the boxes mixed two files";
      EXPECT_EQ(file.Read("Preferences", name, ""), value) << name << ": the change was lost";
    }
  }
  EXPECT_GE(categories, 8);
  EXPECT_FALSE(store.Warned());
}

}  // namespace
}  // namespace tidewell
