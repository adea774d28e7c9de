// A run clock a test sets (RunConfig::clock): a fixed local time, so that the
// report and the log read the same on every run, and for the age limit the
// wall clock's moment unless the test fixes that too.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>

#include "engine/run_clock.h"

namespace tidewell::testing {

class TestClock final : public RunClock {
 public:
  std::tm LocalTime() const override { return local; }
  std::int64_t Seconds() const override { return seconds ? *seconds : RunClock::Wall().Seconds(); }

  std::tm local = [] {  // Monday 7 December 2026, 06:38:31
    std::tm when{};
    when.tm_year = 2026 - 1900;
    when.tm_mon = 11;
    when.tm_mday = 7;
    when.tm_wday = 1;
    when.tm_hour = 6;
    when.tm_min = 38;
    when.tm_sec = 31;
    return when;
  }();
  std::optional<std::int64_t> seconds;  // none: the wall clock's
};

}  // namespace tidewell::testing
