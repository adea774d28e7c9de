// Child processes on POSIX: fork and execve, the output read with poll, a
// timeout or KillChild ending the child with SIGKILL.
#include "tests/support/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace tidewell::testing {

ChildResult RunChild(const std::string& program, const ChildOptions& options) {
  ChildResult result;
  int outPipe[2];
  int errPipe[2];
  if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) return result;
  if (options.stdoutPipeSize > 0) fcntl(outPipe[1], F_SETPIPE_SZ, options.stdoutPipeSize);

  std::vector<std::string> environment;
  for (const auto& [name, value] : options.environment) environment.push_back(name + "=" + value);
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& argument : options.arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (std::string& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);

  const pid_t pid = fork();
  if (pid == 0) {
    const int devNull = open("/dev/null", O_RDONLY);
    dup2(devNull, 0);
    dup2(outPipe[1], 1);
    dup2(errPipe[1], 2);
    if (!options.workingFolder.empty() && chdir(options.workingFolder.c_str()) != 0) _exit(126);
    execve(program.c_str(), argv.data(), envp.data());
    _exit(127);
  }
  close(outPipe[1]);
  close(errPipe[1]);
  if (options.onStart) options.onStart(pid);
  if (options.closeStdout) {
    close(outPipe[0]);
    outPipe[0] = -1;
  }

  bool watching = static_cast<bool>(options.onOutput);
  pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
  int open = outPipe[0] < 0 ? 1 : 2;
  const auto deadline = std::chrono::steady_clock::now() + options.timeout;
  while (open > 0) {
    int wait = -1;
    if (options.timeout.count() > 0) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) {
        // Killed: its pipes close, the loop reads what is left and ends.
        if (!result.timedOut) kill(pid, SIGKILL);
        result.timedOut = true;
      } else {
        wait = static_cast<int>(left.count());
      }
    }
    const int ready = poll(fds, 2, wait);
    if (ready < 0) break;
    if (ready == 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
      if (got <= 0) {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
        continue;
      }
      (i == 0 ? result.out : result.err).append(buffer, static_cast<std::size_t>(got));
      if (i == 0 && watching && options.onOutput(pid, result.out)) watching = false;
    }
  }
  int status = 0;
  waitpid(pid, &status, 0);
  result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

void KillChild(int pid) { kill(pid, SIGKILL); }

std::string FindSystemTool(const std::string& name) {
  for (const char* folder : {"/usr/sbin/", "/sbin/", "/usr/bin/", "/bin/"}) {
    const std::string path = folder + name;
    if (access(path.c_str(), X_OK) == 0) return path;
  }
  return {};
}

}  // namespace tidewell::testing
