// What PreferencesFile (platform/preferences_store.h) asks the host around
// its read-modify-write of the store: where the file and its folder are,
// the lock that serialises writers across processes, and making a
// replacement last. Reading and replacing the bytes themselves is
// platform/text_file.h's.
#pragma once

#include <functional>
#include <string>
#include <system_error>

namespace tidewell::platform {

// Runs `work` while holding an exclusive lock, shared by every process, on
// the lock file `lockPath` (created when missing, and left in place). The
// lock is released when `work` returns. What `work` returns is returned;
// an error when the lock cannot be had, and then `work` does not run. A stop
// request (platform/interrupts.h) ends the wait with
// std::errc::interrupted (on POSIX; the Windows wait is not interrupted).
std::error_code WithExclusiveLock(const std::string& lockPath, const std::function<std::error_code()>& work);

// Creates the folder that holds `filePath`, and every missing folder above
// it, new ones private to the user.
std::error_code CreateFoldersFor(const std::string& filePath);

// The file that replacing `filePath` must replace: the target of a symbolic
// link in its place (so the link survives), else the path itself.
std::string ReplacementTarget(const std::string& filePath);

// Removes the temporary files that a replacement of `filePath` (see
// ReplaceTextFile) killed part-way left beside it. Only for use while no
// other writer can have one open.
void RemoveStaleTemporaries(const std::string& filePath);

// Makes the rename that replaced `filePath` in its folder survive a crash.
std::error_code SyncFolderOf(const std::string& filePath);

}  // namespace tidewell::platform
