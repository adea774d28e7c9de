// The shipped German catalogue: complete, its placeholders and shortcut
// marks kept, and holding every text the windows pass to the translation
// layer; and how the program finds it (beside the program, in an
// installation's share folder) or falls back to English.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "i18n/translation.h"
#include "tests/support/temp_drive.h"

namespace fs = std::filesystem;

namespace tidewell::i18n {
namespace {

std::string ShippedGermanText() {
  std::ifstream in(TIDEWELL_GERMAN_CATALOGUE, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

Catalogue ShippedGerman() {
  Catalogue catalogue;
  const std::optional<std::string> problem = Catalogue::Parse(ShippedGermanText(), catalogue);
  EXPECT_FALSE(problem.has_value()) << "de.po: " << *problem;
  EXPECT_FALSE(catalogue.Empty());
  return catalogue;
}

namespace {

std::vector<int> Sorted(std::vector<int> numbers) {
  std::sort(numbers.begin(), numbers.end());
  return numbers;
}

// Parse() already refuses a msgid given twice; this checks all the rest.
TEST(GermanCatalogue, EveryEntryIsTranslatedWithItsPlaceholdersAndShortcutMark) {
  const Catalogue german = ShippedGerman();
  for (const Catalogue::Entry& entry : german.Entries()) {
    SCOPED_TRACE("de.po line " + std::to_string(entry.line) + ": " + entry.english);
    EXPECT_FALSE(entry.translated.empty()) << "untranslated";
    EXPECT_EQ(Sorted(PlaceholdersOf(entry.translated)), Sorted(PlaceholdersOf(entry.english)));
    const auto marks = [](const std::string& text) { return std::count(text.begin(), text.end(), '&'); };
    EXPECT_EQ(marks(entry.translated), marks(entry.english)) << "a shortcut mark lost or added";
  }
}

// Messages composed by the engine are translated line by line, their
// values kept; the Info box's labels are, its values are not.
TEST(GermanCatalogue, TranslatesComposedStatusLinesAndMessagesLineByLine) {
  UseCatalogue(ShippedGerman());
  EXPECT_EQ(TranslatedLines("Ready to clean drive C: [DRIVE_C]"), "Bereit, Laufwerk C: [DRIVE_C] zu bereinigen");
  EXPECT_EQ(TranslatedLines("Done: 1.2 MB, 3 files cleaned (TEST)"), "Fertig: 1.2 MB, 3 Dateien bereinigt (TEST)");
  EXPECT_EQ(TranslatedLines("The log file is empty.\r\rClick the ''Test run only'' checkbox to generate a log file."),
            "Die Protokolldatei ist leer.\r\rAktivieren Sie ''Nur Testlauf'', um eine Protokolldatei zu erzeugen.");
  EXPECT_EQ(TranslatedLines("Last cleanup:\tNone\rFiles deleted:\t12"),
            "Letzte Bereinigung:\tNone\rGelöschte Dateien:\t12");
  EXPECT_EQ(TranslatedLines("Drive D: was found on this machine, not chosen by you. Pick it in the drive list to "
                            "clean it, or map it with TIDEWELL_DRIVES or under [Drives] in /h/Tidewell.ini. "
                            "Nothing was cleaned."),
            "Laufwerk D: wurde auf diesem Rechner gefunden, nicht von Ihnen gewählt. Wählen Sie es in der "
            "Laufwerksliste, um es zu bereinigen, oder ordnen Sie es mit TIDEWELL_DRIVES oder unter [Drives] in "
            "/h/Tidewell.ini zu. Nichts wurde bereinigt.");
  // A line with no entry stays as it is, its neighbours translated.
  EXPECT_EQ(TranslatedLines("Tidewell can't read /x/y\r\rno such line"),
            "Tidewell kann /x/y nicht lesen\r\rno such line");
  UseCatalogue(Catalogue{});
  EXPECT_EQ(TranslatedLines("Ready to clean drive C:"), "Ready to clean drive C:");
}

// A program folder (and beside it the share folder of an installation)
// in a temporary folder, and the environment the program would see.
struct ProgramFiles {
  ProgramFiles() { fs::create_directories(bin()); }
  std::string bin() const { return base.Path() + "/usr/bin"; }
  void Ship(const std::string& relative, const std::string& text) const {
    const fs::path path = base.Path() + "/" + relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
  }
  std::optional<std::string> Use(std::map<std::string, std::string> variables) const {
    return UseUserLanguage(bin(), [variables](const char* name) -> std::optional<std::string> {
      const auto found = variables.find(name);
      if (found == variables.end()) return std::nullopt;
      return found->second;
    });
  }
  ~ProgramFiles() { UseCatalogue(Catalogue{}); }
  testing::TempFolder base;
};

constexpr const char* kFile = "msgid \"&File\"\nmsgstr \"&Datei\"\n";

TEST(UserLanguage, FindsTheCatalogueBesideTheProgramOrInTheInstallation) {
  const ProgramFiles files;
  files.Ship("usr/share/tidewell/locale/de.po", kFile);
  EXPECT_EQ(files.Use({{"LANG", "de_DE.UTF-8"}}), std::nullopt);
  EXPECT_EQ(Translated("&File"), "&Datei");
  // The one beside the program comes first, and the territory's before the
  // language's.
  files.Ship("usr/bin/locale/de.po", "msgid \"&File\"\nmsgstr \"&Datei (bin)\"\n");
  files.Ship("usr/bin/locale/de_AT.po", "msgid \"&File\"\nmsgstr \"&Datei (AT)\"\n");
  EXPECT_EQ(files.Use({{"LC_MESSAGES", "de_DE.UTF-8"}}), std::nullopt);
  EXPECT_EQ(Translated("&File"), "&Datei (bin)");
  EXPECT_EQ(files.Use({{"LANG", "de_AT.UTF-8"}}), std::nullopt);
  EXPECT_EQ(Translated("&File"), "&Datei (AT)");
  // LC_ALL=C (as the test suites run), or a language with no file: English.
  EXPECT_EQ(files.Use({{"LC_ALL", "C"}, {"LANG", "de_DE.UTF-8"}}), std::nullopt);
  EXPECT_EQ(Translated("&File"), "&File");
  files.Use({{"LANG", "de_DE.UTF-8"}});
  EXPECT_EQ(files.Use({{"LANG", "fr_FR.UTF-8"}}), std::nullopt);
  EXPECT_EQ(Translated("&File"), "&File");
}

TEST(UserLanguage, ABrokenOrUnreadableCatalogueLeavesEnglishAndSaysWhy) {
  const ProgramFiles files;
  files.Ship("usr/bin/locale/de.po", std::string(kFile) + "msgid \"&Help\"\n");
  files.Use({{"LANG", "de_DE.UTF-8"}});
  EXPECT_EQ(files.Use({{"LANG", "de_DE.UTF-8"}}), files.bin() + "/locale/de.po: line 3: msgid without a msgstr");
  EXPECT_EQ(Translated("&File"), "&File");
  // A folder in the file's place, or an empty file, is no German: English,
  // and nothing to tell.
  fs::remove(files.bin() + "/locale/de.po");
  fs::create_directories(files.bin() + "/locale/de_DE.po");
  EXPECT_EQ(files.Use({{"LANG", "de_DE.UTF-8"}}), std::nullopt);
  EXPECT_EQ(Translated("&File"), "&File");
  files.Ship("usr/bin/locale/de.po", "");
  EXPECT_EQ(files.Use({{"LANG", "de_DE.UTF-8"}}), std::nullopt);
  EXPECT_EQ(Translated("&File"), "&File");
}

}  // namespace
}  // namespace tidewell::i18n
