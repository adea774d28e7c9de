// The seven check boxes that steer a cleaning run, read live.
//
// Whoever owns the check boxes (the main window and the Deepwash window, the
// console front end, a test) implements CleaningOptions. The engine asks for a
// value at the moment a decision depends on it and never keeps a copy, so an
// option read late in a run sees the box as it is then.
#pragma once

#include <array>

namespace tidewell {

enum class RunOption {
  ExitWhenDone = 1,         // Check1(1) "&Automatically exit"
  MinimiseOnUse = 2,        // Check1(2) "&Minimize on use"
  OptimisePerformance = 3,  // Check1(3) "&Optimize performance"
  KeepReport = 4,           // Check1(4) "&Keep report"
  ScanAllDrives = 5,        // Check1(5) "&Scan all drives"
  TestRun = 6,              // Check1(6) "&Test run only"
  MaintainLog = 7,          // ChkMaintainLog "&Maintain log of all deleted files"
};

// Every option, in the order above.
inline constexpr std::array kAllRunOptions{RunOption::ExitWhenDone,  RunOption::MinimiseOnUse,
                                           RunOption::OptimisePerformance, RunOption::KeepReport,
                                           RunOption::ScanAllDrives, RunOption::TestRun,
                                           RunOption::MaintainLog};

class CleaningOptions {
 public:
  virtual ~CleaningOptions() = default;
  // The check box's current value: 0 unchecked, 1 checked, 2 greyed.
  virtual int CheckValue(RunOption option) const = 0;
};

// Whether an option counts as on: any value but 0, except that optimise
// performance is on only when its value is exactly 1 (a greyed box, which
// the program never sets itself, does not switch the yields off).
bool IsOn(const CleaningOptions& options, RunOption option);

// Options held as plain values: for the console front end and for tests.
class FixedCleaningOptions : public CleaningOptions {
 public:
  int CheckValue(RunOption option) const override { return values_[Index(option)]; }
  void Set(RunOption option, int value) { values_[Index(option)] = value; }

 private:
  static std::size_t Index(RunOption option) { return static_cast<std::size_t>(option) - 1; }
  std::array<int, kAllRunOptions.size()> values_{};
};

}  // namespace tidewell
