// A sandbox for end-to-end runs of tidewell-cli: a temporary base folder
// holding a copy of the program in program/ (so its records land beside it),
// a home of its own (store, data folder, no Wine prefix), and the fixed
// environment every run gets.
//
//   ConsoleSandbox sandbox(TIDEWELL_CLI_PATH);
//   ChildResult run = sandbox.RunCli({"--test"}, "C=" + sandbox.Base() + "/drive_c");
#pragma once

#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/temp_drive.h"

namespace tidewell::testing {

class ConsoleSandbox {
 public:
  explicit ConsoleSandbox(const std::string& cliPath);

  std::string Base() const { return base_.Path(); }
  std::string Program() const { return Base() + "/program"; }
  std::string Home() const { return Base() + "/home"; }
  std::string StorePath() const { return Home() + "/config/Tidewell/Tidewell.ini"; }
  std::string LogPath() const { return Program() + "/Tidewell.log"; }
  std::string ReportPath() const { return Program() + "/Tidewell.txt"; }

  // The options of a run: the arguments, the sandbox's environment with
  // TIDEWELL_DRIVES set to `drives` (unset when empty), the base folder as
  // the working folder.
  ChildOptions Options(std::vector<std::string> arguments, const std::string& drives) const;
  ChildResult RunCli(std::vector<std::string> arguments, const std::string& drives) const;
  ChildResult RunCli(const ChildOptions& options) const;

 private:
  TempFolder base_;
};

}  // namespace tidewell::testing
