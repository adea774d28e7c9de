#include "platform/win32/nt_files.h"

#include <winternl.h>

#include <string>

namespace tidewell::platform::win32 {
namespace {

constexpr ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The statuses met by opening and deleting entries whose portable meaning
// is sharper than that of the Windows error RtlNtStatusToDosError gives.
constexpr LONG kObjectNameNotFound = static_cast<LONG>(0xC0000034);
constexpr LONG kObjectPathNotFound = static_cast<LONG>(0xC000003A);
constexpr LONG kObjectNameCollision = static_cast<LONG>(0xC0000035);
constexpr LONG kDeletePending = static_cast<LONG>(0xC0000056);
constexpr LONG kFileIsADirectory = static_cast<LONG>(0xC00000BA);
constexpr LONG kNotADirectory = static_cast<LONG>(0xC0000103);
constexpr LONG kDirectoryNotEmpty = static_cast<LONG>(0xC0000101);
constexpr LONG kSharingViolation = static_cast<LONG>(0xC0000043);
constexpr LONG kCannotDelete = static_cast<LONG>(0xC0000121);

LONG Open(HANDLE parent, std::string_view name, ACCESS_MASK access, ULONG disposition, ULONG options,
          HANDLE& handle) {
  std::wstring wide = Widen(name);
  if (wide.size() * sizeof(wchar_t) > 0xFFFE) return static_cast<LONG>(0xC0000106);  // STATUS_NAME_TOO_LONG
  UNICODE_STRING text;
  text.Buffer = wide.data();
  text.Length = static_cast<USHORT>(wide.size() * sizeof(wchar_t));
  text.MaximumLength = text.Length;
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, parent, nullptr);
  IO_STATUS_BLOCK status{};
  handle = INVALID_HANDLE_VALUE;
  return NtCreateFile(&handle, access | SYNCHRONIZE, &attributes, &status, nullptr, FILE_ATTRIBUTE_NORMAL, kShareAll,
                      disposition, options | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_REPARSE_POINT, nullptr, 0);
}

}  // namespace

std::error_code FromNtStatus(LONG status) {
  if (status >= 0) return {};
  switch (status) {
    case kObjectNameNotFound:
    case kObjectPathNotFound:
    case kDeletePending: return std::make_error_code(std::errc::no_such_file_or_directory);
    case kObjectNameCollision: return std::make_error_code(std::errc::file_exists);
    case kFileIsADirectory: return std::make_error_code(std::errc::is_a_directory);
    case kNotADirectory: return std::make_error_code(std::errc::not_a_directory);
    case kDirectoryNotEmpty: return std::make_error_code(std::errc::directory_not_empty);
    case kSharingViolation: return FromWindowsError(ERROR_SHARING_VIOLATION);
    case kCannotDelete: return std::make_error_code(std::errc::permission_denied);
    default: return FromWindowsError(RtlNtStatusToDosError(status));
  }
}

std::error_code OpenRelative(HANDLE parent, std::string_view name, ACCESS_MASK access, EntryKind kind,
                             ScopedHandle& opened) {
  HANDLE handle = INVALID_HANDLE_VALUE;
  const ULONG options = kind == EntryKind::Folder ? FILE_DIRECTORY_FILE : 0;
  const LONG status = Open(parent, name, access, FILE_OPEN, options, handle);
  if (status < 0) return FromNtStatus(status);
  opened.Reset(handle);
  return {};
}

std::error_code CreateNewFileRelative(HANDLE parent, std::string_view name) {
  HANDLE handle = INVALID_HANDLE_VALUE;
  const LONG status = Open(parent, name, GENERIC_WRITE, FILE_CREATE, FILE_NON_DIRECTORY_FILE, handle);
  if (status < 0) return FromNtStatus(status);
  CloseHandle(handle);
  return {};
}

}  // namespace tidewell::platform::win32
