// Whole cleaning runs on a generated demo drive, for tests that change how a
// run goes about its work (threads, reading ahead) and must show that what
// the run does is the same: its log, totals, buckets and what is left.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/cleaning_run.h"
#include "tests/support/temp_drive.h"
#include "tools/demo_drive.h"

namespace tidewell::testing {

enum class DemoRunMode { Test, Destructive };
enum class DemoSelection { Default, All };

struct DemoRunOutcome {
  RunResult result = RunResult::Finished;
  std::vector<std::string> logItems;  // in the order written
  float files = 0;
  float bytes = 0;
  std::vector<std::int64_t> buckets;  // files and bytes of every category's bucket
  std::map<std::string, std::string> left;  // the drive afterwards
};

// Writes `drive` as drive C of a fresh TestWorld, lets `setup` adjust the
// world, and runs the cleaning as `mode` with `selection`.
DemoRunOutcome RunOnDemoDrive(const DemoDriveRequest& drive, DemoRunMode mode, DemoSelection selection,
                              const std::function<void(TestWorld&)>& setup);

// Checks that two outcomes agree in everything a run shows or leaves.
void ExpectSameOutcome(const DemoRunOutcome& one, const DemoRunOutcome& other);

}  // namespace tidewell::testing
