// A RunFeedback that records every call, for tests: status texts, progress
// values, messages (answered from a script), yields, the drive list.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/run_feedback.h"
#include "tests/support/message_recorder.h"

namespace tidewell::testing {

// Thrown by RecordingFeedback::EndProgram: the program ended here.
struct ProgramEnded {
  int exitStatus;
};

class RecordingFeedback : public RunFeedback, public MessageRecorder {
 public:
  void SetStatusText(std::string_view text) override {
    statusTexts.emplace_back(text);
    if (onStatusText) onStatusText(text);
  }
  std::string StatusText() const override { return statusTexts.empty() ? std::string() : statusTexts.back(); }
  void SetProgressValue(int value) override { progressValues.push_back(value); }
  void StartAnimation() override { events.push_back("StartAnimation"); }
  void StopAnimation() override { events.push_back("StopAnimation"); }
  void PlayWave(const std::string& hostPath, bool wait) override {
    events.push_back(std::string("PlayWave ") + hostPath + (wait ? " wait" : ""));
  }
  void CloseSoundDevice() override { events.push_back("CloseSoundDevice"); }
  void SetBusyPointer() override { events.push_back("BusyPointer"); }
  void SetDefaultPointer() override { events.push_back("DefaultPointer"); }
  void MinimiseWindow() override { events.push_back("Minimise"); }
  void RestoreWindow() override { events.push_back("Restore"); }
  void Repaint() override { ++repaints; }
  void Beep() override { events.push_back("Beep"); }
  void LockControls() override { events.push_back("Lock"); }
  void UnlockControls() override { events.push_back("Unlock"); }
  bool SelectDrive(char letter) override;
  std::string SelectedDrive() const override { return selectedDrive; }
  void ShowDeletionLog() override { events.push_back("ShowDeletionLog"); }
  MessageAnswer ShowMessage(const Message& message) override { return Record(message); }
  // Ends the "program" by throwing ProgramEnded, which the test catches.
  [[noreturn]] void EndProgram(int exitStatus) override {
    events.push_back("EndProgram " + std::to_string(exitStatus));
    throw ProgramEnded{exitStatus};
  }
  void ProcessPendingMessages() override {
    ++yields;
    ++yieldCalls;
    if (onYield) onYield();
  }
  // With `yieldsInARowAtOnce`, one call stands for every yield of a row of
  // them, as the console's does; `yields` still counts each.
  std::uint32_t ProcessPendingMessagesInARow(std::uint32_t times) override {
    if (!yieldsInARowAtOnce) return RunFeedback::ProcessPendingMessagesInARow(times);
    yields += times;
    ++yieldCalls;
    if (onYield) onYield();
    return times;
  }
  // Asked at every stop point: true once `stopWhen` has said so (a test's
  // Ctrl+C), and from then on.
  bool StopRequested() const override {
    ++stopChecks;
    if (!stopped && stopWhen) stopped = stopWhen();
    return stopped;
  }

  std::vector<std::string> statusTexts;
  std::vector<int> progressValues;
  std::vector<std::string> events;
  int repaints = 0;
  long yields = 0;
  long yieldCalls = 0;  // calls to the two methods above
  bool yieldsInARowAtOnce = false;
  std::function<void()> onYield;
  std::function<bool()> stopWhen;
  mutable bool stopped = false;
  mutable long stopChecks = 0;
  // Runs after each status text is recorded: a test's way to act between
  // the phases of a run ("Cleaning HD:" follows the analysis).
  std::function<void(std::string_view)> onStatusText;

  // The drive list: the entries it can show ("c: [DRIVE_C]") by upper-case
  // letter, the current entry, and the change handler run on a change.
  std::map<char, std::string> driveEntries;
  std::string selectedDrive;
  std::function<void()> onDriveChanged;
};

}  // namespace tidewell::testing
