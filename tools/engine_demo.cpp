// tidewell-engine-demo: a test run of the whole rule table over drive C, to
// show the engine at work until the console front end arrives.
//
//   tidewell-engine-demo [--select-all] [--records FOLDER]
//
// The drives come from TIDEWELL_DRIVES ("C=/srv/win98"). It walks drive C
// breadth first and applies the rule table with the default category
// selection (every category with --select-all) exactly as a test run does:
// nothing is deleted or changed, everything that a destructive run would
// remove is counted and written to the deletion log. It prints the totals.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "engine/category_rules.h"
#include "engine/folder_walker.h"
#include "engine/log_section.h"
#include "platform/process_facts.h"
#include "platform/text_file.h"
#include "records/byte_count.h"

namespace {

using namespace tidewell;

// Prints status texts and messages; answers every question with No.
class ConsoleFeedback : public RunFeedback {
 public:
  void SetStatusText(std::string_view text) override {
    status_ = text;
    std::cout << status_ << '\n';
  }
  std::string StatusText() const override { return status_; }
  void SetProgressValue(int) override {}
  void StartAnimation() override {}
  void StopAnimation() override {}
  void PlayWave(const std::string&, bool) override {}
  void CloseSoundDevice() override {}
  void SetBusyPointer() override {}
  void SetDefaultPointer() override {}
  void MinimiseWindow() override {}
  void RestoreWindow() override {}
  void Repaint() override {}
  void Beep() override {}
  void LockControls() override {}
  void UnlockControls() override {}
  bool SelectDrive(char) override { return false; }
  std::string SelectedDrive() const override { return "c:"; }
  void ShowDeletionLog() override {}
  MessageAnswer ShowMessage(const Message& message) override {
    std::cout << message.title << ": " << message.text << '\n';
    return message.buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::No;
  }
  [[noreturn]] void EndProgram(int exitStatus) override { std::exit(exitStatus); }
  void ProcessPendingMessages() override {}

 private:
  std::string status_;
};

int Usage(const char* problem) {
  if (problem != nullptr) std::cerr << "tidewell-engine-demo: " << problem << "\n";
  std::cerr << "usage: TIDEWELL_DRIVES=C=/folder tidewell-engine-demo [--select-all] [--records FOLDER]\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  bool selectAll = false;
  std::string records;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--records" && i + 1 < argc) {
      records = argv[++i];
    } else if (argument == "--select-all") {
      selectAll = true;
    } else if (argument == "--help") {
      Usage(nullptr);
      return 0;
    } else {
      return Usage(("unknown option " + argument).c_str());
    }
  }

  std::vector<std::string> problems;
  platform::DriveTable drives = platform::DriveTable::FromSources({}, {}, &problems);
  for (const std::string& problem : problems) std::cerr << "tidewell-engine-demo: " << problem << "\n";
  if (drives.Find('C') == nullptr) return Usage("no drive C: set TIDEWELL_DRIVES, e.g. C=/srv/win98");

  platform::VirtualFileSystem files(std::move(drives));
  FixedCleaningOptions options;
  options.Set(RunOption::TestRun, 1);
  options.Set(RunOption::OptimisePerformance, 1);
  FixedCategoryStates categories;
  if (selectAll) categories.Apply(Preset::SelectAll);
  ConsoleFeedback feedback;
  RunContext context(files, options, categories, feedback);
  context.programFolder = platform::ProgramFolder();
  context.recordsFolder = records.empty() ? platform::RecordsFolder(context.programFolder) : records;
  context.WindowsDir = platform::FindWindowsDir(files);

  feedback.SetStatusText("Analyzing HD (this might take a while) ...");
  const FolderList folders = ListFolders(context, "c:", "\\");
  feedback.SetStatusText("Cleaning HD:");
  if (std::error_code error = OpenLogSection(context, "c:")) {
    std::cerr << "tidewell-engine-demo: cannot write " << context.LogPath() << ": " << error.message() << "\n";
    return 3;
  }
  ApplyCategoryRules(context, "c:", folders, folders.Count());
  CloseLogSection(context);

  std::cout << "\n" << folders.Count() << " folders walked; a destructive run would remove "
            << FormatByteCount(context.totals.totalBytes) << " in "
            << context.locale->WholeNumber(context.totals.totalFiles) << " files ("
            << (selectAll ? "every category" : "the default categories") << ").\n"
            << "Deletion log: " << context.LogPath() << "\n";
  return 0;
}
