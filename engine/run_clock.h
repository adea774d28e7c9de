// The one clock a run reads: the local date and time its report and log are
// dated with, and the moment its age limit measures from. Both come from the
// same object, injected with the run's configuration (RunConfig::clock), so
// a test that sets the time sets it for everything the run dates or judges.
#pragma once

#include <cstdint>
#include <ctime>

namespace tidewell {

class RunClock {
 public:
  // The current local date and time.
  virtual std::tm LocalTime() const = 0;
  // The current moment in whole seconds since 1970-01-01 UTC.
  virtual std::int64_t Seconds() const = 0;

  // The machine's wall clock, the default of every run.
  static const RunClock& Wall();

 protected:
  RunClock() = default;
  RunClock(const RunClock&) = default;
  RunClock& operator=(const RunClock&) = default;
  ~RunClock() = default;
};

}  // namespace tidewell
