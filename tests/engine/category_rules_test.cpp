#include "engine/category_rules.h"

#ifndef _WIN32
#include <sys/xattr.h>
#endif

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/deletion_primitives.h"
#include "engine/folder_snapshot.h"
#include "engine/folder_walker.h"
#include "engine/log_section.h"
#include "engine/rule_table.h"
#include "tests/support/dos_attrib.h"
#ifndef _WIN32
#include "tests/support/scratch_volume.h"
#endif
#include "tests/support/table_by_hand.h"
#include "tests/support/temp_drive.h"

namespace tidewell {
namespace {

using testing::TestWorld;

enum class Mode { Test, Destructive };

// A world whose drives are cleaned by the rule table, with the log section
// open around the run as the drive run has it. Destructive runs keep the log.
class RulesWorld : public TestWorld {
 public:
  explicit RulesWorld(std::string_view letters = "C", std::string_view missingAtLoad = {})
      : TestWorld(letters, missingAtLoad) {}
  testing::TempDrive& C() { return Drive('C'); }

  void Clean(Mode run, char letter = 'C') {
    Prepare(run, letter);
    const FolderList folders = ListFolders(context, drive_, "\\");
    ApplyCategoryRules(context, drive_, folders, folders.Count());
    CloseLogSection(context);
  }

  // The folder list handed over by the caller instead of a walk.
  void Clean(Mode run, const FolderList& folders, std::int32_t count) {
    Prepare(run, 'C');
    ApplyCategoryRules(context, drive_, folders, count);
    CloseLogSection(context);
  }

  void Prepare(Mode run, char letter) {
    SetOption(RunOption::TestRun, run == Mode::Test ? 1 : 0);
    SetOption(RunOption::MaintainLog, 1);
    drive_ = std::string(1, static_cast<char>(letter | 0x20)) + ":";
    ASSERT_FALSE(OpenLogSection(context, drive_));
  }

