#include "engine/drive_list.h"

#include "platform/text_case.h"

namespace tidewell {

DriveList::DriveList(const platform::DriveTable& drives, char startLetter) {
  for (const platform::DriveMapping& drive : drives.Drives()) entries_.push_back(EntryText(drive));
  if (Select(startLetter) == DriveSelection::NoSuchDrive && Select('C') == DriveSelection::NoSuchDrive &&
      !entries_.empty()) {
    current_ = entries_.front();
  }
}

std::string DriveList::EntryText(const platform::DriveMapping& drive) {
  std::string entry(1, static_cast<char>(drive.letter - 'A' + 'a'));
  return entry + ": [" + drive.label + "]";
}

DriveSelection DriveList::Select(char letter) {
  const char wanted = ToUpperAscii(letter);
  for (const std::string& entry : entries_) {
    if (ToUpperAscii(entry[0]) != wanted) continue;
    if (entry == current_) return DriveSelection::Unchanged;
    current_ = entry;
    return DriveSelection::Changed;
  }
  return DriveSelection::NoSuchDrive;
}

Message NoDriveMessage(const std::string& storePath) {
  return {"No Drive",
          "Tidewell found no drive to clean.\r\r"
          "Map one with the environment variable TIDEWELL_DRIVES, for example\r"
          "  TIDEWELL_DRIVES='C=/srv/win98'\r"
          "or add a line such as  C=/srv/win98  under [Drives] in " +
              storePath,
          MessageIcon::Exclamation, MessageButtons::Ok};
}

Message UnreadableStoreMessage(const std::string& storePath, const std::string& reason) {
  return {"Settings Error",
          "Tidewell can't read its settings file " + storePath + "\r\rReason: " + reason +
              ".\r\r"
              "That file holds what you keep (the keep list and the age limit), the kinds of files to "
              "clean and may name the drives, so Tidewell cleans nothing until it can read the file "
              "again, even where TIDEWELL_DRIVES names the drives. Nothing was changed.\r\r"
              "Make the file readable for your user again (a run as another user, such as root, may "
              "have taken it over), or move it away to start again from the defaults.",
          MessageIcon::Exclamation, MessageButtons::Ok};
}

}  // namespace tidewell
