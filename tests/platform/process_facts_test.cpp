// The program's arguments, its command line as one text, and the open-file limit.
#include "platform/process_facts.h"

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <iterator>

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

// The size of the process's descriptor table ("FDSize" in /proc/self/status).
std::size_t DescriptorTableSize() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("FDSize:", 0) == 0) return std::stoul(line.substr(7));
  }
  return 0;
}

std::size_t OpenDescriptors() {
  return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                                std::filesystem::directory_iterator()));
}

// A walk's folder handles fit the table before its threads start; a request
// beyond the open-file limit still grows the table as far as the limit lets
// it (asking the kernel for more than that would grow nothing), and no
// descriptor is left open.
TEST(ReserveFolderHandles, GrowsTheTableForTheProgramsFilesAndTheHandlesUpToTheLimit) {
  const std::size_t before = DescriptorTableSize();
  ASSERT_GT(before, 0u) << "/proc/self/status gives no FDSize";
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
  const std::size_t open = OpenDescriptors();

  // Within the limit: room for 256 of the program's own and the handles.
  const std::size_t handles = before + 100;
  if (saved.rlim_cur != RLIM_INFINITY && saved.rlim_cur <= 256 + handles) {
    GTEST_SKIP() << "the open-file limit (" << saved.rlim_cur << ") leaves no room to grow the table";
  }
  ReserveFolderHandles(handles);
  EXPECT_GE(DescriptorTableSize(), 256 + handles + 1);
  EXPECT_EQ(OpenDescriptors(), open);

  // Far beyond a lowered limit: grown to the limit, not refused.
  const rlim_t lowered = 2 * DescriptorTableSize() + 10;
  if (saved.rlim_max != RLIM_INFINITY && saved.rlim_max < lowered) {
    GTEST_SKIP() << "the hard open-file limit (" << saved.rlim_max << ") is below " << lowered;
  }
  rlimit limit = saved;
  limit.rlim_cur = lowered;
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &limit), 0);
  ReserveFolderHandles(std::size_t{1} << 30);
  const std::size_t grown = DescriptorTableSize();
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &saved), 0);
  EXPECT_GE(grown, lowered);
  EXPECT_EQ(OpenDescriptors(), open);
}

}  // namespace
}  // namespace tidewell::platform
#endif
