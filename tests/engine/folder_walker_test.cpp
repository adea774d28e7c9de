#include "engine/folder_walker.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/temp_drive.h"

namespace tidewell {
namespace {

using testing::TestWorld;

#ifndef _WIN32
bool RunningAsRoot() { return geteuid() == 0; }
#endif

std::vector<std::string> Entries(const PathList& list) {
  std::vector<std::string> out;
  for (std::int32_t i = 1; i <= list.Count(); ++i) out.emplace_back(list[i]);
  return out;
}

std::set<std::string> EntrySet(const PathList& list) {
  const std::vector<std::string> entries = Entries(list);
  return {entries.begin(), entries.end()};
}

// The folder part of a path: everything up to and including its last "\"
// (for a folder path, the "\" before its own name).
std::string ParentOf(const std::string& path) {
  const std::string trimmed = path.back() == '\\' ? path.substr(0, path.size() - 1) : path;
  return trimmed.substr(0, trimmed.rfind('\\') + 1);
}

#ifndef _WIN32
// A chain of `depth` folders named "d" below `hostFolder`, with a file
// "bottom.txt" in the last one. The host path goes far beyond PATH_MAX, so
// the chain is made and removed one openat step at a time.
class DeepChain {
 public:
  DeepChain(const std::string& hostFolder, int depth) : top_(hostFolder), depth_(depth) {
    int fd = open(top_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int level = 0; level < depth_ && fd >= 0; ++level) {
      mkdirat(fd, "d", 0755);
      const int child = openat(fd, "d", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      close(fd);
      fd = child;
    }
    if (fd < 0) return;
    const int file = openat(fd, "bottom.txt", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    made_ = file >= 0;
    if (file >= 0) close(file);
    close(fd);
  }
  ~DeepChain() {
    int fd = open(top_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int levels = 0;
    while (fd >= 0) {
      const int child = openat(fd, "d", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (child < 0) break;
      close(fd);
      fd = child;
      ++levels;
    }
    if (fd < 0) return;
    unlinkat(fd, "bottom.txt", 0);
    for (; levels > 0; --levels) {
      const int parent = openat(fd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      close(fd);
      fd = parent;
      if (fd < 0) return;
      unlinkat(fd, "d", AT_REMOVEDIR);
    }
    close(fd);
  }
  DeepChain(const DeepChain&) = delete;
  DeepChain& operator=(const DeepChain&) = delete;
  bool Made() const { return made_; }

 private:
  std::string top_;
  int depth_;
  bool made_ = false;
};
#endif

// ---------------------------------------------------------------------------
// ListFolders

TEST(FolderWalkerListFolders, ADriveWithoutFoldersGivesItsRootAlone) {
  TestWorld world;
  world.Drive('C').Build({{"autoexec.bat", 10}});
  const FolderList folders = ListFolders(world.context, "c:", "\\");
  EXPECT_EQ(Entries(folders), std::vector<std::string>{"c:\\"});
}

TEST(FolderWalkerListFolders, EntriesStartWithTheDriveAsGiven) {
  TestWorld world;
  world.Drive('C').Build({{"WINDOWS\\"}});
  EXPECT_EQ(Entries(ListFolders(world.context, "c: [DRIVE_C]", "\\")),
            (std::vector<std::string>{"c:\\", "c:\\WINDOWS\\"}));
  EXPECT_EQ(Entries(ListFolders(world.context, "C:", "")), (std::vector<std::string>{"C:\\", "C:\\WINDOWS\\"}));
}

TEST(FolderWalkerListFolders, NamesKeepTheCaseOnDiskBelowTheStartAsGiven) {
  TestWorld world;
  world.Drive('C').Build({{"Data\\SubFolder\\"}});
  EXPECT_EQ(Entries(ListFolders(world.context, "c:", "c:\\DATA")),
            (std::vector<std::string>{"c:\\DATA\\", "c:\\DATA\\SubFolder\\"}));
}

TEST(FolderWalkerListFolders, WalksBreadthFirstLevelByLevel) {
  TestWorld world;
  world.Drive('C').Build({{"A\\A1\\X\\Y\\"}, {"A\\A2\\"}, {"B\\B1\\Z\\"}, {"B\\B2\\"}, {"C\\"}, {"A\\f.txt", 1}});
  const std::vector<std::string> entries = Entries(ListFolders(world.context, "c:", "\\"));
  EXPECT_EQ(std::set<std::string>(entries.begin(), entries.end()),
            (std::set<std::string>{"c:\\", "c:\\A\\", "c:\\B\\", "c:\\C\\", "c:\\A\\A1\\", "c:\\A\\A2\\",
                                   "c:\\B\\B1\\", "c:\\B\\B2\\", "c:\\A\\A1\\X\\", "c:\\B\\B1\\Z\\",
                                   "c:\\A\\A1\\X\\Y\\"}));
  ASSERT_EQ(entries.size(), 11u);
  EXPECT_EQ(entries[0], "c:\\");
  // The list is its own queue: every folder comes after its parent, and the
  // children of an earlier folder come before those of a later one.
  std::map<std::string, std::size_t> position;
  std::size_t lastParent = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    position[entries[i]] = i;
    if (i == 0) continue;
    const auto parent = position.find(ParentOf(entries[i]));
    ASSERT_NE(parent, position.end()) << entries[i] << " before its parent";
    EXPECT_GE(parent->second, lastParent) << entries[i] << " out of level order";
    lastParent = parent->second;
  }
}

// The walk holds listed folders open to find their subfolders by name, as
// many as the process's open-file limit leaves room for; past that it finds
// them by path. Either way every folder and file is listed, in level order,
// and no folder stays open after the walk.
TEST(FolderWalkerListFolders, AWalkWiderThanTheFoldersItMayHoldOpenListsEverything) {
#ifdef _WIN32
  GTEST_SKIP() << "needs the open-file limit (setrlimit) and /proc/self/fd";
#else
  TestWorld world;
  std::set<std::string> expected{"c:\\"};
  for (int i = 0; i < 300; ++i) {
    const std::string name = "F" + std::to_string(i);
    world.Drive('C').File(name + "\\SUB\\DEEP\\" + name + ".tmp", 1);
    for (const std::string& folder : {name + "\\", name + "\\SUB\\", name + "\\SUB\\DEEP\\"}) {
      expected.insert("c:\\" + folder);
    }
  }
  rlimit before{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &before), 0);
  for (const rlim_t soft : {rlim_t{600}, before.rlim_cur}) {
    SCOPED_TRACE(soft);
    rlimit lowered = before;
    lowered.rlim_cur = std::min(soft, before.rlim_cur);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &lowered), 0);
    const std::size_t held = platform::FolderHandlesToSpare();
    const auto openNow = [] {
      return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
    };
    platform::EntryFacts root;
    ASSERT_FALSE(world.files.Stat("c:\\", root));  // the drive's root stays open from here on
    world.files.ForgetOpenFolders();
    const auto openBefore = openNow();
    const FolderList folders = ListFolders(world.context, "c:", "\\");
    world.files.ForgetOpenFolders();
    EXPECT_EQ(openNow(), openBefore) << "a folder stayed open after the walk";
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &before), 0);
    if (soft == 600) {
      EXPECT_LT(held, 300u) << "the walk could hold every parent open";
    }
    const std::vector<std::string> entries = Entries(folders);
    EXPECT_EQ(std::set<std::string>(entries.begin(), entries.end()), expected);
    ASSERT_EQ(entries.size(), expected.size());
    // Level by level: every folder of a level before any of the next.
    for (std::size_t i = 1; i < entries.size(); ++i) {
      EXPECT_LE(std::count(entries[i - 1].begin(), entries[i - 1].end(), '\\'),
                std::count(entries[i].begin(), entries[i].end(), '\\'))
          << entries[i];
    }
    int files = 0;
    for (std::int32_t i = 1; i <= folders.Count(); ++i) {
      folders.ForEachFile(i, [&](std::string_view name, const WalkFacts*) {
        ++files;
        const std::string_view stem = name.substr(0, name.size() - 4);  // "F7" of "F7.tmp"
        EXPECT_EQ(folders[i], "c:\\" + std::string(stem) + "\\SUB\\DEEP\\");
      });
    }
    EXPECT_EQ(files, 300);
  }
#endif
}

TEST(FolderWalkerListFolders, NeverListsDotFoldersOrAnythingBelowThem) {
  TestWorld world;
  world.Drive('C').Build({{".cache\\deep\\"}, {"DATA\\.git\\objects\\"}, {"DATA\\keep\\"}});
  EXPECT_EQ(EntrySet(ListFolders(world.context, "c:", "\\")),
            (std::set<std::string>{"c:\\", "c:\\DATA\\", "c:\\DATA\\keep\\"}));
}

TEST(FolderWalkerListFolders, ListsFoldersWithADotElsewhereInTheirName) {
  TestWorld world;
#ifdef _WIN32  // Windows drops a trailing dot from a name: "trail." cannot be made
  world.Drive('C').Build({{"my.files\\inner.d\\"}});
  EXPECT_EQ(EntrySet(ListFolders(world.context, "c:", "\\")),
            (std::set<std::string>{"c:\\", "c:\\my.files\\", "c:\\my.files\\inner.d\\"}));
#else
  world.Drive('C').Build({{"my.files\\inner.d\\"}, {"trail.\\"}});
  EXPECT_EQ(EntrySet(ListFolders(world.context, "c:", "\\")),
            (std::set<std::string>{"c:\\", "c:\\my.files\\", "c:\\my.files\\inner.d\\", "c:\\trail.\\"}));
#endif
}

TEST(FolderWalkerListFolders, NeverWalksIntoALinkedFolder) {
#ifdef _WIN32
  GTEST_SKIP() << "fixture links are not made on Windows: Wine makes none, and real Windows needs a privilege for them";
#else
  TestWorld world;
  world.Drive('C').Build({{"DATA\\"}});
  std::filesystem::create_directories(world.Outside("secret/inner"));
  world.Drive('C').Link("DATA\\link", world.Outside("secret"));
  EXPECT_EQ(EntrySet(ListFolders(world.context, "c:", "\\")), (std::set<std::string>{"c:\\", "c:\\DATA\\"}));
#endif
}

TEST(FolderWalkerListFolders, SkipsNamesHoldingABackslash) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows names cannot hold a backslash";
#else
  TestWorld world;
  world.Drive('C').Build({{"DATA\\"}});
  std::filesystem::create_directories(world.Drive('C').Host("DATA") + "/odd\\name/below");
  EXPECT_EQ(EntrySet(ListFolders(world.context, "c:", "\\")), (std::set<std::string>{"c:\\", "c:\\DATA\\"}));
#endif
}

