#include "settings/category_catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace tidewell {
namespace {

using enum CategoryId;

// A caption as the user reads it, lower-cased: "&" markers dropped, "&&"
// shown as "&". Counts the single markers in `markers`.
std::string ShownText(std::string_view caption, int* markers = nullptr) {
  std::string shown;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] != '&') {
      shown += static_cast<char>(std::tolower(static_cast<unsigned char>(caption[i])));
    } else if (i + 1 < caption.size() && caption[i + 1] == '&') {
      shown += caption[++i];
    } else if (markers) {
      ++*markers;
    }
  }
  return shown;
}

// The 36 boxes the presets set: every entry a preset does not leave alone.
std::set<CategoryId> PresetBoxes() {
  std::set<CategoryId> boxes;
  for (const Category& entry : CatalogueEntries()) {
    if (PresetState(Preset::SelectAll, entry.id)) boxes.insert(entry.id);
  }
  return boxes;
}

// The boxes of an order, checking that it names none twice.
std::set<CategoryId> DistinctBoxes(std::span<const CategoryId> order) {
  const std::set<CategoryId> boxes(order.begin(), order.end());
  EXPECT_EQ(boxes.size(), order.size()) << "an order names a box twice";
  return boxes;
}

bool AlphabeticalByControlName(std::span<const CategoryId> order) {
  return std::ranges::is_sorted(order, std::less<>(),
                                [](CategoryId id) { return ShownText(Entry(id).controlName); });
}

TEST(CategoryCatalogue, HoldsThirtyFiveCategoriesThenThreeOptions) {
  ASSERT_EQ(CatalogueEntries().size(), 38u);
  ASSERT_EQ(Categories().size(), 35u);
  for (std::size_t i = 0; i < CatalogueEntries().size(); ++i) {
    const Category& entry = CatalogueEntries()[i];
    EXPECT_EQ(&Entry(entry.id), &entry);
    EXPECT_EQ(entry.kind, i < 35 ? EntryKind::Category : EntryKind::Option) << entry.settingsName;
  }
}

TEST(CategoryCatalogue, ControlNameIsChkPlusSettingsNameForEveryCategory) {
  for (const Category& category : Categories()) {
    EXPECT_EQ(category.controlName, "Chk" + std::string(category.settingsName));
  }
  EXPECT_EQ(Entry(ShowWarnings).controlName, "ChkWarnings");
  EXPECT_EQ(Entry(ExtraScrubbing).controlName, "ChkExtra");
  EXPECT_EQ(Entry(MaintainLog).controlName, "ChkMaintainLog");
}

TEST(CategoryCatalogue, NamesAndCaptionsAreUniqueOverAllEntries) {
  std::set<std::string_view> controlNames, settingsNames, captions;
  for (const Category& entry : CatalogueEntries()) {
    EXPECT_TRUE(controlNames.insert(entry.controlName).second) << entry.controlName;
    EXPECT_TRUE(settingsNames.insert(entry.settingsName).second) << entry.settingsName;
    EXPECT_TRUE(captions.insert(entry.caption).second) << entry.caption;
  }
}

TEST(CategoryCatalogue, CategoriesAreInAlphabeticalOrderOfTheirShownCaptions) {
  for (std::size_t i = 1; i < Categories().size(); ++i) {
    EXPECT_LT(ShownText(Categories()[i - 1].caption), ShownText(Categories()[i].caption));
  }
}

TEST(CategoryCatalogue, CaptionsStartWithTheirOneAccessMarkerTooltipsInviteAClick) {
  for (const Category& entry : CatalogueEntries()) {
    int markers = 0;
    ShownText(entry.caption, &markers);
    EXPECT_EQ(markers, 1) << entry.caption;
    EXPECT_EQ(entry.caption.substr(0, 1), "&") << entry.caption;
    EXPECT_TRUE(entry.tooltip.starts_with("Click here to ")) << entry.tooltip;
    EXPECT_NE(entry.tooltip.back(), ' ') << entry.tooltip;
  }
  EXPECT_EQ(ShownText(Entry(Eudora).caption), "eudora e-mail attachments & embedded items");
}

TEST(CategoryCatalogue, LookupsNeedTheExactSpelling) {
  for (const Category& entry : CatalogueEntries()) {
    EXPECT_EQ(FindByControlName(entry.controlName), &entry);
    EXPECT_EQ(FindBySettingsName(entry.settingsName), &entry);
  }
  EXPECT_EQ(FindBySettingsName("SysBckup"), &Entry(SysBckup));
  EXPECT_EQ(FindBySettingsName("BizCards"), &Entry(BizCards));
  EXPECT_EQ(FindBySettingsName("SysBackup"), nullptr);
  EXPECT_EQ(FindBySettingsName("sysbckup"), nullptr);
  EXPECT_EQ(FindBySettingsName("Bizcards"), nullptr);
  EXPECT_EQ(FindBySettingsName("ChkAdobe"), nullptr);  // a control name is not a settings name
  EXPECT_EQ(FindByControlName("ChkExtraScrubbing"), nullptr);
  EXPECT_EQ(FindByControlName("chkadobe"), nullptr);
  EXPECT_EQ(FindByControlName("ChkInstaller"), nullptr);  // the start of two names
  EXPECT_EQ(FindBySettingsName("Installer"), nullptr);
}

