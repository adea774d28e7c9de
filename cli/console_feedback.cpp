#include "cli/console_feedback.h"

#include "engine/cleaning_run.h"
#include "engine/drive_checks.h"
#include "i18n/translation.h"
#include "platform/interrupts.h"
#include "records/byte_count.h"

namespace tidewell::cli {
namespace {

// A message's text for the console: each carriage return (a paragraph break
// is two) becomes a line break.
std::string ConsoleText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out.push_back('\n');
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

ProgressStyle StyleFor(bool quiet, ConsoleTerminals terminals) {
  if (quiet) return ProgressStyle::None;
  return terminals.err ? ProgressStyle::Bar : ProgressStyle::Lines;
}

// A status text the bar carries: "Cleaning HD: 3.40 Megabytes, 120 files
// cleaned", not the bare "Cleaning HD:" that starts the stage.
bool HoldsCleaningFigures(std::string_view text) {
  constexpr std::string_view kCleaning = "Cleaning HD: ";
  return text.starts_with(kCleaning) && text.size() > kCleaning.size();
}

}  // namespace

ConsoleFeedback::ConsoleFeedback(std::FILE* out, std::FILE* err, bool quiet, ConsoleTerminals terminals,
                                 ProgressTiming timing)
    : out_(out),
      err_(err),
      quiet_(quiet),
      progress_(out, err, StyleFor(quiet, terminals), timing),
      barHoldsFigures_(progress_.Style() == ProgressStyle::Bar && terminals.out) {}

void ConsoleFeedback::Attach(session::ProgramSession& program) {
  program_ = &program;
}

void ConsoleFeedback::SetStatusText(std::string_view text) {
  status_ = text;
  if (!quiet_ && status_ != lastPrinted_ && !(barHoldsFigures_ && HoldsCleaningFigures(status_))) {
    ClearProgressBar();
    std::fprintf(out_, "%s\n", i18n::TranslatedLines(status_).c_str());
    std::fflush(out_);
    lastPrinted_ = status_;
  }
  CheckInterrupt();
}

// The engine's bar bounces to show that work goes on; the console shows
// the folders instead (ShowDriveProgress).
void ConsoleFeedback::SetProgressValue(int) { CheckInterrupt(); }

void ConsoleFeedback::ShowDriveProgress(const DriveProgress& progress) {
  if (progress_.Style() == ProgressStyle::None) return;
  progress_.Show(progress, [&] {
    const platform::LocaleFormat* locale = program_ != nullptr ? program_->Context().config.locale : nullptr;
    if (locale == nullptr) return ProgressFigures{std::to_string(progress.done), std::to_string(progress.listed)};
    const RunTotals& totals = program_->Context().state.totals;
    return ProgressFigures{locale->WholeNumber(progress.done), locale->WholeNumber(progress.listed),
                           locale->WholeNumber(totals.totalFiles),
                           FormatByteCount(totals.totalBytes, ExactBytes::Omit, *locale)};
  });
}

void ConsoleFeedback::ClearProgressBar() { progress_.Clear(); }

bool ConsoleFeedback::SelectDrive(char letter) {
  return program_ != nullptr && program_->SelectDrive(letter);
}

std::string ConsoleFeedback::SelectedDrive() const {
  return program_ == nullptr ? std::string() : program_->Drives().Current();
}

void ConsoleFeedback::ShowDeletionLog() {
  if (quiet_ || program_ == nullptr) return;
  ClearProgressBar();
  std::fprintf(out_, "%s\n", i18n::TranslatedComposed("Deletion log: " + program_->Context().config.LogPath()).c_str());
  std::fflush(out_);
}

MessageAnswer ConsoleFeedback::ShowMessage(const Message& message) {
  // A message raised by the interrupt itself (a store write cut short while
  // it waited for the lock) is not a problem to tell: the program ends.
  CheckInterrupt();
  const bool problem = message.icon == MessageIcon::Error || message.icon == MessageIcon::Exclamation;
  const MessageAnswer answer = message.buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
  if (problem || !quiet_) {
    ClearProgressBar();
    std::FILE* stream = problem ? err_ : out_;
    std::fprintf(stream, "\n[%s]\n%s\n", std::string(i18n::Translated(message.title)).c_str(),
                 ConsoleText(i18n::TranslatedLines(message.text)).c_str());
    if (message.buttons == MessageButtons::YesNo) {
      std::fprintf(stream, "%s\n", std::string(i18n::Translated("(answered No)")).c_str());
    }
    std::fprintf(stream, "\n");
    std::fflush(stream);
  }
  return answer;
}

void ConsoleFeedback::EndProgram(int exitStatus) {
  ClearProgressBar();
  throw ProgramEnd{exitStatus};
}

bool ConsoleFeedback::StopRequested() const { return platform::InterruptRequested(); }

void ConsoleFeedback::CheckInterrupt() {
  if (!platform::InterruptRequested() || ending_ || program_ == nullptr) return;
  ending_ = true;
  ClearProgressBar();
  const std::string_view line = runBegun_
                                    ? "tidewell-cli: interrupted; the deletion log is closed with what it holds."
                                    : "tidewell-cli: interrupted during start-up; nothing was cleaned.";
  std::fprintf(err_, "%s\n", std::string(i18n::Translated(line)).c_str());
  std::fflush(err_);
  ExitProgram(program_->Context(), 130);
}

}  // namespace tidewell::cli
