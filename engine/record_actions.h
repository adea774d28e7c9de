// Viewing and deleting the two record files, and the summary of the last
// run's figures: what the View menu's "&Log", "&Report" and "&Info" and the
// File menu's "Delete &Log" and "Delete &Report" do.
//
// The records live in the run's records folder (the program's folder, or
// the user's data folder when that cannot be written). Whether a record
// exists is asked of its real path: the caption shows the path upper-cased,
// as the program always named it, but on a file system that tells case
// apart the upper-cased path would name another file.
//
// A record that is larger than a viewer loads is still shown: the viewer
// shows its newest part and says that the beginning was left out (see
// ui/record_viewer.h); a record the viewer cannot read (no permission, a
// pipe or device in its place) gets a message with the file and the reason.
#pragma once

#include <string>

#include "engine/run_context.h"

namespace tidewell {

enum class RecordKind { DeletionLog, RunReport };

// The window that shows a record.
class RecordViewer {
 public:
  virtual ~RecordViewer() = default;
  // Loads the file (replacing what the viewer showed; a viewer that is not
  // open is created), sets its caption, restores it if minimised and shows
  // it, modeless. False, with the reason, when the file could not be read.
  virtual bool ShowRecord(const std::string& hostPath, const std::string& caption, std::string* problem) = 0;
};

// The viewer's caption for a record: "Tidewell Viewer - [<PATH>]". It is
// built afresh for every view, so a viewer still open from an earlier view
// names only the record it shows now.
std::string ViewerCaption(const std::string& hostPath);

// View: the record in the viewer, or the kind's "is empty" message when the
// file does not exist.
void ShowRecordFile(RunContext& context, RecordViewer& viewer, RecordKind kind);

// Delete: asks first; Yes deletes, No deletes nothing; the status line says
// which. A record that is missing gets the "is empty" message; one that
// cannot be deleted gets a message naming the file and the reason.
void DeleteRecordFile(RunContext& context, RecordKind kind);

// Info: the stored figures of the last run and the current date and time.
Message InfoSummary(RunContext& context);

std::string RecordPath(const RunContext& context, RecordKind kind);

}  // namespace tidewell
