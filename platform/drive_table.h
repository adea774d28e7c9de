// The table of drives: which host folder each drive letter stands for.
//
// The engine speaks Windows paths ("c:\WINDOWS\TEMP\"); a drive is a letter
// that this table maps onto a host folder, its root. The table is read, first
// source that gives any drive, from
//   1. the environment variable TIDEWELL_DRIVES, e.g. "C=/srv/win98;D=/mnt/data"
//      (letters in any case, entries separated by ";");
//   2. a list handed over by the caller (the per-user store's "Drives"
//      section, read by whoever owns the store);
//   3. discovery on the host (Wine prefix, mounted volumes).
// FromSources() takes the second and third as arguments so that this layer
// does not depend on the store.
//
// A mapping is refused, with a problem text for the user that names the
// entry and says what to do, when
//   - the entry has no "=", names no letter, or a letter not A to Z ("CC",
//     "1"); letters in either case, with or without ":", are fine, and so
//     are A and B (the floppy letters: they are cleaned only when chosen on
//     their own, never by an all-drives run, which cleans C to Z);
//   - the folder is empty, not an absolute path, or holds a NUL byte;
//   - the folder is the host root "/", however it is spelled ("//", "/./",
//     "/tmp/..") or reached (a link to "/", a bind mount of "/", a
//     /proc/N/root alias): cleaning it would clean the host; the same for the
//     system's own folders ("/usr", "/etc", ... and anything inside "/proc",
//     "/sys" and "/dev" but "/dev/shm"), compared by identity (the host's,
//     or those the table was made with);
//   - the folder does not exist and its path holds "..", because where it
//     would land once it exists cannot be known now;
//   - the folder is a file;
//   - the letter is already mapped (the first mapping counts), or the folder
//     is, under another letter (compared with links resolved, and by
//     identity), so that an all-drives run never cleans one folder twice.
// Every question a mapping's folder is asked here (its real path, what it
// is, its identity) is asked with the mount time limit: a folder on a file
// system that does not answer in time (a hung FUSE or network mount) is kept
// as a drive without a disk, with a problem text that names it, and nothing
// asks it again; the table is read in at most that time per such mapping.
// Each mapping is resolved once, here, to its real folder (links resolved:
// a Wine dosdevices entry is a link), and that folder's identity recorded;
// nothing re-resolves it later. A folder that does not exist is kept (it
// behaves as a drive without a medium) and also reported as a problem; its
// path is resolved as far as it exists, and it may appear later only as a
// real folder, reached with no link, that is no system folder. Empty entries (";;", a trailing
// ";") and blanks and line ends around the letter and the folder are ignored.
// FromSources() starts each problem with its source ("TIDEWELL_DRIVES: ",
// "[Drives] in the settings file: ").
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/system_folders.h"

namespace tidewell::platform {

// Which folder a drive's root is: its device and inode, and the mount it was
// reached through (a bind mount of the same folder has another mount id).
struct FolderIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::uint64_t mountId = 0;
  bool hasMountId = false;

  // The same folder, reached through any mount.
  bool SameFolder(const FolderIdentity& other) const { return device == other.device && inode == other.inode; }
  // The same folder through the same mount (where both know their mount).
  bool SameFolderAndMount(const FolderIdentity& other) const {
    return SameFolder(other) && (!hasMountId || !other.hasMountId || mountId == other.mountId);
  }
};

// Where a drive's mapping came from. The user names drives in the
// environment or the store; the others were found on the host, and a
// destructive run cleans such a drive only when the user names it for that
// run (session/program_session.h).
enum class DriveSource {
  Environment,   // TIDEWELL_DRIVES, or a table built by hand (a test)
  Store,         // the store's [Drives] section
  WinePrefix,    // a Wine prefix's dosdevices link
  Mount,         // a mounted volume from the mount table
  SystemLetter,  // one of Windows' own drive letters
};

// True for the sources in which the user names the drive.
constexpr bool NamedByUser(DriveSource source) {
  return source == DriveSource::Environment || source == DriveSource::Store;
}

struct DriveMapping {
  DriveMapping() = default;
  DriveMapping(char letter, std::string hostRoot, std::string label, std::optional<FolderIdentity> identity = {},
               DriveSource source = DriveSource::Environment)
      : letter(letter), hostRoot(std::move(hostRoot)), label(std::move(label)), identity(identity), source(source) {}