TEST(CategoryCatalogue, FreshStatesAreTheDefaults) {
  const FixedCategoryStates states;
  const std::set<CategoryId> defaultOn = {Thumbnails, InstallerUndo,  Controls,    Downloads,
                                          Histories,  Recent,         Recycled,    Temp,
                                          SysBckup,   ExtraScrubbing, ShowWarnings};
  for (const Category& entry : CatalogueEntries()) {
    const int expected = defaultOn.contains(entry.id) ? 1 : 0;
    EXPECT_EQ(entry.defaultValue, expected) << entry.settingsName;
    EXPECT_EQ(states.CheckValue(entry.id), expected) << entry.settingsName;
  }
}

TEST(CategoryCatalogue, SafestAddsVbToTheDefaults) {
  FixedCategoryStates states;
  states.Apply(Preset::SelectAll);
  states.Apply(Preset::Safest);
  for (const Category& entry : CatalogueEntries()) {
    const int expected = entry.id == VB ? 1 : entry.defaultValue;
    EXPECT_EQ(states.CheckValue(entry.id), expected) << entry.settingsName;
  }
}

TEST(CategoryCatalogue, SelectAllAndSelectNoneSetAllThirtySixBoxes) {
  ASSERT_EQ(PresetBoxes().size(), 36u);
  FixedCategoryStates states;
  states.Apply(Preset::SelectAll);
  for (CategoryId id : PresetBoxes()) EXPECT_EQ(states.CheckValue(id), 1);
  states.Apply(Preset::SelectNone);
  for (CategoryId id : PresetBoxes()) EXPECT_EQ(states.CheckValue(id), 0);
}

TEST(CategoryCatalogue, PresetsNeverTouchShowWarningsOrMaintainLog) {
  for (Preset preset : {Preset::SelectAll, Preset::SelectNone, Preset::Safest}) {
    EXPECT_FALSE(PresetState(preset, ShowWarnings).has_value());
    EXPECT_FALSE(PresetState(preset, MaintainLog).has_value());
    FixedCategoryStates states;
    states.Set(ShowWarnings, 0);
    states.Set(MaintainLog, 2);
    states.Apply(preset);
    EXPECT_EQ(states.CheckValue(ShowWarnings), 0);
    EXPECT_EQ(states.CheckValue(MaintainLog), 2);
  }
}

TEST(CategoryCatalogue, CreationLoadsDefaultOffCategoriesFirstAndEveryEntryOnce) {
  const auto order = CreationLoadOrder();
  ASSERT_EQ(DistinctBoxes(order).size(), 38u);
  std::vector<std::string_view> defaultOff;
  for (const Category& category : Categories()) {
    if (category.defaultValue == 0) defaultOff.push_back(category.settingsName);
  }
  std::ranges::sort(defaultOff);
  ASSERT_EQ(defaultOff.size(), 26u);
  for (std::size_t i = 0; i < 26; ++i) EXPECT_EQ(Entry(order[i]).settingsName, defaultOff[i]);
  // Then the rest by settings name, and the two options no preset touches.
  for (std::size_t i = 26; i + 1 < 36; ++i) {
    EXPECT_LT(Entry(order[i]).settingsName, Entry(order[i + 1]).settingsName);
  }
  EXPECT_EQ(order[36], ShowWarnings);
  EXPECT_EQ(order[37], MaintainLog);
}

TEST(CategoryCatalogue, SelectAllVisitsThePresetBoxesAlphabeticallyBarExtra) {
  EXPECT_EQ(DistinctBoxes(SelectAllOrder()), PresetBoxes());
  std::vector<CategoryId> order(SelectAllOrder().begin(), SelectAllOrder().end());
  const auto extra = std::ranges::find(order, ExtraScrubbing);
  ASSERT_NE(extra, order.end());
  EXPECT_EQ(*(extra - 1), Downloads);  // ChkExtra comes before ChkEudora
  EXPECT_EQ(*(extra + 1), Eudora);
  order.erase(extra);
  EXPECT_TRUE(AlphabeticalByControlName(order));
}

TEST(CategoryCatalogue, SafestOrdersSplitThePresetBoxesAsThePresetDoes) {
  const std::set<CategoryId> unchecked = DistinctBoxes(SafestUncheckOrder());
  const std::set<CategoryId> checked = DistinctBoxes(SafestCheckOrder());
  for (CategoryId id : unchecked) EXPECT_EQ(PresetState(Preset::Safest, id), false);
  for (CategoryId id : checked) EXPECT_EQ(PresetState(Preset::Safest, id), true);
  EXPECT_EQ(unchecked.size() + checked.size(), 36u);
  std::set<CategoryId> both = unchecked;
  both.insert(checked.begin(), checked.end());
  EXPECT_EQ(both, PresetBoxes());
  EXPECT_TRUE(AlphabeticalByControlName(SafestUncheckOrder()));
  EXPECT_TRUE(AlphabeticalByControlName(SafestCheckOrder()));
}

}  // namespace
}  // namespace tidewell
