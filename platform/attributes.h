// File attribute bits as the engine sees them, and how they map onto a POSIX
// file system.
//
//   Folder   16  the entry is a directory (never a symbolic link)
//   ReadOnly  1  the owner's write bit is clear
//   Hidden    2  the name starts with "."
//   System    4  never reported on this platform
//   Archive  32  never reported on this platform
// Setting attributes: when ReadOnly is requested every write bit is cleared,
// otherwise the owner's write bit is added; the other bits are ignored.
#pragma once

#include <cstdint>
#include <string_view>

namespace tidewell::platform {

using Attributes = std::uint16_t;

inline constexpr Attributes kNormal = 0;
inline constexpr Attributes kReadOnly = 1;
inline constexpr Attributes kHidden = 2;
inline constexpr Attributes kSystem = 4;
inline constexpr Attributes kFolder = 16;
inline constexpr Attributes kArchive = 32;

// Whether a name carries the hidden attribute: it starts with ".".
constexpr bool IsHiddenName(std::string_view name) { return !name.empty() && name.front() == '.'; }

}  // namespace tidewell::platform
