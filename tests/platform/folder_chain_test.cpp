// How the file system reaches folders several levels down: the part of a
// path that is not open yet is opened in one go where it can be, and one
// component at a time where it cannot. Whichever way a folder was reached,
// the answer is the same entry, a link or a spared folder on the way stops
// it the same, and the open descriptors stay bounded.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/posix/folder_handle_cache.h"
#include "platform/virtual_file_system.h"
#include "tests/support/open_descriptors.h"
#include "tests/support/temp_drive.h"

namespace tidewell::platform {
namespace {

using tidewell::testing::TempDrive;
using tidewell::testing::TestWorld;

using tidewell::testing::OpenDescriptors;

// Takes a test's mount away again however the test ends, before its drive
// is removed.
struct Unmount {
  std::string where;
  ~Unmount() { EXPECT_EQ(umount2(where.c_str(), MNT_DETACH), 0) << where << ": " << std::strerror(errno); }
};

class FolderChainTest : public ::testing::Test {
 protected:
  TempDrive& C() { return world_.Drive('C'); }
  VirtualFileSystem& Files() { return *files_; }

  std::int64_t Length(std::string_view path) {
    EntryFacts facts;
    return Files().Stat(path, facts) ? -1 : facts.length;
  }

  std::set<std::string> Listing(std::string_view folder) {
    std::set<std::string> names;
    FolderReader reader;
    EXPECT_FALSE(Files().OpenFolder(folder, reader)) << folder;
    FolderEntry entry;
    while (reader.Next(entry)) names.insert(entry.name);
    return names;
  }

