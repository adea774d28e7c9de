#include "platform/win32/wide_text.h"

namespace tidewell::platform::win32 {

std::wstring Widen(std::string_view text) {
  if (text.empty()) return {};
  const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

std::string Narrow(std::wstring_view text) {
  if (text.empty()) return {};
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(), size, nullptr,
                      nullptr);
  return narrow;
}

std::error_code FromWindowsError(DWORD error) {
  switch (error) {
    case ERROR_SUCCESS: return {};
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_PATHNAME: return std::make_error_code(std::errc::no_such_file_or_directory);
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT: return std::make_error_code(std::errc::permission_denied);
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return std::make_error_code(std::errc::device_or_resource_busy);
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return std::make_error_code(std::errc::file_exists);
    case ERROR_DIR_NOT_EMPTY: return std::make_error_code(std::errc::directory_not_empty);
    case ERROR_DIRECTORY: return std::make_error_code(std::errc::not_a_directory);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return std::make_error_code(std::errc::no_space_on_device);
    case ERROR_NOT_READY: return std::make_error_code(std::errc::no_such_device);
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_PARAMETER: return std::make_error_code(std::errc::invalid_argument);
    case ERROR_TOO_MANY_OPEN_FILES: return std::make_error_code(std::errc::too_many_files_open);
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return std::make_error_code(std::errc::not_enough_memory);
    case ERROR_NOT_SAME_DEVICE: return std::make_error_code(std::errc::cross_device_link);
    case ERROR_FILENAME_EXCED_RANGE: return std::make_error_code(std::errc::filename_too_long);
    default: return {static_cast<int>(error), std::system_category()};
  }
}

}  // namespace tidewell::platform::win32
