#include "ui/drives_model.h"

#include <filesystem>
#include <memory>
#include <string_view>
#include <system_error>

#include "platform/drive_host.h"
#include "platform/mount_time_limit.h"
#include "i18n/translation.h"
#include "platform/text_case.h"

namespace tidewell::ui {
namespace {

constexpr std::string_view kSection = "Drives";

Message Box(std::string text, MessageIcon icon = MessageIcon::Exclamation) {
  return Message{"Drives", std::move(text), icon, MessageButtons::Ok};
}

std::string DriveName(char letter) { return std::string(1, letter) + ":"; }

// A problem text of the drive table ("drive D: maps to ...; it is left
// out") as the reason of a refusal here, where nothing is left out of a file.
std::string AsReason(std::string problem) {
  constexpr std::string_view kLeftOut = "; it is left out";
  if (problem.ends_with(kLeftOut)) problem.resize(problem.size() - kLeftOut.size());
  if (!problem.empty()) problem[0] = ToUpperAscii(problem[0]);
  return problem + ".";
}

std::string CannotSave(const std::string& storePath, const std::error_code& error) {
  return "Tidewell could not save " + storePath + ": " + error.message() + ". The file was left as it is.";
}

// Writes `folder` as drive `letter`, first taking out every other line of
// that letter (a refused "D:" line would otherwise stay before it).
std::error_code WriteDrive(platform::PreferencesStore& store, char letter, const std::string& folder) {
  const std::string name(1, letter);
  if (std::error_code error = store.Remove(kSection, name + ":")) return error;
  return store.Write(kSection, name, folder);
}

}  // namespace

std::vector<std::string> DriveCells(const session::DriveFacts& drive) {
  // Where the drive came from and "yes"/"no" are the dialog's own words, in
  // the user's language; the label and the folder are the drive's own.
  return {DriveName(drive.letter),
          drive.label,
          drive.fileSystem.value_or("?"),
          std::string(i18n::Translated(drive.source)),
          std::string(i18n::Translated(drive.unattended ? "yes" : "no")),
          drive.folder};
}

std::vector<char> DrivesModel::FreeLetters() const {
  std::vector<char> free;
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    if (session_.Files().Drives().Find(letter) == nullptr) free.push_back(letter);
  }
  return free;
}

std::optional<std::string> DrivesModel::ChangesBlocked() const {
  if (platform::DriveMappingsFromEnvironment()) {
    return "TIDEWELL_DRIVES names the drives: while it is set, Tidewell reads no drives from " +
           session_.StorePath() + ". Change the variable where it is set, or remove it to choose drives here.";
  }
  if (session_.StoreUnreadable()) {
    return "Tidewell cannot read " + session_.StorePath() +
           ", so it changes nothing in it. Fix the file (start-up said why), then add or remove drives here.";
  }
  return std::nullopt;
}

bool DrivesModel::DrivesWereFound() const {
  const platform::DriveTable& table = session_.Files().Drives();
  if (table.Empty()) return false;
  for (const platform::DriveMapping& mapping : table.Drives()) {
    if (platform::NamedByUser(mapping.source)) return false;
  }
  return true;
}

std::optional<Message> DrivesModel::AddRefusal(char letter, const std::string& folder) const {
  if (const std::optional<std::string> blocked = ChangesBlocked()) return Box(*blocked);
  const char upper = ToUpperAscii(letter);
  if (upper < 'A' || upper > 'Z') return Box("Choose a drive letter from A to Z.");
  const platform::DriveTable& table = session_.Files().Drives();
  if (const platform::DriveMapping* taken = table.Find(upper)) {
    return Box("Drive " + DriveName(upper) + " is already in use: it stands for " + taken->hostRoot +
               ". Choose a free letter, or remove " + DriveName(upper) + " first.");
  }
  if (folder.empty()) return Box("Choose the folder that drive " + DriveName(upper) + " is to stand for.");
  if (!std::filesystem::path(folder).is_absolute()) {
    return Box("\"" + folder + "\" is not a full path. Give the folder's full path.");
  }
  // Asked with the mount time limit, as the drive table asks: a folder on a
  // hung mount must not hold the window for ever.
  auto kind = std::make_shared<platform::HostEntryKind>(platform::HostEntryKind::Missing);
  const auto ask = [kind, folder] { *kind = platform::KindOfHostEntry(folder); };
  if (!platform::AnswersWithin(platform::MountTimeLimit(), ask)) {
    return Box("The folder \"" + folder + "\" gives no answer (a hung mount?). Choose another folder.");
  }
  switch (*kind) {
    case platform::HostEntryKind::Missing:
      return Box("The folder \"" + folder + "\" does not exist. Choose an existing folder.");
    case platform::HostEntryKind::NotAFolder:
      return Box("\"" + folder + "\" is a file, not a folder. Choose a folder.");
    case platform::HostEntryKind::Folder:
      break;
  }
  // The drive table's own verdict, as it will be when the store is read:
  // the host's root, a system folder, a folder another drive stands for.
  platform::DriveTable trial = table;
  if (std::optional<std::string> problem = trial.Add(upper, folder, {}, platform::DriveSource::Store)) {
    return Box("Drive " + DriveName(upper) + " was not added. " + AsReason(std::move(*problem)));
  }
  return std::nullopt;
}