  std::string ReadOutside(std::string_view relative) {
    std::ifstream in(world_.Outside(relative), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  TestWorld world_;
  VirtualFileSystem* files_ = &world_.files;
};

// The ways a folder is reached. InStretches: the part not open yet in one
// openat2 (a spared folder outside the drive, on the same device, leaves
// the drive to be opened so). OneByOne: component by component, each
// compared with the spared folders (one lies below the drive's root, off
// the tested paths). WithoutOpenat2: as on a kernel or in a sandbox without
// openat2, every component with O_NOFOLLOW and its mount compared after.
enum class Way { InStretches, OneByOne, WithoutOpenat2 };

class FolderChainWaysTest : public FolderChainTest, public ::testing::WithParamInterface<Way> {
 protected:
  void SetUp() override {
    if (GetParam() == Way::WithoutOpenat2) {
      withoutOpenat2_.emplace(world_.files.Drives(), PathResolution::OneFolderAtATime);
      files_ = &*withoutOpenat2_;
    }
    std::filesystem::create_directories(world_.Outside("program"));
    C().Folder("SPARED");
    Files().SpareFolders({world_.Outside("program"), GetParam() == Way::OneByOne ? C().Host("SPARED") : std::string()});
  }

 private:
  std::optional<VirtualFileSystem> withoutOpenat2_;
};

// Each file has a length of its own, so reaching a wrong folder (a stale
// or misplaced descriptor in the chain) shows as a wrong length or a miss.
TEST_P(FolderChainWaysTest, EveryOrderOfVisitsReachesTheEntriesItNames) {
  C().Build({{"A\\B\\C\\D\\deep.tmp", 4},
             {"A\\B\\mid.tmp", 2},
             {"A\\top.tmp", 1},
             {"A\\B\\C2\\side.tmp", 3},
             {"A\\B\\C\\D2\\E\\other.tmp", 5},
             {"Mixed\\Case\\Name\\x.tmp", 6}});
  struct Visit {
    const char* path;
    std::int64_t length;
  };
  // Deep first, then shallower, sideways, deeper again, other case, missing.
  const Visit visits[] = {
      {"c:\\A\\B\\C\\D\\deep.tmp", 4},   {"c:\\A\\B\\mid.tmp", 2},
      {"c:\\A\\top.tmp", 1},             {"c:\\A\\B\\C2\\side.tmp", 3},
      {"c:\\A\\B\\C\\D2\\E\\other.tmp", 5}, {"c:\\A\\B\\C\\D\\deep.tmp", 4},
      {"c:\\mixed\\CASE\\name\\X.TMP", 6}, {"c:\\Mixed\\Case\\Name\\x.tmp", 6},
      {"c:\\A\\B\\C\\NOPE\\deep.tmp", -1}, {"c:\\A\\B\\C\\D\\deep.tmp", 4},
      {"c:\\A\\B\\C2\\E\\other.tmp", -1},  {"c:\\A\\B\\C2\\side.tmp", 3},
  };
  for (int round = 0; round < 2; ++round) {
    for (const Visit& visit : visits) EXPECT_EQ(Length(visit.path), visit.length) << visit.path;
    // The listings take their folder's descriptor away from the chain.
    EXPECT_EQ(Listing("c:\\A\\B\\C\\D2\\E\\"), std::set<std::string>{"other.tmp"});
    EXPECT_EQ(Listing("c:\\A\\B\\"), (std::set<std::string>{"C", "C2", "mid.tmp"}));
    EXPECT_EQ(Length("c:\\A\\B\\mid.tmp"), 2);
    EXPECT_EQ(Listing("c:\\A\\B\\C\\D\\"), std::set<std::string>{"deep.tmp"});
    Files().ForgetOpenFolders();
  }
}

// An outside folder reached through a link in the middle of a path: nothing
// there is listed, counted, changed or removed, and the answer is the one a
// component-wise opening gives (a link opened as a folder, never followed,
// is no folder), whether the path is opened in one go or not.
TEST_P(FolderChainWaysTest, ALinkOrAFileOnTheWayStopsTheOpening) {
  TempDrive outside(world_.Outside());
  outside.Build({{"victim\\B\\secret.doc", 9}, {"victim\\B\\C\\inner.tmp", 7}});
  C().Build({{"A\\plain.tmp", 1}, {"A\\file.tmp", 2}});
  C().Link("A\\L", outside.Host("victim"));
  for (const bool forget : {false, true}) {
    SCOPED_TRACE(forget ? "nothing open" : "A open");
    if (forget) {
      Files().ForgetOpenFolders();
    } else {
      ASSERT_EQ(Length("c:\\A\\plain.tmp"), 1);
    }
    FolderReader reader;
    EXPECT_EQ(Files().OpenFolder("c:\\A\\L\\B\\C\\", reader), std::errc::not_a_directory);
    EXPECT_EQ(Files().OpenFolder("c:\\a\\l\\b\\", reader), std::errc::not_a_directory);
    EntryFacts facts;
    EXPECT_EQ(Files().Stat("c:\\A\\L\\B\\secret.doc", facts), std::errc::not_a_directory);
    EXPECT_EQ(Files().RemoveFile("c:\\A\\L\\B\\C\\inner.tmp"), std::errc::not_a_directory);
    EXPECT_EQ(Files().SetAttributes("c:\\A\\L\\B\\secret.doc", kReadOnly), std::errc::not_a_directory);
    EXPECT_EQ(Files().OpenFolder("c:\\A\\file.tmp\\B\\", reader), std::errc::not_a_directory);
    EXPECT_EQ(Files().OpenFolder("c:\\A\\gone\\B\\", reader), std::errc::no_such_file_or_directory);
    // The chain is still good for the folder before the link.
    EXPECT_EQ(Length("c:\\A\\plain.tmp"), 1);
  }
  EXPECT_EQ(ReadOutside("victim/B/secret.doc"), std::string(9, 'x'));
  EXPECT_EQ(ReadOutside("victim/B/C/inner.tmp"), std::string(7, 'x'));
  EXPECT_EQ(testing::ModeOf(outside.Host("victim/B/secret.doc")) & 0200u, 0200u);
}

// A folder of a chain that is already open is swapped for a link to an
// outside folder of the same shape. Whatever is still open from before
// reaches the moved folder, which stays inside the drive; every folder opened
// afresh stops at the link. The outside files are never removed or changed.
TEST_P(FolderChainWaysTest, ALinkSwappedIntoAnOpenChainIsNeverFollowed) {
  TempDrive outside(world_.Outside());
  outside.Build({{"victim\\C\\D\\secret.tmp", 9}, {"victim\\C\\E\\secret.tmp", 8}});
  C().Build({{"A\\B\\C\\D\\junk.tmp", 1}, {"A\\B\\C\\E\\junk.tmp", 2}});
  ASSERT_EQ(Length("c:\\A\\B\\C\\D\\junk.tmp"), 1);
  ASSERT_EQ(std::rename(C().Host("A/B").c_str(), C().Host("A/B-moved").c_str()), 0);
  C().Link("A\\B", outside.Host("victim"));

  for (const char* name : {"D", "E"}) {
    SCOPED_TRACE(name);
    const std::string folder = std::string("c:\\A\\B\\C\\") + name + "\\";
    const std::error_code removed = Files().RemoveFile(folder + "secret.tmp");
    EXPECT_TRUE(removed) << "an entry was removed through the link";
    EXPECT_NE(Files().SetAttributes(folder + "secret.tmp", kReadOnly), std::error_code());
  }
  Files().ForgetOpenFolders();
  FolderReader reader;
  EXPECT_EQ(Files().OpenFolder("c:\\A\\B\\C\\D\\", reader), std::errc::not_a_directory);
  EXPECT_EQ(Files().RemoveFile("c:\\A\\B\\C\\E\\secret.tmp"), std::errc::not_a_directory);
  EXPECT_EQ(ReadOutside("victim/C/D/secret.tmp"), std::string(9, 'x'));
  EXPECT_EQ(ReadOutside("victim/C/E/secret.tmp"), std::string(8, 'x'));
  EXPECT_EQ(testing::ModeOf(outside.Host("victim/C/D/secret.tmp")) & 0200u, 0200u);
  EXPECT_EQ(testing::ModeOf(outside.Host("victim/C/E/secret.tmp")) & 0200u, 0200u);
}

// A file system mounted on a folder of the drive is never entered, whether
// the path through it is opened in one go or a component at a time, from
// the root or from an open folder above the mount. Mounting needs root with
// CAP_SYS_ADMIN.
TEST_P(FolderChainWaysTest, AMountedFileSystemOnTheWayIsNeverEntered) {
  C().Build({{"CACHE\\RAM\\"}, {"CACHE\\keep.tmp", 1}});
  if (mount("tidewell-test", C().Host("CACHE/RAM").c_str(), "tmpfs", 0, "size=1m") != 0) {
    GTEST_SKIP() << "cannot mount a tmpfs here (needs root with CAP_SYS_ADMIN): " << std::strerror(errno);
  }
  const Unmount unmount{C().Host("CACHE/RAM")};
  C().File("CACHE/RAM/SUB/DEEP/ram.tmp", 5);
  for (const bool forget : {true, false}) {
    SCOPED_TRACE(forget ? "nothing open" : "CACHE open");
    if (forget) {
      Files().ForgetOpenFolders();
    } else {
      ASSERT_EQ(Length("c:\\CACHE\\keep.tmp"), 1);
    }
    FolderReader reader;
    EXPECT_EQ(Files().OpenFolder("c:\\CACHE\\RAM\\SUB\\DEEP\\", reader), std::errc::cross_device_link);
    EXPECT_EQ(Files().OpenFolder("c:\\cache\\ram\\sub\\", reader), std::errc::cross_device_link);
    EXPECT_EQ(Files().RemoveFile("c:\\CACHE\\RAM\\SUB\\DEEP\\ram.tmp"), std::errc::cross_device_link);
    EXPECT_EQ(Length("c:\\CACHE\\keep.tmp"), 1);
  }
  EXPECT_TRUE(C().Exists("CACHE/RAM/SUB/DEEP/ram.tmp"));
  Files().ForgetOpenFolders();
}

// A link that stays inside the drive (a relative one to a sibling folder) is
// no folder either: what lies behind it is reached only by its own path.
TEST_P(FolderChainWaysTest, ALinkWithinTheDriveIsNotFollowedEither) {
  C().Build({{"A\\plain.tmp", 1}, {"REAL\\B\\kept.tmp", 6}});
  ASSERT_EQ(symlink("../REAL", C().Host("A/L").c_str()), 0) << std::strerror(errno);
  for (const bool forget : {false, true}) {
    SCOPED_TRACE(forget ? "nothing open" : "A open");
    if (forget) {
      Files().ForgetOpenFolders();
    } else {
      ASSERT_EQ(Length("c:\\A\\plain.tmp"), 1);
    }
    FolderReader reader;
    EXPECT_EQ(Files().OpenFolder("c:\\A\\L\\B\\", reader), std::errc::not_a_directory);
    EntryFacts facts;
    EXPECT_EQ(Files().Stat("c:\\A\\L\\B\\kept.tmp", facts), std::errc::not_a_directory);
    EXPECT_EQ(Files().RemoveFile("c:\\A\\L\\B\\kept.tmp"), std::errc::not_a_directory);
    EXPECT_EQ(Length("c:\\REAL\\B\\kept.tmp"), 6);
  }
  EXPECT_TRUE(C().Exists("REAL/B/kept.tmp"));
}

// Reaching far below the kept levels and back, listing on the way, keeps
// no more descriptors than the chain's bound, and forgetting the chain
// gives every one of them back.
TEST_P(FolderChainWaysTest, DescriptorsStayBoundedAndAreAllGivenBack) {
  constexpr int kDepth = 300;
  static_assert(kDepth > static_cast<int>(FolderHandleCache::kMaxOpenLevels));
  std::string relative;
  std::string folder = "c:\\";
  for (int i = 0; i < kDepth; ++i) {
    relative.append("L").append(std::to_string(i % 10)).push_back('/');
    folder.append("L").append(std::to_string(i % 10)).push_back('\\');
  }
  std::filesystem::create_directories(C().Host(relative));
  C().File(relative + "bottom.tmp", 8);
  EntryFacts root;
  ASSERT_FALSE(Files().Stat("c:\\", root));  // the root stays open from here on
  const std::ptrdiff_t before = OpenDescriptors();

  EXPECT_EQ(Length(folder + "bottom.tmp"), 8);
  // Every level of the way down, from the bottom up, listed and stat'ed.
  std::string level = folder;
  for (int i = kDepth; i > 0; i -= 7) {
    {
      FolderReader reader;  // one descriptor of its own
      ASSERT_FALSE(Files().OpenFolder(level, reader)) << i;
      EXPECT_LE(OpenDescriptors(), before + static_cast<std::ptrdiff_t>(FolderHandleCache::kMaxOpenLevels) + 1) << i;
    }
    for (int step = 0; step < 7 && level.size() > 3; ++step) {
      level.resize(level.rfind('\\', level.size() - 2) + 1);
    }
    EXPECT_EQ(Length(folder + "bottom.tmp"), 8);
    EXPECT_LE(OpenDescriptors(), before + static_cast<std::ptrdiff_t>(FolderHandleCache::kMaxOpenLevels)) << i;
  }
  Files().ForgetOpenFolders();
  EXPECT_EQ(OpenDescriptors(), before);
}

// A walk holds a listed folder open and finds its subfolders from it by
// name. That step refuses what the path's own opening refuses (a link put in
// the subfolder's place after the parent was listed, another file system),
// and anything it cannot settle gets the path's own answer.
TEST_P(FolderChainWaysTest, ASubfolderFoundFromItsHeldParentIsTheOneItsPathNames) {
  TempDrive outside(world_.Outside());
  outside.Build({{"victim\\secret.tmp", 9}});
  C().Build({{"A\\SUB\\one.tmp", 1}, {"A\\Mixed\\two.tmp", 2}, {"A\\SWAP\\three.tmp", 3}, {"A\\RAM\\"}});
  const auto heldParent = [&] {
    FolderReader reader;
    EXPECT_FALSE(Files().OpenFolder("c:\\A\\", reader));
    FolderEntry entry;
    while (reader.Next(entry)) {
    }
    return reader.ReleaseFolder();
  };
  const auto listingBelow = [&](const FolderHandle& parent, std::string_view name, std::string_view path,
                                std::error_code& error) {
    std::set<std::string> names;
    FolderReader reader;
    error = Files().OpenSubfolder(parent, name, path, reader);
    FolderEntry entry;
    while (!error && reader.Next(entry)) names.insert(entry.name);
    return names;
  };
  const FolderHandle parent = heldParent();
  ASSERT_TRUE(parent.IsOpen());
  std::error_code error;
  EXPECT_EQ(listingBelow(parent, "SUB", "c:\\A\\SUB\\", error), std::set<std::string>{"one.tmp"});
  EXPECT_FALSE(error);
  // A name in another case is left to the path, which finds it.
  EXPECT_EQ(listingBelow(parent, "MIXED", "c:\\A\\MIXED\\", error), std::set<std::string>{"two.tmp"});
  EXPECT_FALSE(error);
  // Gone since the parent was listed: the path's own answer.
  EXPECT_TRUE(listingBelow(parent, "GONE", "c:\\A\\GONE\\", error).empty());
  EXPECT_EQ(error, std::errc::no_such_file_or_directory);

  ASSERT_EQ(std::rename(C().Host("A/SWAP").c_str(), C().Host("A/SWAP-moved").c_str()), 0);
  C().Link("A\\SWAP", outside.Host("victim"));
  EXPECT_TRUE(listingBelow(parent, "SWAP", "c:\\A\\SWAP\\", error).empty()) << "the link was followed";
  EXPECT_EQ(error, std::errc::not_a_directory);
  EXPECT_EQ(ReadOutside("victim/secret.tmp"), std::string(9, 'x'));

  if (mount("tidewell-test", C().Host("A/RAM").c_str(), "tmpfs", 0, "size=1m") != 0) {
    GTEST_SKIP() << "cannot mount a tmpfs here (needs root with CAP_SYS_ADMIN): " << std::strerror(errno);
  }
  const Unmount unmount{C().Host("A/RAM")};
  C().File("A/RAM/ram.tmp", 5);
  EXPECT_TRUE(listingBelow(heldParent(), "RAM", "c:\\A\\RAM\\", error).empty()) << "the mount was entered";
  EXPECT_EQ(error, std::errc::cross_device_link);
  Files().ForgetOpenFolders();
}

// A walk's thread opens a subfolder ahead from its held parent and reads the
// start of its listing; the walk then lists it to the end. What it lists is
// what the subfolder's own opening lists, in the same order, however many
// reads that takes; a link put in its place is refused as the opening
// refuses it, and where a spared folder may lie on the drive nothing is
// opened ahead at all.
TEST_P(FolderChainWaysTest, AFolderOpenedAheadListsWhatItsOwnOpeningLists) {
  TempDrive outside(world_.Outside());
  outside.Build({{"victim\\secret.tmp", 9}});
  C().Build({{"A\\SMALL\\one.tmp", 1}, {"A\\EMPTY\\"}, {"A\\SWAP\\two.tmp", 2}});
  // Far more than one block of entries (32 KB), so the walk reads on.
  for (int i = 0; i < 1500; ++i) C().File("A/BIG/a-file-name-of-some-length-" + std::to_string(i) + ".tmp", 1);
  FolderReader listed;
  ASSERT_FALSE(Files().OpenFolder("c:\\A\\", listed));
  const FolderHandle parent = listed.ReleaseFolder();
  const auto inOrder = [](FolderReader& reader) {
    std::vector<std::string> names;
    FolderEntry entry;
    while (reader.Next(entry)) names.push_back(entry.name);
    return names;
  };
  const auto before = OpenDescriptors();
  for (const std::string name : {"BIG", "SMALL", "EMPTY"}) {
    const std::string path = "c:\\A\\" + name + "\\";
    if (!Files().OpensAhead(parent, name, path)) {
      EXPECT_NE(GetParam(), Way::InStretches) << "only a drive where a spared folder lies, or a kernel without "
                                                 "openat2, leaves every folder to the walk";
      continue;
    }
    FolderReader ahead;
    std::error_code error;
    std::thread([&] { error = Files().OpenAhead(parent, name, ahead); }).join();
    ASSERT_FALSE(error) << name;
    FolderReader own;
    ASSERT_FALSE(Files().OpenSubfolder(parent, name, path, own)) << name;
    const std::vector<std::string> names = inOrder(own);
    EXPECT_EQ(inOrder(ahead), names) << name;
    EXPECT_EQ(names.size(), name == "BIG" ? 1500u : name == "SMALL" ? 1u : 0u) << name;
  }
  EXPECT_EQ(OpenDescriptors(), before) << "a folder opened ahead stayed open";

  ASSERT_EQ(std::rename(C().Host("A/SWAP").c_str(), C().Host("A/SWAP-moved").c_str()), 0);
  C().Link("A\\SWAP", outside.Host("victim"));
  FolderReader swapped;
  EXPECT_TRUE(Files().OpenAhead(parent, "SWAP", swapped)) << "the link was followed";
  EXPECT_FALSE(swapped.IsOpen());
  EXPECT_EQ(ReadOutside("victim/secret.tmp"), std::string(9, 'x'));
  Files().ForgetOpenFolders();
}

// One reader used for folder after folder, as a walk uses it: once its
// folder is released it is closed and lists nothing more, and each later
// opening into it, by path, from a parent or ahead, lists that folder only,
// whatever the last one left in its block.
TEST_F(FolderChainTest, AReaderReusedForFolderAfterFolderListsEachOnlyOnce) {
  for (int i = 0; i < 900; ++i) C().File("A/BIG/a-longer-file-name-" + std::to_string(i) + ".tmp", 1);
  C().Build({{"A\\SMALL\\one.tmp", 1}, {"A\\EMPTY\\"}});
  FolderReader reader;
  const auto listed = [&] {
    std::multiset<std::string> names;
    FolderEntry entry;
    while (reader.Next(entry)) names.insert(entry.name);
    return names;
  };
  ASSERT_FALSE(Files().OpenFolder("c:\\A\\", reader));
  EXPECT_EQ(listed(), (std::multiset<std::string>{"BIG", "EMPTY", "SMALL"}));
  const FolderHandle parent = reader.ReleaseFolder();
  EXPECT_FALSE(reader.IsOpen());
  FolderEntry entry;
  EXPECT_FALSE(reader.Next(entry));
  EntryFacts facts;
  EXPECT_EQ(reader.StatEntry("BIG", facts), std::errc::bad_file_descriptor);

  ASSERT_FALSE(Files().OpenSubfolder(parent, "BIG", "c:\\A\\BIG\\", reader));
  ASSERT_TRUE(reader.Next(entry));  // leaves most of a block unread
  reader.ReleaseFolder();
  ASSERT_FALSE(Files().OpenSubfolder(parent, "SMALL", "c:\\A\\SMALL\\", reader));
  EXPECT_EQ(listed(), std::multiset<std::string>{"one.tmp"});
  reader.ReleaseFolder();
  ASSERT_FALSE(Files().OpenAhead(parent, "BIG", reader));
  EXPECT_EQ(listed().size(), 900u);
  reader.ReleaseFolder();
  ASSERT_FALSE(Files().OpenAhead(parent, "EMPTY", reader));
  EXPECT_TRUE(listed().empty());
  ASSERT_FALSE(Files().OpenFolder("c:\\A\\SMALL\\", reader));
  EXPECT_EQ(listed(), std::multiset<std::string>{"one.tmp"});
}

// The program's own folder, below the drive, met as the subfolder of a held
// parent: never entered.
TEST_F(FolderChainTest, ASparedFolderIsNotEnteredFromItsHeldParent) {
  C().Build({{"PROGRAMS\\TIDEWELL\\old.tmp", 3}, {"PROGRAMS\\OTHER\\junk.tmp", 4}});
  Files().SpareFolders({C().Host("PROGRAMS/TIDEWELL")});
  FolderReader reader;
  ASSERT_FALSE(Files().OpenFolder("c:\\PROGRAMS\\", reader));
  const FolderHandle parent = reader.ReleaseFolder();
  FolderReader below;
  EXPECT_EQ(Files().OpenSubfolder(parent, "TIDEWELL", "c:\\PROGRAMS\\TIDEWELL\\", below),
            std::errc::permission_denied);
  EXPECT_FALSE(Files().OpenSubfolder(parent, "OTHER", "c:\\PROGRAMS\\OTHER\\", below));
}

// Opening in one go would pass a spared folder unchecked; the drive that
// holds one is opened component by component and each compared.
TEST_F(FolderChainTest, ASparedFolderDeepOnTheWayIsNeverEntered) {
  C().Build({{"PROGRAMS\\TIDEWELL\\LOGS\\old.tmp", 3}, {"PROGRAMS\\OTHER\\junk.tmp", 4}});
  Files().SpareFolders({C().Host("PROGRAMS/TIDEWELL")});
  FolderReader reader;
  EXPECT_EQ(Files().OpenFolder("c:\\PROGRAMS\\TIDEWELL\\LOGS\\", reader), std::errc::permission_denied);
  EXPECT_EQ(Files().RemoveFile("c:\\PROGRAMS\\TIDEWELL\\LOGS\\old.tmp"), std::errc::permission_denied);
  EXPECT_TRUE(C().Exists("PROGRAMS/TIDEWELL/LOGS/old.tmp"));
  EXPECT_FALSE(Files().RemoveFile("c:\\PROGRAMS\\OTHER\\junk.tmp"));
  EXPECT_FALSE(C().Exists("PROGRAMS/OTHER/junk.tmp"));
}

// The spared folder seen through a bind mount outside the drive: the way up
// from there never meets the drive's root, yet the folder lies below it, and
// it is compared all the same. Mounting needs root with CAP_SYS_ADMIN.
TEST_F(FolderChainTest, ASparedFolderKnownThroughAnotherMountIsNeverEntered) {
  C().Build({{"PROGRAMS\\TIDEWELL\\LOGS\\old.tmp", 3}, {"PROGRAMS\\OTHER\\junk.tmp", 4}});
  std::filesystem::create_directories(world_.Outside("view"));
  if (mount(C().Host("PROGRAMS/TIDEWELL").c_str(), world_.Outside("view").c_str(), nullptr, MS_BIND, nullptr) != 0) {
    GTEST_SKIP() << "cannot bind-mount a folder here (needs root with CAP_SYS_ADMIN): " << std::strerror(errno);
  }
  const Unmount unmount{world_.Outside("view")};
  Files().SpareFolders({world_.Outside("view")});
  FolderReader reader;
  EXPECT_EQ(Files().OpenFolder("c:\\PROGRAMS\\TIDEWELL\\LOGS\\", reader), std::errc::permission_denied);
  EXPECT_EQ(Files().RemoveFile("c:\\PROGRAMS\\TIDEWELL\\LOGS\\old.tmp"), std::errc::permission_denied);
  EXPECT_TRUE(C().Exists("PROGRAMS/TIDEWELL/LOGS/old.tmp"));
  EXPECT_FALSE(Files().RemoveFile("c:\\PROGRAMS\\OTHER\\junk.tmp"));
}

INSTANTIATE_TEST_SUITE_P(FolderChain, FolderChainWaysTest,
                         ::testing::Values(Way::InStretches, Way::OneByOne, Way::WithoutOpenat2),
                         [](const ::testing::TestParamInfo<Way>& info) {
                           switch (info.param) {
                             case Way::InStretches: return std::string("InStretches");
                             case Way::OneByOne: return std::string("OneByOne");
                             case Way::WithoutOpenat2: return std::string("WithoutOpenat2");
                           }
                           return std::string();
                         });

}  // namespace
}  // namespace tidewell::platform
