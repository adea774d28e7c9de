// Every text the main window passes to the translation layer by its shared
// name has its German entry (the Qt window's test checks the widgets).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "i18n/catalogue.h"
#include "settings/category_catalogue.h"
#include "settings/category_warnings.h"
#include "settings/deepwash_layout.h"
#include "settings/main_options.h"
#include "i18n/translation.h"
#include "ui/category_figures.h"
#include "ui/drives_model.h"
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

// The Deepwash window's texts, and every warning box as the Deepwash
// selection composes it: its title and each of its lines have German.
TEST(GermanCatalogue, HoldsEveryTextOfTheDeepwashWindowAndItsWarnings) {
  const Catalogue german = ShippedGerman();
  std::vector<std::string_view> texts = {kDeepwashCaption, kDeepwashLabelText, kDeepwashLabelTooltip,
                                         kDeepwashStatusBarTooltip};
  for (const Category& entry : CatalogueEntries()) {
    texts.push_back(entry.caption);
    texts.push_back(entry.tooltip);
  }
  for (const DeepwashButton& button : DeepwashButtons()) {
    texts.push_back(button.caption);
    texts.push_back(button.tooltip);
  }
  for (std::string_view text : texts) EXPECT_TRUE(german.Has(text)) << "no German for \"" << text << "\"";

  std::vector<const CategoryWarning*> warnings{&SelectAllWarning()};
  for (const Category& entry : CatalogueEntries()) {
    if (const CategoryWarning* warning = WarningFor(entry.id)) warnings.push_back(warning);
  }
  EXPECT_EQ(warnings.size(), 36u);
  for (const CategoryWarning* warning : warnings) {
    const std::string title = "WARNING about deleting " + std::string(warning->title);
    EXPECT_TRUE(german.Has(title)) << "no German for \"" << title << "\"";
    const std::string text = "WARNING: " + warning->Text();
    std::size_t start = 0;
    while (start <= text.size()) {
      const std::size_t end = std::min(text.find('\r', start), text.size());
      const std::string line = text.substr(start, end - start);
      if (!line.empty()) {
        EXPECT_TRUE(german.Has(line)) << warning->title << ": no German for \"" << line << "\"";
      }
      start = end + 1;
    }
  }
  EXPECT_TRUE(german.Has(WarningStatusLine("")));
}

}  // namespace
// Options > Drives... and View > Figures by Category: their titles,
// buttons, columns and the dialog's own words in the table have German;
// the table's words come out German, the drive's label and folder as they
// are; a refusal composed with a folder is translated around the folder.
TEST(GermanCatalogue, HoldsEveryTextOfTheDrivesAndFiguresWindows) {
  const Catalogue german = ShippedGerman();
  std::vector<std::string_view> texts = {ui::kDrivesTitle,        ui::kDrivesNote,          ui::kAddDriveCaption,
                                         ui::kRemoveDriveCaption, ui::kCloseDrivesCaption,  ui::kAddDriveTitle,
                                         ui::kAddDriveLetterCaption, ui::kAddDriveFolderCaption, ui::kBrowseCaption,
                                         ui::kFiguresTitle,       ui::kNoCategoryChoseAFile, "yes", "no", "Cancel"};
  for (std::string_view column : ui::kDrivesColumns) texts.push_back(column);
  for (const platform::DriveSource source :
       {platform::DriveSource::Environment, platform::DriveSource::Store, platform::DriveSource::WinePrefix,
        platform::DriveSource::Mount, platform::DriveSource::SystemLetter}) {
    texts.push_back(session::SourceName(source));
  }
  for (std::string_view text : texts) EXPECT_TRUE(german.Has(text)) << "no German for \"" << text << "\"";

  UseCatalogue(ShippedGerman());
  session::DriveFacts drive;
  drive.letter = 'E';
  drive.label = "Label";  // a label that is also a column's name stays the drive's
  drive.source = session::SourceName(platform::DriveSource::Store);
  drive.unattended = true;
  drive.folder = "/srv/data";
  const std::vector<std::string> cells = ui::DriveCells(drive);
  const std::string refusal = TranslatedLines("The folder \"/srv/nothing\" does not exist. Choose an existing folder.");
  UseCatalogue(Catalogue());
  EXPECT_EQ(cells, (std::vector<std::string>{"E:", "Label", "?", "Einstellungsdatei", "ja", "/srv/data"}));
  EXPECT_EQ(refusal, "Der Ordner \"/srv/nothing\" existiert nicht. Wählen Sie einen vorhandenen Ordner.");
}

}  // namespace tidewell::i18n
