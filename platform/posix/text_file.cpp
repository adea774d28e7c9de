// Host text files: unbuffered appends, whole reads, atomic replacement.
#include "platform/text_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

#include "platform/bounded_read.h"
#include "platform/posix/scoped_fd.h"

namespace tidewell::platform {
namespace {

std::error_code LastError() { return {errno, std::generic_category()}; }

// Writes all of `text`; `written` counts what reached the file, also when
// the write fails part-way.
std::error_code WriteAll(int fd, std::string_view text, std::size_t& written) {
  written = 0;
  while (!text.empty()) {
    const ssize_t count = write(fd, text.data(), text.size());
    if (count < 0) {
      if (errno == EINTR) continue;
      return LastError();
    }
    if (count == 0) return std::make_error_code(std::errc::io_error);
    text.remove_prefix(static_cast<std::size_t>(count));
    written += static_cast<std::size_t>(count);
  }
  return {};
}

std::error_code WriteAll(int fd, std::string_view text) {
  std::size_t written = 0;
  return WriteAll(fd, text, written);
}

// Opens a file for reading without waiting (a FIFO opens at once) and
// checks that it is a regular file; `st` gets its facts.
std::error_code OpenRegularForReading(const std::string& hostPath, ScopedFd& file, struct stat& st) {
  file.Reset(open(hostPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (file.Get() < 0) return LastError();
  if (fstat(file.Get(), &st) != 0) return LastError();
  if (!S_ISREG(st.st_mode)) return TextFileError::NotARegularFile;
  return {};
}

// Reads from the file's current offset to its end (bounded_read.h).
std::error_code ReadRest(int fd, std::string& text, std::size_t limit, AtTheLimit atLimit) {
  const auto readSome = [fd](char* buffer, std::size_t wanted, std::size_t& got) -> std::error_code {
    for (;;) {
      const ssize_t count = read(fd, buffer, wanted);
      if (count >= 0) {
        got = static_cast<std::size_t>(count);
        return {};
      }
      if (errno != EINTR) return LastError();
    }
  };
  return ReadToLimit(readSome, text, limit, atLimit);
}

}  // namespace

// The open file; Close() closes it and tells how that went, dropping the
// file without one closes it all the same.
struct AppendFile::State {
  explicit State(int fileFd) : fd(fileFd) {}
  ScopedFd fd;
};

AppendFile::AppendFile() = default;
AppendFile::AppendFile(AppendFile&& other) noexcept = default;
AppendFile& AppendFile::operator=(AppendFile&& other) noexcept = default;
AppendFile::~AppendFile() = default;

std::error_code AppendFile::Open(const std::string& hostPath) {
  Close();
  // O_NONBLOCK: a FIFO in the file's place would otherwise hold the open
  // until some reader came along (for ever, in an unattended run). Without a
  // reader the open fails with ENXIO; with one it succeeds and is refused below.
  ScopedFd file(
      open(hostPath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0644));
  if (file.Get() < 0) {
    if (errno == ENXIO) return TextFileError::NotARegularFile;
    return LastError();
  }
  struct stat st {};
  if (fstat(file.Get(), &st) != 0) return LastError();
  if (!S_ISREG(st.st_mode)) return TextFileError::NotARegularFile;
  // A second name means the bytes belong to another file as well.
  if (st.st_nlink != 1) return TextFileError::SeveralLinks;
  // Appends to a regular file: blocking writes, as ever.
  const int flags = fcntl(file.Get(), F_GETFL);
  if (flags < 0 || fcntl(file.Get(), F_SETFL, flags & ~O_NONBLOCK) != 0) return LastError();
  state_ = std::make_unique<State>(file.Release());
  return {};
}

std::error_code AppendFile::Append(std::string_view text) {
  if (!state_) return std::make_error_code(std::errc::bad_file_descriptor);
  const int fd = state_->fd.Get();
  std::size_t written = 0;
  const std::error_code error = WriteAll(fd, text, written);
  if (error && written > 0) {
    // A full disk can stop a write part-way; take the part back so the file
    // never ends in a torn line. The file is only ever appended to, so its
    // end is where this text began plus what reached it.
    struct stat st {};
    if (fstat(fd, &st) == 0 && st.st_size >= static_cast<off_t>(written)) {
      // When even that fails, the write's own error is what the caller hears.
      if (ftruncate(fd, st.st_size - static_cast<off_t>(written)) != 0) return error;
    }
  }
  return error;
}

std::error_code AppendFile::Sync() {
  if (!state_) return std::make_error_code(std::errc::bad_file_descriptor);
  return fsync(state_->fd.Get()) == 0 ? std::error_code{} : LastError();
}

std::error_code AppendFile::Close() {
  if (!state_) return {};
  const int fd = state_->fd.Release();
  state_.reset();
  return close(fd) == 0 ? std::error_code{} : LastError();
}

std::error_code DeleteTextFile(const std::string& hostPath) {
  if (unlink(hostPath.c_str()) == 0 || errno == ENOENT) return {};
  return LastError();
}

std::error_code ReadTextFile(const std::string& hostPath, std::string& text, std::size_t limit) {
  ScopedFd file;
  struct stat st {};
  if (const std::error_code error = OpenRegularForReading(hostPath, file, st)) return error;
  return ReadRest(file.Get(), text, limit, AtTheLimit::Fail);
}

std::error_code ReadTextFileTail(const std::string& hostPath, std::string& text, std::size_t limit,
                                 std::uint64_t& skipped) {
  skipped = 0;
  ScopedFd file;
  struct stat st {};
  if (const std::error_code error = OpenRegularForReading(hostPath, file, st)) return error;
  if (st.st_size > 0 && static_cast<std::uint64_t>(st.st_size) > limit) {
    const off_t start = st.st_size - static_cast<off_t>(limit);
    if (lseek(file.Get(), start, SEEK_SET) != start) return LastError();
    skipped = static_cast<std::uint64_t>(start);
  }
  return ReadRest(file.Get(), text, limit, AtTheLimit::Stop);
}

std::error_code ReplaceTextFile(const std::string& hostPath, std::string_view text) {
  const std::string temporary = ReplacementTemporaryPath(hostPath, static_cast<std::uint64_t>(getpid()));
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return LastError();
  std::error_code result;
  // The new file keeps the permissions of the one it replaces: a store the
  // user made private stays private.
  struct stat old {};
  if (stat(hostPath.c_str(), &old) == 0 && S_ISREG(old.st_mode) && fchmod(fd, old.st_mode & 07777) != 0) {
    result = LastError();
  }
  if (!result) result = WriteAll(fd, text);
  if (!result && fsync(fd) != 0) result = LastError();
  if (close(fd) != 0 && !result) result = LastError();
  if (!result && rename(temporary.c_str(), hostPath.c_str()) != 0) result = LastError();
  if (result) unlink(temporary.c_str());
  return result;
}

bool FolderIsWritable(const std::string& hostFolder) {
  const std::string probe = hostFolder + "/.tidewell-write-test-" + std::to_string(getpid());
  if (ScopedFd(open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600)).Get() < 0) return false;
  unlink(probe.c_str());
  return true;
}

}  // namespace tidewell::platform
