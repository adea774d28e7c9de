// Virtual file system on POSIX: every operation resolves its parent folder
// through the folder handle cache (OpenParent, platform/parent_path.h) and
// then acts on the last component with the *at() calls, links never
// followed. Every descriptor opened here is owned by a ScopedFd (or by the
// FolderHandle or FolderReader it is handed to); openat2 is called only
// through open_beneath.h, as the cache's probed kernel value allows.
#include "platform/virtual_file_system.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <utility>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <climits>
#include <cstddef>
#include <string>

#include "platform/parent_path.h"
#include "platform/posix/folder_handle_cache.h"
#include "platform/posix/raw_directory_entry.h"
#include "platform/posix/scoped_fd.h"
#include "platform/posix/windows_attributes.h"
#include "platform/text_case.h"

namespace tidewell::platform {
namespace {

std::error_code LastError() { return {errno, std::generic_category()}; }

// An entry's attributes: a native record (NTFS, FAT) says everything but
// the folder bit; otherwise the owner write bit and the name say read-only
// and hidden, and a user.DOSATTRIB adds what it holds.
Attributes AttributesOf(const struct stat& st, std::string_view name, const KeptAttributes& kept) {
  Attributes attributes = S_ISDIR(st.st_mode) ? kFolder : kNormal;
  if (kept.Native()) return attributes | kept.bits;
  if (!S_ISLNK(st.st_mode) && (st.st_mode & S_IWUSR) == 0) attributes |= kReadOnly;
  if (IsHiddenName(name)) attributes |= kHidden;
  return attributes | kept.bits;
}

// What a stat of an entry tells, with the attributes worked out for it.
void FillFacts(const struct stat& st, Attributes attributes, EntryFacts& facts) {
  facts.attributes = attributes;
  facts.length = static_cast<std::int64_t>(st.st_size);
  facts.isLink = S_ISLNK(st.st_mode);
  facts.device = static_cast<std::uint64_t>(st.st_dev);
  facts.inode = static_cast<std::uint64_t>(st.st_ino);
  facts.modified = static_cast<std::int64_t>(st.st_mtim.tv_sec);
}

std::string ProcPath(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

// Runs `action(name)` on the last component in `parentFd`; when the exact name
// is missing, retries once with the name that matches it without regard to
// case. Returns the action's error.
template <typename Action>
std::error_code WithLeafName(int parentFd, std::string_view leaf, Action action) {
  std::string name(leaf);
  if (action(name) == 0) return {};
  if (errno != ENOENT) return LastError();
  std::string actual;
  if (FindNameNoCase(parentFd, name, actual)) return std::make_error_code(std::errc::no_such_file_or_directory);
  if (action(actual) == 0) return {};
  return LastError();
}

// Succeeds when the open entry lies on the same mount as its drive's root;
// errc::cross_device_link when it is (or lies below) another mount.
std::error_code OnDriveMount(FolderHandleCache& cache, char letter, int fd) {
  int rootFd = -1;
  const MountIdentity* rootMount = nullptr;
  if (std::error_code error = cache.Root(letter, rootFd, &rootMount)) return error;
  MountIdentity mount;
  if (std::error_code error = IdentifyMount(fd, mount)) return error;
  if (!mount.SameMount(*rootMount)) return std::make_error_code(std::errc::cross_device_link);
  return {};
}

// An entry opened for its attributes, a link never followed. `fd` is open
// for reading (`readable`) when the entry is a regular file or folder this
// user may read, an O_PATH descriptor otherwise; the drive's root is the
// cached folder descriptor itself.
struct OpenedEntry {
  int fd = -1;     // owned.Get(), or the root's descriptor, borrowed
  ScopedFd owned;  // the entry's own descriptor; empty for the root
  bool readable = false;
  std::string name;  // as on disk; empty for the root
  struct stat st {};
};

std::error_code OpenEntry(Openat2 kernel, int parentFd, std::string_view leaf, OpenedEntry& entry) {
  if (leaf.empty()) {
    entry.fd = parentFd;
    entry.readable = true;
    return fstat(parentFd, &entry.st) == 0 ? std::error_code() : LastError();
  }
  std::error_code error = WithLeafName(parentFd, leaf, [&](const std::string& name) {
    entry.name = name;
    entry.owned = OpenEntryHere(kernel, parentFd, name.c_str());
    entry.fd = entry.owned.Get();
    return entry.owned.Valid() ? 0 : -1;
  });
  if (error) return error;
  if (fstat(entry.fd, &entry.st) != 0) return LastError();
  if (S_ISREG(entry.st.st_mode) || S_ISDIR(entry.st.st_mode)) {
    // Reopened through the descriptor's /proc entry: exactly the inode just
    // checked, never a FIFO or device put in its place since. O_NONBLOCK and
    // O_NOCTTY all the same, for files with mandatory locks and the like.
    ScopedFd readable(open(ProcPath(entry.fd).c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (readable.Valid()) {
      entry.owned = std::move(readable);
      entry.fd = entry.owned.Get();
      entry.readable = true;
    }
  }
  return {};
}

KeptAttributes KeptAttributesOf(const OpenedEntry& entry) {
  return entry.readable ? ReadKeptAttributes(entry.fd) : KeptAttributes{};
}

// The kept attributes of the regular file or folder `name` in `parentFd`,
// found by fstatat as `st`, opening it only where its volume needs that (the
// FAT ioctl) or is met for the first time: a stat costs one more call, or
// none on a volume without user extended attributes.
KeptAttributes KeptAttributesByName(FolderHandleCache& cache, int parentFd, const std::string& name,
                                    const struct stat& st) {
  const auto device = static_cast<std::uint64_t>(st.st_dev);
  FolderHandleCache::VolumeFacts* volume = cache.Volume(device);
  if (volume == nullptr || volume->record == VolumeRecord::Fat) {
    OpenedEntry entry;
    if (OpenEntry(cache.Kernel(), parentFd, name, entry) || entry.st.st_ino != st.st_ino ||
        entry.st.st_dev != st.st_dev) {
      return {};
    }
    if (volume == nullptr) {
      struct statfs facts {};
      if (fstatfs(entry.fd, &facts) != 0) return {};
      volume = &cache.Learn(device, VolumeRecordOf(static_cast<unsigned long>(facts.f_type)));
    }
    if (volume->record == VolumeRecord::Fat) return KeptAttributesOf(entry);
  }
  if (volume->record == VolumeRecord::DosAttrib && !volume->userAttributes) return {};
  bool noUserAttributes = false;
  KeptAttributes kept = ReadKeptAttributesByPath(ProcPath(parentFd) + "/" + name, volume->record, noUserAttributes);
  if (noUserAttributes) volume->userAttributes = false;
  return kept;
}

}  // namespace


// An open folder and the raw entries of its last read. Made once per opened
// folder, its block left uninitialised: getdents64 fills what is read.
//
// A listing ends only when a read returns nothing. A read that leaves room in
// the block says nothing about the end: the kernel ends a read early whenever
// a signal is pending for the reading thread (a stop and continue, a
// debugger, a timer), after as little as one entry, and a network or FUSE
// file system may answer with part of what is left. A read interrupted
// before it read anything is made again.
struct FolderReader::State {
  State(ScopedFd folder, Openat2 kernel) : fd(std::move(folder)), kernel(kernel) {}

  // Opens the reader on `folder`: into its own block when it has one.
  static void Adopt(FolderReader& reader, ScopedFd folder, Openat2 kernel) {
    if (!reader.state_) {
      reader.state_ = std::make_unique<State>(std::move(folder), kernel);
      return;
    }
    State& state = *reader.state_;
    state.fd = std::move(folder);
    state.kernel = kernel;
    state.filled = 0;
    state.next = 0;
    state.ended = false;
  }

  ScopedFd fd;  // not open once the folder is released
  Openat2 kernel;
  std::size_t filled = 0;
  std::size_t next = 0;
  bool ended = false;
  // The raw entries of the last read; each starts on an 8-byte boundary
  // within the block, so the block must too.
  alignas(RawDirectoryEntry) char block[kDirectoryBlock];
};

FolderReader::FolderReader() = default;
FolderReader::FolderReader(FolderReader&& other) noexcept = default;
FolderReader& FolderReader::operator=(FolderReader&& other) noexcept = default;
FolderReader::~FolderReader() = default;

bool FolderReader::Next(FolderEntry& entry) {
  if (!state_) return false;
  State& state = *state_;
  for (;;) {
    if (state.next >= state.filled) {
      if (state.ended) return false;
      const long got = ReadListing(state.fd.Get(), state.block, kDirectoryBlock);
      if (got <= 0) {
        state.ended = true;  // the end, or a read error: the listing stops here
        return false;
      }
      state.filled = static_cast<std::size_t>(got);
      state.next = 0;
    }
    const auto* found = reinterpret_cast<const RawDirectoryEntry*>(state.block + state.next);
    state.next += found->length;
    const std::string_view name(found->name);
    if (!IsDriveEntryName(name)) continue;
    bool isFolder = found->type == DT_DIR;
    if (found->type == DT_UNKNOWN) {
      // A name where another file system is mounted is a folder to the
      // walk, which then finds it cannot be entered.
      struct stat st {};
      const int stated = StatEntryHere(state.kernel, state.fd.Get(), found->name, st);
      isFolder = stated == 0 ? S_ISDIR(st.st_mode) : errno == EXDEV;
    }
    entry.name.assign(name);
    entry.isFolder = isFolder;
    entry.hidden = IsHiddenName(name);
    entry.system = false;
    return true;
  }
}

FolderHandle::FolderHandle(FolderHandle&& other) noexcept : native_(std::exchange(other.native_, kNone)) {}

// The handle owns its descriptor (handed over from a FolderReader's
// ScopedFd) and gives it back to a ScopedFd to be closed.
FolderHandle& FolderHandle::operator=(FolderHandle&& other) noexcept {
  if (this != &other) {
    const ScopedFd closed(static_cast<int>(std::exchange(native_, std::exchange(other.native_, kNone))));
  }
  return *this;
}

FolderHandle::~FolderHandle() { const ScopedFd closed(static_cast<int>(native_)); }

// What the program keeps open for itself besides a walk's folders: records,
// store, sounds, the handle chain, a purge's walk.
constexpr rlim_t kOwnUse = 256;

std::size_t FolderHandlesToSpare() {
  // Half of what is left of the soft limit once the program's own files
  // have room.
  constexpr std::size_t kMost = 65536;
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return kMost;
  if (limit.rlim_cur <= 2 * kOwnUse) return 0;
  return std::min<std::size_t>(kMost, static_cast<std::size_t>((limit.rlim_cur - kOwnUse) / 2));
}

void ReserveFolderHandles(std::size_t handles) {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return;
  rlim_t highest = kOwnUse + static_cast<rlim_t>(handles);
  if (limit.rlim_cur != RLIM_INFINITY) highest = std::min(highest, limit.rlim_cur - 1);
  if (highest > static_cast<rlim_t>(INT_MAX)) return;
  // The kernel grows the table to hold the lowest free descriptor at or
  // above `highest`; the copy is closed at once, the table stays.
  const ScopedFd any(eventfd(0, EFD_CLOEXEC));
  if (any.Get() < 0) return;
  const ScopedFd far(fcntl(any.Get(), F_DUPFD_CLOEXEC, static_cast<int>(highest)));
}

bool FolderReader::IsOpen() const { return state_ != nullptr && state_->fd.Get() >= 0; }

// The block stays, for the next opening into this reader; the listing ends.
FolderHandle FolderReader::ReleaseFolder() {
  FolderHandle handle;
  if (state_) {
    handle.native_ = state_->fd.Release();
    state_->filled = 0;
    state_->next = 0;
    state_->ended = true;
  }
  return handle;
}

namespace {

std::error_code StatEntryOf(int folderFd, const char* name, EntryFacts& facts) {
  struct stat st {};
  if (fstatat(folderFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return LastError();
  FillFacts(st, S_ISDIR(st.st_mode) ? kFolder : kNormal, facts);
  return {};
}

}  // namespace

std::error_code FolderReader::StatEntry(const std::string& name, EntryFacts& facts) const {
  if (!IsOpen()) return std::make_error_code(std::errc::bad_file_descriptor);
  return StatEntryOf(state_->fd.Get(), name.c_str(), facts);
}

std::error_code FolderHandle::StatEntry(const char* name, EntryFacts& facts) const {
  if (native_ == kNone) return std::make_error_code(std::errc::bad_file_descriptor);
  return StatEntryOf(static_cast<int>(native_), name, facts);
}

VirtualFileSystem::VirtualFileSystem(DriveTable drives, PathResolution resolution)
    : drives_(std::move(drives)),
      cache_(std::make_unique<FolderHandleCache>(
          drives_, resolution == PathResolution::Probe ? ProbeOpenat2() : Openat2::Missing)) {}

VirtualFileSystem::~VirtualFileSystem() = default;

void VirtualFileSystem::ForgetOpenFolders() { cache_->Clear(); }

void VirtualFileSystem::SpareFolders(const std::vector<std::string>& hostFolders) {
  std::vector<SparedFolder> spared;
  for (const std::string& folder : hostFolders) {
    if (folder.empty()) continue;
    const ScopedFd fd(open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!fd.Valid()) continue;
    SparedFolder described;
    if (!DescribeSparedFolder(fd.Get(), described)) spared.push_back(std::move(described));
  }
  cache_->SetSparedFolders(std::move(spared));
}

void VirtualFileSystem::ReplaceDrives(DriveTable drives) {
  const Openat2 kernel = cache_->Kernel();
  cache_.reset();  // its handles close before the table they were opened for goes
  drives_ = std::move(drives);
  cache_ = std::make_unique<FolderHandleCache>(drives_, kernel);
  cache_->OnRootRefused(onDriveRefused_);
}

void VirtualFileSystem::OnDriveRefused(std::function<void(const std::string&)> listener) {
  onDriveRefused_ = listener;
  cache_->OnRootRefused(std::move(listener));
}

std::error_code VirtualFileSystem::OpenRootForReaders(char letter, FolderHandle& root) {
  int rootFd = -1;
  if (std::error_code error = cache_->Root(letter, rootFd)) return error;
  const int own = fcntl(rootFd, F_DUPFD_CLOEXEC, 0);
  if (own < 0) return std::error_code(errno, std::generic_category());
  root = FolderHandle::Adopt(own);
  return {};
}

bool VirtualFileSystem::SparedMayLieOn(char letter) { return cache_->SparedMayLieOn(letter); }

bool VirtualFileSystem::IsSpared(const FolderHandle& folder) const {
  FolderIdentity identity;
  return !folder.IsOpen() || IdentifyFolder(static_cast<int>(folder.Native()), identity) || cache_->IsSpared(identity);
}

std::error_code VirtualFileSystem::OpenFolder(std::string_view folder, FolderReader& reader) {
  ParsedPath parsed;
  if (std::error_code error = ParseVirtualPath(drives_, folder, parsed)) return error;
  ScopedFd listFd;
  if (std::error_code error = cache_->Take(parsed, parsed.components.size(), listFd)) {
    if (error == std::errc::cross_device_link) cache_->TellMountLeft(folder);
    return error;
  }
  FolderReader::State::Adopt(reader, std::move(listFd), cache_->Kernel());
  return {};
}

// Without openat2 the first step always fails (OpenBeneath): not worth a
// thread's time.
bool VirtualFileSystem::OpensAhead(const FolderHandle& parent, std::string_view name, std::string_view folder) {
  return cache_->Kernel() == Openat2::Present && parent.IsOpen() && folder.size() >= 2 && folder[1] == ':' && IsDriveEntryName(name) &&
         !cache_->SparedMayLieOn(folder[0]);
}

// Reads the first block, and a second read into what is left of it (where
// an entry of the longest name fits), so that a listing that fits one
// block is read to its end: a read returning nothing.
std::error_code VirtualFileSystem::OpenAhead(const FolderHandle& parent, const std::string& name,
                                             FolderReader& reader) const {
  ScopedFd opened;
  if (std::error_code error = OpenBeneath(cache_->Kernel(), static_cast<int>(parent.native_), name.c_str(), opened)) {
    return error;
  }
  FolderReader::State::Adopt(reader, std::move(opened), cache_->Kernel());
  FolderReader::State& state = *reader.state_;
  constexpr std::size_t kLongestEntry = offsetof(RawDirectoryEntry, name) + 256 + 8;
  while (!state.ended && kDirectoryBlock - state.filled >= kLongestEntry) {
    const long got = ReadListing(state.fd.Get(), state.block + state.filled, kDirectoryBlock - state.filled);
    if (got <= 0) {
      state.ended = true;  // as Next would: the end, or a read error
    } else {
      state.filled += static_cast<std::size_t>(got);
    }
  }
  return {};
}

std::error_code VirtualFileSystem::OpenSubfolder(const FolderHandle& parent, std::string_view name,
                                                 std::string_view folder, FolderReader& reader) {
  if (OpensAhead(parent, name, folder)) {
    ScopedFd opened;
    const std::error_code error =
        OpenBeneath(cache_->Kernel(), static_cast<int>(parent.native_), std::string(name).c_str(), opened);
    if (!error) {
      FolderReader::State::Adopt(reader, std::move(opened), cache_->Kernel());
      return {};
    }
    if (error == std::errc::cross_device_link) {
      cache_->TellMountLeft(folder);
      return error;
    }
  }
  return OpenFolder(folder, reader);
}

std::error_code VirtualFileSystem::Stat(std::string_view path, EntryFacts& facts, AttributeQuery query) {
  ParentPath where;
  int parentFd = -1;
  if (std::error_code error = OpenParent(*cache_, drives_, path, PathOperation::Read, where, parentFd)) return error;
  const std::string_view leaf = where.leaf;
  struct stat st {};
  std::string name;
  KeptAttributes kept;
  if (leaf.empty()) {
    if (fstat(parentFd, &st) != 0) return LastError();
    if (query == AttributeQuery::All) kept = ReadKeptAttributes(parentFd);
  } else {
    const std::error_code error = WithLeafName(parentFd, leaf, [&](const std::string& candidate) {
      name = candidate;
      return StatEntryHere(cache_->Kernel(), parentFd, candidate.c_str(), st);
    });
    if (error == std::errc::cross_device_link) cache_->TellMountLeft(path);
    if (error) return error;
    if (query == AttributeQuery::All && (S_ISREG(st.st_mode) || S_ISDIR(st.st_mode))) {
      kept = KeptAttributesByName(*cache_, parentFd, name, st);
    }
  }
  FillFacts(st,
            query == AttributeQuery::FolderOnly ? (S_ISDIR(st.st_mode) ? kFolder : kNormal)
                                                : AttributesOf(st, name, kept),
            facts);
  return {};
}

namespace {

// What setting `attributes` on an entry would change: its kept record, and,
// without a native record, its permission bits.
struct AttributeChangePlan {
  bool recordChanges = false;
  mode_t mode = 0;
  mode_t wantedMode = 0;
  bool Nothing() const { return !recordChanges && wantedMode == mode; }
};

AttributeChangePlan PlanAttributeChange(const struct stat& st, const KeptAttributes& kept, Attributes attributes,
                                        bool recordWritable) {
  AttributeChangePlan plan;
  const Attributes wantedBits = attributes & kKeptAttributeBits;
  if (kept.record != AttributeRecord::None) {
    plan.recordChanges = kept.bits != wantedBits;
  } else if (recordWritable) {
    // Nothing kept yet: the permission bits and the name say read-only and
    // hidden; the other bits need a user.DOSATTRIB of their own.
    plan.recordChanges = (wantedBits & (kHidden | kSystem | kArchive)) != 0;
  }
  plan.mode = st.st_mode & 07777;
  plan.wantedMode = plan.mode;
  if (!kept.Native()) plan.wantedMode = (attributes & kReadOnly) ? (plan.mode & ~mode_t{0222}) : (plan.mode | S_IWUSR);
  return plan;
}

}  // namespace

std::error_code VirtualFileSystem::SetAttributes(std::string_view path, Attributes attributes) {
  ParentPath where;
  int parentFd = -1;
  if (std::error_code error = OpenParent(*cache_, drives_, path, PathOperation::SetAttributes, where, parentFd)) {
    return error;
  }
  const std::string_view leaf = where.leaf;
  // Most files already are as wanted: one stat (and one read of what the
  // volume keeps) settles it, and nothing is opened or written.
  if (!leaf.empty()) {
    struct stat st {};
    std::string name;
    std::error_code error = WithLeafName(parentFd, leaf, [&](const std::string& candidate) {
      name = candidate;
      return StatEntryHere(cache_->Kernel(), parentFd, candidate.c_str(), st);
    });
    if (error) return error;
    // A link has no attributes of its own; its target is never touched.
    if (S_ISLNK(st.st_mode)) return {};
    const bool hasRecord = S_ISREG(st.st_mode) || S_ISDIR(st.st_mode);
    const KeptAttributes kept = hasRecord ? KeptAttributesByName(*cache_, parentFd, name, st) : KeptAttributes{};
    if (PlanAttributeChange(st, kept, attributes, hasRecord).Nothing()) return {};
  }
  OpenedEntry entry;
  if (std::error_code error = OpenEntry(cache_->Kernel(), parentFd, leaf, entry)) return error;
  if (S_ISLNK(entry.st.st_mode)) return {};
  const KeptAttributes kept = KeptAttributesOf(entry);
  const Attributes wantedBits = attributes & kKeptAttributeBits;
  const AttributeChangePlan plan = PlanAttributeChange(entry.st, kept, attributes, entry.readable);
  if (plan.Nothing()) return {};
  const bool recordChanges = plan.recordChanges;
  const mode_t mode = plan.mode;
  const mode_t wantedMode = plan.wantedMode;

  // A file with other links shares its inode with them, wherever they are
  // (outside the drive too): it is never changed.
  if (!S_ISDIR(entry.st.st_mode) && entry.st.st_nlink > 1) return std::make_error_code(std::errc::too_many_links);
  // A mount point inside the drive (a folder, or a single file bound onto a
  // name) belongs to another file system: its attributes are not ours.
  if (std::error_code error = OnDriveMount(*cache_, where.parsed.letter, entry.fd)) return error;

  // chmod through the descriptor's /proc entry acts on exactly the inode
  // opened above, never on whatever the name points to by now.
  const std::string self = ProcPath(entry.fd);
  mode_t currentMode = mode;
  if (recordChanges && !kept.Native()) {
    // Writing a user.DOSATTRIB needs write permission, also for the owner:
    // a read-only file is made writable for the write.
    if ((currentMode & S_IWUSR) == 0) {
      if (chmod(self.c_str(), currentMode | S_IWUSR) != 0) return LastError();
      currentMode |= S_IWUSR;
    }
    std::error_code error = WriteKeptAttributes(entry.fd, kept, wantedBits);
    // No user extended attributes here: nothing can keep the extra bits.
    if (error == std::errc::not_supported && kept.record == AttributeRecord::None) error = {};
    if (error) {
      if (currentMode != mode) chmod(self.c_str(), mode);
      return error;
    }
  } else if (recordChanges) {
    if (std::error_code error = WriteKeptAttributes(entry.fd, kept, wantedBits)) return error;
  }
  if (wantedMode != currentMode && chmod(self.c_str(), wantedMode) != 0) return LastError();
  return {};
}

std::error_code VirtualFileSystem::RemoveFile(std::string_view path) {
  ParentPath where;
  int parentFd = -1;
  if (std::error_code error = OpenParent(*cache_, drives_, path, PathOperation::RemoveFile, where, parentFd)) {
    return error;
  }
  return WithLeafName(parentFd, where.leaf,
                      [&](const std::string& name) { return unlinkat(parentFd, name.c_str(), 0); });
}

std::error_code VirtualFileSystem::RemoveFolder(std::string_view folder) {
  ParentPath where;
  int parentFd = -1;
  if (std::error_code error = OpenParent(*cache_, drives_, folder, PathOperation::RemoveFolder, where, parentFd)) {
    return error;
  }
  // The chain of open folders ends at the parent, so the removed folder is
  // never left cached. A spared folder is never removed, even when empty.
  const bool compare = cache_->SparedMayLieOn(where.parsed.letter);
  return WithLeafName(parentFd, where.leaf, [&](const std::string& name) {
    if (compare) {
      // Identified through a descriptor that never stands on another mount:
      // a mount point is refused here, its file system never asked.
      const ScopedFd entry = OpenEntryHere(cache_->Kernel(), parentFd, name.c_str());
      if (!entry.Valid()) return -1;
      FolderIdentity identity;
      if (!IdentifyFolder(entry.Get(), identity) && cache_->IsSpared(identity)) {
        errno = EACCES;
        return -1;
      }
    }
    return unlinkat(parentFd, name.c_str(), AT_REMOVEDIR);
  });
}

std::error_code VirtualFileSystem::CreateEmptyFile(std::string_view path) {
  ParentPath where;
  int parentFd = -1;
  if (std::error_code error = OpenParent(*cache_, drives_, path, PathOperation::CreateFile, where, parentFd)) {
    return error;
  }
  const std::string name(where.leaf);
  // An entry of that name in any case is somebody's: never opened.
  // (Another file system mounted on the name is somebody's entry too.)
  struct stat existing {};
  if (StatEntryHere(cache_->Kernel(), parentFd, name.c_str(), existing) == 0 || errno == EXDEV) {
    return std::make_error_code(std::errc::file_exists);
  }
  if (errno != ENOENT) return LastError();
  std::string actual;
  if (!FindNameNoCase(parentFd, name, actual)) return std::make_error_code(std::errc::file_exists);
  // O_EXCL: whatever took the name meanwhile (a file, a link, a FIFO) makes
  // it fail; only a file this call made is ever opened.
  ScopedFd created(openat(parentFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
  if (!created.Valid()) return LastError();
  // Closed here, not by the ScopedFd, so that a failed close is told.
  if (close(created.Release()) != 0) return LastError();
  return {};
}

std::error_code VirtualFileSystem::FreeBytes(char driveLetter, std::uint64_t& bytes) {
  int rootFd = -1;
  if (std::error_code error = cache_->Root(driveLetter, rootFd)) return error;
  struct statvfs facts {};
  if (fstatvfs(rootFd, &facts) != 0) return LastError();
  bytes = static_cast<std::uint64_t>(facts.f_bfree) * static_cast<std::uint64_t>(facts.f_frsize);
  return {};
}

std::error_code VirtualFileSystem::HostPath(std::string_view path, std::string& hostPath) const {
  ParsedPath parsed;
  if (std::error_code error = ParseVirtualPath(drives_, path, parsed)) return error;
  hostPath = drives_.Find(parsed.letter)->hostRoot;
  // Each component by its name on disk, found as every other operation finds
  // it (another program opening the path compares case); as given from the
  // first folder that cannot be opened on.
  bool resolving = true;
  for (std::size_t i = 0; i < parsed.components.size(); ++i) {
    std::string name(parsed.components[i]);
    int folderFd = -1;
    resolving = resolving && !cache_->Open(parsed, i, folderFd);
    if (resolving) {
      struct stat st {};
      std::string actual;
      if (StatEntryHere(cache_->Kernel(), folderFd, name.c_str(), st) != 0 && errno == ENOENT &&
          !FindNameNoCase(folderFd, name, actual)) {
        name = actual;
      }
    }
    if (hostPath.empty() || hostPath.back() != '/') hostPath.push_back('/');
    hostPath.append(name);
  }
  return {};
}

std::string CurrentVirtualFolder(const DriveTable& drives) {
  std::string buffer(PATH_MAX, '\0');
  if (getcwd(buffer.data(), buffer.size()) != nullptr) {
    buffer.resize(std::char_traits<char>::length(buffer.c_str()));
    if (auto folder = drives.HostToVirtual(buffer)) return *folder;
  }
  return "C:\\";
}

}  // namespace tidewell::platform
