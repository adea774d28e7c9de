#include "engine/drive_checks.h"

#include <cstdint>
#include <random>
#include <system_error>

#include "platform/text_case.h"
#include "platform/wildcard.h"

namespace tidewell {
namespace {

std::string OrCurrentFolder(std::string_view path, const platform::DriveTable& drives) {
  if (!path.empty()) return std::string(path);
  return platform::CurrentVirtualFolder(drives);
}

// "$" and seven random hex digits ".$$$": a write-test name that nothing on
// the drive bears by chance.
std::string OtherWriteTestName() {
  std::random_device random;
  char name[] = "$0000000.$$$";
  const unsigned value = random();
  for (int i = 0; i < 7; ++i) name[1 + i] = "0123456789ABCDEF"[(value >> (4 * i)) & 0xF];
  return name;
}

}  // namespace

std::string DriveSpec(std::string_view path, const platform::DriveTable& drives) {
  const std::string text = OrCurrentFolder(path, drives);
  return std::string(1, text.front()) + ":";
}

std::string FolderSpec(std::string_view path, const platform::DriveTable& drives) {
  std::string text = OrCurrentFolder(path, drives);
  const std::size_t colon = text.find(':');
  std::string rest = colon == std::string::npos ? text : text.substr(colon + 1);
  if (rest.empty() || rest.front() != '\\') rest.insert(rest.begin(), '\\');
  if (rest.back() != '\\') rest.push_back('\\');
  return rest;
}

bool PathExists(RunContext& context, std::string_view path) {
  if (path.empty()) return false;
  platform::EntryFacts facts;
  return !context.config.files.Stat(path, facts, platform::VirtualFileSystem::AttributeQuery::FolderOnly);
}

bool IsNormalFile(RunContext& context, std::string_view path) {
  platform::EntryFacts facts;
  if (context.config.files.Stat(path, facts)) return false;
  return (facts.attributes & (platform::kHidden | platform::kSystem | platform::kFolder)) == 0;
}

bool NormalFileExists(RunContext& context, std::string_view pattern) {
  if (pattern.empty()) return false;
  std::string folder;
  std::string_view namePattern;
  const std::size_t slash = pattern.rfind('\\');
  if (slash != std::string_view::npos) {
    folder.assign(pattern.substr(0, slash + 1));
    namePattern = pattern.substr(slash + 1);
  } else if (pattern.size() >= 2 && pattern[1] == ':') {
    folder = DriveSpec(pattern, context.config.files.Drives()) + "\\";
    namePattern = pattern.substr(2);
  } else {
    folder = OrCurrentFolder({}, context.config.files.Drives());
    namePattern = pattern;
  }
  if (namePattern.empty()) namePattern = "*.*";
  platform::FolderReader reader;
  if (context.config.files.OpenFolder(folder, reader)) return false;
  platform::FolderEntry entry;
  std::string path;
  while (reader.Next(entry)) {
    if (entry.isFolder || !platform::MatchesWildcard(entry.name, namePattern)) continue;
    path.assign(folder).append(entry.name);
    if (IsNormalFile(context, path)) return true;
  }
  return false;
}

bool DriveIsReadOnly(RunContext& context, std::string_view drive) {
  // The test file is made under a name of its own: "$$$$$$$$.$$$" first, and
  // when anything already bears that name (in any case: a file, a folder, a
  // link, a FIFO, all somebody's and never opened), a random one instead. Only
  // a refusal to create a new file says the drive cannot be written.
  constexpr int kNamesTried = 4;
  const std::string root = DriveSpec(drive, context.config.files.Drives()) + "\\";
  std::string testFile = root + "$$$$$$$$.$$$";
  std::error_code error = context.config.files.CreateEmptyFile(testFile);
  for (int tried = 1; error == std::errc::file_exists && tried < kNamesTried; ++tried) {
    testFile = root + OtherWriteTestName();
    error = context.config.files.CreateEmptyFile(testFile);
  }
  if (error) return true;
  context.config.files.RemoveFile(testFile);  // the file this test made, and only that
  return false;
}

float DriveFreeBytes(RunContext& context, std::string_view drive) {
  std::uint64_t bytes = 0;
  if (context.config.files.FreeBytes(DriveSpec(drive, context.config.files.Drives()).front(), bytes)) return 0.0f;
  return static_cast<float>(bytes);
}

DriveCheckResult CheckSelectedDrive(RunContext& context) {
  RunFeedback& ui = context.config.feedback;
  ui.SetStatusText("Checking drive ...");
  ui.Repaint();
  DriveCheckResult result = DriveCheckResult::Skipped;
  if (!context.config.suppressEvents) {
    result = DriveCheckResult::Passed;
    std::string selected = UpperCased(ui.SelectedDrive());
    if (!PathExists(context, std::string_view(selected).substr(0, 2))) {
      result = DriveCheckResult::Failed;
      ui.SetStatusText("Can't clean drive " + selected);
      ui.ShowMessage({"Drive Error",
                      "Tidewell can't access drive " + selected + "\r\r" +
                          "Make sure the disk drive is on, connected, and contains a disk.",
                      MessageIcon::Error, MessageButtons::Ok});
      ui.SelectDrive('C');  // runs this handler again for drive C
    }
    selected = UpperCased(ui.SelectedDrive());
    if (DriveIsReadOnly(context, selected)) {
      result = DriveCheckResult::Failed;
      ui.SetStatusText("Can't clean drive " + selected);
      ui.ShowMessage({"Drive Error",
                      "Tidewell can't clean drive " + selected + " because it is a read-only device.",
                      MessageIcon::Error, MessageButtons::Ok});
      ui.SelectDrive('C');
    }
  }
  ui.SetStatusText("Ready to clean drive " + UpperCased(ui.SelectedDrive()));
  return result;
}

}  // namespace tidewell