std::optional<Message> DrivesModel::AddQuestion(char letter) const {
  if (!DrivesWereFound()) return std::nullopt;
  std::string found;
  for (const platform::DriveMapping& mapping : session_.Files().Drives().Drives()) {
    found += (found.empty() ? "" : ", ") + DriveName(mapping.letter);
  }
  return Message{"Drives",
                 "Tidewell uses the drives it found on this machine (" + found + ") only while [Drives] in " +
                     session_.StorePath() + " names no drive. To keep them, they are written there too, with " +
                     DriveName(ToUpperAscii(letter)) +
                     ".\r\rA destructive run then cleans them without your picking them in the drive list, "
                     "as it does every drive you add.\r\rAdd " +
                     DriveName(ToUpperAscii(letter)) + " and keep the found drives?",
                 MessageIcon::Question, MessageButtons::YesNo};
}

std::optional<Message> DrivesModel::Add(char letter, const std::string& folder) {
  if (std::optional<Message> refusal = AddRefusal(letter, folder)) return refusal;
  const char upper = ToUpperAscii(letter);
  platform::PreferencesStore& store = session_.StoreFile();
  std::error_code error;
  if (DrivesWereFound()) {
    for (const platform::DriveMapping& mapping : session_.Files().Drives().Drives()) {
      if ((error = WriteDrive(store, mapping.letter, mapping.hostRoot))) break;
    }
  }
  if (!error) error = WriteDrive(store, upper, folder);
  session_.ReloadDrives();
  if (error) return Box("Drive " + DriveName(upper) + " was not added. " + CannotSave(session_.StorePath(), error));
  if (session_.Files().Drives().Find(upper) == nullptr) {
    // Read back, the file gave another table (changed meanwhile by another
    // program); the dialog shows what it holds now.
    return Box("Drive " + DriveName(upper) + " was written to " + session_.StorePath() +
               " but is not among the drives read back from it.");
  }
  return std::nullopt;
}

std::optional<Message> DrivesModel::RemoveRefusal(char letter) const {
  if (const std::optional<std::string> blocked = ChangesBlocked()) return Box(*blocked);
  const char upper = ToUpperAscii(letter);
  const platform::DriveMapping* mapping = session_.Files().Drives().Find(upper);
  if (mapping == nullptr) return Box("There is no drive " + DriveName(upper) + ".");
  switch (mapping->source) {
    case platform::DriveSource::Store:
      return std::nullopt;
    case platform::DriveSource::Environment:
      return Box("Drive " + DriveName(upper) +
                 " is set by TIDEWELL_DRIVES. Remove it from the variable where it is set, then start Tidewell "
                 "again.");
    case platform::DriveSource::WinePrefix:
    case platform::DriveSource::Mount:
    case platform::DriveSource::SystemLetter:
      break;
  }
  return Box("Drive " + DriveName(upper) + " was found on this machine (" + session::SourceName(mapping->source) +
             "); no file names it, so there is nothing to remove. Tidewell uses the drives it finds only while "
             "[Drives] in " + session_.StorePath() +
             " names none, and a destructive run cleans such a drive only when you pick it in the drive list.");
}

std::optional<Message> DrivesModel::Remove(char letter) {
  if (std::optional<Message> refusal = RemoveRefusal(letter)) return refusal;
  const char upper = ToUpperAscii(letter);
  const std::string name(1, upper);
  platform::PreferencesStore& store = session_.StoreFile();
  std::error_code error = store.Remove(kSection, name);
  if (!error) error = store.Remove(kSection, name + ":");
  session_.ReloadDrives();
  if (error) {
    return Box("Drive " + DriveName(upper) + " was not removed. " + CannotSave(session_.StorePath(), error));
  }
  return std::nullopt;
}

bool DrivesModel::AddAsked(char letter, const std::string& folder, MessageBoxes& boxes,
                           const std::function<void()>& changed) {
  if (const std::optional<Message> refusal = AddRefusal(letter, folder)) {
    boxes.ShowMessage(*refusal);
    return false;
  }
  if (const std::optional<Message> question = AddQuestion(letter)) {
    if (boxes.ShowMessage(*question) != MessageAnswer::Yes) return false;
  }
  const std::optional<Message> failure = Add(letter, folder);
  changed();
  if (failure) boxes.ShowMessage(*failure);
  return true;
}

void DrivesModel::RemoveAsked(char letter, MessageBoxes& boxes, const std::function<void()>& changed) {
  if (const std::optional<Message> refusal = RemoveRefusal(letter)) {
    boxes.ShowMessage(*refusal);
    return;
  }
  const std::optional<Message> failure = Remove(letter);
  changed();
  if (failure) boxes.ShowMessage(*failure);
}

}  // namespace tidewell::ui
