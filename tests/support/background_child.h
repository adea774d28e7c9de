// A child process that keeps running while a test looks at what it uses,
// killed and reaped when the object goes away. For the in-use tests: a
// program running from a drive, a program working in a folder on it, a
// process that has a file mapped.
//
// background_child_posix.cpp forks; background_child_win32.cpp starts the
// program with CreateProcessW and holds a mapping in this process (Windows
// has no fork to hold it in another one).
#pragma once

#include <string>
#include <vector>

namespace tidewell::testing {

class BackgroundChild {
 public:
  // Runs `program` with `arguments` in `workingFolder` (empty: the current
  // one). Returns once the program runs (on POSIX: has replaced the child,
  // so its /proc entries name it); Error() tells why not.
  static BackgroundChild Run(const std::string& program, const std::vector<std::string>& arguments,
                             const std::string& workingFolder = {});
  // Maps the whole file read-only and closes the descriptor (or handle):
  // the file is then in use only through the mapping. On POSIX a child
  // holds the mapping; on Windows this process does, until Stop().
  static BackgroundChild MapFile(const std::string& hostPath);

  BackgroundChild(BackgroundChild&& other) noexcept;
  BackgroundChild& operator=(BackgroundChild&&) = delete;
  ~BackgroundChild();

  // Empty while the child runs; otherwise what went wrong.
  const std::string& Error() const { return error_; }
  int Pid() const { return pid_; }
  // Kills the child and waits for it to end, or drops the mapping (the
  // destructor does it too).
  void Stop();

 private:
  BackgroundChild() = default;

  int pid_ = -1;
  void* host_ = nullptr;  // Windows: the process handle, or the mapped view
  bool mapped_ = false;    // Windows: host_ is a view of a mapped file
  std::string error_;
};

}  // namespace tidewell::testing
