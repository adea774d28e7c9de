#include "settings/main_options.h"

#include "settings/check_value.h"

namespace tidewell {
namespace {

constexpr MainOption kMainOptions[] = {
    {RunOption::ExitWhenDone, "&Automatically exit", "AutoExit", 0},
    {RunOption::MinimiseOnUse, "&Minimize on use", "MinimizeOnUse", 0},
    {RunOption::OptimisePerformance, "&Optimize performance", "OptimizePerformance", 0},
    {RunOption::KeepReport, "&Keep report", "Reporting", 1},
    {RunOption::ScanAllDrives, "&Scan all drives", "ScanAllDrives", 0},
    {RunOption::TestRun, "&Test run only", "TestRun", 1},
};

// The position of a main-window option in kMainWindowOptions, kMainOptions
// and the values; kMainWindowOptions.size() for Maintain log.
constexpr std::size_t PositionOf(RunOption option) {
  std::size_t at = 0;
  while (at < kMainWindowOptions.size() && kMainWindowOptions[at] != option) ++at;
  return at;
}

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
  return values_[PositionOf(option)];
}

void MainWindowOptions::Load() {
  // The six boxes from one reading of the store, each write-back of a value
  // just read done at that same reading.
  platform::StoreBatch batch(store_);
  suppressEvents_ = true;
  for (const MainOption& box : kMainOptions) {
    SetValue(box.option, LoadCheckValue(store_, box.valueName, box.defaultValue));
  }
  suppressEvents_ = false;
}

void MainWindowOptions::SetValue(RunOption option, int value) {
  const std::size_t at = PositionOf(option);
  if (at == kMainWindowOptions.size() || values_[at] == value) return;
  values_[at] = value;
  if (onValueChanged) onValueChanged(option, value);
  OnClick(kMainOptions[at]);
}

void MainWindowOptions::OnClick(const MainOption& box) {
  const int value = CheckValue(box.option);
  if (box.option == RunOption::TestRun) {
    if (!suppressEvents_) SaveCheckValue(store_, box.valueName, value);
    return;
  }
  if (box.option == RunOption::ScanAllDrives && !suppressEvents_ &&
      IsOn(deepwash_, CategoryId::ShowWarnings) && value != 0) {
    if (boxes_.ShowMessage(ScanAllDrivesQuestion()) == MessageAnswer::No) SetValue(box.option, 0);
  }
  SaveCheckValue(store_, box.valueName, CheckValue(box.option));
}

}  // namespace tidewell