  std::string drive_;
};

std::string Deleted(std::string_view path) { return "Delete file: " + std::string(path); }
std::string Removed(std::string_view path) { return "Remove folder: " + std::string(path); }

// ---- Spared folders -------------------------------------------------------

TEST(SparedFolders, VaultkeepInAnyCaseAndAtAnyDepthGetsNoRowNotEvenTheBaseRows) {
  RulesWorld world;
  world.C().Build({{"OLD VAULTKEEP SETS\\a.TMP"}, {"DATA\\vaultkeep\\SETS\\b.tmp"},
                   {"DATA\\c.TMP"}, {"MyVaultKeep2\\TEMP\\d.TMP"}});
  world.Clean(Mode::Destructive);
  EXPECT_TRUE(world.C().Exists("OLD VAULTKEEP SETS/a.TMP"));
  EXPECT_TRUE(world.C().Exists("DATA/vaultkeep/SETS/b.tmp"));
  EXPECT_TRUE(world.C().Exists("MyVaultKeep2/TEMP/d.TMP"));
  EXPECT_FALSE(world.C().Exists("DATA/c.TMP"));
}

TEST(SparedFolders, ProgramFolderAndEveryPathContainingItAreSpared) {
  RulesWorld world;
  world.C().Build({{"TOOLS\\CLEANER\\a.TMP"}, {"TOOLS\\CLEANER\\SUB\\b.TMP"},
                   {"TOOLS\\CLEANER2\\c.TMP"}, {"TOOLS\\d.TMP"}});
  world.config.programFolder = world.C().Host("TOOLS/CLEANER");
  world.Clean(Mode::Destructive);
  EXPECT_TRUE(world.C().Exists("TOOLS/CLEANER/a.TMP"));
  EXPECT_TRUE(world.C().Exists("TOOLS/CLEANER/SUB/b.TMP"));
  EXPECT_TRUE(world.C().Exists("TOOLS/CLEANER2/c.TMP"));  // its name begins with the program's
  EXPECT_FALSE(world.C().Exists("TOOLS/d.TMP"));
}

TEST(SparedFolders, RecordsFolderOnTheDriveIsSparedToo) {
  RulesWorld world;
  world.C().Build({{"RECORDS\\old.TMP"}, {"OTHER\\x.TMP"}});
  world.config.recordsFolder = world.C().Host("RECORDS");
  world.Clean(Mode::Destructive);
  EXPECT_TRUE(world.C().Exists("RECORDS/old.TMP"));
  EXPECT_TRUE(world.C().Exists("RECORDS/Tidewell.log"));
  EXPECT_FALSE(world.C().Exists("OTHER/x.TMP"));
}

TEST(SparedFolders, ProgramInTheDriveRootSparesEveryFolderButTheSweepStillRuns) {
  RulesWorld world;
  world.C().Build({{"a.TMP"}, {"SUB\\b.TMP"}, {"AUTOEXEC.OLD", 3}, {"AUTOEXEC.BAT", 3}});
  world.config.programFolder = world.C().Root();
  world.Clean(Mode::Destructive);
  EXPECT_TRUE(world.C().Exists("a.TMP"));
  EXPECT_TRUE(world.C().Exists("SUB/b.TMP"));
  EXPECT_FALSE(world.C().Exists("AUTOEXEC.OLD"));
  EXPECT_TRUE(world.C().Exists("AUTOEXEC.BAT"));
}

TEST(SparedFolders, ProgramOnAnotherDriveSparesNothingHere) {
  RulesWorld world("CD");
  world.C().Build({{"TOOLS\\a.TMP"}});
  world.Drive('D').Build({{"TOOLS\\b.TMP"}});
  world.config.programFolder = world.Drive('D').Host("TOOLS");
  world.Clean(Mode::Destructive, 'C');
  EXPECT_FALSE(world.C().Exists("TOOLS/a.TMP"));
}

// A Temp folder (purged) and a Recent folder (emptied) each holding spared
// folders: Vaultkeep's, in any case and at any depth, and one whose path
// contains the program's folder. Both runs list none of them; the destructive
// run leaves them byte for byte, and the folders above them too.
void BuildSparedInsideCleanedFolders(RulesWorld& world) {
  world.C().Build({{"TEMP/a.TMP", 3}, {"TEMP/Vaultkeep/Sets/Monday.vks"}, {"TEMP/Vaultkeep/Sets/Monday.TMP", 40},
                   {"TEMP/Vaultkeep/Logs/"}, {"TEMP/OLD/my vaultKEEP 2/x.bak", 20}, {"TEMP/OLD/gone.dat", 5},
                   {"TEMP/OTHER/y.dat", 6}, {"TEMP/TOOLS/CLEANER/own.TMP", 7},
                   {"TEMP/TOOLS/CLEANER2/beside.TMP", 8}, {"RECENT/letter.lnk", 9}, {"RECENT/Vaultkeep/z.lnk", 10}});
  std::ofstream(world.C().Host("TEMP/Vaultkeep/Sets/Monday.vks"), std::ios::binary | std::ios::trunc)
      << "the backup set's own bytes";
  world.config.programFolder = world.C().Host("TEMP/TOOLS/CLEANER");
  world.SetCategory(CategoryId::Temp, 1);
  world.SetCategory(CategoryId::Recent, 1);
}

TEST(SparedFolders, PurgesAndEmptiesNeverEnterVaultkeepOrTheProgramsFolders) {
  RulesWorld test;
  RulesWorld destructive;
  BuildSparedInsideCleanedFolders(test);
  BuildSparedInsideCleanedFolders(destructive);
  const std::string spared[] = {"TEMP/Vaultkeep", "TEMP/OLD/my vaultKEEP 2", "TEMP/TOOLS/CLEANER",
                                "TEMP/TOOLS/CLEANER2", "RECENT/Vaultkeep"};
  auto sparedContents = [&](RulesWorld& world) {
    std::map<std::string, std::string> contents;
    for (const auto& [path, facts] : testing::DriveContents(world.C())) {
      std::string slashed = path;  // the host's separators: "\" on Windows
      std::replace(slashed.begin(), slashed.end(), '\\', '/');
      for (const std::string& folder : spared) {
        if (slashed.starts_with(folder)) contents[path] = facts;
      }
    }
    return contents;
  };
  const auto before = sparedContents(destructive);
  ASSERT_EQ(before.size(), 13u);

  test.Clean(Mode::Test);
  destructive.Clean(Mode::Destructive);

  EXPECT_EQ(sparedContents(destructive), before);
  std::ifstream set(destructive.C().Host("TEMP/Vaultkeep/Sets/Monday.vks"), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(set), {}), "the backup set's own bytes");
  // The folders above a spared one stay, unlogged; the rest went.
  EXPECT_TRUE(destructive.C().Exists("TEMP/OLD"));
  EXPECT_TRUE(destructive.C().Exists("TEMP/TOOLS"));
  EXPECT_FALSE(destructive.C().Exists("TEMP/OLD/gone.dat"));
  EXPECT_FALSE(destructive.C().Exists("TEMP/OTHER"));
  EXPECT_FALSE(destructive.C().Exists("RECENT/letter.lnk"));

