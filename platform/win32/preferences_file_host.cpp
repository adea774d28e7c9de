// The host's side of the preferences file on Windows: LockFileEx on the lock
// file, the store's folders and its default place (%APPDATA%\Tidewell), and
// the write-through rename that needs no folder sync.
#include "platform/preferences_file_host.h"

#include <windows.h>

#include "platform/host_paths.h"
#include "platform/preferences_store.h"
#include "platform/process_facts.h"
#include "platform/text_file.h"
#include "platform/win32/wide_text.h"

namespace tidewell::platform {

std::error_code WithExclusiveLock(const std::string& lockPath, const std::function<std::error_code()>& work) {
  // Closing the handle, at the end of this call, releases the lock.
  const win32::ScopedHandle lock(CreateFileW(win32::Widen(lockPath).c_str(), GENERIC_READ | GENERIC_WRITE,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                                             nullptr));
  if (!lock.Valid()) return win32::LastError();
  OVERLAPPED whole{};
  if (!LockFileEx(lock.Get(), LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) return win32::LastError();
  const std::error_code result = work();
  UnlockFileEx(lock.Get(), 0, MAXDWORD, MAXDWORD, &whole);
  return result;
}

std::error_code CreateFoldersFor(const std::string& filePath) { return CreatePrivateFolders(HostFolderOf(filePath)); }

// A symbolic link in the store's place is replaced through: its final target.
std::string ReplacementTarget(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(win32::Widen(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return path;
  const win32::ScopedHandle file(CreateFileW(win32::Widen(path).c_str(), 0,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file.Valid()) return path;
  std::wstring buffer(32768, L'\0');
  const DWORD length = GetFinalPathNameByHandleW(file.Get(), buffer.data(), static_cast<DWORD>(buffer.size()),
                                                 FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (length == 0 || length >= buffer.size()) return path;
  std::wstring_view target(buffer.data(), length);
  if (target.starts_with(L"\\\\?\\")) target.remove_prefix(4);  // "\\?\C:\..." as "C:\..."
  return win32::Narrow(target);
}

void RemoveStaleTemporaries(const std::string& target) {
  // Every entry of the store's folder (it holds a few), told apart by
  // IsReplacementTemporaryOf as on POSIX: the temporaries' form is spelled
  // in one place (text_file.cpp).
  const std::string name = HostNameOf(target);
  const std::string pattern = JoinHostPath(HostFolderOf(target), "*");
  WIN32_FIND_DATAW found{};
  const HANDLE search = FindFirstFileExW(win32::Widen(pattern).c_str(), FindExInfoBasic, &found,
                                         FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::string entry = win32::Narrow(found.cFileName);
    if (IsReplacementTemporaryOf(entry, name) && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      DeleteFileW(win32::Widen(JoinHostPath(HostFolderOf(target), entry)).c_str());
    }
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

// MoveFileExW with MOVEFILE_WRITE_THROUGH has already made the rename last.
std::error_code SyncFolderOf(const std::string&) { return {}; }

std::string PreferencesFile::DefaultPath() {
  const std::string base = UserBaseFolder("XDG_CONFIG_HOME", ".config");
  if (base.empty()) return {};
  return JoinHostPath(base, "Tidewell\\Tidewell.ini");
}

}  // namespace tidewell::platform
