// The file system as the engine sees it: Windows paths on mapped drives.
//
// Every operation takes a virtual path ("c:\WINDOWS\TEMP\~DF12.TMP", or a
// folder "c:\WINDOWS\TEMP\" with or without its trailing "\") and resolves it
// on the drive table:
//   - The drive letter may be in either case. Path components are separated by
//     "\"; empty components are ignored. A component "." or "..", or one that
//     holds "/", "\" or a NUL byte, makes the path invalid
//     (errc::invalid_argument): no path can name anything outside its drive's
//     root, nor anything a listing leaves out.
//   - Each component is looked up exactly first, then without regard to case
//     (ASCII letters); with several case-variants and no exact match, the
//     first one the directory lists wins.
//   - A drive is the folder that was checked: its root is opened by the real
//     path recorded in the drive table, through no link, and compared by
//     identity with the folder recorded when the table was loaded. A root
//     that differs, or (where the folder did not exist then) one that is the
//     host's root or a system folder, is refused for this object's life: the
//     drive behaves as one without a disk (errc::no_such_device), and the
//     listener set with OnDriveRefused() is told why, once per drive.
//   - Spared folders (SpareFolders) are never entered, listed or changed,
//     whatever path leads to them: opening one fails with
//     errc::permission_denied, removing one too, and on a drive whose root is
//     one, nothing is deleted, removed, created or has its attributes set.
//   - Containment: folders are opened one component at a time relative to the
//     open parent, never following a link, never by a whole host path string,
//     so a symbolic link (or a reparse point) is never followed and a folder swapped for a link in
//     the middle of a run cannot redirect anything outside the drive. A folder
//     on another mounted file system (a mount point or bind mount inside the
//     drive) is never entered: opening it fails with errc::cross_device_link.
//     Nothing steps onto such a mount at all, not even a stat of its root
//     (on POSIX, each name is opened with openat2's RESOLVE_NO_XDEV before it
//     is looked at; Stat of a mount point fails with errc::cross_device_link
//     too), so a mount whose file system never answers (a hung FUSE or
//     network mount) holds nothing up: it is left alone, and the listener set
//     with OnDriveRefused() is told so, once per folder. The walk's own stat
//     of the names a listing gives as files (FolderReader::StatEntry) is a
//     plain one: a single file bound onto a name is the one mount it may
//     still step onto.
//   - A drive whose folder gave no answer when the table was read
//     (DriveMapping::answers) is a drive without a disk, never asked again.
//   - A symbolic link is an ordinary file here: listed as a file, its own
//     length and attributes reported, deleting it removes the link.
//   - Names holding "\" cannot be expressed as Windows names
//     (IsDriveEntryName): listings skip them, so such a file is never listed,
//     counted, logged or deleted and such a folder is never entered, and no
//     path can reach them. Every other byte is kept exactly: control
//     characters (the deletion log shows them in caret notation, so a name
//     never breaks or forges a log line), invalid UTF-8, "*", "?", leading and
//     trailing spaces (never trimmed).
// Errors come back as std::error_code holding portable error codes
// (std::errc); nothing throws.
//
// Open folder handles of the most recent path are cached, so walking a tree
// in breadth-first order or working on the files of one folder costs one
// opening per folder, however deep.
// An object is not thread-safe; the engine uses one per run on one thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/attributes.h"
#include "platform/drive_table.h"

namespace tidewell::platform {

class FolderHandleCache;

// True when `name` can be the name of an entry on a drive: not empty, not "."
// or "..", and holding no "\", "/" or NUL byte. The one test behind every
// listing and every path component.
inline bool IsDriveEntryName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (const char c : name) {
    if (c == '\\' || c == '/' || c == '\0') return false;
  }
  return true;
}

// One entry of a folder listing, with what the listing itself tells about
// it, without a call per entry. isFolder comes from the directory entry's
// type (a stat call only when the file system does not report it); a link is
// never a folder. hidden and system are the entry's attributes as far as
// the listing knows them: on POSIX hidden is a name starting with "." and
// system is never set, since the records a volume keeps (attributes.h) are
// read only by Stat(), which gives the full attributes.
struct FolderEntry {
  std::string name;
  bool isFolder = false;
  bool hidden = false;
  bool system = false;
};

// What one stat of an entry tells (the entry itself, links not followed).
struct EntryFacts {
  Attributes attributes = kNormal;
  std::int64_t length = 0;  // bytes; a folder's or a link's own size
  bool isLink = false;
  std::uint64_t device = 0;  // which file it is, for telling whether
  std::uint64_t inode = 0;   // some process holds it open
  std::int64_t modified = 0;  // last modification, whole seconds since 1970-01-01 UTC
};

// A folder held open after its listing, so that its subfolders can be found
// from it by name (VirtualFileSystem::OpenSubfolder) instead of by their
// whole path. Movable, not copyable; closed when destroyed.
class FolderHandle {
 public:
  FolderHandle() = default;
  FolderHandle(FolderHandle&& other) noexcept;
  FolderHandle& operator=(FolderHandle&& other) noexcept;
  FolderHandle(const FolderHandle&) = delete;
  FolderHandle& operator=(const FolderHandle&) = delete;
  ~FolderHandle();

