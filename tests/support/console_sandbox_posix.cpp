// The console sandbox on POSIX: a home of its own and a Wine prefix that
// does not exist, so that drive discovery finds nothing of the machine's.
#include "tests/support/console_sandbox.h"

#include <filesystem>

namespace tidewell::testing {

void ConsoleSandbox::CopyProgram(const std::string& from, const std::string& to) {
  std::filesystem::copy_file(from, to);
}

std::string ConsoleSandbox::ProgramFile() const { return At(Program(), "tidewell-cli"); }

std::map<std::string, std::string> ConsoleSandbox::HostEnvironment() const {
  return {{"HOME", Home()}, {"PATH", "/usr/bin:/bin"}, {"WINEPREFIX", At(Home(), "no-wine")}};
}

std::string ConsoleSandbox::Refusal(const ChildOptions&) { return {}; }

}  // namespace tidewell::testing
