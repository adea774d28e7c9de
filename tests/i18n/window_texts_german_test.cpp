// Every text the main window passes to the translation layer by its shared
// name has its German entry (the Qt window's test checks the widgets).
#include <gtest/gtest.h>

#include "i18n/catalogue.h"
#include "settings/main_options.h"
#include "ui/window_texts.h"

namespace tidewell::i18n {

Catalogue ShippedGerman();  // german_catalogue_test.cpp

namespace {

// The texts the window code passes to the layer as they are, by their
// shared names: every one has its German entry.
TEST(GermanCatalogue, HoldsEveryCaptionMenuAndTooltipOfTheMainWindow) {
  const Catalogue german = ShippedGerman();
  std::vector<std::string_view> texts = {
      ui::kBannerText,   ui::kTitleTooltip,       ui::kBannerTooltip,    ui::kSupportTooltip,
      ui::kAnimationTooltip, ui::kProgressTooltip, ui::kCleanCaption,    ui::kCleanTooltip,
      ui::kExitCaption,  ui::kExitTooltip,        ui::kDeepwashButtonCaption, ui::kDeepwashButtonTooltip,
      ui::kFrameCaption, ui::kDriveListTooltip,   ui::kStatusBarTooltip, ui::kNoDriveStatus,
      ui::kStoreUnreadableStatus, ui::kViewerCaption};
  for (std::string_view tooltip : ui::kOptionTooltips) texts.push_back(tooltip);
  for (const auto& option : MainOptionEntries()) texts.push_back(option.caption);
  for (const ui::Menu& menu : ui::MainMenus()) {
    texts.push_back(menu.caption);
    for (const ui::MenuEntry& entry : menu.entries) {
      if (entry.command) texts.push_back(entry.caption);
    }
  }
  for (std::string_view text : texts) {
    EXPECT_TRUE(german.Has(text)) << "no German for \"" << text << "\"";
  }
}

}  // namespace
}  // namespace tidewell::i18n
