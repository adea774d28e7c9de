// The indexed rule stage against the table read row by row: the index must
// find exactly the rows each name and folder can match, the guards must see
// exactly what a search of the whole path sees, and a whole run must leave
// the same log, totals, drive and yields as every row tried on every name.
#include "engine/rule_index.h"

#include <algorithm>
#include <cctype>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/category_rules.h"
#include "engine/deletion_primitives.h"
#include "engine/folder_snapshot.h"
#include "engine/folder_walker.h"
#include "engine/log_section.h"
#include "engine/path_fragments.h"
#include "engine/rule_table.h"
#include "platform/wildcard.h"
#include "tests/support/table_by_hand.h"
#include "tests/support/temp_drive.h"

namespace tidewell {
namespace {

using testing::TestWorld;

// Names a rule could be after: every kind of pattern of the table, in
// several cases, with several dots, and the near misses next to them.
std::vector<std::string> TrickyNames(std::mt19937& random) {
  const std::vector<std::string> stems{"a",        "Setup",      "README",   "Read Me",  "Copy of x", "Copy (2",
                                       "Winmail1", "EULA",       "Order5",   "File0001", "VB1234~1",  "VB123~12",
                                       "Q",        "x.y",        "ST1UNST",  "Backup of z", "IE4Bak",  "W95Undo",
                                       "song",     "~DF12",      ".hidden",  "Active Setup Log", "Thumbs", "read",
                                       "Cookies",  "Netscape",   "z.TMP",    "Uninst",   "setup.old", "VB1234~12"};
  const std::vector<std::string> endings{
      "",     ".",     ".PDF",  ".pdfx", ".PD",   ".TXT",  ".txt.bak", ".TMP",   ".tmp",  ".Tmp",   ".DL_",
      ".EX_", ".~01",  ".~A",   ".MPEG", ".mpe",  ".MPEX", ".---",     ".log",   ".LOG.TXT", ".DAT", ".DB",
      ".doc", ".RAM",  ".rm",   ".Zip",  ".CHK",  ".HST",  ".ME",      ".LST",   ".SCR",  ".BMP",   ".gid",
      ".1ST", ".DMP",  ".CAB",  ".exe",  ".AIF",  ".Au",   ".ISS",     ".isu",   ".VCF",  ".url",   ".htm"};
  const std::vector<std::string> whole{"Cookies.TXT", "thumbs.db",  "THUMBS.DB.BAK", "ShellIconCache", "TTFCACHE",
                                       "read.me",     "READ.ME.TXT", "SETUP.LOG",    "setup",          "Q.",
                                       "QQ",          "ttfcache.x",  "User.DMP",     "user.dmp.old",   "DirCon.TXT",
                                       "Bookmark.HTM", "activity.log", "License.DOC", "MsCreate.DIR",  "SYSTEM.1ST"};
  std::vector<std::string> names;
  for (const std::string& stem : stems) {
    for (const std::string& ending : endings) names.push_back(stem + ending);
  }
  names.insert(names.end(), whole.begin(), whole.end());
  for (std::string& name : names) {
    switch (random() % 3) {
      case 0:
        for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        break;
      case 1:
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        break;
      default:
        break;
    }
  }
  return names;
}

// ---- The index -------------------------------------------------------------

class IndexWorld : public TestWorld {
 public:
  // A snapshot of `folder` holding `names`, as a walk would have recorded them.
  FolderSnapshot Snapshot(std::string_view folder, const std::vector<std::string>& names) {
    list_ = FolderList();
    list_.Add(folder);
    list_.BeginFiles(1);
    for (const std::string& name : names) list_.AddFile(name);
    return FolderSnapshot(context, list_, 1, false);
  }

