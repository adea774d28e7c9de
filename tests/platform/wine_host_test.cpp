// The Windows build's view of the Linux host under Wine: the host's root, its
// system folders, the Wine prefix and the folders above it are no drives,
// compared by identity through Wine's "\\?\unix\" namespace; the prefix's
// own drive and folders on file systems that no drive is on are not
// mistaken for them. Only opens and reads: nothing is mapped or written.
// Skips on Windows, where there is no host to refuse.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/win32/folder_identity.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/wine_host.h"

namespace tidewell::platform::win32 {
namespace {

// What ForbiddenOnWineHost says of the folder at a Windows path; the
// failure text when the folder cannot be opened.
std::optional<std::string> VerdictOn(const std::wstring& path) {
  const ScopedHandle folder(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  FolderIdentity identity;
  if (!folder.Valid() || IdentifyFolder(folder.Get(), identity)) return "cannot open " + Narrow(path);
  return ForbiddenOnWineHost(folder.Get(), identity);
}

std::wstring UnixPath(const std::string& hostPath) {
  std::wstring path = L"\\\\?\\unix" + Widen(hostPath);
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path;
}

class WineHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!RunsUnderWine()) GTEST_SKIP() << "not under Wine: a drive is no host folder here";
  }
};

TEST_F(WineHostTest, TheHostsRootAndSystemFoldersAreRefused) {
  EXPECT_EQ(WineHostPath(L"\\\\?\\unix\\usr"), std::optional<std::string>("/usr"));
  EXPECT_EQ(VerdictOn(UnixPath("/")), std::optional<std::string>("the host's root folder \"/\""));
  EXPECT_EQ(VerdictOn(UnixPath("/usr")), std::optional<std::string>("the system folder \"/usr\""));
  EXPECT_EQ(VerdictOn(UnixPath("/etc")), std::optional<std::string>("the system folder \"/etc\""));
  // A folder inside one is not the folder itself.
  EXPECT_EQ(VerdictOn(UnixPath("/usr/share")), std::nullopt);
}

// /dev/shm and /proc are each the root of a file system that no drive is on:
// Wine gives both the volume serial number 0, and both roots have inode 1.
TEST_F(WineHostTest, FoldersOfFileSystemsWithoutADriveAreToldApart) {
  if (VerdictOn(UnixPath("/dev/shm")) == "cannot open " + Narrow(UnixPath("/dev/shm"))) {
    GTEST_SKIP() << "the host has no /dev/shm";
  }
  EXPECT_EQ(VerdictOn(UnixPath("/proc")), std::optional<std::string>("the system folder \"/proc\""));
  EXPECT_EQ(VerdictOn(UnixPath("/dev/shm")), std::nullopt);
}

TEST_F(WineHostTest, ThePrefixAndTheFoldersAboveItAreRefusedButItsDriveIsNot) {
  const char* given = std::getenv("WINEPREFIX");
  if (given == nullptr || given[0] != '/') GTEST_SKIP() << "WINEPREFIX does not name the prefix";
  std::string prefix = given;
  while (prefix.size() > 1 && prefix.back() == '/') prefix.pop_back();
  const std::string above = prefix.substr(0, prefix.rfind('/'));
  EXPECT_EQ(VerdictOn(UnixPath(prefix)), "the Wine prefix \"" + prefix + "\"");
  EXPECT_EQ(VerdictOn(UnixPath(above)),
            "the folder \"" + above + "\", which holds the Wine prefix \"" + prefix + "\"");
  EXPECT_EQ(VerdictOn(UnixPath(prefix + "/drive_c")), std::nullopt);
  EXPECT_EQ(VerdictOn(L"C:\\"), std::nullopt);
  wchar_t temp[MAX_PATH + 1];
  ASSERT_GT(GetTempPathW(MAX_PATH + 1, temp), 0u);
  EXPECT_EQ(VerdictOn(temp), std::nullopt);
}

}  // namespace
}  // namespace tidewell::platform::win32
