#include "engine/run_clock.h"

#include <chrono>

#include "platform/clock.h"

namespace tidewell {
namespace {

class WallClock final : public RunClock {
 public:
  std::tm LocalTime() const override { return platform::LocalNow(); }
  std::int64_t Seconds() const override {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
  }
};

}  // namespace

const RunClock& RunClock::Wall() {
  static const WallClock wall;
  return wall;
}

}  // namespace tidewell
