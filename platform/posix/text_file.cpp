// Host text files: unbuffered appends, whole reads, atomic replacement.
#include "platform/text_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <random>

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

class TextFileErrors : public std::error_category {
 public:
  const char* name() const noexcept override { return "tidewell.text_file"; }
  std::string message(int value) const override {
    switch (static_cast<TextFileError>(value)) {
      case TextFileError::NotARegularFile:
        return "Not a regular file (a pipe, device, socket or folder stands in its place)";
      case TextFileError::SeveralLinks:
        return "The file has more than one link (it is also another file's name)";
    }
    return "Unknown text file error";
  }
};

// Opens a file for reading without waiting (a FIFO opens at once) and
// checks that it is a regular file; `st` gets its facts.
int OpenRegularForReading(const std::string& hostPath, struct stat& st, std::error_code& error) {
  const int fd = open(hostPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    error = LastError();
    return -1;
  }
  if (fstat(fd, &st) != 0) {
    error = LastError();
  } else if (!S_ISREG(st.st_mode)) {
    error = TextFileError::NotARegularFile;
  } else {
    return fd;
  }
  close(fd);
  return -1;
}

// Reads from the file's current offset to its end, at most `limit` bytes;
// `stopAtLimit` ends quietly there, else going past it is file_too_large.
std::error_code ReadRest(int fd, std::string& text, std::size_t limit, bool stopAtLimit) {
  text.clear();
  char buffer[65536];
  for (;;) {
    std::size_t wanted = sizeof buffer;
    if (stopAtLimit) {
      if (text.size() >= limit) return {};
      wanted = std::min(wanted, limit - text.size());
    }
    const ssize_t got = read(fd, buffer, wanted);
    if (got < 0) {
      if (errno == EINTR) continue;
      return LastError();
    }
    if (got == 0) return {};
    if (text.size() + static_cast<std::size_t>(got) > limit) return std::make_error_code(std::errc::file_too_large);
    text.append(buffer, static_cast<std::size_t>(got));
  }
}

}  // namespace

const std::error_category& TextFileCategory() {
  static const TextFileErrors category;
  return category;
}

std::error_code make_error_code(TextFileError error) { return {static_cast<int>(error), TextFileCategory()}; }

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
  const int fd =
      open(hostPath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0644);
  if (fd < 0) {
    if (errno == ENXIO) return TextFileError::NotARegularFile;
    return LastError();
  }
  struct stat st {};
  std::error_code error;
  if (fstat(fd, &st) != 0) {
    error = LastError();
  } else if (!S_ISREG(st.st_mode)) {
    error = TextFileError::NotARegularFile;
  } else if (st.st_nlink != 1) {
    // A second name means the bytes belong to another file as well.
    error = TextFileError::SeveralLinks;
  } else if (const int flags = fcntl(fd, F_GETFL); flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    error = LastError();  // appends to a regular file: blocking writes, as ever
  }
  if (error) {
    close(fd);
    return error;
  }
  state_ = std::make_unique<State>(fd);
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
      (void)ftruncate(fd, st.st_size - static_cast<off_t>(written));
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
  struct stat st {};
  std::error_code error;
  const int fd = OpenRegularForReading(hostPath, st, error);
  if (fd < 0) return error;
  error = ReadRest(fd, text, limit, false);
  close(fd);
  return error;
}

std::error_code ReadTextFileTail(const std::string& hostPath, std::string& text, std::size_t limit,
                                 std::uint64_t& skipped) {
  skipped = 0;
  struct stat st {};
  std::error_code error;
  const int fd = OpenRegularForReading(hostPath, st, error);
  if (fd < 0) return error;
  if (st.st_size > 0 && static_cast<std::uint64_t>(st.st_size) > limit) {
    const off_t start = st.st_size - static_cast<off_t>(limit);
    if (lseek(fd, start, SEEK_SET) != start) {
      error = LastError();
    } else {
      skipped = static_cast<std::uint64_t>(start);
    }
  }
  if (!error) error = ReadRest(fd, text, limit, true);
  close(fd);
  return error;
}

std::error_code ReplaceTextFile(const std::string& hostPath, std::string_view text) {
  std::random_device random;
  const std::string temporary = hostPath + ".tmp" + std::to_string(getpid()) + "-" +
                                std::to_string(random() & 0xffffff);
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
  const int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  close(fd);
  unlink(probe.c_str());
  return true;
}

}  // namespace tidewell::platform
