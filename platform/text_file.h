// Host text files that the program writes itself: the deletion log and the
// run report. These live in the program's folder (or the user's data folder),
// addressed by host path, outside any drive mapping.
//
// A record is only ever a regular file of the program's own: opening one
// never blocks (a FIFO in its place cannot hang a run) and a file with a
// second name (a hard link to a file elsewhere) is never written, since
// appending to it would change that other file too. Such files fail with the
// errors of TextFileError below, whose messages say what stands in the way.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>

namespace tidewell::platform {

// Why a host text file was refused, beyond what the system itself reports.
enum class TextFileError {
  NotARegularFile = 1,  // a FIFO, socket, device or folder in the file's place
  SeveralLinks,         // the file has another name (a hard link)
};

const std::error_category& TextFileCategory();
std::error_code make_error_code(TextFileError error);

// A file opened for appending. Every Append() is one write straight to the
// file, with no buffer in between, so a crash or kill loses at most the text
// of the call in flight. Movable, not copyable; closes itself.
class AppendFile {
 public:
  AppendFile();
  AppendFile(AppendFile&& other) noexcept;
  AppendFile& operator=(AppendFile&& other) noexcept;
  AppendFile(const AppendFile&) = delete;
  AppendFile& operator=(const AppendFile&) = delete;
  ~AppendFile();

  // Opens (creating when missing; on POSIX mode 0644 less the umask) for appending.
  // Refuses a symbolic link in the file's place, and (without waiting for a
  // reader or writer) anything but a regular file with exactly one link.
  // Closes any file open before.
  std::error_code Open(const std::string& hostPath);

  // Writes all of `text`, retrying short writes. Fails when nothing is open.
  // A write that fails part-way (a full disk) is taken back, so the file
  // holds the whole text or none of it.
  std::error_code Append(std::string_view text);

  // Flushes the file's data to the disk (used before reporting success of
  // something that must survive a crash).
  std::error_code Sync();

  std::error_code Close();
  bool IsOpen() const { return state_ != nullptr; }

 private:
  struct State;  // the open file, per platform
  std::unique_ptr<State> state_;
};

// Deletes a file; a missing file is not an error.
std::error_code DeleteTextFile(const std::string& hostPath);

// Reads a whole file into `text` (at most `limit` bytes; larger files fail
// with errc::file_too_large). Only a regular file is read; the open never
// waits (TextFileError::NotARegularFile for a FIFO or device).
std::error_code ReadTextFile(const std::string& hostPath, std::string& text,
                             std::size_t limit = 16u << 20);

// Reads the last `limit` bytes of a regular file, or the whole file when it
// is no larger; `skipped` gets the number of bytes before them that were
// left out (0 when the whole file was read). A file that grows meanwhile
// still gives at most `limit` bytes. Never waits, like ReadTextFile().
std::error_code ReadTextFileTail(const std::string& hostPath, std::string& text, std::size_t limit,
                                 std::uint64_t& skipped);

// Replaces a file atomically: writes a temporary file beside it, syncs it and
// renames it over the old one, so a reader sees the old or the new text and a
// crash never leaves a torn file. The new file keeps the old one's
// permissions (a new file gets 0644 less the umask).
std::error_code ReplaceTextFile(const std::string& hostPath, std::string_view text);

// True when a new file can be created in the folder (tries one and removes it).
bool FolderIsWritable(const std::string& hostFolder);

// The temporary file ReplaceTextFile writes beside `hostPath` before renaming
// it over the old one: "<hostPath>.tmp<process id>-<draw>", the draw a random
// number below 2^24, so that replacements by several processes, or by one
// process at once, do not meet in one name (the file is created only where
// none stands).
std::string ReplacementTemporaryPath(const std::string& hostPath, std::uint64_t processId);

// True when the bare file name `entry` is such a temporary of a file named
// `name` (a bare name too): "<name>.tmp<digits>-<digits>". What a replacement
// killed part-way leaves behind (see RemoveStaleTemporaries).
bool IsReplacementTemporaryOf(std::string_view entry, std::string_view name);

}  // namespace tidewell::platform

template <>
struct std::is_error_code_enum<tidewell::platform::TextFileError> : std::true_type {};
