// Host paths: the paths of the program's own files (its folder, the records,
// the store), as the host writes them, in UTF-8. Drive paths never go
// through here (see virtual_file_system.h); these are for the few files the
// program addresses by their host name.
#pragma once

#include <string>
#include <string_view>

namespace tidewell::platform {

// `folder` and `name` joined by the host's separator ("/" on POSIX), never
// doubling one at the folder's end; `name` alone when `folder` is empty.
// `name` may hold separators of its own ("Tidewell/Tidewell.ini").
std::string JoinHostPath(std::string_view folder, std::string_view name);

// The folder part of a host path: "." for a bare name, the root for a
// file in the root.
std::string HostFolderOf(const std::string& path);

// The last part of a host path, after its last separator ("/" on POSIX, "\"
// or "/" on Windows); the whole path when it has none.
std::string HostNameOf(const std::string& path);

// True when any entry stands at the path: a file, a folder, a link (itself,
// never followed, so a dangling link counts), a FIFO. What the record views
// ask before they offer to show or delete a record.
bool HostFileExists(const std::string& hostPath);

// True when the path names a regular file, links followed (a link to a
// regular file counts; a folder, a dangling link or a FIFO does not).
bool HostRegularFileExists(const std::string& hostPath);

// True when `path` is an existing folder, links followed.
bool IsHostFolder(const std::string& path);

}  // namespace tidewell::platform