  bool IsOpen() const { return native_ != kNone; }

  // The platform's descriptor (POSIX) or handle (Windows) this holds, still
  // owned by the handle; and a handle taking `native` over (an empty one for
  // -1). For the platform layer's own readers (metadata_warmer.h).
  std::intptr_t Native() const { return native_; }
  static FolderHandle Adopt(std::intptr_t native) {
    FolderHandle handle;
    handle.native_ = native < 0 ? kNone : native;
    return handle;
  }

  // FolderReader::StatEntry for the folder this holds: the entry with
  // exactly this name, a link not followed. Safe to call from any thread
  // while the handle lives.
  std::error_code StatEntry(const char* name, EntryFacts& facts) const;

 private:
  friend class FolderReader;
  friend class VirtualFileSystem;
  static constexpr std::intptr_t kNone = -1;
  std::intptr_t native_ = kNone;  // the platform's descriptor or handle
};

// How many folders a walk may hold open at once (FolderHandle) besides what
// the program needs for itself: a share of what the process may open. The
// walk shares it out between the parents it holds and its I/O queue in one
// place (WalkIo::Share, engine/walk_io.h).
std::size_t FolderHandlesToSpare();

// Makes room in the process's table of descriptors for the program's own
// files and `handles` folder handles (at most what the open-file limit
// allows), so that a walk holding them never has the table grown under it.
// On Linux a table shared by several threads grows only after every
// processor has passed a quiescent point (an RCU grace period), which costs
// the growing thread 10 to 20 ms each time: a 10,000-folder walk once lost
// 30 ms that way while its I/O thread ran. Growing it ahead costs nothing
// when the table is already as large, and opens nothing that stays open.
// Nothing to do on Windows, whose handle table grows without that wait.
void ReserveFolderHandles(std::size_t handles);

// Reads the entries of one open folder, one at a time, in the order the file
// system returns them, leaving out every name that is not IsDriveEntryName
// ("." and "..", names holding "\").
// Owns the open folder (a listing position of its own) and reads its entries
// in blocks; reading allocates nothing, and opening allocates only for a
// reader that never had a block: on POSIX a reader keeps its block when it
// lets its folder go (ReleaseFolder), and the next opening into it reuses
// it. (A walk reuses its readers, so that a 32 KB block is not allocated
// and freed, perhaps by another thread than its own, for each folder.)
// Movable, not copyable.
class FolderReader {
 public:
  FolderReader();
  FolderReader(FolderReader&& other) noexcept;
  FolderReader& operator=(FolderReader&& other) noexcept;
  FolderReader(const FolderReader&) = delete;
  FolderReader& operator=(const FolderReader&) = delete;
  ~FolderReader();

  // Fills `entry` with the next entry; false at the end or on a read error.
  bool Next(FolderEntry& entry);
  bool IsOpen() const;

  // Looks up the entry of this folder with exactly this name, a link not
  // followed: what VirtualFileSystem::Stat with AttributeQuery::FolderOnly
  // tells, at one call, without finding the folder by its path again.
  std::error_code StatEntry(const std::string& name, EntryFacts& facts) const;

  // Ends the listing and hands over the open folder (an empty handle when
  // nothing is open).
  FolderHandle ReleaseFolder();

 private:
  friend class VirtualFileSystem;
  struct State;  // the open folder and its listing block, per platform

  std::unique_ptr<State> state_;
};


// How the file system layer resolves a path of several folders. Probe asks
// the system once, when the layer is made, for a call that resolves it in
// one go while refusing links and other mounts on the way (openat2 on
// Linux), and uses it where there is one; OneFolderAtATime never does, which
// is what a system without that call gets, so tests can run that way on any.
// Both refuse exactly the same. Windows always goes one folder at a time.
enum class PathResolution { Probe, OneFolderAtATime };

class VirtualFileSystem {
 public:
  explicit VirtualFileSystem(DriveTable drives, PathResolution resolution = PathResolution::Probe);
  ~VirtualFileSystem();
  VirtualFileSystem(const VirtualFileSystem&) = delete;
  VirtualFileSystem& operator=(const VirtualFileSystem&) = delete;

  const DriveTable& Drives() const { return drives_; }

  // Takes `drives` as the table from now on (the user added or removed a
  // drive): every cached handle, the roots' included, is closed, and each
  // root is opened and checked afresh when first used. The listener of
  // OnDriveRefused stays; the spared folders are dropped until the next
  // SpareFolders() (each run sets them). Not while a run is under way.
  void ReplaceDrives(DriveTable drives);

