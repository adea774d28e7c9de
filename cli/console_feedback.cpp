#include "cli/console_feedback.h"

#include "engine/cleaning_run.h"
#include "engine/drive_checks.h"
#include "platform/interrupts.h"

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

}  // namespace

ConsoleFeedback::ConsoleFeedback(std::FILE* out, std::FILE* err, bool quiet, bool progressBar)
    : out_(out), err_(err), quiet_(quiet), progressBar_(progressBar && !quiet) {}

void ConsoleFeedback::Attach(session::ProgramSession& program) {
  program_ = &program;
}

void ConsoleFeedback::SetStatusText(std::string_view text) {
  status_ = text;
  if (!quiet_ && status_ != lastPrinted_) {
    ClearProgressBar();
    std::fprintf(out_, "%s\n", status_.c_str());
    std::fflush(out_);
    lastPrinted_ = status_;
  }
  CheckInterrupt();
}

void ConsoleFeedback::SetProgressValue(int value) {
  if (progressBar_ && value != lastBarValue_) {
    constexpr int kWidth = 40;
    const int filled = value * kWidth / 100;
    std::string bar = "\r[" + std::string(static_cast<std::size_t>(filled), '#') +
                      std::string(static_cast<std::size_t>(kWidth - filled), ' ') + "] working ...";
    std::fputs(bar.c_str(), err_);
    std::fflush(err_);
    barShown_ = true;
    lastBarValue_ = value;
  }
  CheckInterrupt();
}

void ConsoleFeedback::ClearProgressBar() {
  if (!barShown_) return;
  std::fputs("\r\033[K", err_);
  std::fflush(err_);
  barShown_ = false;
  lastBarValue_ = -1;
}

bool ConsoleFeedback::SelectDrive(char letter) {
  return program_ != nullptr && program_->SelectDrive(letter);
}

std::string ConsoleFeedback::SelectedDrive() const {
  return program_ == nullptr ? std::string() : program_->Drives().Current();
}

void ConsoleFeedback::ShowDeletionLog() {
  if (quiet_ || program_ == nullptr) return;
  ClearProgressBar();
  std::fprintf(out_, "Deletion log: %s\n", program_->Context().config.LogPath().c_str());
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
    std::fprintf(stream, "\n[%s]\n%s\n", message.title.c_str(), ConsoleText(message.text).c_str());
    if (message.buttons == MessageButtons::YesNo) std::fprintf(stream, "(answered No)\n");
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
  std::fprintf(err_, runBegun_ ? "tidewell-cli: interrupted; the deletion log is closed with what it holds.\n"
                               : "tidewell-cli: interrupted during start-up; nothing was cleaned.\n");
  std::fflush(err_);
  ExitProgram(program_->Context(), 130);
}

}  // namespace tidewell::cli
