// Starting children and finding programs, on a real temporary folder: the
// exit status, output and environment the bench's figures rest on.
#include "bench/child_process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace tidewell::bench {
namespace {

class ChildProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("tidewell-bench-child-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string Read(const fs::path& path) {
    std::ostringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
  }

  fs::path folder_;
};

TEST_F(ChildProcessTest, RunReportsStatusOutputAndEnvironment) {
  const fs::path output = folder_ / "out.txt";
  const Sample ran = bench::Run({"sh", "-c", "echo \"$BENCH_WORD\"; echo hidden >&2; exit 3"}, {"BENCH_WORD=tide"},
                         output.string());
  EXPECT_EQ(ran.status, 3);
  EXPECT_EQ(Read(output), "tide\n");  // stderr is not in the output
  EXPECT_GT(ran.maxRssKb, 0);
  EXPECT_EQ(bench::Run({"sh", "-c", "kill -9 $$"}, {}).status, 128 + 9);
  EXPECT_EQ(bench::Run({(folder_ / "no-such-program").string()}, {}).status, 127);
}

TEST_F(ChildProcessTest, FindOnPathTakesTheFirstExecutableOnly) {
  fs::create_directories(folder_ / "first");
  fs::create_directories(folder_ / "second");
  std::ofstream(folder_ / "first/tool") << "#!/bin/sh\n";  // not executable: passed over
  std::ofstream(folder_ / "second/tool") << "#!/bin/sh\n";
  fs::permissions(folder_ / "second/tool", fs::perms::owner_all);
  const char* saved = std::getenv("PATH");
  const std::string savedPath = saved != nullptr ? saved : "";
  setenv("PATH", ((folder_ / "first").string() + ":" + (folder_ / "second").string()).c_str(), 1);
  const std::string found = FindOnPath("tool");
  const std::string missing = FindOnPath("other-tool");
  setenv("PATH", savedPath.c_str(), 1);
  EXPECT_EQ(found, (folder_ / "second/tool").string());
  EXPECT_EQ(missing, "");
}

}  // namespace
}  // namespace tidewell::bench
