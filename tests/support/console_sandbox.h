// A sandbox for end-to-end runs of tidewell-cli: a temporary base folder
// holding a copy of the program in program/ (so its records land beside it),
// a home of its own (store, data folder, no Wine prefix), and the fixed
// environment every run gets.
//
//   ConsoleSandbox sandbox(TIDEWELL_CLI_PATH);
//   ChildResult run = sandbox.RunCli({"--test"}, "C=" + sandbox.Base() + "/drive_c");
//
// The paths it hands out are in the host's own form (JoinHostPath: "\" on
// Windows), as the program prints them. What differs by host is in
// console_sandbox_posix.cpp (HOME, XDG folders, an empty WINEPREFIX) and
// console_sandbox_win32.cpp (the profile folders, SystemRoot, and a refusal
// to run without TIDEWELL_DRIVES: there, the drives a run would otherwise
// find are the machine's own).
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/temp_drive.h"

namespace tidewell::testing {

class ConsoleSandbox {
 public:
  explicit ConsoleSandbox(const std::string& cliPath);

  std::string Base() const { return base_.Path(); }
  std::string Program() const { return At(Base(), "program"); }
  std::string Home() const { return At(Base(), "home"); }
  std::string StorePath() const { return At(Home(), "config/Tidewell/Tidewell.ini"); }
  std::string LogPath() const { return At(Program(), "Tidewell.log"); }
  std::string ReportPath() const { return At(Program(), "Tidewell.txt"); }
  // The copy of the program that runs: tidewell-cli, or tidewell-cli.exe.
  std::string ProgramFile() const;

  // The options of a run: the arguments, the sandbox's environment with
  // TIDEWELL_DRIVES set to `drives` (unset when empty), the base folder as
  // the working folder.
  ChildOptions Options(std::vector<std::string> arguments, const std::string& drives) const;
  ChildResult RunCli(std::vector<std::string> arguments, const std::string& drives) const;
  ChildResult RunCli(const ChildOptions& options) const;

 private:
  static std::string At(const std::string& folder, std::string_view relative);
  // Copies the program; throws std::runtime_error naming both paths when it cannot.
  static void CopyProgram(const std::string& from, const std::string& to);
  // The host's part of every run's environment, around `Home()`.
  std::map<std::string, std::string> HostEnvironment() const;
  // Empty when the run may go; otherwise why it is refused.
  static std::string Refusal(const ChildOptions& options);

  TempFolder base_;
};

}  // namespace tidewell::testing
