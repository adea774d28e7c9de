// The program's arguments, its command line as one text, and the open-file limit.
#include "platform/process_facts.h"

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <algorithm>
#include <cstddef>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/virtual_file_system.h"

namespace tidewell::platform {
namespace {

TEST(ProgramArguments, LeaveOutTheProgramsNameAndKeepEachArgumentWhole) {
#ifdef _WIN32
  GTEST_SKIP() << "on Windows the arguments are read from the process's own command line (CommandLineToArgvW), not from argv";
#endif
  char name[] = "tidewell";
  char unattended[] = "/U";
  char spaced[] = "a b";
  char empty[] = "";
  char* argv[] = {name, unattended, spaced, empty, nullptr};
  EXPECT_EQ(ProgramArguments(4, argv), (std::vector<std::string>{"/U", "a b", ""}));
  EXPECT_TRUE(ProgramArguments(1, argv).empty());
}

TEST(CommandLineText, JoinsTheArgumentsWithSingleBlanks) {
  EXPECT_EQ(CommandLineText({"/U", "/I"}), "/U /I");
  EXPECT_EQ(CommandLineText({"/U", "", "/I"}), "/U  /I");
  EXPECT_EQ(CommandLineText({}), "");
}

}  // namespace
}  // namespace tidewell::platform

#ifndef _WIN32  // the open-file limit (RLIMIT_NOFILE) is a POSIX limit; Windows has none to raise
namespace tidewell::platform {
namespace {

// The soft open-file limit goes up to the hard one (or the program's own
// ceiling), never down, and a walk may then hold more folders open.
TEST(OpenFileLimit, IsRaisedTowardsTheHardLimitAndNeverLowered) {
  rlimit before{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &before), 0);
  const rlim_t ceiling = 65536 + 256;
  const rlim_t expected = before.rlim_max == RLIM_INFINITY ? ceiling : std::min(before.rlim_max, ceiling);
  rlimit lowered = before;
  lowered.rlim_cur = std::min<rlim_t>(before.rlim_cur, 600);
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &lowered), 0);
  const std::size_t heldLow = FolderHandlesToSpare();
  RaiseOpenFileLimit();
  rlimit raised{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &raised), 0);
  EXPECT_EQ(raised.rlim_cur, std::max(expected, lowered.rlim_cur));
  EXPECT_EQ(raised.rlim_max, before.rlim_max);
  if (raised.rlim_cur > lowered.rlim_cur) {
    EXPECT_GT(FolderHandlesToSpare(), heldLow);
  }
  // Already above the ceiling (where the hard limit allows): left alone.
  if (before.rlim_max == RLIM_INFINITY || before.rlim_max > ceiling) {
    rlimit high = before;
    high.rlim_cur = ceiling + 10;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &high), 0);
    RaiseOpenFileLimit();
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &raised), 0);
    EXPECT_EQ(raised.rlim_cur, ceiling + 10);
  }
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &before), 0);
}

}  // namespace
}  // namespace tidewell::platform
#endif
