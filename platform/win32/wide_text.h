// UTF-8 inside the program, UTF-16 at every Windows call: the two
// conversions, and a Windows error code turned into a portable one.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <system_error>

namespace tidewell::platform::win32 {

// UTF-8 to UTF-16; invalid sequences become U+FFFD.
std::wstring Widen(std::string_view text);

// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string Narrow(std::wstring_view text);

// A Windows error (GetLastError) as the nearest std::errc, so that callers
// compare against portable codes; errors without one keep the system category.
std::error_code FromWindowsError(DWORD error);
inline std::error_code LastError() { return FromWindowsError(GetLastError()); }

// Owns a HANDLE and closes it; INVALID_HANDLE_VALUE or null means none.
class ScopedHandle {
 public:
  ScopedHandle() = default;
  explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
  ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.Release()) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ~ScopedHandle() { Reset(); }

  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE Get() const { return handle_; }
  HANDLE Release() {
    HANDLE h = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return h;
  }
  void Reset(HANDLE handle = INVALID_HANDLE_VALUE) {
    if (Valid()) CloseHandle(handle_);
    handle_ = handle;
  }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

}  // namespace tidewell::platform::win32
