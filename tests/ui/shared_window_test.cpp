// What both front ends of the window share: the menus' table and caption
// fitting's shrinking loop.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "platform/locale_format.h"
#include "ui/caption_fit.h"
#include "ui/category_figures.h"
#include "ui/window_texts.h"

namespace tidewell::ui {
namespace {

TEST(CaptionShrinking, StepsDownAQuarterPointUntilTheCaptionFits) {
  std::vector<double> tried;
  const double points = ShrunkCaptionPoints(8.25, [&](double size) {
    tried.push_back(size);
    return size <= 7.5;
  });
  EXPECT_EQ(points, 7.5);
  EXPECT_EQ(tried, (std::vector<double>{8.0, 7.75, 7.5}));
}

TEST(CaptionShrinking, NeverGoesBelowTheSmallestSize) {
  std::vector<double> tried;
  const double points = ShrunkCaptionPoints(7.0, [&](double size) {
    tried.push_back(size);
    return false;  // nothing fits
  });
  EXPECT_EQ(points, kSmallestCaptionPoints);
  EXPECT_EQ(tried, (std::vector<double>{6.75, 6.5, 6.25, 6.0}));
  // Already too small for one step: left as it is, nothing tried.
  tried.clear();
  EXPECT_EQ(ShrunkCaptionPoints(6.2, [&](double size) {
              tried.push_back(size);
              return true;
            }),
            6.2);
  EXPECT_TRUE(tried.empty());
}

// Each command is reached from exactly one entry, and no two entries share
// a shortcut key or a control name: a front end binds them by these.
TEST(MainMenus, EveryCommandOnceWithItsOwnShortcutAndAnAccessKey) {
  std::set<int> commands;
  std::set<std::string> shortcuts;
  std::set<std::string> names;
  std::vector<std::string> menuNames;
  for (const Menu& menu : MainMenus()) {
    menuNames.emplace_back(menu.caption);
    for (const MenuEntry& entry : menu.entries) {
      if (!entry.command) continue;
      EXPECT_TRUE(commands.insert(static_cast<int>(*entry.command)).second) << entry.name;
      EXPECT_TRUE(names.insert(std::string(entry.name)).second) << entry.name;
      if (entry.shortcut.key != ShortcutKey::None) {
        EXPECT_TRUE(shortcuts.insert(std::string(entry.shortcut.text)).second) << entry.shortcut.text;
      }
      // Every entry has an access key (two may share one: "&Update History"
      // and "&Uninstall Tidewell" both take U, as they always have).
      const std::size_t amp = entry.caption.find('&');
      ASSERT_NE(amp, std::string_view::npos) << entry.name;
      EXPECT_NE(amp + 1, entry.caption.size()) << entry.name;
    }
  }
  EXPECT_EQ(menuNames, (std::vector<std::string>{"&File", "&View", "&Options", "&Help"}));
  EXPECT_EQ(commands.size(), static_cast<std::size_t>(MenuCommand::Uninstall) + 1);
}

// Figures by Category: each drive of the run in the order the run ended
// them, its categories biggest first with the console's figures, and a drive
// where no category chose a file said so in one row.
TEST(RunFigures, RowsPerDriveBiggestFirstAndOneRowForADriveWithNone) {
  RunFigures figures;
  EXPECT_TRUE(figures.Empty());
  DriveSummary c;
  c.drive = "c:";
  c.totals.byCategory.Add(TotalsBucket::Of(CategoryId::Backups), 3, 1536);
  c.totals.byCategory.Add(TotalsBucket::Of(CategoryId::Recent), 1234, 2'097'152);
  DriveSummary d;
  d.drive = "d:";
  figures.Add(c);
  figures.Add(d);
  const std::vector<CategoryFiguresRow> rows = figures.Rows(platform::LocaleFormat::Classic());
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].drive, "C:");
  EXPECT_EQ(rows[0].category, "Recent");
  EXPECT_EQ(rows[0].files, "1,234");
  EXPECT_EQ(rows[0].size, "2.00 Megabytes");
  EXPECT_EQ(rows[1].category, "Backups");
  EXPECT_EQ(rows[1].caption, TotalsBucket::Of(CategoryId::Backups).Caption());
  EXPECT_EQ(rows[1].files, "3");
  EXPECT_EQ(rows[2].drive, "D:");
  EXPECT_EQ(rows[2].category, "");
  EXPECT_EQ(rows[2].caption, kNoCategoryChoseAFile);
  figures.Clear();
  EXPECT_TRUE(figures.Empty());
  EXPECT_TRUE(figures.Rows(platform::LocaleFormat::Classic()).empty());
}

}  // namespace
}  // namespace tidewell::ui
