// A detached std::thread.
#include "platform/unjoined_thread.h"

#include <system_error>
#include <thread>

namespace tidewell::platform {

bool StartUnjoinedThread(std::function<void()> body) {
  try {
    std::thread(std::move(body)).detach();
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

}  // namespace tidewell::platform
