// The wall clock on Windows: localtime_s, and the performance counter mixed
// with the system time for seeds.
#include "platform/clock.h"

#include <windows.h>

#include <atomic>

namespace tidewell::platform {
namespace {

// A 64-bit finaliser: every input bit affects every output bit, so two
// readings a tick apart give unrelated seeds.
std::uint64_t Mix(std::uint64_t value) {
  value ^= value >> 30;
  value *= 0xBF58476D1CE4E5B9u;
  value ^= value >> 27;
  value *= 0x94D049BB133111EBu;
  value ^= value >> 31;
  return value;
}

}  // namespace

std::tm LocalNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_s(&local, &now) != 0) gmtime_s(&local, &now);
  return local;
}

std::uint64_t ClockSeed() {
  static std::atomic<std::uint64_t> calls{0};
  const std::uint64_t call = calls.fetch_add(1, std::memory_order_relaxed);
  FILETIME wall{};
  GetSystemTimePreciseAsFileTime(&wall);
  LARGE_INTEGER ticks{};
  QueryPerformanceCounter(&ticks);
  const std::uint64_t wallTime = (std::uint64_t{wall.dwHighDateTime} << 32) | wall.dwLowDateTime;
  return Mix(wallTime ^ Mix(static_cast<std::uint64_t>(ticks.QuadPart) + call));
}

}  // namespace tidewell::platform
