// Background children on Windows: the program started with CreateProcessW
// (running once the call returns) and ended with TerminateProcess; a mapped
// file held by a view in this process, its file and section handles closed.
#include <windows.h>

#include "platform/win32/wide_text.h"
#include "tests/support/background_child.h"
#include "tests/support/child_process.h"

namespace tidewell::testing {

using platform::win32::ScopedHandle;
using platform::win32::Widen;

BackgroundChild BackgroundChild::Run(const std::string& program, const std::vector<std::string>& arguments,
                                     const std::string& workingFolder) {
  BackgroundChild child;
  std::wstring commandLine = Widen(WindowsCommandLine(program, arguments));
  const std::wstring folder = Widen(workingFolder);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(Widen(program).c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                      nullptr, folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
    child.error_ = "running " + program + ": " + platform::win32::LastError().message();
    return child;
  }
  CloseHandle(process.hThread);
  child.pid_ = static_cast<int>(process.dwProcessId);
  child.host_ = process.hProcess;
  return child;
}

BackgroundChild BackgroundChild::MapFile(const std::string& hostPath) {
  BackgroundChild child;
  ScopedHandle file(CreateFileW(Widen(hostPath).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ScopedHandle section(file.Valid() ? CreateFileMappingW(file.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr) : nullptr);
  void* view = section.Valid() ? MapViewOfFile(section.Get(), FILE_MAP_READ, 0, 0, 0) : nullptr;
  if (view == nullptr) {
    child.error_ = "mapping " + hostPath + ": " + platform::win32::LastError().message();
    return child;
  }
  // The handles close here: from now on only the view holds the file.
  child.pid_ = static_cast<int>(GetCurrentProcessId());
  child.host_ = view;
  child.mapped_ = true;
  return child;
}

BackgroundChild::BackgroundChild(BackgroundChild&& other) noexcept
    : pid_(other.pid_), host_(other.host_), mapped_(other.mapped_), error_(std::move(other.error_)) {
  other.pid_ = -1;
  other.host_ = nullptr;
}

BackgroundChild::~BackgroundChild() { Stop(); }

void BackgroundChild::Stop() {
  if (host_ == nullptr) return;
  if (mapped_) {
    UnmapViewOfFile(host_);
  } else {
    TerminateProcess(host_, kKilledExitStatus);
    WaitForSingleObject(host_, INFINITE);
    CloseHandle(host_);
  }
  host_ = nullptr;
  pid_ = -1;
}

}  // namespace tidewell::testing
