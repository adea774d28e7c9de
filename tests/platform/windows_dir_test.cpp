// Where Windows lives on drive C: WINDOWS on 95 to XP, WINNT on NT and 2000.
#include <gtest/gtest.h>

#include <string>

#include "platform/virtual_file_system.h"
#include "tests/support/temp_drive.h"

namespace tidewell::platform {
namespace {

using tidewell::testing::TestWorld;

TEST(FindWindowsDir, IsTheWindowsOrWinntFolderOfDriveCAsSpelledOnDisk) {
  struct Case {
    std::initializer_list<testing::FixtureEntry> entries;
    const char* expected;
  };
  const Case cases[] = {
      {{{"WINNT\\SYSTEM32\\"}, {"Program Files\\"}}, "C:\\WINNT"},
      {{{"winnt\\"}}, "C:\\winnt"},
      {{{"Windows\\"}}, "C:\\Windows"},
      // Both: WINDOWS wins, whichever the listing gives first.
      {{{"WINNT\\"}, {"Windows\\"}, {"WINNT.OLD\\"}}, "C:\\Windows"},
      {{{"WINDOWS.000\\"}, {"WINNT"}}, "C:\\WINDOWS"},  // a file named WINNT is no folder
      {{{"DATA\\"}}, "C:\\WINDOWS"},
  };
  for (const Case& c : cases) {
    TestWorld world;
    world.Drive('C').Build(c.entries);
    EXPECT_EQ(FindWindowsDir(world.files), c.expected);
  }
}

TEST(FindWindowsDir, ALinkNamedWinntIsNotTheWindowsFolder) {
#ifdef _WIN32
  GTEST_SKIP() << "fixture links are not made on Windows: Wine makes none, and real Windows needs a privilege for them";
#else
  TestWorld world;
  world.Drive('C').Folder("REAL");
  world.Drive('C').Link("WINNT", world.Drive('C').Host("REAL"));
  EXPECT_EQ(FindWindowsDir(world.files), "C:\\WINDOWS");
#endif
}

}  // namespace
}  // namespace tidewell::platform
