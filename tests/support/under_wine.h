// Whether this test program runs under Wine rather than on Windows: Wine's
// ntdll exports wine_get_version, Windows' does not. Cases that Wine cannot
// stand for (links, or too many process starts for its start-up cost) skip
// there with the reason. Always false off Windows.
#pragma once

#ifdef _WIN32
#include <windows.h>
#endif

namespace tidewell::testing {

inline bool UnderWine() {
#ifdef _WIN32
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
  return false;
#endif
}

}  // namespace tidewell::testing
