// The system's own thread, its handle closed at once. Not a std::thread
// detached as soon as it is made: under Wine such a thread of mingw-w64's
// has been seen never to run (about one in 5,000 on a loaded machine), and a
// question that never starts reads as a hung mount.
#include "platform/unjoined_thread.h"

#include <windows.h>

#include <memory>

namespace tidewell::platform {
namespace {

DWORD WINAPI RunUnjoined(void* body) {
  const std::unique_ptr<std::function<void()>> owned(static_cast<std::function<void()>*>(body));
  (*owned)();
  return 0;
}

}  // namespace

bool StartUnjoinedThread(std::function<void()> body) {
  auto owned = std::make_unique<std::function<void()>>(std::move(body));
  const HANDLE thread = CreateThread(nullptr, 0, RunUnjoined, owned.get(), 0, nullptr);
  if (thread == nullptr) return false;
  owned.release();  // the thread owns it now
  CloseHandle(thread);
  return true;
}

}  // namespace tidewell::platform
