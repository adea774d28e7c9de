// How many descriptors (handles on Windows) this process has open now: for
// tests that check that what a step opened was closed again.
#pragma once

#include <cstddef>

#ifdef _WIN32
#include <windows.h>
#else
#include <filesystem>
#include <iterator>
#endif

namespace tidewell::testing {

inline std::ptrdiff_t OpenDescriptors() {
#ifdef _WIN32
  DWORD handles = 0;
  GetProcessHandleCount(GetCurrentProcess(), &handles);
  return static_cast<std::ptrdiff_t>(handles);
#else
  return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
#endif
}

}  // namespace tidewell::testing
