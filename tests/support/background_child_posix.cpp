// Background children on POSIX: fork, then exec or map in the child; a
// close-on-exec pipe tells the parent when the child is ready.
#include "tests/support/background_child.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>

namespace tidewell::testing {
namespace {

// The child's report on a close-on-exec pipe: nothing before the pipe closes
// means the exec (or the setup) went through; otherwise an errno value.
void Report(int fd, int error) {
  const ssize_t written = write(fd, &error, sizeof error);
  (void)written;
}

struct Started {
  int pid = -1;
  std::string error;
};

// Forks a child that runs `body` with the write end of a close-on-exec
// pipe, and waits until the child is ready: the pipe closes with nothing
// written (an exec went through) or with 0; an errno value written there
// is the failure of `what`. `body` never returns.
Started Start(const std::function<void(int reportFd)>& body, const std::string& what) {
  Started child;
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) {
    child.error = "pipe: " + std::string(std::strerror(errno));
    return child;
  }
  child.pid = fork();
  if (child.pid == 0) {
    close(pipeFds[0]);
    body(pipeFds[1]);
    _exit(127);
  }
  close(pipeFds[1]);
  int error = 0;
  const ssize_t got = child.pid < 0 ? -1 : read(pipeFds[0], &error, sizeof error);
  close(pipeFds[0]);
  if (child.pid < 0) {
    child.error = "fork: " + std::string(std::strerror(errno));
  } else if (got != 0 && (got != sizeof error || error != 0)) {
    child.error = what + ": " + std::strerror(got == sizeof error ? error : EIO);
  }
  return child;
}

}  // namespace

BackgroundChild BackgroundChild::Run(const std::string& program, const std::vector<std::string>& arguments,
                                     const std::string& workingFolder) {
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  const Started started = Start(
      [&](int reportFd) {
        if (!workingFolder.empty() && chdir(workingFolder.c_str()) != 0) {
          Report(reportFd, errno);
          _exit(126);
        }
        execv(program.c_str(), argv.data());
        Report(reportFd, errno);
        _exit(127);
      },
      "running " + program);
  BackgroundChild child;
  child.pid_ = started.pid;
  child.error_ = started.error;
  if (!child.error_.empty()) child.Stop();
  return child;
}

BackgroundChild BackgroundChild::MapFile(const std::string& hostPath) {
  const Started started = Start(
      [&](int reportFd) {
        const int fd = open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat st {};
        void* mapped = fd < 0 || fstat(fd, &st) != 0
                           ? MAP_FAILED
                           : mmap(nullptr, st.st_size > 0 ? st.st_size : 1, PROT_READ, MAP_SHARED, fd, 0);
        const int error = mapped == MAP_FAILED ? (errno != 0 ? errno : EINVAL) : 0;
        // Closed before the report: from then on only the mapping holds it.
        if (fd >= 0) close(fd);
        Report(reportFd, error);
        close(reportFd);
        for (;;) pause();
      },
      "mapping " + hostPath);
  BackgroundChild child;
  child.pid_ = started.pid;
  child.error_ = started.error;
  if (!child.error_.empty()) child.Stop();
  return child;
}

BackgroundChild::BackgroundChild(BackgroundChild&& other) noexcept
    : pid_(other.pid_), host_(other.host_), mapped_(other.mapped_), error_(std::move(other.error_)) {
  other.pid_ = -1;
  other.host_ = nullptr;
}

BackgroundChild::~BackgroundChild() { Stop(); }

void BackgroundChild::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
}

}  // namespace tidewell::testing