 private:
  FolderList list_;
};

TEST(RuleIndex, EachDeleteRowFindsExactlyTheNamesItsPatternMatchesInListingOrder) {
  std::mt19937 random(7);
  IndexWorld world;
  const std::vector<std::string> names = TrickyNames(random);
  const FolderSnapshot snapshot = world.Snapshot("c:\\DATA\\", names);
  const RuleIndex& index = RuleIndex::OfTheTable();
  FolderCandidates candidates;
  index.FindCandidates(snapshot, candidates);

  std::size_t matched = 0;
  for (RowNumber row = 0; row < index.BaseRows().end; ++row) {
    const CategoryRule& rule = index.Row(row);
    if (rule.action != RuleAction::DeleteMatching) continue;
    std::vector<std::size_t> expected;
    if (!rule.inert) {
      const platform::WildcardPattern pattern(rule.target);
      for (std::size_t file = 0; file < names.size(); ++file) {
        if (pattern.Matches(names[file])) expected.push_back(file);
      }
    }
    const std::span<const std::size_t> found = candidates.FilesOf(row);
    EXPECT_EQ(std::vector<std::size_t>(found.begin(), found.end()), expected) << rule.target;
    matched += expected.size();
  }
  EXPECT_GT(matched, 300u);  // the names hit many rows, not a handful
}

TEST(RuleIndex, NamedRowsAreCandidatesWheneverTheirFolderTestCanPass) {
  IndexWorld world;
  const RuleIndex& index = RuleIndex::OfTheTable();
  const std::vector<std::string> folders{
      "c:\\",          "c:\\TEMP\\",        "c:\\data\\tmp\\",          "c:\\WINDOWS\\Temporary Internet Files\\",
      "c:\\fulses12\\", "c:\\FULSES100\\",   "c:\\a\\_istmp42.dir\\",    "c:\\~PFTW099\\",
      "c:\\Eudora\\Attach\\", "c:\\x\\attach\\", "c:\\WINDOWS\\SYSTEM32\\SPOOL\\PRINTERS\\",
      "c:\\Spool\\printers\\", "c:\\PFT*.\\",  "c:\\Copy (\\",  "c:\\$WIN_NT$.~BT\\", "c:\\History\\Sub\\"};
  std::size_t matches = 0;
  FolderCandidates candidates;
  for (const std::string& folder : folders) {
    const FolderSnapshot snapshot = world.Snapshot(folder, {});
    index.FindCandidates(snapshot, candidates);
    for (RowNumber row = 0; row < index.BaseRows().end; ++row) {
      const CategoryRule& rule = index.Row(row);
      if (rule.action == RuleAction::DeleteMatching || !FolderNameMatches(folder, rule.target)) continue;
      ++matches;
      // An inert row must never run; any other row whose name fits must.
      EXPECT_EQ(candidates.NextRow(row, row + 1) == row, !rule.inert) << folder << " " << rule.target;
    }
  }
  EXPECT_GE(matches, 14u);
}

// ---- Path fragments ----------------------------------------------------------

TEST(PathFragments, AgreeWithAWholePathSearchInWalkOrderAndInAnyOrder) {
  const std::vector<std::string> fragments{"Vaultkeep", "c:\\TOOLS\\CLEANER", "Un", "Setup", "Eudora",
                                           "Scripts",   "Repair",            "",   "P\\S", "\\"};
  const std::vector<std::string> components{"TOOLS", "CLEANER", "CLEANER2", "fun",   "UN",     "u",   "N",
                                            "SET",   "up",      "setup",    "vault", "KEEP",   "Repai", "r",
                                            "Eudora", "Scripts", "DATA",    "p",     "S",      "c:"};
  std::mt19937 random(11);
  // Breadth first: each parent's children in a run, as a walk lists them.
  std::vector<std::string> walk{"c:\\"};
  for (std::size_t at = 0; at < walk.size() && walk.size() < 3000; ++at) {
    const std::size_t children = 1 + random() % 3;
    for (std::size_t i = 0; i < children; ++i) walk.push_back(walk[at] + components[random() % components.size()] + "\\");
  }
  std::vector<std::string> shuffled = walk;
  std::shuffle(shuffled.begin(), shuffled.end(), random);

  std::size_t hits = 0;
  for (const std::vector<std::string>* order : {&walk, &shuffled}) {
    PathFragments guards(fragments);
    for (const std::string& folder : *order) {
      const std::uint64_t found = guards.Found(folder);
      for (std::size_t i = 0; i < fragments.size(); ++i) {
        const bool expected = ContainsNoCase(folder, fragments[i]);
        EXPECT_EQ((found >> i) & 1, expected ? 1u : 0u) << folder << " / " << fragments[i];
        hits += expected ? 1 : 0;
      }
    }
  }
  EXPECT_GT(hits, 3000u);
}

// ---- Whole runs against every row on every name -------------------------------

// A drive of nested folders named like the table's named folders, guards,
// spared folders and near misses, holding tricky names; the same for a seed.
void BuildGeneratedDrive(testing::TempDrive& drive, unsigned seed) {
  const std::vector<std::string> folderNames{
      "TEMP",      "tmp",       "Temp2",      "Cache",     "cache1",     "History",      "HISTORY.IE5",
      "Recycled",  "RECYCLER",  "Recent",     "SysBckup",  "Cookies",    "Temporary Internet Files",
      "Copy of",   "Copy (",    "FULSES12",   "fulses99",  "FULSES100",  "_IStmp5.DIR",  "_istmp42.dir",
      "~PFTW07",   "~PFTW7",    "$Win_NT$.~BT", "Uninstall Information", "Spool",  "Printers", "Fax",
      "System32",  "Eudora",    "Attach",     "Embedded",  "Setup",      "UNINST",       "Repair",
      "Scripts",   "fun",       "DATA",       "A.B.C",     "x",          "Vaultkeep",    "WINDOWS",
      "Offline Web Pages", "MsDownld.TMP", "Downloaded Program Files", "Windows Update Setup Files"};
  std::mt19937 random(seed);
  std::vector<std::string> names = TrickyNames(random);
  names.push_back("~DF1.TMP");  // a marker for the Temp folders
  std::vector<std::string> folders{""};
  for (std::size_t at = 0; at < folders.size() && folders.size() < 160; ++at) {
    const std::size_t depth = static_cast<std::size_t>(std::count(folders[at].begin(), folders[at].end(), '\\'));
    if (depth >= 5) continue;
    std::set<std::string> taken;
    for (std::size_t i = random() % 5; i > 0; --i) {
      const std::string& name = folderNames[random() % folderNames.size()];
      if (taken.insert(name).second) folders.push_back(folders[at] + name + "\\");
    }
  }
  folders.push_back("TOOLS\\CLEANER\\");
  folders.push_back("TOOLS\\CLEANER2\\");
  for (const std::string& folder : folders) {
    if (!folder.empty()) drive.Folder(folder);
    std::set<std::string> taken;
    for (std::size_t i = random() % 14; i > 0; --i) {
      const std::string& name = names[random() % names.size()];
      if (taken.insert(name).second) drive.File(folder + name, static_cast<std::int64_t>(random() % 300));
    }
  }
}

struct WholeRunCase {
  bool testRun;
  bool selectAll;
};

class IndexedRuleStage : public ::testing::TestWithParam<WholeRunCase> {};

TEST_P(IndexedRuleStage, LeavesTheSameLogTotalsDriveAndYieldsAsEveryRowOnEveryName) {
  TestWorld indexed;
  TestWorld everyRow;
  // What each world's feedback saw at each yield: the files counted so far.
  std::vector<float> indexedTrace;
  std::vector<float> everyRowTrace;
  for (auto [world, trace] : {std::pair{&indexed, &indexedTrace}, std::pair{&everyRow, &everyRowTrace}}) {
    BuildGeneratedDrive(world->Drive('C'), 5);
    if (GetParam().selectAll) world->categories.Apply(Preset::SelectAll);
    world->SetOption(RunOption::TestRun, GetParam().testRun ? 1 : 0);
    world->SetOption(RunOption::MaintainLog, 1);
    world->config.programFolder = world->Drive('C').Host("TOOLS/CLEANER");
    // Categories switched while the stage runs, at the same yields in both
    // worlds: each must be read when its section comes, no sooner.
    world->feedback.onYield = [world, trace] {
      trace->push_back(world->context.state.totals.totalFiles);
      if (trace->size() % 97 == 0) {
        world->SetCategory(CategoryId::Text, static_cast<int>(trace->size() / 97 % 2));
        world->SetCategory(CategoryId::Temp, static_cast<int>(trace->size() / 194 % 2));
      }
    };
    ASSERT_FALSE(OpenLogSection(world->context, "c:"));
  }
  const FolderList indexedFolders = ListFolders(indexed.context, "c:", "\\");
  ApplyCategoryRules(indexed.context, "c:", indexedFolders, indexedFolders.Count());
  CloseLogSection(indexed.context);
  const FolderList everyRowFolders = ListFolders(everyRow.context, "c:", "\\");
  testing::ApplyTableByHand(everyRow.context, "c:", everyRowFolders, testing::TableReading::OncePerFolder,
                            {"Vaultkeep", "c:\\TOOLS\\CLEANER"});
  CloseLogSection(everyRow.context);

  EXPECT_EQ(indexed.LogItems(), everyRow.LogItems());
  EXPECT_EQ(indexed.context.state.totals.totalFiles, everyRow.context.state.totals.totalFiles);
  EXPECT_EQ(indexed.context.state.totals.totalBytes, everyRow.context.state.totals.totalBytes);
  EXPECT_EQ(testing::DriveContents(indexed.Drive('C')), testing::DriveContents(everyRow.Drive('C')));
  EXPECT_EQ(indexedTrace, everyRowTrace);
  // The drive gives every kind of row work: many files, purged folders.
  const std::vector<std::string> items = indexed.LogItems();
  EXPECT_GT(items.size(), 200u);
  EXPECT_GT(std::count_if(items.begin(), items.end(),
                          [](const std::string& item) { return item.starts_with("Remove folder: "); }),
            3);
}

INSTANTIATE_TEST_SUITE_P(DefaultAndSelectAll, IndexedRuleStage,
                         ::testing::Values(WholeRunCase{true, false}, WholeRunCase{false, false},
                                           WholeRunCase{true, true}, WholeRunCase{false, true}));

}  // namespace
}  // namespace tidewell
