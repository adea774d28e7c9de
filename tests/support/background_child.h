// A child process that keeps running while a test looks at what it uses,
// killed and reaped when the object goes away. For the in-use tests: a
// program running from a drive, a program working in a folder on it, a
// process that has a file mapped.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tidewell::testing {

class BackgroundChild {
 public:
  // Runs `program` with `arguments` in `workingFolder` (empty: the current
  // one). Returns once the program has replaced the child, so its /proc
  // entries (exe, cwd, maps) already name it; Error() tells why not.
  static BackgroundChild Run(const std::string& program, const std::vector<std::string>& arguments,
                             const std::string& workingFolder = {});
  // Maps the whole file read-only, closes the descriptor and waits: the
  // file is then in use only through the mapping.
  static BackgroundChild MapFile(const std::string& hostPath);

  BackgroundChild(BackgroundChild&& other) noexcept;
  BackgroundChild& operator=(BackgroundChild&&) = delete;
  ~BackgroundChild();

  // Empty while the child runs; otherwise what went wrong.
  const std::string& Error() const { return error_; }
  int Pid() const { return pid_; }
  // Kills the child and waits for it to end (the destructor does it too).
  void Stop();

 private:
  BackgroundChild() = default;
  // Forks a child that runs `body` with the write end of a close-on-exec
  // pipe, and waits until the child is ready: the pipe closes with nothing
  // written (an exec went through) or with 0; an errno value written there
  // is the failure of `what`. `body` never returns.
  static BackgroundChild Start(const std::function<void(int reportFd)>& body, const std::string& what);

  int pid_ = -1;
  std::string error_;
};

}  // namespace tidewell::testing
