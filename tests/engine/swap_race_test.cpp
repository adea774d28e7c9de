// Destructive runs while another thread keeps swapping folders of the drive
// for links to folders outside it. Whatever the interleaving, nothing outside
// the drive is ever changed: every folder is reached through handles that
// refuse links, so a swap can only make the run miss files, never follow the
// link.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "engine/cleaning_run.h"
#include "tests/support/temp_drive.h"

namespace tidewell {
namespace {

using testing::DriveContents;
using testing::TempDrive;
using testing::TestWorld;
namespace fs = std::filesystem;

// One place where the swapper trades a real folder for a link: `real` and
// `spare` exchange names in `parent`, so `real` is alternately the folder and
// the link. The swapper works through a handle on the parent, opened before
// any swap, so it never reaches outside the drive through its own links.
struct SwapSite {
  std::string parent;
  std::string real;
  std::string spare;
  std::string target;  // outside the drive
};

bool Missing(int parentFd, const std::string& name) {
  struct stat st {};
  return fstatat(parentFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0;
}

// Exchanges two names atomically where the file system can, else with three
// renames (each still atomic on its own).
bool Exchange(int parentFd, const std::string& a, const std::string& b) {
  if (renameat2(parentFd, a.c_str(), parentFd, b.c_str(), RENAME_EXCHANGE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  const std::string hold = a + ".hold";
  if (renameat(parentFd, a.c_str(), parentFd, hold.c_str()) != 0) return false;
  const bool moved = renameat(parentFd, b.c_str(), parentFd, a.c_str()) == 0;
  renameat(parentFd, hold.c_str(), parentFd, moved ? b.c_str() : a.c_str());
  return moved;
}

// Swaps every site over and over until stopped. The run deletes links it
// finds in junk folders, so a missing link is made again first.
class Swapper {
 public:
  explicit Swapper(const std::vector<SwapSite>& sites) {
    for (const SwapSite& site : sites) {
      parents_.push_back(open(site.parent.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
      if (parents_.back() < 0) throw std::runtime_error("cannot open " + site.parent);
    }
    thread_ = std::thread([this, &sites] {
      while (!stop_.load(std::memory_order_relaxed)) {
        for (std::size_t i = 0; i < sites.size(); ++i) {
          const SwapSite& site = sites[i];
          const int parent = parents_[i];
          // Puts back a link the run removed; one that fails (the name came
          // back meanwhile) is seen to on the next round.
          for (const std::string* name : {&site.real, &site.spare}) {
            if (!Missing(parent, *name)) continue;
            [[maybe_unused]] const int relinked = symlinkat(site.target.c_str(), parent, name->c_str());
          }
          if (Exchange(parent, site.real, site.spare)) swaps_.fetch_add(1, std::memory_order_relaxed);
        }
      }
    });
  }
  ~Swapper() {
    Stop();
    for (int fd : parents_) close(fd);
  }

  long Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    return swaps_;
  }

 private:
  std::vector<int> parents_;
  std::atomic<bool> stop_{false};
  std::atomic<long> swaps_{0};
  std::thread thread_;
};

class SwapRaceTest : public ::testing::Test {
 protected:
  SwapRaceTest() {
    world.SetDestructiveLoggedRuns();
    world.categories.Set(CategoryId::Recycled, 1);
    // The outside mirrors the junk of the drive: had any swapped link been
    // followed, one of these would be gone or changed.
    outside.Build({{"victim\\a.tmp", 3},
                   {"victim\\~DF1.TMP", 4},
                   {"victim\\letter.doc", 5},
                   {"victim\\deep\\c.tmp", 6},
                   {"victim\\deep\\FILE0000.CHK", 7},
                   {"win\\TEMP\\a.tmp", 8},
                   {"win\\~GLC0A8F.TMP", 9},
                   {"win\\SPOOL\\PRINTERS\\00001.SPL", 10},
                   {"lone.tmp", 11}});
  }

  // A fresh drive for each run: junk in folders that are purged, emptied,
  // and matched by pattern, and the links and spare names of every site.
  void RebuildDrive() {
    for (const fs::directory_entry& entry : fs::directory_iterator(C().Root())) fs::remove_all(entry.path());
    for (int i = 1; i <= 4; ++i) {
      C().File("RECYCLED\\DC" + std::to_string(i) + "\\old" + std::to_string(i) + ".doc", i);
      C().File("RECYCLED\\DC" + std::to_string(i) + "\\inner\\note.txt", i);
    }
    for (int i = 1; i <= 3; ++i) C().File("WINDOWS\\TEMP\\sub" + std::to_string(i) + "\\~DF" + std::to_string(i) + ".TMP", i);
    C().File("WINDOWS\\~GLC0A8F.TMP", 2);
    C().File("WINDOWS\\SPOOL\\PRINTERS\\00002.SPL", 2);
    for (int i = 0; i < 30; ++i) {
      C().File("DATA\\d" + std::to_string(i) + "\\~DF" + std::to_string(i) + ".TMP", 1);
      C().File("DATA\\d" + std::to_string(i) + "\\keep.doc", 1);
    }
    C().Link("WINDOWS\\TEMP\\lone.tmp", outside.Host("lone.tmp"));
    for (const SwapSite& site : sites) fs::create_symlink(site.target, site.parent + "/" + site.spare);
  }

  // The *.TMP files still on the drive; an undisturbed run removes them all.
  int TmpFilesLeft() {
    int left = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(C().Root())) {
      const std::string name = entry.path().filename().string();
      if (!entry.is_symlink() && name.size() > 4 && name.substr(name.size() - 4) == ".TMP") ++left;
    }
    return left;
  }

  TempDrive& C() { return world.Drive('C'); }

  TestWorld world;
  TempDrive outside{world.Outside()};
  const std::vector<SwapSite> sites = {
      {C().Host("RECYCLED"), "DC1", "DC1.swap", outside.Host("victim")},
      {C().Host("WINDOWS"), "TEMP", "TEMP.swap", outside.Host("victim")},
      {C().Host("DATA"), "d5", "d5.swap", outside.Host("victim")},
      {C().Root(), "WINDOWS", "WINDOWS.swap", outside.Host("win")},
  };
};

TEST_F(SwapRaceTest, TwoHundredFiftyRunsAgainstASwappingThreadNeverChangeAnythingOutside) {
  const auto outsideBefore = DriveContents(outside);
  constexpr int kRuns = 250;
  long swaps = 0;
  int runsLeavingJunk = 0;
  for (int run = 0; run < kRuns; ++run) {
    RebuildDrive();
    RunResult result;
    {
      Swapper swapper(sites);
      result = RunCleaning(world.context);
      swaps += swapper.Stop();
    }
    ASSERT_EQ(result, RunResult::Finished) << "run " << run;
    ASSERT_TRUE(world.feedback.messages.empty()) << "run " << run << ": " << world.feedback.messages[0].text;
    ASSERT_EQ(DriveContents(outside), outsideBefore) << "run " << run << " changed something outside the drive";
    if (TmpFilesLeft() > 0) ++runsLeavingJunk;
  }
  // A run that met a link where it had listed a folder leaves that folder's
  // junk behind; the figure shows how often the swaps landed mid-run.
  std::cout << kRuns << " runs, " << swaps << " swaps, " << runsLeavingJunk
            << " runs found a swapped folder in their way\n";
  EXPECT_GT(swaps, kRuns);
}

}  // namespace
}  // namespace tidewell
