// A FUSE file system that never answers anything, for tests of what the
// program does when a mount hangs.
//
// A child process opens /dev/fuse, mounts it on a folder of the test's
// temporary folder and never reads a request: every call that reaches the
// mounted file system (a stat of its root, an open, a listing) waits until
// the file system ends. It ends when End() is called, when the object goes
// away, or when the test process ends in any way (a crash or SIGKILL
// included): the child waits for the end of a pipe whose other end only the
// test process holds, then closes /dev/fuse, which fails every call still
// waiting, and detaches the mount (umount -l), so no hung mount stays behind.
// Mounting needs root and /dev/fuse; Unavailable() says why not otherwise.
#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace tidewell::testing {

class HungMount {
 public:
  // Mounts on `folder`, an existing empty folder.
  explicit HungMount(std::string folder);
  ~HungMount();
  HungMount(const HungMount&) = delete;
  HungMount& operator=(const HungMount&) = delete;

  // Why the file system could not be mounted; empty when it is.
  const std::string& Unavailable() const { return unavailable_; }

  // Ends the file system: every call waiting for it fails, and the folder
  // is a plain folder again. Waits (at most a few seconds) for the child.
  void End();

 private:
  std::string folder_;
  std::string unavailable_;
  int child_ = -1;
  int lifeline_ = -1;  // the test's end of the pipe the child waits on
};

// Runs `body` on a thread of its own and waits up to `limit` for it. When it
// is not done by then (it waits for `mount`), the mount is ended, which
// fails whatever call it waits in, and the thread is joined: false. A
// regression then fails the test instead of hanging it.
bool FinishesWithin(std::chrono::milliseconds limit, HungMount& mount, const std::function<void()>& body);

}  // namespace tidewell::testing
