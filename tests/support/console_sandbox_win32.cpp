// The console sandbox on Windows: the profile folders (USERPROFILE, APPDATA,
// LOCALAPPDATA, TEMP) inside the sandbox's home, and the system folder a
// Windows process needs to start its libraries. Drive discovery reads the
// machine's real drive letters, so a run with no TIDEWELL_DRIVES could act
// on them: the sandbox refuses it.
#include <windows.h>

#include "platform/win32/wide_text.h"
#include "tests/support/console_sandbox.h"

#include <stdexcept>

namespace tidewell::testing {

// A program Wine starts from a folder on no drive learns its own path as
// "unix\var\...", which names nothing; "\\?\unix\var\..." names the file.
void ConsoleSandbox::CopyProgram(const std::string& from, const std::string& to) {
  const std::string source = from.starts_with("unix\\") ? "\\\\?\\" + from : from;
  if (!CopyFileW(platform::win32::Widen(source).c_str(), platform::win32::Widen(to).c_str(), TRUE)) {
    throw std::runtime_error("cannot copy " + from + " to " + to + ": " + platform::win32::LastError().message());
  }
}

std::string ConsoleSandbox::ProgramFile() const { return At(Program(), "tidewell-cli.exe"); }

std::map<std::string, std::string> ConsoleSandbox::HostEnvironment() const {
  wchar_t system[MAX_PATH + 1] = L"";
  const UINT length = GetSystemWindowsDirectoryW(system, MAX_PATH + 1);
  const std::string windows = platform::win32::Narrow(std::wstring_view(system, length <= MAX_PATH ? length : 0));
  return {{"USERPROFILE", Home()},
          {"APPDATA", At(Home(), "AppData/Roaming")},
          {"LOCALAPPDATA", At(Home(), "AppData/Local")},
          {"TEMP", At(Home(), "AppData/Local/Temp")},
          {"TMP", At(Home(), "AppData/Local/Temp")},
          {"SystemRoot", windows},
          {"windir", windows},
          {"PATH", At(windows, "system32") + ";" + windows}};
}

std::string ConsoleSandbox::Refusal(const ChildOptions& options) {
  const auto drives = options.environment.find("TIDEWELL_DRIVES");
  if (drives == options.environment.end() || drives->second.empty()) {
    return "no TIDEWELL_DRIVES: the run would find this machine's own drives";
  }
  return {};
}

}  // namespace tidewell::testing
