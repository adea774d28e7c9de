// What one look-up of a file during a walk told, kept with its name in the
// walk's FolderList.
#pragma once

#include <cstdint>
#include <optional>

namespace tidewell {

// Its length in bytes and, when the walk was asked to keep it, its last
// modification (whole seconds since 1970-01-01 UTC); the link itself for a
// link. Only regular files and links get one; a folder never does.
struct WalkFacts {
  std::int64_t length = 0;
  std::optional<std::int64_t> modified;
  bool operator==(const WalkFacts&) const = default;
};

}  // namespace tidewell
