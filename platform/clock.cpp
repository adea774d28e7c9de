// Seeds from the clocks, the same on every host: the standard library reads
// the system's wall clock and its steady counter.
#include "platform/clock.h"

#include <atomic>
#include <chrono>

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

template <typename Clock>
std::uint64_t Ticks() {
  return static_cast<std::uint64_t>(Clock::now().time_since_epoch().count());
}

}  // namespace

std::uint64_t ClockSeed() {
  // Two calls within one clock tick still differ through the call counter.
  static std::atomic<std::uint64_t> calls{0};
  const std::uint64_t call = calls.fetch_add(1, std::memory_order_relaxed);
  return Mix(Ticks<std::chrono::system_clock>() ^ Mix(Ticks<std::chrono::steady_clock>() + call));
}

}  // namespace tidewell::platform
