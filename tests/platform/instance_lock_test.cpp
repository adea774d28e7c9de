// The previous-instance lock: where its file lives, and that it holds.
#include "platform/instance_lock.h"

#include <filesystem>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/scoped_variable.h"
#include "tests/support/temp_drive.h"

namespace tidewell::platform {
namespace {

namespace fs = std::filesystem;

using testing::ScopedVariable;

TEST(InstanceLock, TheLockLivesInAFolderOnlyTheUserCanWrite) {
#ifdef _WIN32
  GTEST_SKIP() << "a shared sticky folder and a linked state folder are POSIX fixtures (permission bits, symbolic links)";
#else
  testing::TempFolder base;
  const std::string shared = base.Path() + "/shared";
  fs::create_directories(shared);
  fs::permissions(shared, fs::perms::all | fs::perms::sticky_bit);  // as /tmp is
  const std::string state = base.Path() + "/state";
  ScopedVariable stateHome("XDG_STATE_HOME", state.c_str());
  ScopedVariable runtime("XDG_RUNTIME_DIR", shared.c_str());

  const std::string path = InstanceLock::DefaultPath();
  EXPECT_EQ(path, state + "/Tidewell/Tidewell.lock") << "a shared runtime folder is not used";
  runtime.Set(nullptr);
  EXPECT_EQ(InstanceLock::DefaultPath(), path);
  EXPECT_EQ(fs::status(state + "/Tidewell").permissions() & fs::perms::all, fs::perms::owner_all);

  const std::string mine = base.Path() + "/runtime";
  fs::create_directories(mine);
  fs::permissions(mine, fs::perms::owner_all);
  runtime.Set(mine.c_str());
  EXPECT_EQ(InstanceLock::DefaultPath(), mine + "/Tidewell.lock");

  // A link in the state folder's place, to a folder someone else could fill.
  fs::remove_all(state + "/Tidewell");
  fs::create_directory_symlink(shared, state + "/Tidewell");
  runtime.Set(nullptr);
  EXPECT_EQ(InstanceLock::DefaultPath(), std::string());
  EXPECT_TRUE(fs::is_empty(shared));
#endif
}

TEST(InstanceLock, HoldsAgainstASecondCopyAndNeverFollowsALink) {
  testing::TempFolder base;
  const std::string path = base.Path() + "/Tidewell.lock";
  std::optional<InstanceLock> first(std::in_place);
  InstanceLock second;
  EXPECT_TRUE(first->Acquire(path));
  EXPECT_FALSE(second.Acquire(path));
#ifndef _WIN32  // fixture links are POSIX only
  const std::string linked = base.Path() + "/linked.lock";
  fs::create_symlink(path, linked);
  InstanceLock third;
  EXPECT_TRUE(third.Acquire(linked)) << "not made: the program runs, the link's target stays locked";
  EXPECT_TRUE(fs::is_symlink(linked));
#endif
  first.reset();
  EXPECT_TRUE(second.Acquire(path)) << "the lock goes with the copy that held it";
  EXPECT_TRUE(InstanceLock().Acquire("")) << "no lock file to be had does not stop the program";
}

}  // namespace
}  // namespace tidewell::platform
