// Host text files on Windows: appends through FILE_APPEND_DATA (each write
// lands at the end, whoever else appends), whole reads, and replacement by
// a temporary file renamed over the old one (MoveFileExW, which replaces in
// one step on NTFS).
#include "platform/text_file.h"

#include <windows.h>

#include "platform/bounded_read.h"
#include "platform/win32/wide_text.h"

namespace tidewell::platform {
namespace {

using win32::LastError;
using win32::ScopedHandle;
using win32::Widen;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// A regular file of its own: a disk file, no folder, no reparse point (the
// handle is opened on the point itself), one link.
std::error_code CheckRegular(HANDLE file) {
  if (GetFileType(file) != FILE_TYPE_DISK) return make_error_code(TextFileError::NotARegularFile);
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file, &info)) return LastError();
  if (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) {
    return make_error_code(TextFileError::NotARegularFile);
  }
  if (info.nNumberOfLinks > 1) return make_error_code(TextFileError::SeveralLinks);
  return {};
}

// Why a file could not be opened. Windows refuses to open a folder as a file
// with ERROR_ACCESS_DENIED; the user is told a folder stands in the file's
// place, as on POSIX, not that permission was denied.
std::error_code OpenError(const std::string& hostPath) {
  const DWORD error = GetLastError();
  if (error == ERROR_ACCESS_DENIED) {
    const DWORD attributes = GetFileAttributesW(Widen(hostPath).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      return make_error_code(TextFileError::NotARegularFile);
    }
  }
  return win32::FromWindowsError(error);
}

std::error_code WriteAll(HANDLE file, std::string_view text) {
  while (!text.empty()) {
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(text.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, text.data(), wanted, &written, nullptr)) return LastError();
    text.remove_prefix(written);
  }
  return {};
}

ScopedHandle OpenForReading(const std::string& hostPath, std::error_code& error) {
  ScopedHandle file(CreateFileW(Widen(hostPath).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) {
    error = OpenError(hostPath);
    return file;
  }
  if (GetFileType(file.Get()) != FILE_TYPE_DISK) {
    error = make_error_code(TextFileError::NotARegularFile);
    file.Reset();
  }
  return file;
}

// Reads from the file's current offset to its end (bounded_read.h).
std::error_code ReadRest(HANDLE file, std::string& text, std::size_t limit, AtTheLimit atLimit) {
  const auto readSome = [file](char* buffer, std::size_t wanted, std::size_t& got) -> std::error_code {
    DWORD count = 0;
    if (!ReadFile(file, buffer, static_cast<DWORD>(wanted), &count, nullptr)) return LastError();
    got = count;
    return {};
  };
  return ReadToLimit(readSome, text, limit, atLimit);
}

}  // namespace

struct AppendFile::State {
  explicit State(HANDLE file) : handle(file) {}
  ScopedHandle handle;
};

AppendFile::AppendFile() = default;
AppendFile::AppendFile(AppendFile&& other) noexcept = default;
AppendFile& AppendFile::operator=(AppendFile&& other) noexcept = default;
AppendFile::~AppendFile() = default;

std::error_code AppendFile::Open(const std::string& hostPath) {
  Close();
  // FILE_FLAG_OPEN_REPARSE_POINT: a link in the file's place is opened
  // itself and then refused, never followed.
  ScopedHandle file(CreateFileW(Widen(hostPath).c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                kShareAll, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file.Valid()) return OpenError(hostPath);
  if (const std::error_code error = CheckRegular(file.Get())) return error;
  state_ = std::make_unique<State>(file.Release());
  return {};
}

std::error_code AppendFile::Append(std::string_view text) {
  if (!state_) return std::make_error_code(std::errc::bad_file_descriptor);
  // The length before the write, to take back a write that fails part-way.
  LARGE_INTEGER before{};
  const bool measured = GetFileSizeEx(state_->handle.Get(), &before) != 0;
  const std::error_code error = WriteAll(state_->handle.Get(), text);
  if (error && measured) {
    // Cutting the file back needs write access, which the append-only
    // handle lacks; a second handle on the same file has it.
    const ScopedHandle writer(ReOpenFile(state_->handle.Get(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE |
                                         FILE_SHARE_DELETE, 0));
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile = before;
    if (writer.Valid()) SetFileInformationByHandle(writer.Get(), FileEndOfFileInfo, &end, sizeof end);
  }
  return error;
}

std::error_code AppendFile::Sync() {
  if (!state_) return std::make_error_code(std::errc::bad_file_descriptor);
  return FlushFileBuffers(state_->handle.Get()) ? std::error_code() : LastError();
}

std::error_code AppendFile::Close() {
  if (!state_) return {};
  const HANDLE handle = state_->handle.Release();
  state_.reset();
  return CloseHandle(handle) ? std::error_code() : LastError();
}

std::error_code DeleteTextFile(const std::string& hostPath) {
  if (DeleteFileW(Widen(hostPath).c_str())) return {};
  const DWORD error = GetLastError();
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return {};
  return win32::FromWindowsError(error);
}

std::error_code ReadTextFile(const std::string& hostPath, std::string& text, std::size_t limit) {
  text.clear();
  std::error_code error;
  ScopedHandle file = OpenForReading(hostPath, error);
  if (!file.Valid()) return error;
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file.Get(), &size) && static_cast<std::uint64_t>(size.QuadPart) > limit) {
    return std::make_error_code(std::errc::file_too_large);
  }
  return ReadRest(file.Get(), text, limit, AtTheLimit::Fail);
}

std::error_code ReadTextFileTail(const std::string& hostPath, std::string& text, std::size_t limit,
                                 std::uint64_t& skipped) {
  text.clear();
  skipped = 0;
  std::error_code error;
  ScopedHandle file = OpenForReading(hostPath, error);
  if (!file.Valid()) return error;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Get(), &size)) return LastError();
  if (static_cast<std::uint64_t>(size.QuadPart) > limit) {
    LARGE_INTEGER start{};
    start.QuadPart = size.QuadPart - static_cast<LONGLONG>(limit);
    if (!SetFilePointerEx(file.Get(), start, nullptr, FILE_BEGIN)) return LastError();
    skipped = static_cast<std::uint64_t>(start.QuadPart);
  }
  return ReadRest(file.Get(), text, limit, AtTheLimit::Stop);
}

std::error_code ReplaceTextFile(const std::string& hostPath, std::string_view text) {
  const std::string temporary = ReplacementTemporaryPath(hostPath, GetCurrentProcessId());
  ScopedHandle file(CreateFileW(Widen(temporary).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return LastError();
  std::error_code result = WriteAll(file.Get(), text);
  if (!result && !FlushFileBuffers(file.Get())) result = LastError();
  file.Reset();
  if (!result && !MoveFileExW(Widen(temporary).c_str(), Widen(hostPath).c_str(),
                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    result = LastError();
  }
  if (result) DeleteFileW(Widen(temporary).c_str());
  return result;
}

bool FolderIsWritable(const std::string& hostFolder) {
  const std::string probe = hostFolder + "\\.tidewell-write-test-" + std::to_string(GetCurrentProcessId());
  ScopedHandle file(CreateFileW(Widen(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  return file.Valid();
}

}  // namespace tidewell::platform
