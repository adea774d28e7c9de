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
// The keep list ("never touch this"): patterns of full Windows paths with the
// listing wildcards (platform/wildcard.h: "*" and "?", case ignored, "*"
// crossing "\" like any other character), e.g. "C:\PROJECTS\*" or
// "*\SAVEGAME.TMP". A path is kept when it matches a pattern, or when a
// folder on the way to it does: every folder above a file, the drive's root
// included, is tested twice, without and with its trailing "\" ("c:\PROJECTS"
// and "c:\PROJECTS\"). So "Path=C:\PROJECTS" and "Path=C:\PROJECTS\*" both
// keep the folder and everything in and below it, while "Path=*\SAVEGAME.TMP"
// keeps that file (or folder) wherever it lies. A pattern must start with a
// drive ("C:") or a wildcard, since it is matched against whole paths, and
// may not hold "/" (a host path is no Windows path).
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

#include "platform/preferences_store.h"

namespace tidewell {

inline constexpr int kMaximumAgeDays = 36500;

// A day count as the user wrote it: digits only, 0 to kMaximumAgeDays. On
// failure `why` says what is wrong in a few plain words ("it is empty", "it
// is negative", ...) and nothing is returned.
std::optional<int> ParseAgeDays(std::string_view text, std::string& why);

// Whether a keep pattern can match a full path (see above); `why` as for
// ParseAgeDays.
bool IsUsableKeepPattern(std::string_view pattern, std::string& why);

class KeepList {
 public:
  void Add(std::string pattern) { patterns_.push_back(std::move(pattern)); }
  bool Empty() const { return patterns_.empty(); }
  const std::vector<std::string>& Patterns() const { return patterns_; }

  // True when `path` (a file's full path, or a folder's with its trailing
  // "\") or a folder on the way to it matches a pattern.
  bool Keeps(std::string_view path) const;

 private:
  bool MatchesAny(std::string_view path) const;

  std::vector<std::string> patterns_;
};

struct RunFilters {
  std::optional<int> minimumAgeDays;  // none: no age limit
  KeepList keep;

  // True unless the age limit spares a file last modified at `modified`
  // when the cleaning began at `now` (both in seconds since 1970 UTC).
  bool OldEnough(std::int64_t modified, std::int64_t now) const;
};

// The stored filters. Each bad value adds one line to `problems`, naming the
// section, the value and what happens instead, and is left out.
RunFilters LoadRunFilters(platform::PreferencesStore& store, std::vector<std::string>& problems);

}  // namespace tidewell