  const std::vector<std::string> expected{Deleted("c:\\TEMP\\a.TMP"),        Deleted("c:\\TEMP\\OTHER\\y.dat"),
                                          Deleted("c:\\TEMP\\OLD\\gone.dat"), Removed("c:\\TEMP\\OTHER\\"),
                                          Deleted("c:\\RECENT\\letter.lnk")};
  auto sorted = [](std::vector<std::string> lines) {
    std::sort(lines.begin(), lines.end());
    return lines;
  };
  EXPECT_EQ(sorted(destructive.LogItems()), sorted(expected));
  EXPECT_EQ(test.LogItems(), destructive.LogItems());
}

// ---- Named folders and markers --------------------------------------------

TEST(TempSection, PurgesTempAndTmpHoldingANormalTmpFileAndKeepsTheFolderItself) {
  RulesWorld world;
  world.C().Build({{"WINDOWS\\TEMP\\~DF1.TMP", 4}, {"WINDOWS\\TEMP\\notes.doc"},
                   {"WINDOWS\\TEMP\\SUB\\DEEP\\x.dat"}, {"data\\tmp\\y.TMP"}, {"data\\tmp\\z.doc"}});
  world.Clean(Mode::Destructive);
  EXPECT_TRUE(world.C().Exists("WINDOWS/TEMP"));
  EXPECT_FALSE(world.C().Exists("WINDOWS/TEMP/notes.doc"));
  EXPECT_FALSE(world.C().Exists("WINDOWS/TEMP/SUB"));
  EXPECT_TRUE(world.C().Exists("data/tmp"));
  EXPECT_FALSE(world.C().Exists("data/tmp/z.doc"));
  // The purge runs before the base row "*.TMP", so the marker file goes with
  // the purge and the base row finds nothing left.
  const auto items = world.LogItems();
  EXPECT_EQ(std::count(items.begin(), items.end(), Deleted("c:\\WINDOWS\\TEMP\\~DF1.TMP")), 1);
  EXPECT_NE(std::find(items.begin(), items.end(), Removed("c:\\WINDOWS\\TEMP\\SUB\\DEEP\\")), items.end());
}

TEST(TempSection, HiddenTmpFileIsNoMarkerButTheBaseRowStillDeletesIt) {
#ifdef _WIN32
  GTEST_SKIP() << "on Windows a leading dot hides nothing; the hidden attribute is the next case";
#endif
  RulesWorld world;
  world.C().Build({{"TEMP\\.hidden.TMP"}, {"TEMP\\keep.doc"}, {"TEMPLATES\\t.doc"}, {"TEMPLATES\\t.TMP"}});
  world.Clean(Mode::Destructive);
  EXPECT_TRUE(world.C().Exists("TEMP/keep.doc"));
  EXPECT_FALSE(world.C().Exists("TEMP/.hidden.TMP"));
  EXPECT_TRUE(world.C().Exists("TEMPLATES/t.doc"));
}

TEST(TempSection, ATmpFileHiddenOrSystemByItsKeptAttributesIsNoMarker) {
  RulesWorld world;
  world.C().Build({{"WINDOWS\\TEMP\\~DF1.TMP", 4}, {"WINDOWS\\TEMP\\KEEP.DOC", 3}, {"TMP\\~DF2.TMP", 4},
                   {"TMP\\cache.dat", 5}, {"TMP\\SUB\\inner.txt"}});
  if (const std::string reason = testing::UserXattrsUnsupported(world.C().Root()); !reason.empty()) {
    GTEST_SKIP() << reason;
  }
  ASSERT_TRUE(testing::SetDosAttrib(world.C().Host("WINDOWS/TEMP/~DF1.TMP"), "0x2"));
  ASSERT_TRUE(testing::SetDosAttrib(world.C().Host("TMP/~DF2.TMP"), "0x24"));
  world.Clean(Mode::Destructive);
  EXPECT_TRUE(world.C().Exists("WINDOWS/TEMP/KEEP.DOC"));
  EXPECT_TRUE(world.C().Exists("TMP/cache.dat"));
  EXPECT_TRUE(world.C().Exists("TMP/SUB/inner.txt"));
  // The base row "*.TMP" still takes the markers themselves.
  EXPECT_FALSE(world.C().Exists("WINDOWS/TEMP/~DF1.TMP"));
  EXPECT_FALSE(world.C().Exists("TMP/~DF2.TMP"));
}

// The same on an NTFS drive (ntfs-3g), where the volume keeps the attributes
// itself and a name starting with "." hides nothing.
TEST(TempSection, ATmpFileHiddenOnAnNtfsDriveIsNoMarker) {
#ifdef _WIN32
  GTEST_SKIP() << "an NTFS scratch volume is mounted through ntfs-3g, a POSIX mount; on Windows the attributes are the file system's own (the case above)";
#else
  RulesWorld world("CN", "N");  // the volume is mounted before drive N is first opened
  testing::ScratchVolume volume(testing::ScratchVolume::Kind::Ntfs, world.Base() + "/n.img", world.Appear('N').Root());
  if (!volume.Mounted()) GTEST_SKIP() << volume.Reason();
  world.Drive('N').Build(
      {{"TEMP\\~DF1.TMP", 4}, {"TEMP\\KEEP.DOC", 3}, {"TMP\\.dotted.TMP", 4}, {"TMP\\cache.dat", 5}});
  const unsigned char hidden[4] = {0, 0, 0, 0x22};
  ASSERT_EQ(setxattr(world.Drive('N').Host("TEMP/~DF1.TMP").c_str(), "system.ntfs_attrib_be", hidden, 4, 0), 0);
  world.Clean(Mode::Destructive, 'N');
  EXPECT_TRUE(world.Drive('N').Exists("TEMP/KEEP.DOC"));
  EXPECT_FALSE(world.Drive('N').Exists("TMP/cache.dat"));  // ".dotted.TMP" is a normal file here
  world.files.ForgetOpenFolders();
#endif
}

TEST(TempSection, OffLeavesTempFoldersToTheBaseRows) {
  RulesWorld world;
  world.C().Build({{"TEMP\\a.TMP"}, {"TEMP\\b.doc"}});
  world.SetCategory(CategoryId::Temp, 0);
  world.Clean(Mode::Destructive);
  EXPECT_FALSE(world.C().Exists("TEMP/a.TMP"));
  EXPECT_TRUE(world.C().Exists("TEMP/b.doc"));
}

TEST(NamedFolders, SeveralComponentsMatchOnlyAsTheLastComponents) {
  RulesWorld world;
  world.C().Build({{"PROGRAM FILES\\EUDORA\\ATTACH\\a.doc"}, {"PROGRAM FILES\\EUDORA\\ATTACH\\OLD\\b.doc"},
                   {"ATTACH\\c.doc"}, {"EUDORA\\ATTACH\\OLD\\d.doc"}});
  world.SetCategory(CategoryId::Eudora, 1);
  world.Clean(Mode::Destructive);
  EXPECT_FALSE(world.C().Exists("PROGRAM FILES/EUDORA/ATTACH/a.doc"));
  EXPECT_TRUE(world.C().Exists("PROGRAM FILES/EUDORA/ATTACH/OLD/b.doc"));  // empty, not purge
  EXPECT_TRUE(world.C().Exists("ATTACH/c.doc"));
  EXPECT_TRUE(world.C().Exists("EUDORA/ATTACH/OLD/d.doc"));
}

TEST(NamedFolders, CopiesPurgesOnlyFoldersNamedExactlyCopyOfOrCopyParen) {
  RulesWorld world;
  world.C().Build({{"DOCS\\Copy of Report.doc"}, {"DOCS\\Copy (2) of Report.doc"}, {"DOCS\\Report.doc"},
                   {"Copy of\\x.doc"}, {"Copy of Letters\\y.doc"}, {"Copy (\\z.doc"}});
  world.SetCategory(CategoryId::Copies, 1);
  world.Clean(Mode::Destructive);
  EXPECT_FALSE(world.C().Exists("DOCS/Copy of Report.doc"));
  EXPECT_FALSE(world.C().Exists("DOCS/Copy (2) of Report.doc"));
  EXPECT_TRUE(world.C().Exists("DOCS/Report.doc"));
  EXPECT_FALSE(world.C().Exists("Copy of/x.doc"));
  EXPECT_TRUE(world.C().Exists("Copy of Letters/y.doc"));
  EXPECT_FALSE(world.C().Exists("Copy (/z.doc"));
}

TEST(NamedFolders, NumberedInstallerFoldersAreExactlyOneToNinetyNine) {
  RulesWorld world;
  world.C().Build({{"FULSES99\\a.doc"}, {"_IStmp7.DIR\\b.doc"}, {"~PFTW07\\c.doc"}, {"~pftw010\\d.doc"},
                   {"~PFTW7\\e.doc"}, {"FULSES0\\f.doc"}, {"_IStmp100.DIR\\g.doc"}, {"~PFTW10\\h.doc"},
                   {"FULSES07\\i.doc"}});
  world.Clean(Mode::Destructive);  // InstallerUndo is on by default
  for (const char* purged : {"FULSES99/a.doc", "_IStmp7.DIR/b.doc", "~PFTW07/c.doc", "~pftw010/d.doc"}) {
    EXPECT_FALSE(world.C().Exists(purged)) << purged;
  }
  for (const char* kept : {"~PFTW7/e.doc", "FULSES0/f.doc", "_IStmp100.DIR/g.doc", "~PFTW10/h.doc",
                           "FULSES07/i.doc"}) {
    EXPECT_TRUE(world.C().Exists(kept)) << kept;
  }
  EXPECT_EQ(NumberedInstallerFolders().size(), 297u);
}

TEST(NamedFolders, RowsWhoseTargetsNoWindowsNameCanHoldNeverMatch) {
#ifdef _WIN32
  GTEST_SKIP() << "the folders hold \":\", \"*\" and a trailing dot, which no Windows name can";
#endif
  RulesWorld world;
  world.C().Build({{"Cookie:site.txt"}, {"PFT*.\\setup.CAB"}, {"PFT*.\\data.doc"}, {"~WKS*.*\\w.doc"}});
  world.SetCategory(CategoryId::Cookies, 1);
  world.Clean(Mode::Destructive);
  EXPECT_TRUE(world.C().Exists("Cookie:site.txt"));
  EXPECT_TRUE(world.C().Exists("PFT*./data.doc"));
  EXPECT_TRUE(world.C().Exists("~WKS*.*/w.doc"));
}

// ---- Path guards ----------------------------------------------------------

TEST(PathGuards, FragmentsAnywhereInThePathStopTheirSections) {
  RulesWorld world;
  world.C().Build({{"FUN\\a.TXT"}, {"SETUPS\\OLD\\b.TXT"}, {"MAIL\\EUDORA\\c.TXT"}, {"DOCS\\d.TXT"},
                   {"SOUNDS\\e.LOG"}, {"DOCS\\f.LOG"}, {"SOUNDS\\g.LST"},
                   {"WINDOWS\\REPAIR\\h.DL_"}, {"DRIVERS\\i.DL_"},
                   {"WEB\\SCRIPTS\\j.SCR"}, {"WINDOWS\\k.SCR"}});
  for (CategoryId id : {CategoryId::Text, CategoryId::Log, CategoryId::List, CategoryId::Installers,
                        CategoryId::ScreenSavers}) {
    world.SetCategory(id, 1);
  }
  world.Clean(Mode::Destructive);
  for (const char* kept : {"FUN/a.TXT", "SETUPS/OLD/b.TXT", "MAIL/EUDORA/c.TXT", "SOUNDS/e.LOG",
                           "SOUNDS/g.LST", "WINDOWS/REPAIR/h.DL_", "WEB/SCRIPTS/j.SCR"}) {
    EXPECT_TRUE(world.C().Exists(kept)) << kept;
  }
  for (const char* gone : {"DOCS/d.TXT", "DOCS/f.LOG", "DRIVERS/i.DL_", "WINDOWS/k.SCR"}) {
    EXPECT_FALSE(world.C().Exists(gone)) << gone;
  }
}

// Counts the reads of every box, to see that flags are read live and that a
// guard that stops a section keeps its flag unread.
class CountingStates : public CategoryStates {
 public:
  explicit CountingStates(const CategoryStates& inner) : inner_(inner) {}
  int CheckValue(CategoryId id) const override {
    ++reads[static_cast<std::size_t>(id)];
    return inner_.CheckValue(id);
  }
  mutable std::array<int, kEntryCount> reads{};