  char letter = 0;        // upper case, 'A' to 'Z'
  std::string hostRoot;   // absolute host folder, without trailing "/" (unless "/")
  std::string label;      // what the drive list shows in brackets
  // The root folder's identity when the mapping was added; none when the
  // folder did not exist then. Every opening of the root is checked
  // against it (see virtual_file_system.h).
  std::optional<FolderIdentity> identity;
  // False when the folder gave no answer within the mount time limit when
  // the mapping was added (platform/mount_time_limit.h): the drive is a
  // drive without a disk for the life of the table, never asked again.
  bool answers = true;
  DriveSource source = DriveSource::Environment;
};

class DriveTable {
 public:
  // A table that refuses the host's own system folders.
  DriveTable() = default;
  // A table that refuses `systemFolders` instead of the host's (a test's
  // sentinel folders in its own temporary folder). The file system layer
  // made from the table refuses the same folders as its drives' roots. The
  // Windows build compares with the host's own under Wine whatever it is
  // given here.
  explicit DriveTable(SystemFolders systemFolders) : systemFolders_(std::move(systemFolders)) {}

  // Parses "X=/folder;Y=/other". Each refused entry adds one problem text.
  static DriveTable Parse(std::string_view text, std::vector<std::string>* problems);

  // TIDEWELL_DRIVES when set and non-empty, else `stored` (letter=folder
  // pairs), else `discovered`. Problems of the chosen source are reported.
  static DriveTable FromSources(const std::vector<std::pair<std::string, std::string>>& stored,
                                const std::vector<DriveMapping>& discovered,
                                std::vector<std::string>* problems);
  // The same, with discovery asked only when neither of the first two
  // sources gives a drive (it reads the host's mounts and Wine prefix).
  static DriveTable FromSources(const std::vector<std::pair<std::string, std::string>>& stored,
                                const std::function<std::vector<DriveMapping>()>& discover,
                                std::vector<std::string>* problems);

  // Adds a mapping; returns a problem text when it is refused (see above).
  std::optional<std::string> Add(char letter, std::string_view hostRoot,
                                 std::string_view label = {}, DriveSource source = DriveSource::Environment);

  // The mapping of a letter (either case), or nullptr.
  const DriveMapping* Find(char letter) const;

  // All mappings in letter order.
  const std::vector<DriveMapping>& Drives() const { return drives_; }
  bool Empty() const { return drives_.empty(); }

  // The virtual folder ("C:\DATA\", trailing "\") for a host path that lies
  // at or below a drive's root, choosing the drive with the longest root;
  // nullopt when it lies on no drive or a component holds a "\".
  std::optional<std::string> HostToVirtual(std::string_view hostPath) const;

  // The virtual folder of a host path on one given drive (either case), also
  // when another drive's root lies nearer; the path is compared with its
  // links resolved, with the root's real path resolved when it was added.
  // nullopt when the path does not lie at or below that drive's root, or a
  // component holds a "\".
  std::optional<std::string> HostToVirtualOn(char letter, std::string_view hostPath) const;

  // Every drive whose root lies inside another drive's root: the files in
  // it have a name on each drive. `folderOnOuter` is the inner root's
  // virtual folder on the outer drive ("C:\DATA\"). Worked out from the
  // roots as resolved when they were added, with no call to the host.
  struct NestedDrive {
    char outer = 0;
    char inner = 0;
    std::string folderOnOuter;
  };
  std::vector<NestedDrive> NestedDrives() const;

  // The folders given to the constructor; nullopt: the host's.
  const std::optional<SystemFolders>& SystemFoldersGiven() const { return systemFolders_; }

 private:
  // Adds the mapping of a folder that gave no answer in time, as a drive
  // without a disk; returns the problem text that says so.
  std::optional<std::string> AddUnanswering(char letter, std::string_view hostRoot, std::string_view label);

  std::vector<DriveMapping> drives_;
  std::optional<SystemFolders> systemFolders_;
};

// The default label of a drive: its host folder's name in upper case
// ("/home/u/.wine/drive_c" gives "DRIVE_C"; "/" would give "ROOT"), with
// each control character shown as "?" so the label stays on one line.
std::string DefaultDriveLabel(std::string_view hostRoot);

}  // namespace tidewell::platform
