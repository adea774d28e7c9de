// The previous-instance test: one copy of the program per user at a time.
// The first copy holds an exclusive lock on a file in $XDG_RUNTIME_DIR
// (else the temporary folder) for as long as it runs; the system drops the
// lock when the process ends, however it ends.
#pragma once

#include <string>

namespace tidewell::ui {

class InstanceLock {
 public:
  InstanceLock() = default;
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // ${XDG_RUNTIME_DIR}/Tidewell.lock, else /tmp/Tidewell-<uid>.lock.
  static std::string DefaultPath();

  // True when this process now holds the lock; false when another copy
  // holds it. A lock file that cannot be made at all does not stop the
  // program (true): better a second copy than none.
  bool Acquire(const std::string& path);

 private:
  int fd_ = -1;
};

}  // namespace tidewell::ui