 private:
  const CategoryStates& inner_;
};

TEST(CategoryFlags, AreReadForEveryFolderAndNotWhereTheGuardStopsTheSection) {
  RulesWorld world;
  world.C().Build({{"A\\"}, {"B\\"}, {"FUN\\"}});
  CountingStates counting(world.categories);
  RunConfig config{.files = world.files,
                   .options = world.options,
                   .categories = counting,
                   .feedback = world.feedback,
                   .suppressEvents = world.suppressEvents};
  config.recordsFolder = world.config.recordsFolder;
  config.windowsDir = world.config.windowsDir;
  RunContext context(config);
  const FolderList folders = ListFolders(context, "c:", "\\");
  ApplyCategoryRules(context, "c:", folders, folders.Count());
  auto reads = [&](CategoryId id) { return counting.reads[static_cast<std::size_t>(id)]; };
  EXPECT_EQ(reads(CategoryId::Adobe), 4);  // root, A, B, FUN
  EXPECT_EQ(reads(CategoryId::Text), 3);   // not in C:\FUN\ ("Un")
  EXPECT_EQ(reads(CategoryId::Controls), 0);
  EXPECT_EQ(reads(CategoryId::Wallpaper), 1);  // once, at the end
}

// ---- The sweep and the wallpaper step ---------------------------------------

TEST(SweepSystemBackups, KeepsProtectedEndingsAndDeletesStaleCopies) {
  RulesWorld world;
  world.C().Build({{"AUTOEXEC.BAT"}, {"AUTOEXEC.OLD"}, {"CONFIG.SYS"}, {"CONFIG.BAK"}, {"MSDOS.SYS"},
                   {"MSDOS.---"}, {"BOOT.INI"}, {"WINDOWS\\WIN.INI"}, {"WINDOWS\\WIN.COM"}, {"WINDOWS\\WIN.BAK"},
                   {"WINDOWS\\SYSTEM.DAT"}, {"WINDOWS\\SYSTEM.DA0"}, {"WINDOWS\\System.cb"},
                   {"WINDOWS\\CONTROL.AX"}, {"WINDOWS\\CONTROL.MAX"}, {"WINDOWS\\SYSTEM\\TEMP.OLD"},
                   {"WINDOWS\\SYSTEM\\TEMP.DLL"}, {"WINDOWS\\SUB\\WIN.BAK"}, {"DOCS\\CONFIG.BAK"}});
  world.categories.Apply(Preset::SelectNone);  // the sweep depends on no category
  world.Clean(Mode::Destructive);
  for (const char* kept : {"AUTOEXEC.BAT", "CONFIG.SYS", "MSDOS.SYS", "BOOT.INI", "WINDOWS/WIN.INI",
                           "WINDOWS/WIN.COM", "WINDOWS/SYSTEM.DAT", "WINDOWS/SYSTEM.DA0", "WINDOWS/CONTROL.AX",
                           "WINDOWS/SYSTEM/TEMP.DLL", "WINDOWS/SUB/WIN.BAK", "DOCS/CONFIG.BAK"}) {
    EXPECT_TRUE(world.C().Exists(kept)) << kept;
  }
  for (const char* gone : {"AUTOEXEC.OLD", "CONFIG.BAK", "MSDOS.---", "WINDOWS/WIN.BAK", "WINDOWS/System.cb",
                           "WINDOWS/CONTROL.MAX", "WINDOWS/SYSTEM/TEMP.OLD"}) {
    EXPECT_FALSE(world.C().Exists(gone)) << gone;
  }
}

// Whatever order the folder lists them in, the groups go in table order
// (Autoexec, Boot, Config, MsDos in the root, then the Windows folder's),
// each group's files in listing order; a name that two patterns could take
// is only ever its own group's, and a test run finds what a destructive one
// removes, in the same order.
TEST(SweepSystemBackups, GoesGroupByGroupInTableOrderWhateverTheListingOrder) {
  std::vector<std::vector<std::string>> logs;
  for (const Mode run : {Mode::Test, Mode::Destructive}) {
    RulesWorld world;
    world.C().Build({{"MSDOS.OLD"}, {"CONFIG.BAK"}, {"WINDOWS\\SYSTEM.OLD"}, {"BOOT.OLD"}, {"WINDOWS\\WIN.OLD"},
                     {"AUTOEXEC.OLD"}, {"CONFIG"}, {"WINDOWS\\CONTROL.OLD"}, {"AUTOEXEC.BAT"}, {"WINDOWS.OLD"}});
    world.categories.Apply(Preset::SelectNone);
    world.Clean(run);
    std::vector<std::string> swept;
    for (const std::string& item : world.LogItems()) {
      if (item.starts_with("Delete file: ")) swept.push_back(item.substr(item.rfind('\\') + 1));
    }
    if (run == Mode::Destructive) {
      EXPECT_EQ(swept, logs.front());
      break;
    }
    // Within a group, listing order: CONFIG.BAK and CONFIG as the folder gives them.
    std::vector<std::string> expected = {"AUTOEXEC.OLD", "BOOT.OLD"};
    platform::FolderReader reader;
    ASSERT_FALSE(world.config.files.OpenFolder("c:\\", reader));
    platform::FolderEntry entry;
    while (reader.Next(entry)) {
      if (entry.name == "CONFIG.BAK" || entry.name == "CONFIG") expected.push_back(entry.name);
    }
    expected.insert(expected.end(), {"MSDOS.OLD", "CONTROL.OLD", "WIN.OLD", "SYSTEM.OLD"});
    EXPECT_EQ(swept, expected);
    logs.push_back(swept);
  }
}

TEST(SweepSystemBackups, OnAnotherDriveLooksAtTheWindowsFolderPathThere) {
  RulesWorld world("CDE");
  world.Drive('D').Build({{"WINDOWS\\WIN.BAK"}, {"WINDOWS\\WIN.INI"}, {"CONFIG.BAK"}});
  world.Drive('E').Build({{"DATA\\x.doc"}});  // no WINDOWS folder at all
  world.Clean(Mode::Destructive, 'D');
  EXPECT_FALSE(world.Drive('D').Exists("WINDOWS/WIN.BAK"));
  EXPECT_TRUE(world.Drive('D').Exists("WINDOWS/WIN.INI"));
  EXPECT_FALSE(world.Drive('D').Exists("CONFIG.BAK"));
  world.Clean(Mode::Destructive, 'E');
  EXPECT_TRUE(world.Drive('E').Exists("DATA/x.doc"));
}

TEST(Wallpaper, RemovesBitmapsDirectlyInTheWindowsFolderOnly) {
  RulesWorld world;
  world.C().Build({{"WINDOWS\\Clouds.bmp"}, {"WINDOWS\\SYSTEM\\icon.BMP"}, {"photo.BMP"}});
  world.SetCategory(CategoryId::Wallpaper, 1);
  world.Clean(Mode::Destructive);
  EXPECT_FALSE(world.C().Exists("WINDOWS/Clouds.bmp"));
  EXPECT_TRUE(world.C().Exists("WINDOWS/SYSTEM/icon.BMP"));
  EXPECT_TRUE(world.C().Exists("photo.BMP"));
}

// ---- Folder lists, progress and yields --------------------------------------

TEST(FolderStage, RootOnlyListGetsTheRootsRowsThenSweepAndWallpaper) {
  RulesWorld world;
  world.C().Build({{"a.TMP"}, {"SUB\\b.TMP"}, {"CONFIG.BAK"}, {"WINDOWS\\w.BMP"}});
  world.SetCategory(CategoryId::Wallpaper, 1);
  FolderList rootOnly;
  rootOnly.Add("c:\\");
  world.Clean(Mode::Destructive, rootOnly, 1);
  EXPECT_FALSE(world.C().Exists("a.TMP"));
  EXPECT_TRUE(world.C().Exists("SUB/b.TMP"));
  EXPECT_FALSE(world.C().Exists("CONFIG.BAK"));
  EXPECT_FALSE(world.C().Exists("WINDOWS/w.BMP"));
}

TEST(FolderStage, EmptyListStillSweepsAndTakesTheThreeFixedSteps) {
  RulesWorld world;
  world.C().Build({{"a.TMP"}, {"CONFIG.BAK"}});
  world.Clean(Mode::Destructive, FolderList(), 0);
  EXPECT_TRUE(world.C().Exists("a.TMP"));
  EXPECT_FALSE(world.C().Exists("CONFIG.BAK"));
  EXPECT_EQ(world.feedback.progressValues, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(world.feedback.statusTexts.back(), "Cleaning HD: 0 bytes, 1 files cleaned");
}

TEST(FolderStage, ProgressStepsOnAboutOneFolderInSixteen) {
  RulesWorld world;
  FolderList folders;  // folders that do not exist: nothing to read, rows find nothing
  for (int i = 0; i < 3200; ++i) folders.Add("c:\\GONE\\" + std::to_string(i) + "\\");
  world.Clean(Mode::Test, folders, folders.Count());
  const auto steps = static_cast<int>(world.feedback.progressValues.size()) - 3;
  // 200 expected; the bounds are more than seven standard deviations away.
  EXPECT_GT(steps, 100);
  EXPECT_LT(steps, 300);
}

TEST(FolderStage, OptimisePerformanceTurnsEveryYieldOff) {
  RulesWorld world;
  world.C().Build({{"TEMP\\a.TMP"}, {"TEMP\\b.doc"}, {"c.TMP"}, {"CONFIG.BAK"}});
  world.SetOption(RunOption::OptimisePerformance, 1);
  world.Clean(Mode::Destructive);
  EXPECT_FALSE(world.C().Exists("TEMP/b.doc"));
  EXPECT_EQ(world.feedback.yields, 0);
}

// A front end that stands for a whole row of yields in one call (the
// console) gets fewer calls and the same run: the same log and totals, the
// same yields counted, and with optimise performance on, still none.
TEST(FolderStage, YieldsInARowTakenAtOnceChangeNothingButTheCalls) {
  for (const int optimise : {0, 1}) {
    RulesWorld eachAlone;
    RulesWorld atOnce;
    atOnce.feedback.yieldsInARowAtOnce = true;
    for (RulesWorld* world : {&eachAlone, &atOnce}) {
      world->C().Build({{"TEMP\\a.TMP"}, {"TEMP\\b.doc"}, {"c.TMP"}, {"CONFIG.BAK"}, {"DOCS\\x.BAK"}});
      world->categories.Apply(Preset::SelectAll);
      world->SetOption(RunOption::OptimisePerformance, optimise);
      world->Clean(Mode::Test);
    }
    EXPECT_EQ(atOnce.LogItems(), eachAlone.LogItems());
    EXPECT_EQ(atOnce.context.state.totals.totalFiles, eachAlone.context.state.totals.totalFiles);
    EXPECT_EQ(atOnce.feedback.yields, eachAlone.feedback.yields);
    if (optimise == 0) {
      EXPECT_GT(eachAlone.feedback.yields, 100);
      EXPECT_LT(atOnce.feedback.yieldCalls * 2, eachAlone.feedback.yieldCalls);
    } else {
      EXPECT_EQ(atOnce.feedback.yieldCalls, 0);
    }
  }
}

// ---- Whole runs -----------------------------------------------------------

// A drive on which most sections find something, including a file two
// categories both pick, a purge with subfolders and a file in a read-only
// folder whose deletion fails when the tests run unprivileged.
void BuildBusyDrive(testing::TempDrive& drive) {
  drive.Build({{"AUTOEXEC.BAT", 10}, {"AUTOEXEC.OLD", 11}, {"CONFIG.BAK", 6}, {"MSDOS.---", 3},
               {"README.TXT", 100}, {"SETUP.EXE", 50}, {"~TMP1.TMP", 7}, {"Q", 2}, {"Z.ZIP", 9},
               {"WINDOWS\\WIN.INI", 20}, {"WINDOWS\\WIN.BAK", 21}, {"WINDOWS\\SYSTEM.1ST", 22},
               {"WINDOWS\\Clouds.bmp", 23}, {"WINDOWS\\SETUP.LOG", 24}, {"WINDOWS\\TTFCACHE", 25},
               {"WINDOWS\\TEMP\\~DF1.TMP", 30}, {"WINDOWS\\TEMP\\notes.doc", 31},
               {"WINDOWS\\TEMP\\SUB\\deep.TMP", 32}, {"WINDOWS\\TEMP\\SUB\\INNER\\x.dat", 33},
               {"WINDOWS\\SYSBCKUP\\RB000.CAB", 40}, {"WINDOWS\\SPOOL\\PRINTERS\\0001.SPL", 41},
               {"WINDOWS\\COOKIES\\user@site.txt", 42}, {"WINDOWS\\COOKIES\\index.dat", 43},
               {"WINDOWS\\TEMPORARY INTERNET FILES\\CONTENT.IE5\\ABC\\page.htm", 44},
               {"WINDOWS\\HISTORY\\HISTORY.IE5\\index.dat", 45}, {"WINDOWS\\HISTORY\\desktop.ini", 46},
               {"WINDOWS\\RECENT\\letter.lnk", 47}, {"RECYCLED\\DC1.DOC", 48}, {"RECYCLED\\SUB\\DC2.DOC", 49},
               {"MY DOCUMENTS\\Letter.doc", 50}, {"MY DOCUMENTS\\Copy of Letter.doc", 51},
               {"MY DOCUMENTS\\Thumbs.db", 52}, {"MY DOCUMENTS\\song.RAM", 53}, {"MY DOCUMENTS\\.hidden.tmp", 54},
               {"MY DOCUMENTS\\photo.jpg", 55}, {"MY DOCUMENTS\\readme.txt", 56}, {"MY DOCUMENTS\\VB1234~1", 57},
               {"PROGRAM FILES\\APP\\app.exe", 60}, {"PROGRAM FILES\\APP\\app.hlp", 61},
               {"PROGRAM FILES\\APP\\APP.DL_", 62}, {"PROGRAM FILES\\APP\\UNINST\\data.lst", 63},
               {"PROGRAM FILES\\APP\\UNINST\\data.log", 64}, {"REPAIR\\SETUP.DL_", 65},
               {"FULSES12\\a.tmp", 66}, {"FULSES12\\SUB\\b.txt", 67}, {"EUDORA\\ATTACH\\mail.doc", 68},
               {"$Win_NT$.~BT\\x.dat", 69}, {"LOCKED\\a.RAM", 70}, {"LOCKED\\b.TMP", 71},
               {"LOCKED\\keep.doc", 72}, {"RO.TMP", 73, "R"}});
  drive.SetReadOnly("LOCKED");
}


struct RunCase {
  Mode run;
  Preset preset;
};

class SingleRead : public ::testing::TestWithParam<RunCase> {};

TEST_P(SingleRead, GivesTheSameLogTotalsDriveAndYieldsAsAListingPerRow) {
  RulesWorld once;
  RulesWorld perRow;
  for (RulesWorld* world : {&once, &perRow}) {
    BuildBusyDrive(world->C());
    world->categories.Apply(GetParam().preset);
  }
  once.Clean(GetParam().run);

  perRow.Prepare(GetParam().run, 'C');
  const FolderList folders = ListFolders(perRow.context, "c:", "\\");
  // The folder read afresh for every row: the single-read folder stage,
  // which keeps one reading current, must give exactly this.
  testing::ApplyTableByHand(perRow.context, "c:", folders, testing::TableReading::AfreshPerRow);
  CloseLogSection(perRow.context);

  EXPECT_EQ(once.LogItems(), perRow.LogItems());
  EXPECT_EQ(once.context.state.totals.totalFiles, perRow.context.state.totals.totalFiles);
  EXPECT_EQ(once.context.state.totals.totalBytes, perRow.context.state.totals.totalBytes);
  EXPECT_EQ(testing::DriveContents(once.C()), testing::DriveContents(perRow.C()));
  // The per-row world also yielded while walking; the rules world walked
  // inside Clean with the same yields.
  EXPECT_EQ(once.feedback.yields, perRow.feedback.yields);
  EXPECT_GT(once.LogItems().size(), 30u);
}

INSTANTIATE_TEST_SUITE_P(RunsAndPresets, SingleRead,
                         ::testing::Values(RunCase{Mode::Test, Preset::SelectAll},
                                           RunCase{Mode::Destructive, Preset::SelectAll},
                                           RunCase{Mode::Test, Preset::Safest},
                                           RunCase{Mode::Destructive, Preset::Safest}));

TEST(WholeRun, FileTwoCategoriesPickIsCountedOnceInATestRunAsForReal) {
  for (Mode run : {Mode::Test, Mode::Destructive}) {
    RulesWorld world;
    world.C().Build({{"song.RAM", 1000}});
    world.SetCategory(CategoryId::Sounds, 1);
    world.SetCategory(CategoryId::Videos, 1);
    world.Clean(run);
    EXPECT_EQ(world.context.state.totals.totalFiles, 1.0f);
    EXPECT_EQ(world.context.state.totals.totalBytes, 1000.0f);
    EXPECT_EQ(world.LogItems().size(), 1u);
  }
}

TEST(WholeRun, TestRunLogsExactlyWhatTheDestructiveRunRemovesAndChangesNothing) {
  RulesWorld test;
  RulesWorld destructive;
  // Both runs must name the same files and folders.
  for (RulesWorld* world : {&test, &destructive}) {
    world->C().Build({{"AUTOEXEC.OLD", 1}, {"WINDOWS\\WIN.BAK", 2}, {"WINDOWS\\HISTORY\\index.dat", 3},
                      {"WINDOWS\\HISTORY\\SUB\\notes.doc", 4}, {"RECYCLED\\DC1.DOC", 5},
                      {"RECYCLED\\SUB\\DC2.DOC", 6}, {"DOCS\\Thumbs.db", 7}, {"DOCS\\Letter.doc", 8},
                      {"WINDOWS\\RECENT\\x.lnk", 9}, {"_IStmp3.DIR\\y.bin", 10}});
  }
  const auto before = testing::DriveContents(test.C());
  test.Clean(Mode::Test);
  destructive.Clean(Mode::Destructive);
  EXPECT_EQ(testing::DriveContents(test.C()), before);
  EXPECT_EQ(test.LogItems(), destructive.LogItems());
  EXPECT_EQ(test.LogItems().size(), 11u);  // nine files, two subfolders
  EXPECT_TRUE(destructive.C().Exists("DOCS/Letter.doc"));
  EXPECT_TRUE(destructive.C().Exists("RECYCLED"));
  EXPECT_FALSE(destructive.C().Exists("RECYCLED/SUB"));
}

}  // namespace
}  // namespace tidewell
