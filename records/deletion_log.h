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
// The header is one write at OpenSection. After that the two kinds differ:
// - A destructive section writes each line at once, one unbuffered write per
//   line, so a crash or kill loses at most the line in flight, and a line is
//   on disk before the next file is deleted.
// - A test-run section deletes nothing, so it gathers its lines in a buffer
//   of up to 64 KiB (one write per buffer instead of one per line). The
//   buffer goes to the file when the next line would overflow it, at
//   CloseSection, at Close() and when the object is destroyed. A kill loses
//   what the buffer held, and a write that fails (a full disk) is reported by
//   the WriteItem or CloseSection call that flushed, up to 64 KiB of lines
//   after the line that no longer fit on the disk.
// Either way the file only ever receives whole lines: a write that fails
// part-way is taken back, so a log cut short never ends in a torn line.
// Control characters in a path are written in caret notation (a line feed as
// "^J", DEL as "^?"), so one item is always one line and a file name can
// never forge a line of its own.
#pragma once

#include <cstddef>
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

  // Appends one item line (in a test-run section, to the buffer; a full
  // buffer is written first, and its failure is this call's). Fails when no
  // section is open.
  std::error_code WriteItem(LogItem item, std::string_view path);

  // Appends the count line ("<countText> files DELETED"), writes whatever
  // the buffer holds, and closes the file.
  std::error_code CloseSection(std::string_view countText);

  // Writes the lines the buffer holds now, in one call, so that a reader of
  // the file sees every line written so far. The buffer is emptied also when
  // the write fails (the file then holds none of it).
  std::error_code Flush();

  // Writes whatever the buffer holds and closes the file (no count line): the
  // way out when the program ends in the middle of a drive. A write that
  // fails here is not reported; the lines it held are lost.
  void Close();

  // The buffered lines are written as by Close().
  ~DeletionLog();

  bool IsOpen() const { return file_.IsOpen(); }

  // The most a test-run section holds back before writing.
  static constexpr std::size_t kTestRunBufferBytes = 64 * 1024;

 private:
  // Writes one whole line, or adds it to the buffer in a test-run section.
  std::error_code PutLine(std::string_view line);

  platform::AppendFile file_;
  bool buffered_ = false;  // a test-run section is open
  std::string buffer_;     // whole lines not yet written
};

// The path with every control character (bytes 0-31 and 127) in caret notation.
std::string EscapedForLog(std::string_view path);

}  // namespace tidewell
