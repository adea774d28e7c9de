// Fixture drives: the portable part. What asks the host itself (temporary
// folders, read-only marks, links, permission bits) is in temp_drive_posix.cpp
// and temp_drive_win32.cpp.
#include "tests/support/temp_drive.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "platform/text_file.h"

namespace fs = std::filesystem;

namespace tidewell::testing {
namespace {

std::string Slashed(std::string_view relative) {
  std::string out(relative);
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
  while (!out.empty() && out.front() == '/') out.erase(out.begin());
  return out;
}

}  // namespace

TempDrive::TempDrive(std::string hostRoot) : root_(std::move(hostRoot)) { fs::create_directories(HostPathOf(root_)); }

std::string TempDrive::Host(std::string_view relative) const {
  const std::string rest = Slashed(relative);
  return rest.empty() ? root_ : root_ + "/" + rest;
}

void TempDrive::Folder(std::string_view relative) { fs::create_directories(HostPathOf(Host(relative))); }

void TempDrive::File(std::string_view relative, std::int64_t size) {
  const fs::path path = HostPathOf(Host(relative));
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot create " + Utf8Of(path));
  out << std::string(static_cast<std::size_t>(size), 'x');
}

void TempDrive::Build(std::initializer_list<FixtureEntry> entries) {
  for (const FixtureEntry& entry : entries) {
    const bool folder = !entry.path.empty() && (entry.path.back() == '\\' || entry.path.back() == '/');
    if (folder) {
      Folder(entry.path);
    } else {
      File(entry.path, entry.size);
    }
    if (entry.attributes.find('R') != std::string::npos || entry.attributes.find('r') != std::string::npos) {
      SetReadOnly(entry.path);
    }
  }
}

namespace {

platform::DriveTable MakeTable(const std::string& base, std::string_view letters, std::string_view missing) {
  platform::DriveTable table;
  for (char letter : letters) {
    const char lower = static_cast<char>(letter | 0x20);
    const std::string root = base + "/drive_" + lower;
    if (missing.find(letter) == std::string_view::npos) fs::create_directories(root);
    table.Add(letter, root);
  }
  return table;
}

}  // namespace

TestWorld::TestWorld(std::string_view letters, std::string_view missingAtLoad)
    : base_(), files(MakeTable(base_.Path(), letters, missingAtLoad)),
      config({.files = files,
              .options = options,
              .categories = categories,
              .feedback = feedback,
              .suppressEvents = suppressEvents,
              .locale = &platform::LocaleFormat::Classic(),
              .clock = &clock}),
      context(config) {
  for (char letter : letters) {
    const char upper = static_cast<char>(letter & ~0x20);
    feedback.driveEntries[upper] = std::string(1, static_cast<char>(upper | 0x20)) + ": [DRIVE_" + upper + "]";
    if (missingAtLoad.find(letter) != std::string_view::npos) continue;
    drives_[upper] = std::make_unique<TempDrive>(base_.Path() + "/drive_" + static_cast<char>(letter | 0x20));
  }
  fs::create_directories(Outside());
  fs::create_directories(base_.Path() + "/records");
  config.recordsFolder = base_.Path() + "/records";
  config.programFolder = base_.Path() + "/program";
  config.windowsDir = "C:\\WINDOWS";
  if (!drives_.empty()) feedback.selectedDrive = feedback.driveEntries.begin()->second;
}

TestWorld::~TestWorld() { context.state.log.Close(); }

TempDrive& TestWorld::Drive(char letter) { return *drives_.at(static_cast<char>(letter & ~0x20)); }

TempDrive& TestWorld::Appear(char letter) {
  std::unique_ptr<TempDrive>& drive = drives_[static_cast<char>(letter & ~0x20)];
  if (!drive) drive = std::make_unique<TempDrive>(base_.Path() + "/drive_" + static_cast<char>(letter | 0x20));
  return *drive;
}

std::string TestWorld::Outside(std::string_view relative) const {
  const std::string rest = Slashed(relative);
  return rest.empty() ? base_.Path() + "/outside" : base_.Path() + "/outside/" + rest;
}

std::string TestWorld::LogText() const {
  std::string text;
  platform::ReadTextFile(config.LogPath(), text);
  return text;
}

std::vector<std::string> SplitCrLfLines(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const std::size_t end = text.find("\r\n");
    if (end == std::string_view::npos) {
      lines.emplace_back(text);
      break;
    }
    lines.emplace_back(text.substr(0, end));
    text.remove_prefix(end + 2);
  }
  return lines;
}

std::vector<std::string> TestWorld::LogItems() const {
  std::vector<std::string> items;
  for (const std::string& line : SplitCrLfLines(LogText())) {
    if (line.rfind("Delete file: ", 0) == 0 || line.rfind("Remove folder: ", 0) == 0) items.push_back(line);
  }
  return items;
}

}  // namespace tidewell::testing
