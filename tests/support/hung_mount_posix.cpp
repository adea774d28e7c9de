// The never-answering FUSE file system: mount(2) of /dev/fuse by a child
// that reads no request, not even the first (the kernel's INIT), so every
// call into it waits.
#include "tests/support/hung_mount.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

namespace tidewell::testing {
namespace {

// Appends the decimal digits of `value` (not negative) after `at`; no
// allocation, as the child of a threaded process may not allocate.
char* AppendNumber(char* at, int value) {
  char digits[16];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value > 0);
  while (count > 0) *at++ = digits[--count];
  *at = '\0';
  return at;
}

// The child: mounts, reports 0 or an errno value on `report`, waits for the
// end of `life`, then ends the file system.
[[noreturn]] void RunChild(const char* folder, int report, int life) {
  const int fuse = open("/dev/fuse", O_RDWR | O_CLOEXEC);
  int error = 0;
  if (fuse < 0) {
    error = errno;
  } else {
    char options[96] = "fd=";
    char* at = AppendNumber(options + 3, fuse);
    const char rest[] = ",rootmode=40000,user_id=0,group_id=0";
    std::memcpy(at, rest, sizeof rest);
    if (mount("tidewell-hung", folder, "fuse.tidewell-hung", MS_NOSUID | MS_NODEV, options) != 0) error = errno;
  }
  if (write(report, &error, sizeof error) != sizeof error || error != 0) _exit(1);
  close(report);
  char byte = 0;
  while (read(life, &byte, 1) != 0 && errno == EINTR) {
  }
  close(fuse);  // every waiting call fails from here on
  umount2(folder, MNT_DETACH);
  _exit(0);
}

}  // namespace

HungMount::HungMount(std::string folder) : folder_(std::move(folder)) {
  if (geteuid() != 0) {
    unavailable_ = "mounting a FUSE file system here needs root";
    return;
  }
  if (access("/dev/fuse", R_OK | W_OK) != 0) {
    unavailable_ = "no usable /dev/fuse (" + std::string(std::strerror(errno)) + ")";
    return;
  }
  int report[2];
  int life[2];
  if (pipe2(report, O_CLOEXEC) != 0) {
    unavailable_ = "pipe failed";
    return;
  }
  if (pipe2(life, O_CLOEXEC) != 0) {
    close(report[0]);
    close(report[1]);
    unavailable_ = "pipe failed";
    return;
  }
  const pid_t pid = fork();
  if (pid == 0) {
    close(report[0]);
    close(life[1]);
    RunChild(folder_.c_str(), report[1], life[0]);
  }
  close(report[1]);
  close(life[0]);
  if (pid < 0) {
    close(report[0]);
    close(life[1]);
    unavailable_ = "fork failed";
    return;
  }
  child_ = pid;
  lifeline_ = life[1];
  int error = -1;
  pollfd ready{report[0], POLLIN, 0};
  if (poll(&ready, 1, 10000) == 1 && read(report[0], &error, sizeof error) == sizeof error && error == 0) {
    close(report[0]);
    return;
  }
  close(report[0]);
  unavailable_ = error > 0 ? "mounting a FUSE file system failed: " + std::string(std::strerror(error))
                           : "the mounting child did not report";
  End();
}

HungMount::~HungMount() { End(); }

void HungMount::End() {
  if (lifeline_ >= 0) {
    close(lifeline_);
    lifeline_ = -1;
  }
  if (child_ <= 0) return;
  // Bounded: the child only closes a descriptor and detaches a mount.
  for (int waited = 0; waited < 500; ++waited) {
    if (waitpid(child_, nullptr, WNOHANG) == child_) {
      child_ = -1;
      return;
    }
    usleep(10000);
  }
  kill(child_, SIGKILL);
  waitpid(child_, nullptr, 0);
  child_ = -1;
  umount2(folder_.c_str(), MNT_DETACH);
}

bool FinishesWithin(std::chrono::milliseconds limit, HungMount& mount, const std::function<void()>& body) {
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  std::thread worker([&] {
    body();
    const std::lock_guard lock(mutex);
    done = true;
    finished.notify_all();
  });
  bool inTime = false;
  {
    std::unique_lock lock(mutex);
    inTime = finished.wait_for(lock, limit, [&] { return done; });
  }
  if (!inTime) mount.End();
  worker.join();
  return inTime;
}

}  // namespace tidewell::testing
