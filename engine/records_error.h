// A record file (the deletion log or the run report) that could not be
// written or deleted.
//
// The cleaning run cannot go on without its records: a destructive run that
// could not log what it removes, or a report that stops half-way, would leave
// the user without the account of what happened to the disk. Whatever step
// fails throws RecordsError; the drive's run catches it, abandons the drive
// at that step with its files closed, and tells the user once.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>

#include "settings/message_box.h"

namespace tidewell {

enum class RecordsFile { DeletionLog, RunReport };

struct RecordsFailure {
  RecordsFile file = RecordsFile::DeletionLog;
  std::string hostPath;
  std::error_code error;
  bool deleting = false;  // the report could not be deleted (keep report off)
};

class RecordsError : public std::runtime_error {
 public:
  explicit RecordsError(RecordsFailure failure);
  const RecordsFailure& Failure() const { return failure_; }

 private:
  RecordsFailure failure_;
};

// The message the user gets when a drive's run was abandoned for it: it names
// the file, the reason and the drive, e.g.
//   Tidewell can't write its deletion log /opt/tidewell/Tidewell.log
//   Reason: No space left on device
//   Cleaning of drive C: was stopped. ...
// When a pipe, device, folder or a file with a second link stands in the
// record's place (platform::TextFileError), the advice is to remove it
// rather than to free space.
Message RecordsFailureMessage(const RecordsFailure& failure, std::string_view drive);

}  // namespace tidewell