TEST(FolderWalkerListFolders, AnUnreadableFolderIsListedButContributesNothing) {
#ifdef _WIN32
  GTEST_SKIP() << "an unreadable folder is made with permission bits";
#else
  if (RunningAsRoot()) GTEST_SKIP() << "permission bits do not stop root from reading folders";
  TestWorld world;
  world.Drive('C').Build({{"LOCKED\\inner\\"}, {"OPEN\\inner\\"}});
  chmod(world.Drive('C').Host("LOCKED").c_str(), 0);
  EXPECT_EQ(EntrySet(ListFolders(world.context, "c:", "\\")),
            (std::set<std::string>{"c:\\", "c:\\LOCKED\\", "c:\\OPEN\\", "c:\\OPEN\\inner\\"}));
#endif
}

TEST(FolderWalkerListFolders, AMissingStartGivesTheStartAlone) {
  TestWorld world;
  EXPECT_EQ(Entries(ListFolders(world.context, "c:", "\\NOWHERE\\")), std::vector<std::string>{"c:\\NOWHERE\\"});
  EXPECT_EQ(Entries(ListFolders(world.context, "q:", "\\")), std::vector<std::string>{"q:\\"});
}

TEST(FolderWalkerListFolders, WalksATreeThreeThousandFoldersDeep) {
#ifdef _WIN32
  GTEST_SKIP() << "the chain is made and removed through descriptor-relative POSIX calls (openat, mkdirat); on Windows that takes handle-relative opens, not ported";
#else
  TestWorld world;
  DeepChain chain(world.Drive('C').Root(), 3000);
  ASSERT_TRUE(chain.Made());
  const FolderList folders = ListFolders(world.context, "c:", "\\");
  ASSERT_EQ(folders.Count(), 3001);
  std::string deepest = "c:\\";
  for (int level = 0; level < 3000; ++level) deepest += "d\\";
  EXPECT_EQ(folders[3001], deepest);
#endif
}

