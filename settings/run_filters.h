// The run's filters: an age limit and a keep list, on top of the rule table.
//
// Neither changes which rows run; each only stops a file (or folder) that a
// row chose from being counted, logged or deleted. Both are off unless the
// user asks: no stored value and no console option give a run exactly as
// without them.
//
// The age limit ("only files older than N days"): a file whose last
// modification lies less than N whole days (N * 86,400 seconds) before the
// moment the drive's cleaning began is not chosen; so is a file dated in the
// future. N is a whole number from 0 to 36,500 (a hundred years); 0 spares
// only files changed after the cleaning began.
//
// The keep list ("never touch this"): patterns of full Windows paths,
// matched name by name (platform/path_pattern.h): each part between two "\"
// matches one name with the listing wildcards ("*" and "?", case ignored,
// "*.*", ".*" and a bare "." judged on that name alone), while a part that
// is "*" alone matches any number of folders, none included. E.g.
// "C:\PROJECTS\*", "*\SAVEGAME.TMP", "C:\*\TEMP\*.*". A path is kept when
// it matches a pattern, or when a folder on the way to it does, the drive's
// root included. So "Path=C:\PROJECTS", "Path=C:\PROJECTS\" and
// "Path=C:\PROJECTS\*" all keep the folder and everything in and below it,
// while "Path=*\SAVEGAME.TMP" keeps that file (or folder) wherever it lies.
// Matching costs time linear in the path's length, however many stars.
//
// A pattern that can never match is refused, saying why: one that is empty,
// holds "/" (a host path is no Windows path), an empty part ("C:\\X", a
// leading "\"), a "." or ".." part, or a first part that matches no drive
// ("C:X", "1:\X", "*.DOC"; write "*\*.DOC"). The letters A and B count: a
// floppy drive may be cleaned on its own.
//
// One folder with two names: when a drive's root lies inside another
// drive's root (C=/srv/c and D=/srv/c/DATA), a file in it has a name on
// each drive (c:\DATA\keep.tmp is D:\keep.tmp), and it is kept when any of
// them matches, whichever drive is cleaned (SeeThroughDrives()). The drives
// are compared by their resolved host folders, so links and Wine's
// dosdevices entries are seen through; a bind mount of a folder of one drive
// mounted elsewhere as another drive is not recognised.
//
// Where the values come from: [Preferences] MinimumAgeDays and the Path=
// lines of [Keep] in the per-user store, read through the session for both
// front ends; the console's --older-than replaces the stored limit and each
// --keep adds a pattern, for its run only. A bad stored value is told once,
// as a problem, and left out of the filters; since a limit or pattern left
// out could remove what it was written to protect, both front ends then
// refuse to clean until it is fixed (session/program_session.h,
// FilterProblems()).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/drive_table.h"
#include "platform/path_pattern.h"
#include "platform/preferences_store.h"

namespace tidewell {

inline constexpr int kMaximumAgeDays = 36500;

// A day count as the user wrote it: digits only, 0 to kMaximumAgeDays. On
// failure `why` says what is wrong in a few plain words ("it is empty", "it
// is negative", ...) and nothing is returned.
std::optional<int> ParseAgeDays(std::string_view text, std::string& why);

// Whether a keep pattern can ever match a path (see above); `why` as for
// ParseAgeDays.
bool IsUsableKeepPattern(std::string_view pattern, std::string& why);

class KeepList {
 public:
  // Adds a pattern; a pattern that IsUsableKeepPattern() refuses is not
  // added, and false is returned with `why`.
  bool Add(std::string_view pattern, std::string& why);
  bool Add(std::string_view pattern) {
    std::string why;
    return Add(pattern, why);
  }
  bool Empty() const { return patterns_.empty(); }
  std::vector<std::string> Patterns() const;

  // Takes the drives whose root lies inside another's from the table, so
  // that a file is judged by every name it has (see above).
  void SeeThroughDrives(const platform::DriveTable& drives);

  // True when `path` (a file's full path, or a folder's with its trailing
  // "\") or a folder on the way to it matches a pattern, under any of its
  // names.
  bool Keeps(std::string_view path) const;

 private:
  bool MatchesAny(std::string_view path) const;

  // A path that starts with `folder` (case ignored) is also `name` + the
  // rest of it.
  struct OtherName {
    std::string folder;
    std::string name;
  };
  std::vector<platform::PathPattern> patterns_;
  std::vector<OtherName> otherNames_;
};

struct RunFilters {
  std::optional<int> minimumAgeDays;  // none: no age limit
  KeepList keep;

  // True unless the age limit spares a file last modified at `modified`
  // when the cleaning began at `now` (both in seconds since 1970 UTC).
  bool OldEnough(std::int64_t modified, std::int64_t now) const;
};

// The stored filters. Each bad value adds one line to `problems`, naming the
// section, the value and what happens instead (a [Keep] line starts with
// its line number: "line 7: [Keep] Path=..."), and is left out.
RunFilters LoadRunFilters(platform::PreferencesStore& store, std::vector<std::string>& problems);

}  // namespace tidewell
