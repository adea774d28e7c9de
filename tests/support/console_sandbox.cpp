#include "tests/support/console_sandbox.h"

#include <filesystem>
#include <utility>

namespace tidewell::testing {

ConsoleSandbox::ConsoleSandbox(const std::string& cliPath) {
  std::filesystem::create_directories(Program());
  std::filesystem::copy_file(cliPath, Program() + "/tidewell-cli");
  std::filesystem::create_directories(Home());
}

ChildOptions ConsoleSandbox::Options(std::vector<std::string> arguments, const std::string& drives) const {
  ChildOptions options;
  options.arguments = std::move(arguments);
  options.environment = {{"HOME", Home()},
                         {"XDG_CONFIG_HOME", Home() + "/config"},
                         {"XDG_DATA_HOME", Home() + "/data"},
                         {"LC_ALL", "C"},
                         {"TZ", "UTC"},
                         {"PATH", "/usr/bin:/bin"},
                         {"WINEPREFIX", Home() + "/no-wine"}};
  if (!drives.empty()) options.environment["TIDEWELL_DRIVES"] = drives;
  options.workingFolder = Base();
  return options;
}

ChildResult ConsoleSandbox::RunCli(std::vector<std::string> arguments, const std::string& drives) const {
  return RunCli(Options(std::move(arguments), drives));
}

ChildResult ConsoleSandbox::RunCli(const ChildOptions& options) const {
  return RunChild(Program() + "/tidewell-cli", options);
}

}  // namespace tidewell::testing
