// Runs a program as a child process with its own environment and collects
// what it prints, for the end-to-end tests of the console front end.
//
// The portable part (child_process.cpp) holds what is plain text: the
// Windows command line and environment block. Starting, reading and ending
// the child is the host's: child_process_posix.cpp (fork, execve, poll) and
// child_process_win32.cpp (CreateProcessW, pipes, TerminateProcess).
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace tidewell::testing {

// The status RunChild reports for a child ended by KillChild or by its
// timeout: 128 + SIGKILL, as a POSIX shell shows it, on every host.
constexpr int kKilledExitStatus = 128 + 9;

struct ChildResult {
  int exitStatus = -1;  // the exit status, or 128 + signal when killed
  bool timedOut = false;  // the timeout ran out and the child was killed
  std::string out;
  std::string err;
};

struct ChildOptions {
  std::vector<std::string> arguments;          // without the program's name
  std::map<std::string, std::string> environment;  // the whole environment
  std::string workingFolder;                   // empty: the current one
  // Called with the child's pid and everything it has printed on stdout so
  // far, after each read; stops being called once it returns true.
  std::function<bool(int pid, const std::string& out)> onOutput;
  // Called with the child's pid as soon as it has been started.
  std::function<void(int pid)> onStart;
  int stdoutPipeSize = 0;  // bytes, when non-zero (Linux rounds up to a page)
  // Closes the reading end of stdout as soon as the child has started, as a
  // reader that goes away at once would (`| head -0`); `out` stays empty.
  bool closeStdout = false;
  // Zero: wait as long as the child runs. Otherwise the child is killed
  // once this has passed, and the result says so.
  std::chrono::milliseconds timeout{0};
};

// Runs `program` (a path, not looked up in PATH) and waits for it to end.
// On Windows the output is read as a text-mode reader reads it: the C
// runtime's CR LF line ends come back as LF, so that the same checks hold
// on both hosts.
ChildResult RunChild(const std::string& program, const ChildOptions& options);

// Ends a child started by RunChild or BackgroundChild at once, with no
// chance to clean up (SIGKILL; TerminateProcess on Windows).
void KillChild(int pid);

// The full path of a system tool (mkfs.vfat, ntfs-3g, ...) in the usual
// system folders, sbin ones included (an unprivileged PATH may lack them);
// "" when it is missing or the host has no such folders.
std::string FindSystemTool(const std::string& name);

// The command line Windows hands a program for `program` and `arguments`,
// quoted so that CommandLineToArgvW and the C runtime give back exactly
// these words: a word with a space, tab, newline or quote (or an empty one)
// is quoted, its quotes escaped, and the backslashes before a quote or the
// closing quote doubled. The program's name is quoted whole (it is parsed
// without escapes).
std::string WindowsCommandLine(const std::string& program, const std::vector<std::string>& arguments);

// The entries of a Windows environment block, in the order Windows wants
// them: "NAME=value", sorted by name without regard to case.
std::vector<std::string> WindowsEnvironmentEntries(const std::map<std::string, std::string>& environment);

}  // namespace tidewell::testing
