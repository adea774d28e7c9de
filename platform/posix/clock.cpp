// The local time on POSIX: localtime_r, UTC when the zone cannot be read.
#include "platform/clock.h"

#include <time.h>

namespace tidewell::platform {

std::tm LocalNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr) gmtime_r(&now, &local);
  return local;
}

}  // namespace tidewell::platform
