#include "engine/rule_table_names.h"

#include <cctype>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "engine/category_rules.h"
#include "engine/folder_walker.h"
#include "engine/log_section.h"
#include "engine/pattern_shape.h"
#include "engine/rule_table.h"
#include "platform/wildcard.h"
#include "tests/support/temp_drive.h"
#include "tools/demo_drive.h"

namespace tidewell {
namespace {

// Whether some row's pattern or marker matches the name, asked row by row
// with the plain matcher: what the walk's filter must never answer "no" to.
// With `deletedWith`, only the delete rows of the base rows and of the
// categories it calls on count, and markers do not.
bool SomeRowMatches(std::string_view name, const std::function<bool(CategoryId)>* deletedWith = nullptr) {
  auto matches = [&](const CategoryRule& row) {
    if (row.inert) return false;
    if (row.action == RuleAction::DeleteMatching &&
        platform::MatchesWildcard(name, row.target.empty() ? "*.*" : row.target)) {
      return true;
    }
    return deletedWith == nullptr && !row.marker.empty() && platform::MatchesWildcard(name, row.marker);
  };
  for (const RuleSection& section : CategorySections()) {
    if (deletedWith != nullptr && !(*deletedWith)(section.category)) continue;
    for (const CategoryRule& row : section.rows) {
      if (matches(row)) return true;
    }
    if (section.numberedInstallerFolders) {
      for (const CategoryRule& row : NumberedInstallerFolders()) {
        if (matches(row)) return true;
      }
    }
  }
  for (const CategoryRule& row : BaseRows()) {
    if (matches(row)) return true;
  }
  return false;
}

// Names near every kind of pattern the table holds: endings, exact names,
// "?" and "*" inside, bare-dot and ".*" endings, case, several dots.
const std::vector<std::string> kTrickyNames{
    "a.tmp", "A.TMP", "a.tmp.txt", "a.txt.TMP", ".tmp", "tmp", "a.tm", "a.tmpx",
    "x.~ab", "x.~a", "x.~abc", "x.---", "x.--", "setup.ex_", "setup.exe", "x._",
    "Q", "q", "Q.", "QQ", "q.x", "ShellIconCache", "shelliconcache", "ShellIconCache.bak",
    "file0001.chk", "FILE.CHK", "fil.chk", "VB1234~1", "vb123~12", "VB1234~1.TMP",
    "Copy of letter.doc", "copy of", "Copy (2) of x", "movie.mpeg", "movie.MPE1", "movie.mp",
    "EULA.TXT", "eula-de.txt", "EULA.TX", "Winmail.dat", "winmail1.dat", "Thumbs.db",
    "thumbs.db.old", "fat.db", "index.dat", "Cookie:me@site.txt", "ST5UNST.000", "st5unst",
    "Setup.log", "letter.doc", "report.pdf", "photo.jpeg", "readme", "README.TXT",
    "Active Setup Log.BAK", "Active Setup Log", "x.bak~", "x.", "..", "a..tmp", "old.bak", "x.old",
    "copy of x.txt", "setup.ini", "readme.1st", "w95undo.dat", "st5unst.001", "eula7.txt", "x.mpe", "a.~1"};

TEST(RuleTableNames, KeepsExactlyTheNamesSomeRowMatches) {
  const RuleTableNames table;
  for (const std::string& name : kTrickyNames) {
    EXPECT_EQ(table.Keeps(name), SomeRowMatches(name)) << name;
  }
}

// Every ending and plain name the table holds, in other cases and lengths:
// the quick first tests in front of the look-ups must let each through, and
// a name one character longer or shorter must be decided as the matcher does.
TEST(RuleTableNames, KeepsEveryKeyOfTheTableWhateverItsCase) {
  const RuleTableNames table;
  std::vector<std::string> names;
  auto addNamesFor = [&](std::string_view pattern) {
    const PatternShape shape = ShapeOfPattern(pattern);
    if (shape.kind == PatternKind::Wildcard) return;
    std::string lower(shape.key);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::string base = shape.kind == PatternKind::Extension ? "Name." : "";
    names.push_back(base + shape.key);
    names.push_back(base + lower);
    names.push_back(base + lower + "x");
    if (lower.size() > 1) names.push_back(base + lower.substr(1));
  };
  for (const RuleSection& section : CategorySections()) {
    for (const CategoryRule& row : section.rows) {
      if (!row.target.empty()) addNamesFor(row.target);
      if (!row.marker.empty()) addNamesFor(row.marker);
    }
  }
  for (const CategoryRule& row : BaseRows()) {
    if (!row.target.empty()) addNamesFor(row.target);
  }
  ASSERT_GT(names.size(), 100u);
  for (const std::string& name : names) {
    EXPECT_EQ(table.Keeps(name), SomeRowMatches(name)) << name;
  }
}

// The names a test run's walk looks up: exactly those a delete row of the
// categories on (and the base rows) matches, whatever the selection.
TEST(RuleTableNames, DeletedWithKeepsExactlyWhatTheRowsOfTheCategoriesOnDelete) {
  const std::vector<std::pair<std::string, std::function<bool(CategoryId)>>> selections{
      {"none", [](CategoryId) { return false; }},
      {"all", [](CategoryId) { return true; }},
      {"backups only", [](CategoryId id) { return id == CategoryId::Backups; }},
      {"all but backups", [](CategoryId id) { return id != CategoryId::Backups; }},
      {"every other", [](CategoryId id) { return static_cast<int>(id) % 2 == 0; }}};
  for (const auto& [label, isOn] : selections) {
    const RuleTableNames deleted = RuleTableNames::DeletedWith(isOn);
    for (const std::string& name : kTrickyNames) {
      EXPECT_EQ(deleted.Keeps(name), SomeRowMatches(name, &isOn)) << label << ": " << name;
    }
  }
  // Emptying rows count only with their category on.
  const auto recentOn = RuleTableNames::DeletedWith([](CategoryId id) { return id == CategoryId::Recent; });
  const auto recentOff = RuleTableNames::DeletedWith([](CategoryId id) { return id != CategoryId::Recent; });
  EXPECT_TRUE(recentOn.KeepsAllIn("c:\\WINDOWS\\Recent\\"));
  EXPECT_FALSE(recentOff.KeepsAllIn("c:\\WINDOWS\\Recent\\"));
}

TEST(RuleTableNames, KeepsEveryNameOfAFolderAnEmptyingRowNames) {
  const RuleTableNames table;
  EXPECT_TRUE(table.KeepsAllIn("c:\\WINDOWS\\Recent\\"));
  EXPECT_TRUE(table.KeepsAllIn("c:\\WINDOWS\\SPOOL\\PRINTERS\\"));
  EXPECT_TRUE(table.KeepsAllIn("c:\\Program Files\\Eudora\\Attach\\"));
  EXPECT_FALSE(table.KeepsAllIn("c:\\WINDOWS\\PRINTERS\\"));
  EXPECT_FALSE(table.KeepsAllIn("c:\\RECENTLY\\"));
  EXPECT_FALSE(table.KeepsAllIn("c:\\Recent\\Sub\\"));
  // Purged folders list themselves afresh; their names need not be kept.
  EXPECT_FALSE(table.KeepsAllIn("c:\\WINDOWS\\TEMP\\"));
}

enum class Walk { KeepingAllNames, KeepingTableNames };

struct Outcome {
  std::vector<std::string> log;
  float files = 0;
  float bytes = 0;
  std::map<std::string, std::string> left;
};

// A scaled demo drive cleaned with every category on, the walk keeping every
// name or only the table's.
Outcome CleanDemoDrive(Walk walk, bool testRun) {
  testing::TestWorld world;
  DemoDriveRequest request;
  request.folders = 150;
  request.files = 1500;
  request.junkPercent = 40;
  EXPECT_FALSE(WriteDemoDrive(world.Drive('C').Root(), request));
  for (std::size_t id = 0; id < kCategoryCount; ++id) world.SetCategory(static_cast<CategoryId>(id), 1);
  world.SetOption(RunOption::TestRun, testRun ? 1 : 0);
  world.SetOption(RunOption::MaintainLog, 1);
  EXPECT_FALSE(OpenLogSection(world.context, "c:"));
  const RuleTableNames table;
  const FolderList folders =
      ListFolders(world.context, "c:", "\\", walk == Walk::KeepingTableNames ? &table : nullptr);
  ApplyCategoryRules(world.context, "c:", folders, folders.Count());
  CloseLogSection(world.context);
  return {world.LogItems(), world.context.state.totals.totalFiles, world.context.state.totals.totalBytes,
          testing::DriveContents(world.Drive('C'))};
}

TEST(RuleTableNames, AWalkKeepingOnlyTheTableNamesCleansExactlyAsOneKeepingAll) {
  for (bool testRun : {true, false}) {
    const Outcome all = CleanDemoDrive(Walk::KeepingAllNames, testRun);
    const Outcome kept = CleanDemoDrive(Walk::KeepingTableNames, testRun);
    ASSERT_GT(all.log.size(), 300u) << "the drive should hold plenty of junk";
    EXPECT_EQ(kept.log, all.log) << (testRun ? "test run" : "destructive run");
    EXPECT_EQ(kept.files, all.files);
    EXPECT_EQ(kept.bytes, all.bytes);
    EXPECT_EQ(kept.left, all.left);
  }
}

}  // namespace
}  // namespace tidewell
