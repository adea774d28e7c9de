#include "settings/deepwash_layout.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace tidewell {
namespace {

using enum CategoryId;

int Right(const TwipsRect& r) { return r.left + r.width; }
int Bottom(const TwipsRect& r) { return r.top + r.height; }

bool Overlap(const TwipsRect& a, const TwipsRect& b) {
  return a.left < Right(b) && b.left < Right(a) && a.top < Bottom(b) && b.top < Bottom(a);
}

bool Inside(const TwipsRect& inner, const TwipsRect& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && Right(inner) <= Right(outer) &&
         Bottom(inner) <= Bottom(outer);
}

// Every check box and button, named for failure messages.
std::vector<std::pair<std::string, TwipsRect>> AllControls() {
  std::vector<std::pair<std::string, TwipsRect>> controls;
  for (const Category& entry : CatalogueEntries()) {
    controls.emplace_back(entry.controlName, CheckBoxRect(entry.id));
  }
  for (const DeepwashButton& button : DeepwashButtons()) {
    controls.emplace_back(button.controlName, button.rect);
  }
  return controls;
}

TEST(DeepwashLayout, CategoriesFillTwoColumnsInsideTheFrameOptionsSitBelow) {
  EXPECT_EQ(CheckBoxRect(Adobe).left, 240);
  EXPECT_EQ(CheckBoxRect(Adobe).top, 600);
  EXPECT_EQ(CheckBoxRect(Histories).top, 4680);  // entry 18, bottom of the left column
  EXPECT_EQ(CheckBoxRect(List).left, 3840);      // entry 19, top of the right column
  EXPECT_EQ(CheckBoxRect(List).top, 600);
  EXPECT_EQ(CheckBoxRect(Wallpaper).top, 4440);  // entry 35
  for (const Category& category : Categories()) {
    EXPECT_TRUE(Inside(CheckBoxRect(category.id), kDeepwashFrameRect)) << category.controlName;
    EXPECT_FALSE(Overlap(CheckBoxRect(category.id), kDeepwashLabelRect)) << category.controlName;
  }
  EXPECT_EQ(CheckBoxRect(ShowWarnings).top, 5160);
  EXPECT_EQ(CheckBoxRect(ExtraScrubbing).top, 5400);
  EXPECT_EQ(CheckBoxRect(MaintainLog).top, 5640);
  EXPECT_EQ(CheckBoxRect(MaintainLog).left, 3840);
}

TEST(DeepwashLayout, NoTwoControlsOverlapAndAllFitTheWindow) {
  const TwipsRect client{0, 0, kDeepwashClientWidth, kDeepwashClientHeight};
  const auto controls = AllControls();
  ASSERT_EQ(controls.size(), 42u);
  for (std::size_t i = 0; i < controls.size(); ++i) {
    EXPECT_TRUE(Inside(controls[i].second, client)) << controls[i].first;
    for (std::size_t j = i + 1; j < controls.size(); ++j) {
      const TwipsRect& a = controls[i].second;
      const TwipsRect& b = controls[j].second;
      // A left-column box is 15 twips wider than the gap to the right
      // column and reaches one pixel into its neighbour; the box's text
      // ends long before that, so only this seam is allowed to overlap.
      if (i < kCategoryCount && j < kCategoryCount && a.left != b.left) {
        EXPECT_LE(Right(a) - b.left, 15) << controls[i].first << " / " << controls[j].first;
        continue;
      }
      EXPECT_FALSE(Overlap(a, b)) << controls[i].first << " / " << controls[j].first;
    }
  }
  EXPECT_TRUE(Inside(kDeepwashFrameRect, client));
  EXPECT_TRUE(Inside(kDeepwashLabelRect, kDeepwashFrameRect));
}

TEST(DeepwashLayout, TabOrderVisitsEveryControlOnce) {
  const auto order = DeepwashTabOrder();
  ASSERT_EQ(order.size(), 43u);
  EXPECT_EQ(std::set<std::string_view>(order.begin(), order.end()).size(), order.size());
  EXPECT_EQ(order.front(), kDeepwashFrameName);
  for (std::size_t i = 0; i < 35; ++i) EXPECT_EQ(order[1 + i], Categories()[i].controlName);
  const std::vector<std::string_view> tail(order.begin() + 36, order.end());
  EXPECT_EQ(tail, (std::vector<std::string_view>{"CmdAll", "CmdSafest", "CmdNone", "ChkWarnings",
                                                 "ChkExtra", "ChkMaintainLog", "CmdDone"}));
}

}  // namespace
}  // namespace tidewell
