// The drive list: which drive a run cleans, as the user sees it.
//
// Entries read "c: [DRIVE_C]": the letter in lower case, a colon, and the
// drive's label in brackets. Front ends keep one DriveList behind their
// widget (or behind the console's --drive) and run the drive check when the
// selection changes.
#pragma once

#include <string>
#include <vector>

#include "platform/drive_table.h"
#include "settings/message_box.h"

namespace tidewell {

enum class DriveSelection { NoSuchDrive, Unchanged, Changed };

class DriveList {
 public:
  // Starts on `startLetter` when it names a drive, else on C, else on the
  // first drive of the table; empty when the table has none.
  DriveList(const platform::DriveTable& drives, char startLetter);

  static std::string EntryText(const platform::DriveMapping& drive);

  // Every entry in letter order.
  const std::vector<std::string>& Entries() const { return entries_; }
  // The current entry; empty when there is no drive at all.
  const std::string& Current() const { return current_; }

  // Selects the drive of a letter (either case). A letter that names no
  // drive leaves the selection as it was.
  DriveSelection Select(char letter);

 private:
  std::vector<std::string> entries_;
  std::string current_;
};

// What the user is told when no drive is mapped at all: how to map one, by
// the environment or in the store's file at `storePath`.
Message NoDriveMessage(const std::string& storePath);

// What the user is told when the store's file exists but cannot be read,
// whatever names the drives: the file, why (`reason`, a few plain words),
// that nothing is cleaned (the file holds the keep list and the age limit),
// and how to go on.
Message UnreadableStoreMessage(const std::string& storePath, const std::string& reason);

}  // namespace tidewell