TEST(FolderWalkerListFolders, YieldsWhileWalkingUnlessOptimised) {
  TestWorld world;
  world.Drive('C').Build({{"A\\a.txt", 1}, {"B\\"}});
  ListFolders(world.context, "c:", "\\");
  EXPECT_GT(world.feedback.yields, 0);

  world.feedback.yields = 0;
  world.SetOption(RunOption::OptimisePerformance, 1);
  ListFolders(world.context, "c:", "\\");
  EXPECT_EQ(world.feedback.yields, 0);
}

// ---------------------------------------------------------------------------
// ListFiles

TEST(FolderWalkerListFiles, AnEmptyPatternListsEveryFileAndNoFolder) {
  TestWorld world;
  world.Drive('C').Build({{"DIR\\a.txt", 1}, {"DIR\\NOEXT", 1}, {"DIR\\.hidden", 1}, {"DIR\\ro.dat", 1, "R"},
                          {"DIR\\sub\\inner.txt", 1}, {"DIR\\.dotdir\\"}});
  EXPECT_EQ(EntrySet(ListFiles(world.context, "c:", "c:\\DIR\\", "", ListScope::OneFolder)),
            (std::set<std::string>{"c:\\DIR\\a.txt", "c:\\DIR\\NOEXT", "c:\\DIR\\.hidden", "c:\\DIR\\ro.dat"}));
}

