#include "platform/clock.h"

#include <time.h>

#include <atomic>

namespace tidewell::platform {
namespace {

std::uint64_t Nanoseconds(clockid_t clock) {
  timespec now{};
  if (clock_gettime(clock, &now) != 0) return 0;
  return static_cast<std::uint64_t>(now.tv_sec) * 1'000'000'000u +
         static_cast<std::uint64_t>(now.tv_nsec);
}

// A 64-bit finaliser: every input bit affects every output bit, so two
// readings a nanosecond apart give unrelated seeds.
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
  if (localtime_r(&now, &local) == nullptr) gmtime_r(&now, &local);
  return local;
}

std::uint64_t ClockSeed() {
  // Two calls within one clock tick still differ through the call counter.
  static std::atomic<std::uint64_t> calls{0};
  const std::uint64_t call = calls.fetch_add(1, std::memory_order_relaxed);
  return Mix(Nanoseconds(CLOCK_REALTIME) ^ Mix(Nanoseconds(CLOCK_MONOTONIC) + call));
}

}  // namespace tidewell::platform
