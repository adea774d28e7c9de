// The local time on Windows: localtime_s, UTC when the zone cannot be read.
#include "platform/clock.h"

namespace tidewell::platform {

std::tm LocalNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_s(&local, &now) != 0) gmtime_s(&local, &now);
  return local;
}

}  // namespace tidewell::platform
