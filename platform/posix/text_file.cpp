// Host text files: unbuffered appends, whole reads, atomic replacement.
#include "platform/text_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <random>

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

}  // namespace

AppendFile::AppendFile(AppendFile&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }

AppendFile& AppendFile::operator=(AppendFile&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

AppendFile::~AppendFile() { Close(); }

std::error_code AppendFile::Open(const std::string& hostPath) {
  Close();
  const int fd = open(hostPath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return LastError();
  fd_ = fd;
  return {};
}

std::error_code AppendFile::Append(std::string_view text) {
  if (fd_ < 0) return std::make_error_code(std::errc::bad_file_descriptor);
  std::size_t written = 0;
  const std::error_code error = WriteAll(fd_, text, written);
  if (error && written > 0) {
    // A full disk can stop a write part-way; take the part back so the file
    // never ends in a torn line. The file is only ever appended to, so its
    // end is where this text began plus what reached it.
    struct stat st {};
    if (fstat(fd_, &st) == 0 && st.st_size >= static_cast<off_t>(written)) {
      (void)ftruncate(fd_, st.st_size - static_cast<off_t>(written));
    }
  }
  return error;
}

std::error_code AppendFile::Sync() {
  if (fd_ < 0) return std::make_error_code(std::errc::bad_file_descriptor);
  return fsync(fd_) == 0 ? std::error_code{} : LastError();
}

std::error_code AppendFile::Close() {
  if (fd_ < 0) return {};
  const int fd = fd_;
  fd_ = -1;
  return close(fd) == 0 ? std::error_code{} : LastError();
}

std::error_code DeleteTextFile(const std::string& hostPath) {
  if (unlink(hostPath.c_str()) == 0 || errno == ENOENT) return {};
  return LastError();
}

std::error_code ReadTextFile(const std::string& hostPath, std::string& text, std::size_t limit) {
  const int fd = open(hostPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return LastError();
  std::error_code result;
  struct stat st {};
  if (fstat(fd, &st) != 0) {
    result = LastError();
  } else if (!S_ISREG(st.st_mode)) {
    result = std::make_error_code(std::errc::invalid_argument);
  } else {
    text.clear();
    char buffer[65536];
    for (;;) {
      const ssize_t got = read(fd, buffer, sizeof buffer);
      if (got < 0) {
        if (errno == EINTR) continue;
        result = LastError();
        break;
      }
      if (got == 0) break;
      if (text.size() + static_cast<std::size_t>(got) > limit) {
        result = std::make_error_code(std::errc::file_too_large);
        break;
      }
      text.append(buffer, static_cast<std::size_t>(got));
    }
  }
  close(fd);
  return result;
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
