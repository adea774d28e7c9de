// The wall clock, in local time.
#pragma once

#include <cstdint>
#include <ctime>

namespace tidewell::platform {

// The current local date and time.
std::tm LocalNow();

// A value that differs from call to call, for seeding random draws.
std::uint64_t ClockSeed();

}  // namespace tidewell::platform
