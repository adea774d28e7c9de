// The console's progress display, drawn into files that stand in for a
// terminal's standard error and standard output: the frames of the bar, the
// plain lines, and which status texts the bar takes over.
#include "cli/console_progress.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/console_feedback.h"

namespace tidewell::cli {
namespace {

using Phase = DriveProgress::Phase;

// A temporary file that reads back what was written to it.
class Capture {
 public:
  Capture() : file_(std::tmpfile()) {}
  ~Capture() { std::fclose(file_); }
  Capture(const Capture&) = delete;
  Capture& operator=(const Capture&) = delete;
  std::FILE* File() const { return file_; }
  std::string Text() const {
    std::fflush(file_);
    std::string text;
    std::rewind(file_);
    for (int c; (c = std::fgetc(file_)) != EOF;) text.push_back(static_cast<char>(c));
    return text;
  }

 private:
  std::FILE* file_;
};

// The frames of the bar: what each "\r" starts, with the line-clearing
// escape taken out; empty frames (a wipe) left out.
std::vector<std::string> Frames(std::string text) {
  for (std::size_t at; (at = text.find("\033[K")) != std::string::npos;) text.erase(at, 3);
  std::vector<std::string> frames;
  std::size_t start = 0;
  while ((start = text.find('\r', start)) != std::string::npos) {
    const std::size_t end = std::min(text.find('\r', start + 1), text.size());
    if (end > start + 1) frames.push_back(text.substr(start + 1, end - start - 1));
    start = end;
  }
  return frames;
}

std::size_t Filled(const std::string& frame) { return static_cast<std::size_t>(std::count(frame.begin(), frame.end(), '#')); }

constexpr ProgressTiming kEveryCall{std::chrono::milliseconds(0), std::chrono::milliseconds(0)};

void Show(ConsoleProgress& progress, Phase phase, int done, int listed, const ProgressFigures& totals = {}) {
  progress.Show({phase, done, listed}, [&] {
    return ProgressFigures{std::to_string(done), std::to_string(listed), totals.files, totals.bytes};
  });
}

TEST(ConsoleProgressBar, SpinsWhileAnalysingThenFillsWithoutEverMovingBack) {
  Capture out;
  Capture err;
  ConsoleProgress progress(out.File(), err.File(), ProgressStyle::Bar, kEveryCall);
  for (int listed = 1; listed <= 3; ++listed) Show(progress, Phase::Analysing, listed - 1, listed * 10);
  // Figures that go back (never from the engine) must not move the bar back.
  for (const int done : {0, 10, 35, 20, 50, 80, 79, 100}) Show(progress, Phase::Cleaning, done, 100, {"", "", "1,234", "5 KB"});

  const std::vector<std::string> frames = Frames(err.Text());
  ASSERT_EQ(frames.size(), 11u) << err.Text();
  EXPECT_EQ(frames[0], "[/] Analyzing HD: 10 folders found, 0 read");
  EXPECT_EQ(frames[1], "[-] Analyzing HD: 20 folders found, 1 read");
  EXPECT_EQ(frames[2], "[\\] Analyzing HD: 30 folders found, 2 read");
  EXPECT_EQ(frames[3], "[--------------------]   0% 0/100 folders, 1,234 files, 5 KB");
  std::size_t filled = 0;
  for (std::size_t i = 3; i < frames.size(); ++i) {
    EXPECT_GE(Filled(frames[i]), filled) << frames[i];
    filled = Filled(frames[i]);
  }
  EXPECT_EQ(frames[6], "[#######-------------]  35% 20/100 folders, 1,234 files, 5 KB") << "35% stays";
  EXPECT_EQ(frames.back(), "[####################] 100% 100/100 folders, 1,234 files, 5 KB");
  EXPECT_EQ(out.Text(), "") << "the bar stays off standard output";
}

TEST(ConsoleProgressBar, ANewDriveStartsItsBarAgainAndLongFiguresStayWithinTheLine) {
  Capture out;
  Capture err;
  ConsoleProgress progress(out.File(), err.File(), ProgressStyle::Bar, kEveryCall);
  Show(progress, Phase::Cleaning, 90, 100);
  Show(progress, Phase::Analysing, 0, 1);  // the next drive
  Show(progress, Phase::Cleaning, 10, 100);
  progress.Show({Phase::Cleaning, 1234567, 7654321}, [] {
    return ProgressFigures{"1,234,567", "7,654,321", "1,234,567,890", "1,023.99 Megabytes"};
  });
  const std::vector<std::string> frames = Frames(err.Text());
  ASSERT_EQ(frames.size(), 4u);
  EXPECT_EQ(Filled(frames[0]), 18u);
  EXPECT_EQ(Filled(frames[2]), 2u) << "a new drive's bar starts empty";
  EXPECT_EQ(frames[3], "[###-----------------]  16% 1,234,567/7,654,321 folders, 1,234,567,890 files")
      << "the bytes drop out before the line passes 79 columns";
  for (const std::string& frame : frames) EXPECT_LE(frame.size(), 79u) << frame;
}

TEST(ConsoleProgressBar, FramesAreThrottledButTheLastOneAlwaysShows) {
  Capture out;
  Capture err;
  ConsoleProgress progress(out.File(), err.File(), ProgressStyle::Bar,
                           {std::chrono::hours(1), std::chrono::hours(1)});
  int texts = 0;
  for (int done = 0; done <= 1000; ++done) {
    progress.Show({Phase::Cleaning, done, 1000}, [&] {
      ++texts;
      return ProgressFigures{std::to_string(done), "1000"};
    });
  }
  const std::vector<std::string> frames = Frames(err.Text());
  ASSERT_EQ(frames.size(), 2u) << "the first frame and the finished one";
  EXPECT_EQ(texts, 2) << "numbers are formatted only for the frames drawn";
  EXPECT_TRUE(frames[1].starts_with("[####################] 100% ")) << frames[1];
  progress.Clear();
  EXPECT_FALSE(progress.BarShown());
  EXPECT_TRUE(err.Text().ends_with("\r\033[K"));
}

TEST(ConsoleProgressLines, WithoutATerminalAPlainLineNowAndThenAndNothingWhenQuiet) {
  Capture out;
  Capture err;
  ConsoleProgress lines(out.File(), err.File(), ProgressStyle::Lines, kEveryCall);
  Show(lines, Phase::Analysing, 0, 2);  // a phase's first call starts its clock
  Show(lines, Phase::Analysing, 1, 12345);
  Show(lines, Phase::Cleaning, 0, 4);
  Show(lines, Phase::Cleaning, 2, 4);
  EXPECT_EQ(out.Text(), "Analyzing HD: 12345 folders found, 1 read\nCleaning HD: folder 2 of 4 (50%)\n");
  EXPECT_EQ(err.Text(), "");

  Capture quietOut;
  Capture quietErr;
  ConsoleProgress quiet(quietOut.File(), quietErr.File(), ProgressStyle::None, kEveryCall);
  Show(quiet, Phase::Analysing, 0, 5);
  Show(quiet, Phase::Cleaning, 5, 5);
  EXPECT_EQ(quietOut.Text() + quietErr.Text(), "");
}

// With the bar on a terminal and standard output a terminal too, the
// "Cleaning HD: " figures are the bar's; elsewhere they stay lines.
TEST(ConsoleFeedbackProgress, TheBarTakesOverTheCleaningFiguresOnlyOnATerminal) {
  for (const bool outIsTerminal : {true, false}) {
    Capture out;
    Capture err;
    ConsoleFeedback feedback(out.File(), err.File(), false, {.out = outIsTerminal, .err = true}, kEveryCall);
    feedback.SetStatusText("Analyzing HD (this might take a while) ...");
    feedback.ShowDriveProgress({Phase::Analysing, 0, 3});
    feedback.SetStatusText("Cleaning HD:");
    feedback.ShowDriveProgress({Phase::Cleaning, 1, 3});
    feedback.SetStatusText("Cleaning HD: 10 bytes, 1 files cleaned");
    feedback.ShowDriveProgress({Phase::Cleaning, 3, 3});
    feedback.SetStatusText("Done: 10 bytes, 1 files cleaned");
    const std::string printed = out.Text();
    EXPECT_EQ(printed.find("Cleaning HD: 10 bytes") == std::string::npos, outIsTerminal) << printed;
    EXPECT_TRUE(printed.ends_with("Cleaning HD:\n" + std::string(outIsTerminal ? "" : "Cleaning HD: 10 bytes, 1 files cleaned\n") +
                                  "Done: 10 bytes, 1 files cleaned\n"))
        << printed;
    EXPECT_EQ(Frames(err.Text()).size(), 3u) << "each progress call drew once";
    EXPECT_TRUE(err.Text().ends_with("\r\033[K")) << "the bar is wiped before the closing status line";
  }
}

}  // namespace
}  // namespace tidewell::cli
