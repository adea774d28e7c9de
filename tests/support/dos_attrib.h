// A file's Windows attributes as the tests set and read them on host paths.
// On POSIX that is Wine's record of them, the user.DOSATTRIB extended
// attribute; on Windows it is the file system's own attributes, set with
// SetFileAttributesW, written as the same hex text ("0x22").
#pragma once

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#else
#include <sys/xattr.h>

#include <cerrno>
#include <cstring>
#endif
#include <string>

namespace tidewell::testing {

#ifdef _WIN32

// The bits the text names that a file can be given: read-only, hidden,
// system, archive.
// Host paths are UTF-8 text here, not the ANSI code page.
inline std::filesystem::path WidePathOf(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline constexpr DWORD kSettableAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

// Gives a host file or folder exactly the settable bits of `text` ("0x2");
// false on failure or text that is not hex.
inline bool SetDosAttrib(const std::string& hostPath, const std::string& text) {
  unsigned long bits = 0;
  char* end = nullptr;
  if (text.size() < 3 || text.compare(0, 2, "0x") != 0) return false;
  bits = std::strtoul(text.c_str() + 2, &end, 16);
  if (end != text.c_str() + text.size()) return false;
  const DWORD wanted = static_cast<DWORD>(bits) & kSettableAttributes;
  return SetFileAttributesW(WidePathOf(hostPath).c_str(), wanted == 0 ? FILE_ATTRIBUTE_NORMAL : wanted) != 0;
}

// The settable attributes of a host entry as hex text, "(none)" when it is missing.
inline std::string DosAttribOf(const std::string& hostPath) {
  const DWORD attributes = GetFileAttributesW(WidePathOf(hostPath).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return "(none)";
  char text[16];
  std::snprintf(text, sizeof text, "0x%lx", static_cast<unsigned long>(attributes & kSettableAttributes));
  return text;
}

// Every Windows file system keeps attributes: nothing to explain.
inline std::string UserXattrsUnsupported(const std::string&) { return {}; }

#else

// Sets user.DOSATTRIB of a host file or folder to `text` ("0x2"); false on failure.
inline bool SetDosAttrib(const std::string& hostPath, const std::string& text) {
  return lsetxattr(hostPath.c_str(), "user.DOSATTRIB", text.data(), text.size(), 0) == 0;
}

// The user.DOSATTRIB of a host entry as text, "(none)" when it has none.
inline std::string DosAttribOf(const std::string& hostPath) {
  char value[256];
  const ssize_t length = lgetxattr(hostPath.c_str(), "user.DOSATTRIB", value, sizeof value);
  return length < 0 ? std::string("(none)") : std::string(value, static_cast<std::size_t>(length));
}

// Why user extended attributes cannot be set on files in `folder`, "" when
// they can (tried on a scratch file made and removed there).
inline std::string UserXattrsUnsupported(const std::string& folder) {
  const std::string probe = folder + "/.xattr-probe";
  FILE* file = std::fopen(probe.c_str(), "w");
  if (file == nullptr) return "cannot make a file in " + folder;
  std::fclose(file);
  const bool set = SetDosAttrib(probe, "0x0");
  const int error = errno;
  std::remove(probe.c_str());
  if (set) return {};
  return std::string("the temporary folder's file system takes no user extended attributes: ") +
         std::strerror(error);
}

#endif

}  // namespace tidewell::testing
