// What View > Figures by Category shows after a run: for each drive the run
// ended (finished, stopped or abandoned), the categories that chose files,
// biggest first, with the same columns and figures as the console's
// `--by-category` table (category name, caption, files, size). Front-end
// neutral: each window draws the rows in its own table control.
#pragma once

#include <string>
#include <vector>

#include "engine/run_context.h"
#include "platform/locale_format.h"

namespace tidewell::ui {

// The title of the figures window and of its menu entry (without the
// access marker).
inline constexpr const char* kFiguresTitle = "Figures by Category";
// Shown in the place of a drive's rows when no category chose a file.
inline constexpr const char* kNoCategoryChoseAFile = "(no category chose a file)";

struct CategoryFiguresRow {
  std::string drive;     // "C:"
  std::string category;  // the category's settings name; empty for a drive with no rows
  std::string caption;   // its caption as the window shows it (translated); kNoCategoryChoseAFile for none
  std::string files;     // as a whole number in the locale's way, e.g. "1,234"
  std::string size;      // as the records write sizes, e.g. "5.00 Megabytes"
};

// The drives of the last run, collected as the run tells the front end
// (RunConfig::driveFinished); cleared when the next run starts.
class RunFigures {
 public:
  void Clear() { drives_.clear(); }
  void Add(const DriveSummary& drive) { drives_.push_back(drive); }
  // Whether a run has ended a drive since the last Clear.
  bool Empty() const { return drives_.empty(); }
  std::vector<CategoryFiguresRow> Rows(const platform::LocaleFormat& locale) const;

 private:
  std::vector<DriveSummary> drives_;
};

}  // namespace tidewell::ui
