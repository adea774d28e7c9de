// Starting the programs the bench times: one child at a time, with extra
// environment, its output sent to a file, and its wall time, peak resident
// memory and exit status measured.
#pragma once

#include <string>
#include <vector>

namespace tidewell::bench {

struct Sample {
  double seconds = 0;
  long maxRssKb = 0;
  int status = 0;  // the exit status, 128 + signal when killed, 127 when it could not start
};

// Runs argv[0] (looked up on PATH when it has no slash) with `environment`
// added in front of this process's own, stdout to `output` (created or
// truncated), stderr to /dev/null, and waits for it.
Sample Run(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
           const std::string& output = "/dev/null");

// Runs a command for its effect alone (copying, warming a tree).
void Quiet(const std::vector<std::string>& argv);

// The full path of an executable `name` on PATH, or "" when there is none.
std::string FindOnPath(const std::string& name);

}  // namespace tidewell::bench
