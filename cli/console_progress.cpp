#include "cli/console_progress.h"

#include <algorithm>

namespace tidewell::cli {
namespace {

constexpr std::size_t kMostColumns = 79;
constexpr std::size_t kBarWidth = 20;
constexpr std::size_t kFixed = 2 + 1 + 4 + 1;  // "[", "]", " ", "100%", " "
constexpr char kSpinner[] = {'|', '/', '-', '\\'};

}  // namespace

ConsoleProgress::ConsoleProgress(std::FILE* out, std::FILE* err, ProgressStyle style, ProgressTiming timing)
    : out_(out), err_(err), style_(style), timing_(timing) {}

void ConsoleProgress::Show(const DriveProgress& progress, const ProgressTexts& texts) {
  if (style_ == ProgressStyle::None) return;
  const auto now = std::chrono::steady_clock::now();
  const bool newPhase = phase_ != progress.phase;
  if (newPhase) {
    phase_ = progress.phase;
    if (progress.phase == DriveProgress::Phase::Analysing) shownPermille_ = 0;  // a new drive
    lastLine_ = now;
  }
  const bool cleaning = progress.phase == DriveProgress::Phase::Cleaning;
  const int permille = progress.listed > 0 ? static_cast<int>(static_cast<long long>(progress.done) * 1000 /
                                                              progress.listed)
                                           : 0;
  if (cleaning) shownPermille_ = std::max(shownPermille_, std::min(permille, 1000));

  if (style_ == ProgressStyle::Lines) {
    // The stage's own status line has just said where the run is.
    if (newPhase || now - lastLine_ < timing_.line) return;
    lastLine_ = now;
    const ProgressFigures figures = texts();
    if (cleaning) {
      std::fprintf(out_, "Cleaning HD: folder %s of %s (%d%%)\n", figures.done.c_str(), figures.listed.c_str(),
                   shownPermille_ / 10);
    } else {
      std::fprintf(out_, "Analyzing HD: %s folders found, %s read\n", figures.listed.c_str(), figures.done.c_str());
    }
    std::fflush(out_);
    return;
  }
  const bool complete = cleaning && progress.done >= progress.listed;
  if (barShown_ && !newPhase && !complete && now - lastFrame_ < timing_.redraw) return;
  lastFrame_ = now;
  DrawBar(progress, texts());
}

void ConsoleProgress::DrawBar(const DriveProgress& progress, const ProgressFigures& figures) {
  const std::string& done = figures.done;
  const std::string& listed = figures.listed;
  std::string line;
  if (progress.phase == DriveProgress::Phase::Analysing) {
    spinner_ = (spinner_ + 1) % static_cast<int>(sizeof kSpinner);
    line = std::string("[") + kSpinner[spinner_] + "] Analyzing HD: " + listed + " folders found, " + done + " read";
  } else {
    // A bar of one width for the whole drive; the figures after it drop
    // the bytes, then the files, where the line would grow too long.
    const std::string folders = done + "/" + listed + " folders";
    std::string text = folders;
    for (const std::string& longer :
         {folders + ", " + figures.files + " files, " + figures.bytes, folders + ", " + figures.files + " files"}) {
      if (!figures.files.empty() && kFixed + kBarWidth + longer.size() <= kMostColumns) {
        text = longer;
        break;
      }
    }
    const std::size_t filled = kBarWidth * static_cast<std::size_t>(shownPermille_) / 1000;
    char percent[16];
    std::snprintf(percent, sizeof percent, "%3d%%", shownPermille_ / 10);
    line = "[" + std::string(filled, '#') + std::string(kBarWidth - filled, '-') + "] " + percent + " " + text;
  }
  if (line.size() > kMostColumns) line.resize(kMostColumns);
  std::fprintf(err_, "\r%s\033[K", line.c_str());
  std::fflush(err_);
  barShown_ = true;
}

void ConsoleProgress::Clear() {
  if (!barShown_) return;
  std::fputs("\r\033[K", err_);
  std::fflush(err_);
  barShown_ = false;
}

}  // namespace tidewell::cli