TEST(FolderWalkerListFiles, NeverListsAFolderThatMatchesThePattern) {
  TestWorld world;
  world.Drive('C').Build({{"DIR\\cache.tmp\\"}, {"DIR\\real.tmp", 1}});
  EXPECT_EQ(Entries(ListFiles(world.context, "c:", "\\DIR\\", "*.tmp", ListScope::OneFolder)),
            std::vector<std::string>{"c:\\DIR\\real.tmp"});
}

TEST(FolderWalkerListFiles, MatchesThePatternWithoutRegardToCase) {
  TestWorld world;
  world.Drive('C').Build({{"DIR\\one.tmp", 1}, {"DIR\\TWO.TMP", 1}, {"DIR\\three.tmpx", 1}});
  EXPECT_EQ(EntrySet(ListFiles(world.context, "c:", "\\dir\\", "*.TMP", ListScope::OneFolder)),
            (std::set<std::string>{"c:\\dir\\one.tmp", "c:\\dir\\TWO.TMP"}));
}

TEST(FolderWalkerListFiles, ATrailingDotMatchesOnlyNamesWithoutExtension) {
  TestWorld world;
  world.Drive('C').Build({{"DIR\\VB1234~1", 1}, {"DIR\\VB1234~1.TMP", 1}, {"DIR\\VB12345~1", 1}});
  EXPECT_EQ(Entries(ListFiles(world.context, "c:", "\\DIR\\", "VB????~?.", ListScope::OneFolder)),
            std::vector<std::string>{"c:\\DIR\\VB1234~1"});
}

TEST(FolderWalkerListFiles, ADotStarPatternAlsoMatchesNamesWithoutExtension) {
  TestWorld world;
  world.Drive('C').Build({{"DIR\\SETUP", 1}, {"DIR\\setup.exe", 1}, {"DIR\\setup2.exe", 1}});
  EXPECT_EQ(EntrySet(ListFiles(world.context, "c:", "\\DIR\\", "Setup.*", ListScope::OneFolder)),
            (std::set<std::string>{"c:\\DIR\\SETUP", "c:\\DIR\\setup.exe"}));
}

TEST(FolderWalkerListFiles, AFolderEntryHandedBackNamesTheSameFolder) {
  TestWorld world;
  world.Drive('C').Build({{"DIR\\SUB\\a.txt", 1}});
  const FolderList folders = ListFolders(world.context, "c:", "\\");
  ASSERT_EQ(folders.Count(), 3);
  EXPECT_EQ(Entries(ListFiles(world.context, "c:", folders[3], "*.*", ListScope::OneFolder)),
            std::vector<std::string>{"c:\\DIR\\SUB\\a.txt"});
  EXPECT_EQ(Entries(ListFiles(world.context, "c:", "DIR\\SUB", "*.*", ListScope::OneFolder)),
            std::vector<std::string>{"c:\\DIR\\SUB\\a.txt"});
}

