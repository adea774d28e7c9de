// The deletion log, "Tidewell.log": one section per cleaned drive, appended
// run after run, never rewritten.
//
// A section, each line ending in CR LF:
//   (empty line)
//   TIDEWELL III LOG FILE
//   <long date> @ <long time>
//   Drive C:
//   [Results of NON-DESTRUCTIVE TEST RUN]              | [Results of DESTRUCTIVE run]
//   Tidewell logged the following files for deletion,  | Tidewell DELETED the following files and folders:
//   but did not actually delete any of these files:    |
//   Delete file: <path> / Remove folder: <path\>       (any number)
//   <count> files DELETED
// Every item line is one unbuffered write, so a crash or kill loses at most
// the line in flight. Control characters in a path are written in caret
// notation (a line feed as "^J", DEL as "^?"), so one item is always one
// line and a file name can never forge a line of its own.
#pragma once

#include <string>
#include <string_view>
#include <system_error>

#include "platform/text_file.h"
#include "records/run_kind.h"

namespace tidewell {

enum class LogItem { DeleteFile, RemoveFolder };

class DeletionLog {
 public:
  // Opens the file for appending (creating it) and writes the header lines.
  // `drive` is the drive as the run names it ("c:"); its first two
  // characters, upper-cased, follow "Drive ". `openedAt` is the date line.
  std::error_code OpenSection(const std::string& hostPath, std::string_view drive, RunKind kind,
                              std::string_view openedAt);

  // Appends one item line. Fails when no section is open.
  std::error_code WriteItem(LogItem item, std::string_view path);

  // Appends the count line ("<countText> files DELETED") and closes the file.
  std::error_code CloseSection(std::string_view countText);

  // Closes the file with what it holds (no count line): the way out when the
  // program ends in the middle of a drive.
  void Close();

  bool IsOpen() const { return file_.IsOpen(); }

 private:
  platform::AppendFile file_;
};

// The path with every control character (bytes 0-31 and 127) in caret notation.
std::string EscapedForLog(std::string_view path);

}  // namespace tidewell
