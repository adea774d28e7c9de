// Child processes on Windows: CreateProcessW with a quoted wide command line
// and a Unicode environment block, stdin on NUL, stdout and stderr on pipes
// read by one thread each, the exit code from GetExitCodeProcess, a timeout
// or KillChild ending the child with TerminateProcess.
#include <windows.h>

#include <thread>

#include "platform/win32/wide_text.h"
#include "tests/support/child_process.h"

namespace tidewell::testing {
namespace {

using platform::win32::ScopedHandle;
using platform::win32::Widen;

// A pipe whose reading end stays here and whose writing end the child
// inherits.
bool MakePipe(ScopedHandle& reading, ScopedHandle& writing, DWORD size) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE r = nullptr;
  HANDLE w = nullptr;
  if (!CreatePipe(&r, &w, &inherit, size)) return false;
  reading.Reset(r);
  writing.Reset(w);
  return SetHandleInformation(r, HANDLE_FLAG_INHERIT, 0) != 0;
}

// Reads until the child's end closes; `onRead` sees the text so far.
void ReadAll(HANDLE pipe, std::string& text, const std::function<void()>& onRead) {
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0) {
    text.append(buffer, got);
    if (onRead) onRead();
  }
}

// The C runtime's text mode writes "\n" as CR LF; a text-mode reader sees LF.
std::string WithoutCarriageReturns(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  return out;
}

}  // namespace

ChildResult RunChild(const std::string& program, const ChildOptions& options) {
  ChildResult result;
  ScopedHandle outRead, outWrite, errRead, errWrite;
  const DWORD outSize = options.stdoutPipeSize > 0 ? static_cast<DWORD>(options.stdoutPipeSize) : 0;
  if (!MakePipe(outRead, outWrite, outSize) || !MakePipe(errRead, errWrite, 0)) return result;
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  ScopedHandle nul(CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                               nullptr));

  std::wstring commandLine = Widen(WindowsCommandLine(program, options.arguments));
  std::wstring environment;
  for (const std::string& entry : WindowsEnvironmentEntries(options.environment)) {
    environment += Widen(entry);
    environment += L'\0';
  }
  environment += L'\0';
  const std::wstring folder = Widen(options.workingFolder);

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nul.Get();
  startup.hStdOutput = outWrite.Get();
  startup.hStdError = errWrite.Get();
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(Widen(program).c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                      CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW, environment.data(),
                      folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
    result.err = "CreateProcessW failed: " + platform::win32::LastError().message();
    return result;
  }
  ScopedHandle processHandle(process.hProcess);
  CloseHandle(process.hThread);
  // Only the child holds the writing ends now: its exit closes the pipes.
  outWrite.Reset();
  errWrite.Reset();
  nul.Reset();
  const int pid = static_cast<int>(process.dwProcessId);
  if (options.onStart) options.onStart(pid);
  if (options.closeStdout) outRead.Reset();

  std::thread errReader([&] { ReadAll(errRead.Get(), result.err, {}); });
  std::thread outReader;
  if (outRead.Valid()) {
    bool watching = static_cast<bool>(options.onOutput);
    outReader = std::thread([&, watching]() mutable {
      ReadAll(outRead.Get(), result.out, [&] {
        if (watching && options.onOutput(pid, WithoutCarriageReturns(result.out))) watching = false;
      });
    });
  }
  const DWORD wait = options.timeout.count() > 0 ? static_cast<DWORD>(options.timeout.count()) : INFINITE;
  if (WaitForSingleObject(processHandle.Get(), wait) == WAIT_TIMEOUT) {
    TerminateProcess(processHandle.Get(), kKilledExitStatus);
    result.timedOut = true;
    WaitForSingleObject(processHandle.Get(), INFINITE);
  }
  errReader.join();
  if (outReader.joinable()) outReader.join();
  DWORD code = 0;
  GetExitCodeProcess(processHandle.Get(), &code);
  result.exitStatus = static_cast<int>(code);
  result.out = WithoutCarriageReturns(result.out);
  result.err = WithoutCarriageReturns(result.err);
  return result;
}

void KillChild(int pid) {
  ScopedHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(pid)));
  if (process.Valid()) TerminateProcess(process.Get(), kKilledExitStatus);
}

// Windows has no system folders of POSIX tools.
std::string FindSystemTool(const std::string&) { return {}; }

}  // namespace tidewell::testing