TEST(FolderWalkerListFiles, WholeSubtreeListsOwnFilesFirstThenInWalkOrder) {
  TestWorld world;
  world.Drive('C').Build({{"TOP\\own1.txt", 1}, {"TOP\\own2.txt", 1}, {"TOP\\A\\a.txt", 1}, {"TOP\\B\\b.txt", 1},
                          {"TOP\\A\\DEEP\\deep.txt", 1}, {"TOP\\B\\b2.txt", 1}, {"OTHER\\x.txt", 1}});
  const std::vector<std::string> files =
      Entries(ListFiles(world.context, "c:", "\\TOP\\", "", ListScope::WholeSubtree));
  EXPECT_EQ(std::set<std::string>(files.begin(), files.end()),
            (std::set<std::string>{"c:\\TOP\\own1.txt", "c:\\TOP\\own2.txt", "c:\\TOP\\A\\a.txt", "c:\\TOP\\B\\b.txt",
                                   "c:\\TOP\\B\\b2.txt", "c:\\TOP\\A\\DEEP\\deep.txt"}));
  ASSERT_EQ(files.size(), 6u);
  EXPECT_EQ(ParentOf(files[0]), "c:\\TOP\\");
  EXPECT_EQ(ParentOf(files[1]), "c:\\TOP\\");
  // The files of each folder together, folders in the walk's order.
  const std::vector<std::string> walk = Entries(ListFolders(world.context, "c:", "\\TOP\\"));
  std::size_t lastFolder = 0;
  for (const std::string& file : files) {
    const auto folder = std::find(walk.begin(), walk.end(), ParentOf(file));
    ASSERT_NE(folder, walk.end()) << file;
    const auto at = static_cast<std::size_t>(folder - walk.begin());
    EXPECT_GE(at, lastFolder) << file << " out of walk order";
    lastFolder = at;
  }
}

TEST(FolderWalkerListFiles, WholeSubtreeLeavesDotFoldersOut) {
  TestWorld world;
  world.Drive('C').Build({{"TOP\\.git\\config", 1}, {"TOP\\.git\\sub\\x", 1}, {"TOP\\keep.txt", 1}});
  EXPECT_EQ(Entries(ListFiles(world.context, "c:", "\\TOP\\", "*.*", ListScope::WholeSubtree)),
            std::vector<std::string>{"c:\\TOP\\keep.txt"});
}

TEST(FolderWalkerListFiles, ALinkedFolderIsListedAsAFile) {
#ifdef _WIN32
  GTEST_SKIP() << "fixture links are not made on Windows: Wine makes none, and real Windows needs a privilege for them";
#else
  TestWorld world;
  world.Drive('C').Build({{"DIR\\"}});
  std::filesystem::create_directories(world.Outside("secret"));
  std::ofstream(world.Outside("secret/inside.txt")) << "x";
  world.Drive('C').Link("DIR\\link", world.Outside("secret"));
  EXPECT_EQ(Entries(ListFiles(world.context, "c:", "\\DIR\\", "*.*", ListScope::WholeSubtree)),
            std::vector<std::string>{"c:\\DIR\\link"});
#endif
}

TEST(FolderWalkerListFiles, SkipsNamesHoldingABackslash) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows names cannot hold a backslash";
#else
  TestWorld world;
  world.Drive('C').Build({{"DIR\\plain.txt", 1}});
  std::ofstream(world.Drive('C').Host("DIR") + "/evil\\..\\name.txt") << "x";
  EXPECT_EQ(Entries(ListFiles(world.context, "c:", "\\DIR\\", "*.*", ListScope::OneFolder)),
            std::vector<std::string>{"c:\\DIR\\plain.txt"});
#endif
}

