// Cold-cache runs: dropping the kernel's page, dentry and inode caches before
// a timed run, and telling whether a folder lives in memory anyway.
#pragma once

#include <string>

namespace tidewell::bench {

// Writes dirty data out and drops the clean caches (sync, then 3 into
// /proc/sys/vm/drop_caches). Returns "" when done, else why it could not be
// (dropping needs root and a writable /proc/sys).
std::string DropPageCache();

// The name of the in-memory file system `folder` is on ("tmpfs", "ramfs"),
// or "" when it is on one that caching can leave cold.
std::string InMemoryFileSystem(const std::string& folder);

}  // namespace tidewell::bench
