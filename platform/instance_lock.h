// The previous-instance test: one copy of the program per user at a time.
// The first copy holds an exclusive lock on a file for as long as it runs;
// the system drops the lock when the process ends, however it ends.
//
// The lock file lives in a folder only the user can write, so no other user
// can hold it (or put a link or a FIFO in its place) and keep every start
// from running. On POSIX: $XDG_RUNTIME_DIR when that is a folder owned by the user
// that no one else can write, else ${XDG_STATE_HOME:-~/.local/state}/Tidewell,
// created with mode 0700 and used only when it is a folder (not a link)
// owned by the user that no one else can write. Never the shared /tmp.
#pragma once

#include <memory>
#include <string>

namespace tidewell::platform {

class InstanceLock {
 public:
  InstanceLock();
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // ${XDG_RUNTIME_DIR}/Tidewell.lock, else <state folder>/Tidewell/Tidewell.lock
  // (see above; the folder is created here). Empty when neither is usable.
  static std::string DefaultPath();

  // True when this process now holds the lock; false when another copy
  // (another process) holds it. The file is opened without following a link
  // and without waiting. A lock file that cannot be made at all (or an empty path) does
  // not stop the program (true): better a second copy than none.
  bool Acquire(const std::string& path);

 private:
  struct Held;  // the open, locked file, per platform
  std::unique_ptr<Held> held_;
};

}  // namespace tidewell::platform