TEST(FolderWalkerListFiles, AnUnreadableFolderContributesNothing) {
#ifdef _WIN32
  GTEST_SKIP() << "an unreadable folder is made with permission bits";
#else
  if (RunningAsRoot()) GTEST_SKIP() << "permission bits do not stop root from reading folders";
  TestWorld world;
  world.Drive('C').Build({{"TOP\\LOCKED\\hidden.txt", 1}, {"TOP\\OPEN\\seen.txt", 1}});
  chmod(world.Drive('C').Host("TOP/LOCKED").c_str(), 0);
  EXPECT_EQ(Entries(ListFiles(world.context, "c:", "\\TOP\\", "*.*", ListScope::WholeSubtree)),
            std::vector<std::string>{"c:\\TOP\\OPEN\\seen.txt"});
#endif
}

TEST(FolderWalkerListFiles, AMissingFolderGivesNothing) {
  TestWorld world;
  EXPECT_EQ(ListFiles(world.context, "c:", "\\NOWHERE\\", "*.*", ListScope::OneFolder).Count(), 0);
  EXPECT_EQ(ListFiles(world.context, "c:", "\\NOWHERE\\", "*.*", ListScope::WholeSubtree).Count(), 0);
}

TEST(FolderWalkerListFiles, YieldsOncePerFileAndOnceAtTheEndOfEachFolder) {
  TestWorld world;
  world.Drive('C').Build({{"TOP\\a.tmp", 1}, {"TOP\\b.tmp", 1}, {"TOP\\c.tmp", 1}, {"TOP\\skip.txt", 1},
                          {"TOP\\SUB\\d.tmp", 1}, {"TOP\\SUB\\skip.doc", 1}});
  ListFiles(world.context, "c:", "\\TOP\\", "*.tmp", ListScope::OneFolder);
  EXPECT_EQ(world.feedback.yields, 3 + 1);

  // The walk yields on its own; count only the listing's share.
  world.feedback.yields = 0;
  ListFolders(world.context, "c:", "\\TOP\\");
  const long walkYields = world.feedback.yields;
  world.feedback.yields = 0;
  ListFiles(world.context, "c:", "\\TOP\\", "*.tmp", ListScope::WholeSubtree);
  EXPECT_EQ(world.feedback.yields - walkYields, (3 + 1) + (1 + 1));
}

TEST(FolderWalkerListFiles, NeverYieldsWhenOptimised) {
  TestWorld world;
  world.SetOption(RunOption::OptimisePerformance, 1);
  world.Drive('C').Build({{"TOP\\a.tmp", 1}, {"TOP\\SUB\\d.tmp", 1}});
  const FileList files = ListFiles(world.context, "c:", "\\TOP\\", "*.tmp", ListScope::WholeSubtree);
  EXPECT_EQ(files.Count(), 2);
  EXPECT_EQ(world.feedback.yields, 0);
}

TEST(FolderWalkerListFiles, FindsAFileAtTheBottomOfATreeThreeThousandFoldersDeep) {
#ifdef _WIN32
  GTEST_SKIP() << "the chain is made and removed through descriptor-relative POSIX calls (openat, mkdirat); on Windows that takes handle-relative opens, not ported";
#else
  TestWorld world;
  DeepChain chain(world.Drive('C').Root(), 3000);
  ASSERT_TRUE(chain.Made());
  std::string expected = "c:\\";
  for (int level = 0; level < 3000; ++level) expected += "d\\";
  expected += "bottom.txt";
  EXPECT_EQ(Entries(ListFiles(world.context, "c:", "\\", "*.txt", ListScope::WholeSubtree)),
            std::vector<std::string>{expected});
#endif
}

// ---------------------------------------------------------------------------
// ContainsNoCase

TEST(FolderWalkerContainsNoCase, AnEmptyFragmentOccursInEveryText) {
  EXPECT_TRUE(ContainsNoCase("", ""));
  EXPECT_TRUE(ContainsNoCase("c:\\WINDOWS\\", ""));
}

TEST(FolderWalkerContainsNoCase, FindsTheFragmentWithoutRegardToCase) {
  EXPECT_TRUE(ContainsNoCase("c:\\Program Files\\Netscape\\", "NETSCAPE"));
  EXPECT_TRUE(ContainsNoCase("c:\\.hidden\\", "\\."));
  EXPECT_FALSE(ContainsNoCase("c:\\my.files\\", "\\."));
  EXPECT_FALSE(ContainsNoCase("c:\\TEMP", "temp\\"));
}

}  // namespace
}  // namespace tidewell
