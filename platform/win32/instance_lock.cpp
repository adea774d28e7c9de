// The previous-instance test on Windows: a file opened with no sharing in
// the user's local application-data folder, which only the user can write.
// The system closes the handle, and so frees the file, when the process ends.
#include "platform/instance_lock.h"

#include <windows.h>

#include "platform/host_paths.h"
#include "platform/process_facts.h"
#include "platform/win32/wide_text.h"

namespace tidewell::platform {

struct InstanceLock::Held {
  win32::ScopedHandle file;
};

InstanceLock::InstanceLock() = default;
InstanceLock::~InstanceLock() = default;

std::string InstanceLock::DefaultPath() {
  const std::string base = UserBaseFolder("XDG_STATE_HOME", ".local/state");
  if (base.empty()) return {};
  const std::string folder = JoinHostPath(base, "Tidewell");
  if (CreatePrivateFolders(folder)) return {};
  return JoinHostPath(folder, "Tidewell.lock");
}

bool InstanceLock::Acquire(const std::string& path) {
  if (path.empty()) return true;
  win32::ScopedHandle file(CreateFileW(win32::Widen(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file.Valid()) {
    // Another copy holds it open; any other failure does not stop the program.
    return GetLastError() != ERROR_SHARING_VIOLATION;
  }
  held_ = std::make_unique<Held>();
  held_->file = std::move(file);
  return true;
}

}  // namespace tidewell::platform
