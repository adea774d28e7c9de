// The program's arguments, its command line as one text, and the open-file limit.
#include "platform/process_facts.h"

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <fstream>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/virtual_file_system.h"
#include "tests/support/open_descriptors.h"

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

// The size of the process's descriptor table ("FDSize" in /proc/self/status).
std::size_t DescriptorTableSize() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("FDSize:", 0) == 0) return std::stoul(line.substr(7));
  }
  return 0;
}

using testing::OpenDescriptors;

// What GrowTheTableInAChild found wrong: its exit status.
enum ChildResult : int { kGrown = 0, kNotGrown = 10, kNotGrownToTheLimit, kLeftOpen, kNoLimit };

// Run in a forked child, whose table starts only as large as its open
// descriptors need, however far this test process grew its own.
ChildResult GrowTheTableInAChild(rlim_t hardLimit) {
  rlimit limit{0, hardLimit};
  limit.rlim_cur = std::min<rlim_t>(hardLimit, 65536);
  if (setrlimit(RLIMIT_NOFILE, &limit) != 0) return kNoLimit;
  const std::ptrdiff_t open = OpenDescriptors();
  // Within the limit: room for 256 of the program's own and the handles.
  const std::size_t handles = DescriptorTableSize() + 100;
  ReserveFolderHandles(handles);
  if (DescriptorTableSize() < 256 + handles + 1) return kNotGrown;
  // Far beyond a lowered limit: grown as far as the limit, not refused.
  limit.rlim_cur = 2 * DescriptorTableSize() + 10;
  if (limit.rlim_cur > hardLimit || setrlimit(RLIMIT_NOFILE, &limit) != 0) return kNoLimit;
  ReserveFolderHandles(std::size_t{1} << 30);
  if (DescriptorTableSize() < limit.rlim_cur) return kNotGrownToTheLimit;
  return OpenDescriptors() == open ? kGrown : kLeftOpen;
}

// A walk's folder handles fit the table before its threads start; a request
// beyond the open-file limit still grows the table as far as the limit lets
// it (asking the kernel for more than that would grow nothing), and no
// descriptor is left open.
TEST(ReserveFolderHandles, GrowsTheTableForTheProgramsFilesAndTheHandlesUpToTheLimit) {
  ASSERT_GT(DescriptorTableSize(), 0u) << "/proc/self/status gives no FDSize";
  rlimit limit{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &limit), 0);
  if (limit.rlim_max != RLIM_INFINITY && limit.rlim_max < 2048) {
    GTEST_SKIP() << "the hard open-file limit (" << limit.rlim_max << ") leaves too little room";
  }
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) std::_Exit(GrowTheTableInAChild(limit.rlim_max));
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), kGrown) << "10: not grown for the handles; 11: not grown up to the lowered limit; "
                                            "12: a descriptor left open; 13: the limit could not be set";
}

}  // namespace
}  // namespace tidewell::platform
#endif