  // Opens a folder for listing. Fails when it is missing, not a folder, a
  // link, on another file system, or unreadable.
  std::error_code OpenFolder(std::string_view folder, FolderReader& reader);
  // OpenFolder for `folder` (a full path ending with "\\"), the subfolder
  // called `name` of the folder `parent` holds, found from `parent` in one
  // step where that settles it: the same refusals (a link, another file
  // system, anything outside the parent), at the cost of one name instead of
  // a whole path. Whatever that step does not settle (a spared folder may lie
  // on the drive, a name that is gone or differs in case, a refusal, no such
  // call on this system) is left to OpenFolder(folder), whose answer counts.
  std::error_code OpenSubfolder(const FolderHandle& parent, std::string_view name, std::string_view folder,
                                FolderReader& reader);
  // OpenSubfolder's first step, split off so that a walk can take it ahead
  // on another thread (engine/walk_io.h). OpensAhead, on the walk's thread:
  // whether OpenSubfolder(parent, name, folder) takes that step at all.
  // OpenAhead, safe on any thread while `parent` stays open: takes it (opens
  // `name` from `parent`, with the same refusals) and reads the start of the
  // listing, so that the reader's Next begins without a system call. An
  // error settles nothing: the walk then calls OpenSubfolder, whose answer
  // counts. Windows opens nothing ahead (OpensAhead is false there).
  bool OpensAhead(const FolderHandle& parent, std::string_view name, std::string_view folder);
  std::error_code OpenAhead(const FolderHandle& parent, const std::string& name, FolderReader& reader) const;

  // How much of an entry's attributes a Stat reads: all of them, or only
  // whether it is a folder (read-only, hidden, system and archive are then
  // left clear), which spares reading what the file system keeps for them.
  enum class AttributeQuery { All, FolderOnly };

  // Facts of a file or folder ("c:" and "c:\" name the drive's root).
  std::error_code Stat(std::string_view path, EntryFacts& facts, AttributeQuery query = AttributeQuery::All);

  // Sets the attributes of a file or folder as attributes.h describes: the
  // record the file system keeps and, without a native one, the permission
  // bits. A link has no attributes of its own: setting them succeeds and
  // changes nothing (never the link's target). A file with other links is
  // never changed (errc::too_many_links when a change was asked for).
  std::error_code SetAttributes(std::string_view path, Attributes attributes);

  // Deletes a file (or a link). Never removes a folder (errc::is_a_directory,
  // also for the drive's root).
  std::error_code RemoveFile(std::string_view path);

  // Removes an empty folder. Never removes the drive's root
  // (errc::operation_not_permitted on every build).
  std::error_code RemoveFolder(std::string_view folder);

  // Creates a new empty file. Never opens, empties or writes an existing
  // entry: any entry of that name, in any case (a file, a link, a folder),
  // makes it fail with errc::file_exists, and so does the drive's root.
  // Used by the drive's write test.
  std::error_code CreateEmptyFile(std::string_view path);

  // Free bytes on the volume that holds the drive (all free blocks, not only
  // those available to this user).
  std::error_code FreeBytes(char driveLetter, std::uint64_t& bytes);

  // The host path of a virtual path, for messages and for handing a file to
  // another program; the engine never opens it by this string.
  std::error_code HostPath(std::string_view path, std::string& hostPath) const;

  // Drops every cached folder handle (for example after outside changes).
  void ForgetOpenFolders();

  // The folders to spare from now on, by host path (links followed: the
  // program's own folder and its records folder); each is identified now,
  // and one that does not exist is left out. Replaces the earlier list.
  void SpareFolders(const std::vector<std::string>& hostFolders);

  // Called with a text for the user when a drive's root is refused.
  void OnDriveRefused(std::function<void(const std::string&)> listener);

  // What threads that read a drive's folders besides the run's own need
  // (the walk's read-ahead, metadata_warmer.h); each folder they open they
  // open below the root they are given, the walk's way.
  // A descriptor (handle) of drive `letter`'s verified root that is the
  // caller's own, so that nothing this object closes or reopens is shared
  // with them: fails as any opening on a refused or missing drive does.
  std::error_code OpenRootForReaders(char letter, FolderHandle& root);
  // Whether a spared folder may lie on drive `letter`: only then must a
  // folder opened there be checked with IsSpared. True when not known.
  bool SparedMayLieOn(char letter);
  // Whether the open folder `folder` is one of the spared folders (true when
  // it cannot be told). Unlike everything else here, safe to call from any
  // thread, as long as SpareFolders is not called meanwhile.
  bool IsSpared(const FolderHandle& folder) const;

 private:
  DriveTable drives_;
  std::unique_ptr<FolderHandleCache> cache_;
  std::function<void(const std::string&)> onDriveRefused_;  // kept for a new cache
};

// The Windows folder: the first of the folders named "WINDOWS" and "WINNT"
// (Windows NT and 2000), any case, in the root of drive C, as "C:\" + its
// name on disk; WINDOWS is preferred when both exist, and "C:\WINDOWS" is
// the answer when there is neither.
std::string FindWindowsDir(VirtualFileSystem& files);

// The virtual folder (trailing "\") that holds the process's working
// directory, or "C:\" when it lies on no drive.
std::string CurrentVirtualFolder(const DriveTable& drives);

}  // namespace tidewell::platform
