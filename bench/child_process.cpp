#include "bench/child_process.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string_view>

extern char** environ;

namespace tidewell::bench {

Sample Run(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
           const std::string& output) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  // posix_spawn starts the child without a copy of this process's memory,
  // so its peak resident set is its own.
  std::vector<std::string> childEnvironment = environment;
  for (char** e = environ; *e != nullptr; ++e) childEnvironment.emplace_back(*e);
  std::vector<char*> envp;
  for (std::string& e : childEnvironment) envp.push_back(e.data());
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = -1;
  const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return Sample{0, 0, 127};
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  Sample sample;
  sample.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  sample.maxRssKb = usage.ru_maxrss;
  sample.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return sample;
}

void Quiet(const std::vector<std::string>& argv) { Run(argv, {}); }

std::string FindOnPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string_view rest = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
  while (true) {
    const std::size_t colon = rest.find(':');
    const std::string_view folder = rest.substr(0, colon);
    const std::string candidate = std::string(folder.empty() ? "." : folder) + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    if (colon == std::string_view::npos) return "";
    rest.remove_prefix(colon + 1);
  }
}

}  // namespace tidewell::bench
