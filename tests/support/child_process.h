// Runs a program as a child process with its own environment and collects
// what it prints, for the end-to-end tests of the console front end.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace tidewell::testing {

struct ChildResult {
  int exitStatus = -1;  // the exit status, or 128 + signal when killed
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
};

ChildResult RunChild(const std::string& program, const ChildOptions& options);

// The full path of a system tool (mkfs.vfat, ntfs-3g, ...) in the usual
// system folders, sbin ones included (an unprivileged PATH may lack them);
// "" when it is missing.
std::string FindSystemTool(const std::string& name);

}  // namespace tidewell::testing
