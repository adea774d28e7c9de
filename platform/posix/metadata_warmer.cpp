// Metadata warmer on POSIX: openat2 of each folder below a descriptor of the
// drive's verified root with the walk's own restrictions, getdents64 to list
// it and, for a folder whose files are wanted, fstatat of the names the
// filter keeps, keeping nothing.
#include "platform/metadata_warmer.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

#include "platform/posix/open_beneath.h"
#include "platform/posix/raw_directory_entry.h"
#include "platform/posix/scoped_fd.h"

namespace tidewell::platform {
namespace {

// Opens `relative` ("A/B/C") below `rootFd` as the handle cache does
// (open_beneath.h): no link anywhere on the way, no other mount, nothing
// outside the root. -1 when it cannot, also where the kernel has no openat2:
// then nothing is warmed (Start's probe of the root fails).
int OpenBelowRoot(int rootFd, const char* relative) {
  ScopedFd opened;
  OpenBeneath(Openat2::Present, rootFd, relative, opened);
  return opened.Release();
}

}  // namespace

bool MetadataWarmer::Open() {
  if (root_.IsOpen()) return true;
  FolderHandle root;
  if (files_.OpenRootForReaders(letter_, root)) return false;
  // The root itself, opened the readers' way: refused where the kernel has
  // no openat2 (or a sandbox forbids it), and then nothing is warmed.
  if (const ScopedFd probe(OpenBelowRoot(static_cast<int>(root.Native()), ".")); probe.Get() < 0) return false;
  checkSpared_ = files_.SparedMayLieOn(letter_);
  root_ = std::move(root);
  return true;
}

bool MetadataWarmer::Read(const std::string& relative, Files files, bool allNames) const {
  if (!root_.IsOpen()) return false;
  FolderHandle folder = FolderHandle::Adopt(OpenBelowRoot(static_cast<int>(root_.Native()), relative.c_str()));
  if (!folder.IsOpen()) return false;
  if (checkSpared_ && files_.IsSpared(folder)) return false;
  // One listing block per reading thread, kept for the thread's life.
  // Heap memory is aligned well enough for getdents64's records.
  thread_local const std::unique_ptr<char[]> block = std::make_unique_for_overwrite<char[]>(kDirectoryBlock);
  const int fd = static_cast<int>(folder.Native());
  struct stat st {};
  for (;;) {
    const long got = ReadListing(fd, block.get(), kDirectoryBlock);
    if (got <= 0 || files == Files::Left) return true;
    for (long at = 0; at < got;) {
      const auto* entry = reinterpret_cast<const RawDirectoryEntry*>(block.get() + at);
      at += entry->length;
      if (entry->type == DT_DIR) continue;
      const std::string_view name(entry->name);
      if (!IsDriveEntryName(name) || !(allNames || keeps_(name))) continue;
      fstatat(fd, entry->name, &st, AT_SYMLINK_NOFOLLOW);
    }
  }
}

}  // namespace tidewell::platform
