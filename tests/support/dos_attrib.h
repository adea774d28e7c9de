// Wine's record of a file's Windows attributes, the user.DOSATTRIB extended
// attribute, set and read on host paths for the tests.
#pragma once

#include <sys/xattr.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace tidewell::testing {

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

}  // namespace tidewell::testing
