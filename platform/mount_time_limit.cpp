// Questions with a time limit: a thread nobody joins and a shared flag.
#include "platform/mount_time_limit.h"

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>

#include "platform/unjoined_thread.h"

namespace tidewell::platform {

std::chrono::milliseconds MountTimeLimit() {
  constexpr std::chrono::milliseconds kDefault{30000};
  const char* text = std::getenv("TIDEWELL_MOUNT_TIMEOUT");
  if (text == nullptr || *text == '\0') return kDefault;
  char* end = nullptr;
  const double seconds = std::strtod(text, &end);
  // Not a number, not positive, or beyond a day: the default.
  if (end == text || *end != '\0' || !(seconds > 0.0) || seconds > 86400.0) return kDefault;
  return std::chrono::milliseconds(std::max<long long>(1, static_cast<long long>(seconds * 1000.0)));
}

bool AnswersWithin(std::chrono::milliseconds limit, std::function<void()> question) {
  // Shared with the thread, which may outlive this call.
  struct Shared {
    std::mutex mutex;
    std::condition_variable answered;
    bool done = false;
  };
  auto shared = std::make_shared<Shared>();
  const bool started = StartUnjoinedThread([shared, question = std::move(question)] {
    question();
    const std::lock_guard lock(shared->mutex);
    shared->done = true;
    shared->answered.notify_all();
  });
  if (!started) return false;  // no thread to be had: nothing was asked
  std::unique_lock lock(shared->mutex);
  return shared->answered.wait_for(lock, limit, [&] { return shared->done; });
}

}  // namespace tidewell::platform
