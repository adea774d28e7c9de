// The console sandbox: the portable part (see console_sandbox.h).
#include "tests/support/console_sandbox.h"

#include <filesystem>
#include <utility>

#include "platform/host_paths.h"
#include "platform/process_facts.h"

namespace tidewell::testing {

std::string ConsoleSandbox::At(const std::string& folder, std::string_view relative) {
  return platform::JoinHostPath(folder, relative);
}

// A relative `cliPath` names a file beside the test program: under Wine the
// build folder lies on no drive, so the console is copied there at build time.
ConsoleSandbox::ConsoleSandbox(const std::string& cliPath) {
  std::filesystem::create_directories(Program());
  const bool relative = std::filesystem::path(cliPath).is_relative();
  CopyProgram(relative ? At(platform::ProgramFolder(), cliPath) : cliPath, ProgramFile());
  std::filesystem::create_directories(Home());
}

ChildOptions ConsoleSandbox::Options(std::vector<std::string> arguments, const std::string& drives) const {
  ChildOptions options;
  options.arguments = std::move(arguments);
  options.environment = HostEnvironment();
  options.environment.insert({{"XDG_CONFIG_HOME", At(Home(), "config")},
                              {"XDG_DATA_HOME", At(Home(), "data")},
                              {"LC_ALL", "C"},
                              {"TZ", "UTC"}});
  if (!drives.empty()) options.environment["TIDEWELL_DRIVES"] = drives;
  options.workingFolder = Base();
  return options;
}

ChildResult ConsoleSandbox::RunCli(std::vector<std::string> arguments, const std::string& drives) const {
  return RunCli(Options(std::move(arguments), drives));
}

ChildResult ConsoleSandbox::RunCli(const ChildOptions& options) const {
  if (std::string refusal = Refusal(options); !refusal.empty()) {
    ChildResult refused;
    refused.err = "the sandbox refused the run: " + refusal;
    return refused;
  }
  return RunChild(ProgramFile(), options);
}

}  // namespace tidewell::testing
