// The console's progress display of a drive's run, from the folder figures
// the engine reports (RunFeedback::ShowDriveProgress):
//   - on a terminal (standard error), one line redrawn in place: while the
//     drive is analysed a spinner with the folders found so far and how
//     many of them the walk has read; once it is
//     cleaned a determinate bar, folders done of folders listed, with the
//     files and bytes chosen so far. The bar never moves backwards within a
//     drive, and a line never takes more than 79 columns (the 80th would
//     wrap on some terminals);
//   - not on a terminal, a plain line on standard output every few seconds
//     ("Analyzing HD: 12,345 folders found, 6,789 read", "Cleaning HD: folder 1,234 of
//     5,678 (21%)"), so a log of a long run shows it moving;
//   - nothing when quiet (-q, --json).
// Redraws are throttled by time, so a fast run draws a few frames only.
#pragma once

#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>

#include "engine/run_feedback.h"

namespace tidewell::cli {

enum class ProgressStyle {
  None,   // quiet
  Bar,    // standard error is a terminal
  Lines,  // it is not
};

struct ProgressTiming {
  std::chrono::milliseconds redraw{100};  // at most one frame of the bar per
  std::chrono::milliseconds line{5000};   // at most one plain line per
};

// What a frame or line shows, in the locale's texts: the folders, and the
// run's totals so far (empty texts leave them out).
struct ProgressFigures {
  std::string done;    // "1,234"
  std::string listed;  // "5,678"
  std::string files{};   // "1,234"
  std::string bytes{};   // "3.40 Megabytes"
};
// Makes the texts; asked only when a frame or line is drawn, so that the
// run does not format numbers for each of its folders.
using ProgressTexts = std::function<ProgressFigures()>;

class ConsoleProgress {
 public:
  ConsoleProgress(std::FILE* out, std::FILE* err, ProgressStyle style, ProgressTiming timing = {});

  void Show(const DriveProgress& progress, const ProgressTexts& texts);
  // Wipes the bar's line, so that another line can be printed; the next
  // Show() draws it again.
  void Clear();
  bool BarShown() const { return barShown_; }
  ProgressStyle Style() const { return style_; }

 private:
  void DrawBar(const DriveProgress& progress, const ProgressFigures& figures);

  std::FILE* out_;
  std::FILE* err_;
  ProgressStyle style_;
  ProgressTiming timing_;
  std::optional<DriveProgress::Phase> phase_;
  int shownPermille_ = 0;  // the bar's fill, never less within a drive's cleaning
  int spinner_ = 0;
  bool barShown_ = false;
  std::chrono::steady_clock::time_point lastFrame_{};
  std::chrono::steady_clock::time_point lastLine_{};
};

}  // namespace tidewell::cli
