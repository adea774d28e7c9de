// Questions with a time limit: a thread nobody joins and a shared flag.
#include "platform/mount_time_limit.h"

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#endif

namespace tidewell::platform {
namespace {

#ifdef _WIN32
DWORD WINAPI RunUnjoined(void* body) {
  const std::unique_ptr<std::function<void()>> owned(static_cast<std::function<void()>*>(body));
  (*owned)();
  return 0;
}
#endif

// Starts `body` on a thread that nobody joins; false when no thread could be
// had. On Windows the thread is the system's own, its handle closed at once:
// a std::thread detached as soon as it is made has been seen never to run
// there (mingw-w64's threads under Wine, about one question in 5,000 on a
// loaded machine), and a question that never starts reads as a hung mount.
bool StartUnjoinedThread(std::function<void()> body) {
#ifdef _WIN32
  auto owned = std::make_unique<std::function<void()>>(std::move(body));
  const HANDLE thread = CreateThread(nullptr, 0, RunUnjoined, owned.get(), 0, nullptr);
  if (thread == nullptr) return false;
  owned.release();  // the thread owns it now
  CloseHandle(thread);
  return true;
#else
  try {
    std::thread(std::move(body)).detach();
  } catch (const std::system_error&) {
    return false;
  }
  return true;
#endif
}

}  // namespace

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
