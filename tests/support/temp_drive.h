// Fixture drives for tests: real folders in a fresh temporary directory,
// mapped as drives, with the engine's whole run context around them.
//
//   TestWorld world;                       // drive C in <base>/drive_c
//   world.Drive('C').Build({{"WINDOWS\\TEMP\\~DF1.TMP", 12},
//                           {"DATA\\keep.doc", 3, "R"},
//                           {"EMPTY\\"}});
//   DeleteMatchingFiles(world.context, "c:", "c:\\WINDOWS\\TEMP\\", "*.TMP");
//
// Paths in fixtures use "\" (or "/") relative to the drive's root; a path
// ending with a separator is a folder. Everything is removed again when the
// world goes away, read-only folders included.
#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/run_context.h"
#include "tests/support/recording_feedback.h"
#include "tests/support/test_clock.h"

namespace tidewell::testing {

// Paths in the tests are UTF-8 text. These turn one into a std::filesystem
// path and back without the host's narrow encoding, which on Windows is the
// ANSI code page and would make "caf\xc3\xa9" another name.
inline std::filesystem::path HostPathOf(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
inline std::string Utf8Of(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

struct FixtureEntry {
  std::string path;             // relative, "\"-separated; trailing "\" = folder
  std::int64_t size = 0;        // bytes of a file ("x" repeated)
  std::string attributes = {};  // "R" read-only, "H" hidden name is up to the path
};

// A temporary folder that is removed, whole, with the object.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& Path() const { return path_; }
  // The path with links resolved (TMPDIR may lie behind one), as the drive
  // table keeps its roots.
  std::string ResolvedPath() const;

 private:
  std::string path_;
};

// One drive's root folder on the host.
class TempDrive {
 public:
  explicit TempDrive(std::string hostRoot);
  const std::string& Root() const { return root_; }

  // Host path of a relative fixture path ("\" or "/" separated).
  std::string Host(std::string_view relative) const;

  void Build(std::initializer_list<FixtureEntry> entries);
  void File(std::string_view relative, std::int64_t size = 0);
  void Folder(std::string_view relative);
  void SetReadOnly(std::string_view relative, bool readOnly = true);
  void Link(std::string_view relative, const std::string& target);

  bool Exists(std::string_view relative) const;  // links not followed
  bool IsWritableByOwner(std::string_view relative) const;

 private:
  std::string root_;
};

// Drives C (and any others named) under a temporary base folder, an
// "outside" folder next to them that no drive maps, a records folder for the
// log, and a run context wired to a recording feedback.
class TestWorld {
 public:
  // Drives `letters`, each in <base>/drive_<letter>. The folders of
  // `missingAtLoad` (some of `letters`) do not exist when the drive table is
  // loaded, and Drive() does not know them: the test makes what appears there.
  explicit TestWorld(std::string_view letters = "C", std::string_view missingAtLoad = {});
  ~TestWorld();

  TempDrive& Drive(char letter);
  // Makes the folder of a drive that was missing at load (an empty folder,
  // for example to mount a volume on) and lets Drive() know it from now on.
  TempDrive& Appear(char letter);
  const std::string& Base() const { return base_.Path(); }
  std::string Outside(std::string_view relative = {}) const;

  // The whole deletion log as written so far ("" when there is none).
  std::string LogText() const;
  // The log's item lines only, without their CR LF.
  std::vector<std::string> LogItems() const;

  void SetOption(RunOption option, int value) { options.Set(option, value); }
  // Destructive runs that keep the deletion log: test run off, maintain log
  // on (the run option and the Deepwash box alike).
  void SetDestructiveLoggedRuns() {
    SetOption(RunOption::TestRun, 0);
    SetOption(RunOption::MaintainLog, 1);
    categories.Set(CategoryId::MaintainLog, 1);
  }
  void SetCategory(CategoryId category, int value) { categories.Set(category, value); }

 private:
  TempFolder base_;
  std::map<char, std::unique_ptr<TempDrive>> drives_;

 public:
  platform::VirtualFileSystem files;
  FixedCleaningOptions options;
  FixedCategoryStates categories;  // every box at its default
  RecordingFeedback feedback;
  bool suppressEvents = false;
  TestClock clock;
  // What the world's runs are given: a test changes it before a run, the
  // engine reads it through context.config.
  RunConfig config;
  RunContext context;
};

// Every entry below a drive's root (relative host path) with its type and
// permission bits and, for a file, its size: what "nothing changed on disk"
// and "both runs left the same drive" compare.
std::map<std::string, std::string> DriveContents(const TempDrive& drive);

// The permission bits of a host entry (links not followed), 0 when missing.
unsigned ModeOf(const std::string& hostPath);

// The lines of a CR LF text, without their line ends.
std::vector<std::string> SplitCrLfLines(std::string_view text);

}  // namespace tidewell::testing
