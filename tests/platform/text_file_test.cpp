// The temporary files a replacement writes: their names, and the clean-up of
// those a killed writer left, on real folders (on Linux and under Wine).
#include "platform/text_file.h"

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "platform/host_paths.h"
#include "platform/preferences_file_host.h"
#include "tests/support/temp_drive.h"

namespace tidewell::platform {
namespace {

namespace fs = std::filesystem;
using testing::HostPathOf;
using testing::Utf8Of;

TEST(ReplacementTemporaries, AreRecognisedAsTheirOwnFilesAndNoOthers) {
  const testing::TempFolder temp;
  const std::string& folder = temp.Path();
  for (const std::string name : {"Tidewell.ini", "a", "caf\xc3\xa9 .ini", "Tidewell.ini.tmp1-2"}) {
    const std::string path = JoinHostPath(folder, name);
    const std::string temporary = ReplacementTemporaryPath(path, 4194304);
    EXPECT_EQ(HostFolderOf(temporary), folder) << temporary;
    EXPECT_TRUE(IsReplacementTemporaryOf(HostNameOf(temporary), name)) << temporary;
    EXPECT_FALSE(IsReplacementTemporaryOf(HostNameOf(temporary), name + "x")) << temporary;
    EXPECT_FALSE(IsReplacementTemporaryOf(HostNameOf(temporary), "x" + name)) << temporary;
  }
  EXPECT_TRUE(IsReplacementTemporaryOf("Tidewell.ini.tmp0-0", "Tidewell.ini"));
  for (const char* entry : {"Tidewell.ini", "Tidewell.ini.tmp", "Tidewell.ini.tmp12", "Tidewell.ini.tmp-3",
                            "Tidewell.ini.tmp12-", "Tidewell.ini.tmp1-2-3", "Tidewell.ini.tmpa-1",
                            "Tidewell.ini.tmp1-2 ", "Tidewell.ini.bak.tmp1-2", "Tidewell.in.tmp1-2",
                            "Tidewell.ini.lock"}) {
    EXPECT_FALSE(IsReplacementTemporaryOf(entry, "Tidewell.ini")) << entry;
  }
}

TEST(ReplacementTemporaries, StaleOnesAreRemovedAndEverythingElseStays) {
  const testing::TempFolder temp;
  const std::string path = JoinHostPath(temp.Path(), "Tidewell.ini");
  ASSERT_FALSE(ReplaceTextFile(path, "[Info]\n"));
  const std::string stale = ReplacementTemporaryPath(path, 77);
  std::ofstream(HostPathOf(stale)) << "left by a killed writer";
  const std::set<std::string> kept = {"Tidewell.ini",          "Tidewell.ini.lock",     "Tidewell.ini.tmpx-1",
                                      "Other.ini.tmp1-2",      "Tidewell.ini.tmp1-2-3", "Tidewell.ini.tmp"};
  for (const std::string& name : kept) {
    if (name != "Tidewell.ini") std::ofstream(HostPathOf(JoinHostPath(temp.Path(), name))) << name;
  }
  fs::create_directory(HostPathOf(JoinHostPath(temp.Path(), "Tidewell.ini.tmp3-4")));

  RemoveStaleTemporaries(path);

  std::set<std::string> left;
  for (const auto& entry : fs::directory_iterator(HostPathOf(temp.Path()))) {
    left.insert(Utf8Of(entry.path().filename()));
  }
  std::set<std::string> expected = kept;
  expected.insert("Tidewell.ini.tmp3-4");  // a folder is never one of them
  EXPECT_EQ(left, expected);
  std::ifstream file(HostPathOf(path));
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), "[Info]\n");
}

}  // namespace
}  // namespace tidewell::platform
