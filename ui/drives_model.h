// What Options > Drives... does, for both front ends: list the drives with
// their facts (session/drive_facts.h), add a host folder under a free
// letter, remove a drive the store maps. Each change is written to the
// store's [Drives] at once, and the session's drive table and drive list
// are read afresh from it (ProgramSession::ReloadDrives), so the main
// window's list shows the change; the front end then refills its widget.
//
// Which drives may change:
//   - Drives named by TIDEWELL_DRIVES: none. While the variable is set the
//     store's [Drives] is not read, so nothing written there would count;
//     ChangesBlocked() says so and every change is refused with that text.
//     The same when the store's file cannot be read (nothing can be written
//     to it without losing what it holds).
//   - A drive of the store's [Drives] can be removed: every line of its
//     letter goes ("D", "d:" ...), nothing else in the file changes.
//   - A drive found on this machine (Wine prefix, mount, system letter) is
//     no entry of any file: Remove refuses it and says so.
//   - A folder is added under a letter that no drive uses, when it is an
//     existing folder given by its full path, it answers within the mount
//     time limit (platform/mount_time_limit.h: a hung mount does not hold
//     the window), and the drive table accepts it (not the host's root or a
//     system folder, not a folder another drive already stands for);
//     otherwise the refusal says why.
//   - Found drives are used only while [Drives] names none: the first
//     folder added would make them vanish. AddQuestion() then asks first,
//     and Add() writes the found drives to [Drives] too, so they stay; as
//     drives of the store a destructive run cleans them without their being
//     picked, which the question says.
// A failed write is told in a box that names the file and the reason; the
// table is read afresh all the same, so the dialog shows what the file holds.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "session/drive_facts.h"
#include "session/program_session.h"
#include "settings/message_box.h"

namespace tidewell::ui {

// The dialog's texts, the same in both front ends. The columns are those of
// tidewell-cli --drives.
inline constexpr std::string_view kDrivesTitle = "Drives";
inline constexpr std::string_view kDrivesColumns[] = {"Drive", "Label", "File system", "Found in", "Unattended",
                                                      "Folder"};
inline constexpr std::string_view kDrivesNote =
    "Unattended \"yes\": a destructive run cleans the drive without your picking it. A drive only found on "
    "this machine is cleaned by a destructive run only when you pick it in the drive list.";
inline constexpr std::string_view kAddDriveCaption = "&Add...";
inline constexpr std::string_view kRemoveDriveCaption = "&Remove";
inline constexpr std::string_view kCloseDrivesCaption = "&Close";
inline constexpr std::string_view kAddDriveTitle = "Add a Drive";
inline constexpr std::string_view kAddDriveLetterCaption = "Drive &letter:";
inline constexpr std::string_view kAddDriveFolderCaption = "&Folder:";
inline constexpr std::string_view kBrowseCaption = "&Browse...";

// A row's cells as the dialog shows them, in the order of kDrivesColumns.
std::vector<std::string> DriveCells(const session::DriveFacts& drive);

class DrivesModel {
 public:
  // `session` must outlive the model.
  explicit DrivesModel(session::ProgramSession& session) : session_(session) {}

  // The drives as the dialog lists them, in letter order.
  std::vector<session::DriveFacts> Rows() const { return session::DescribeDrives(session_); }

  // The letters no drive uses, A to Z, in order.
  std::vector<char> FreeLetters() const;

  // Why no drive can be added or removed here at all; none when they can.
  std::optional<std::string> ChangesBlocked() const;

  // Why `folder` cannot become drive `letter`; none when Add would take it.
  std::optional<Message> AddRefusal(char letter, const std::string& folder) const;
  // The Yes/No question to ask before Add when the drives shown were only
  // found (see above); none when there is nothing to ask.
  std::optional<Message> AddQuestion(char letter) const;
  // Maps `folder` as drive `letter` in [Drives] (with the found drives, when
  // AddQuestion asked) and reads the drives afresh. The box to show when
  // it was refused or could not be saved; none when the drive was added.
  std::optional<Message> Add(char letter, const std::string& folder);

  // Why drive `letter` cannot be removed here; none when Remove would.
  std::optional<Message> RemoveRefusal(char letter) const;
  // Takes drive `letter` out of [Drives] and reads the drives afresh. The
  // box to show when it was refused or could not be saved; none when done.
  std::optional<Message> Remove(char letter);

  // Add... and Remove as both dialogs run them, their boxes shown with
  // `boxes`. AddAsked: a refusal, or No to AddQuestion, keeps the Add window
  // open (false); otherwise the drive is added, `changed` runs (the window
  // refills its lists) and a failure to save is shown after it (true: the
  // Add window closes). RemoveAsked: a refusal changes nothing; otherwise
  // the drive is removed, `changed` runs and a failure is shown after it.
  bool AddAsked(char letter, const std::string& folder, MessageBoxes& boxes, const std::function<void()>& changed);
  void RemoveAsked(char letter, MessageBoxes& boxes, const std::function<void()>& changed);

 private:
  // True when the drives of the table were only found on this machine.
  bool DrivesWereFound() const;

  session::ProgramSession& session_;
};

}  // namespace tidewell::ui
