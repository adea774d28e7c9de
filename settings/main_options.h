// The main window's six option boxes, Check1(1) to Check1(6), as plain
// values with their click handling: what the window binds its check boxes to
// and what the console front end loads.
//
// A "click" is any change of a box's value, whoever makes it: SetValue() runs
// the box's handler only when the value really changes, and the handler
// writes the value to the store at once (the question of "&Scan all drives"
// included). Nothing is written at exit.
#pragma once

#include <array>
#include <functional>
#include <span>
#include <string_view>

#include "platform/preferences_store.h"
#include "settings/category_catalogue.h"
#include "settings/message_box.h"
#include "settings/run_options.h"

namespace tidewell {

// The options of the six boxes, Check1(1) to Check1(6): every run option
// but Maintain log, which is a Deepwash box.
inline constexpr std::array kMainWindowOptions{RunOption::ExitWhenDone,  RunOption::MinimiseOnUse,
                                               RunOption::OptimisePerformance, RunOption::KeepReport,
                                               RunOption::ScanAllDrives, RunOption::TestRun};

struct MainOption {
  RunOption option;
  std::string_view caption;    // "&Automatically exit"
  std::string_view valueName;  // "AutoExit"
  int defaultValue;
};

// The six boxes in the order of kMainWindowOptions.
std::span<const MainOption> MainOptionEntries();

// The question "&Scan all drives" asks when it is checked.
Message ScanAllDrivesQuestion();

// The notice shown at every start while "&Test run only" is on.
Message TestModeNotice();

class MainWindowOptions : public CleaningOptions {
 public:
  // `deepwash` answers for the Deepwash window's boxes: Show warnings (which
  // decides whether Scan all drives asks) and Maintain log (option 7).
  // `suppressEvents` is the program's shared flag. All must outlive this.
  MainWindowOptions(platform::PreferencesStore& store, MessageBoxes& boxes, bool& suppressEvents,
                    const CategoryStates& deepwash);

  // Check1(1..6) from this object; MaintainLog from the Deepwash boxes.
  int CheckValue(RunOption option) const override;

  // The start-up load: under SuppressEvents, each box in the order of
  // kMainWindowOptions takes its stored value (its default when none), and
  // every box whose value changes writes it back through its handler, except
  // "TestRun", which its handler never writes while SuppressEvents is set.
  void Load();

  // Sets one of the six boxes to `value`; a change runs the box's click
  // handler. Maintain log is not one of them and is left alone.
  void SetValue(RunOption option, int value);

  // Told of every change of a box's value (the window moves its widget).
  std::function<void(RunOption option, int value)> onValueChanged;

 private:
  void OnClick(const MainOption& box);

  platform::PreferencesStore& store_;
  MessageBoxes& boxes_;
  bool& suppressEvents_;
  const CategoryStates& deepwash_;
  std::array<int, kMainWindowOptions.size()> values_{};  // every box starts unchecked
};

}  // namespace tidewell
