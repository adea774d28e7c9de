#include "settings/main_options.h"

#include "settings/check_value.h"

namespace tidewell {
namespace {

constexpr MainOption kMainOptions[] = {
    {1, "&Automatically exit", "AutoExit", 0},
    {2, "&Minimize on use", "MinimizeOnUse", 0},
    {3, "&Optimize performance", "OptimizePerformance", 0},
    {4, "&Keep report", "Reporting", 1},
    {5, "&Scan all drives", "ScanAllDrives", 0},
    {6, "&Test run only", "TestRun", 1},
};

constexpr int kScanAllDrives = 5;
constexpr int kTestRun = 6;

}  // namespace

std::span<const MainOption> MainOptionEntries() { return kMainOptions; }

Message ScanAllDrivesQuestion() {
  return {"Scan All Drives",
          "WARNING: If you are connected to a company network, Tidewell will scan and delete data on "
          "network drives.\r\rAre you sure you want to scan all drives?",
          MessageIcon::Question, MessageButtons::YesNo};
}

Message TestModeNotice() {
  return {"TEST MODE is ON ... Tidewell is SAFE AS MILK",
          "Tidewell is running in TEST MODE, and will NOT delete any files until you turn test mode OFF."
          "\r\r"
          "Test mode allows you to (1) use all of Tidewell's features, (2) see what files Tidewell marks "
          "for deletion, and (3) find out how much disk space you can reclaim, all without deleting any "
          "files."
          "\r\r"
          "Note that when Tidewell reports ''bytes saved'' and is running in test mode, Tidewell has NOT "
          "deleted any files or reclaimed any disk space."
          "\r\r"
          "To turn test mode OFF and enable all of Tidewell's disk scrubbing power, uncheck the ''Test run "
          "only'' button on Tidewell's main screen.",
          MessageIcon::Information, MessageButtons::Ok};
}

MainWindowOptions::MainWindowOptions(platform::PreferencesStore& store, MessageBoxes& boxes,
                                     bool& suppressEvents, const CategoryStates& deepwash)
    : store_(store), boxes_(boxes), suppressEvents_(suppressEvents), deepwash_(deepwash) {}

int MainWindowOptions::CheckValue(RunOption option) const {
  if (option == RunOption::MaintainLog) return deepwash_.CheckValue(CategoryId::MaintainLog);
  return values_[static_cast<std::size_t>(option)];
}

void MainWindowOptions::Load() {
  suppressEvents_ = true;
  for (const MainOption& option : kMainOptions) {
    SetValue(option.index, LoadCheckValue(store_, option.valueName, option.defaultValue));
  }
  suppressEvents_ = false;
}

void MainWindowOptions::SetValue(int index, int value) {
  int& slot = values_.at(static_cast<std::size_t>(index));
  if (index < 1 || slot == value) return;
  slot = value;
  if (onValueChanged) onValueChanged(index, value);
  OnClick(index);
}

void MainWindowOptions::OnClick(int index) {
  const std::string_view name = kMainOptions[index - 1].valueName;
  if (index == kTestRun) {
    if (!suppressEvents_) SaveCheckValue(store_, name, Value(index));
    return;
  }
  if (index == kScanAllDrives && !suppressEvents_ && IsOn(deepwash_, CategoryId::ShowWarnings) &&
      Value(index) != 0) {
    if (boxes_.ShowMessage(ScanAllDrivesQuestion()) == MessageAnswer::No) SetValue(index, 0);
  }
  SaveCheckValue(store_, name, Value(index));
}

}  // namespace tidewell
