// The catalogue file's reader and its two lookups, and the choice of
// language from the environment.
#include <gtest/gtest.h>

#include "i18n/catalogue.h"
#include "i18n/language_choice.h"

namespace tidewell::i18n {
namespace {

Catalogue Read(std::string_view text) {
  Catalogue catalogue;
  const std::optional<std::string> problem = Catalogue::Parse(text, catalogue);
  EXPECT_FALSE(problem.has_value()) << *problem;
  return catalogue;
}

std::string ProblemOf(std::string_view text) {
  Catalogue catalogue;
  const std::optional<std::string> problem = Catalogue::Parse(text, catalogue);
  EXPECT_TRUE(catalogue.Empty()) << "a broken file must leave nothing translated";
  return problem.value_or("<none>");
}

TEST(CatalogueFile, ReadsEntriesCommentsContinuationsAndEscapes) {
  const Catalogue catalogue = Read(
      "\xEF\xBB\xBF# translator's note\n"
      "msgid \"\"\n"
      "msgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n"
      "\n"
      "#, a flag line\n"
      "msgid \"&File\"\n"
      "msgstr \"&Datei\"\r\n"
      "msgid \"A long \"\n"
      "  \"text\"\n"
      "msgstr \"\"\n"
      "\"Ein langer \"\n"
      "\"Text\"\n"
      "msgid \"Say \\\"hi\\\"\\r\\rback\\\\slash\\ttab\\n\"\n"
      "msgstr \"Sag \\\"hallo\\\"\\r\\r\"\n"
      "msgid \"Not yet\"\n"
      "msgstr \"\"\n");
  EXPECT_EQ(catalogue.Lookup("&File"), "&Datei");
  EXPECT_EQ(catalogue.Lookup("A long text"), "Ein langer Text");
  EXPECT_EQ(catalogue.Lookup("Say \"hi\"\r\rback\\slash\ttab\n"), "Sag \"hallo\"\r\r");
  // Untranslated and unknown texts come back as they were.
  EXPECT_EQ(catalogue.Lookup("Not yet"), "Not yet");
  EXPECT_EQ(catalogue.Lookup("&Help"), "&Help");
  // The header is no entry; the untranslated one is, for the checks.
  ASSERT_EQ(catalogue.Entries().size(), 4u);
  EXPECT_EQ(catalogue.Entries()[0].line, 6);
  EXPECT_TRUE(catalogue.Entries()[3].translated.empty());
}

TEST(CatalogueFile, RefusesWhatItCannotReadAndSaysWhere) {
  EXPECT_EQ(ProblemOf("msgid \"a\"\nmsgstr \"b\"\nmsgctxt \"menu\"\n"),
            "line 3: expected msgid, msgstr, a quoted line or a comment");
  EXPECT_EQ(ProblemOf("msgid \"a\"\nmsgid \"b\"\nmsgstr \"c\"\n"), "line 2: msgid without a msgstr before it");
  EXPECT_EQ(ProblemOf("msgid \"a\"\nmsgstr \"b\"\nmsgid \"c\"\n"), "line 3: msgid without a msgstr");
  EXPECT_EQ(ProblemOf("msgstr \"b\"\n"), "line 1: msgstr without a msgid");
  EXPECT_EQ(ProblemOf("msgid \"a\\q\"\nmsgstr \"b\"\n"), "line 1: not a well-formed quoted text");
  EXPECT_EQ(ProblemOf("msgid \"a\" \"b\"\nmsgstr \"b\"\n"), "line 1: not a well-formed quoted text");
  EXPECT_EQ(ProblemOf("msgid \"a\nmsgstr \"b\"\n"), "line 1: not a well-formed quoted text");
  EXPECT_EQ(ProblemOf("\"stray\"\n"), "line 1: a quoted line outside an entry");
  EXPECT_EQ(ProblemOf("msgid \"a\"\nmsgstr \"b\"\n\nmsgid \"a\"\nmsgstr \"c\"\n"),
            "line 4: msgid given before, on line 1");
  EXPECT_EQ(ProblemOf("msgid[0] \"a\"\nmsgstr \"b\"\n"), "line 1: expected msgid, msgstr, a quoted line or a comment");
}

TEST(CatalogueFile, AnEmptyOrCommentOnlyFileTranslatesNothing) {
  EXPECT_TRUE(Read("").Empty());
  EXPECT_TRUE(Read("# nothing yet\n\n").Empty());
}

TEST(ComposedTexts, FillThePlaceholdersOfTheEntryTheTextFits) {
  const Catalogue catalogue = Read(
      "msgid \"Ready to clean drive {0}\"\nmsgstr \"Bereit, Laufwerk {0} zu bereinigen\"\n"
      "msgid \"Done: {0}, {1} files cleaned\"\nmsgstr \"Fertig: {1} Dateien, {0}\"\n"
      "msgid \"Done: {0}, {1} files cleaned (TEST)\"\nmsgstr \"Fertig: {0}, {1} Dateien (TEST)\"\n"
      "msgid \"Cleaning HD:\"\nmsgstr \"Bereinige:\"\n"
      "msgid \"Cleaning HD: {0}\"\nmsgstr \"Bereinige: {0}\"\n"
      "msgid \"{0} of {1}\"\nmsgstr \"\"\n");
  EXPECT_EQ(catalogue.Translate("Ready to clean drive C: [DRIVE_C]"), "Bereit, Laufwerk C: [DRIVE_C] zu bereinigen");
  // A translation may put the values in another order.
  EXPECT_EQ(catalogue.Translate("Done: 1,234 KB, 5 files cleaned"), "Fertig: 5 Dateien, 1,234 KB");
  // The entry with the most fixed text wins when several fit.
  EXPECT_EQ(catalogue.Translate("Done: 12 KB, 5 files cleaned (TEST)"), "Fertig: 12 KB, 5 Dateien (TEST)");
  // An exact entry before any pattern; a placeholder never stands for nothing.
  EXPECT_EQ(catalogue.Translate("Cleaning HD:"), "Bereinige:");
  EXPECT_EQ(catalogue.Translate("Cleaning HD: C:\\TEMP"), "Bereinige: C:\\TEMP");
  EXPECT_EQ(catalogue.Translate("Ready to clean drive "), "Ready to clean drive ");
  // No fitting entry, or only an untranslated one: the English text.
  EXPECT_EQ(catalogue.Translate("Done: nothing"), "Done: nothing");
  EXPECT_EQ(catalogue.Translate("3 of 4"), "3 of 4");
}

TEST(ComposedTexts, PlaceholdersAreReadAndFilledByNumber) {
  EXPECT_EQ(PlaceholdersOf("{1} and {0}, not {x} nor {}"), (std::vector<int>{1, 0}));
  EXPECT_EQ(FillPlaceholders("{1} vor {0} und {2}", {"a", "b"}), "b vor a und {2}");
}

std::optional<std::string> From(std::map<std::string, std::string> variables, const char* name) {
  const auto found = variables.find(name);
  if (found == variables.end()) return std::nullopt;
  return found->second;
}

std::string LocaleFor(std::map<std::string, std::string> variables) {
  return MessagesLocale([&](const char* name) { return From(variables, name); });
}

TEST(LanguageChoice, TakesLcAllThenLcMessagesThenLang) {
  EXPECT_EQ(LocaleFor({{"LC_ALL", "fr_FR.UTF-8"}, {"LC_MESSAGES", "de_DE.UTF-8"}, {"LANG", "es_ES"}}), "fr_FR.UTF-8");
  EXPECT_EQ(LocaleFor({{"LC_MESSAGES", "de_DE.UTF-8"}, {"LANG", "es_ES"}}), "de_DE.UTF-8");
  EXPECT_EQ(LocaleFor({{"LANG", "es_ES"}}), "es_ES");
  // Set but empty is as good as unset.
  EXPECT_EQ(LocaleFor({{"LC_ALL", ""}, {"LC_MESSAGES", ""}, {"LANG", "de_AT"}}), "de_AT");
  EXPECT_EQ(LocaleFor({}), "");
  // LC_ALL=C decides English though LANG names German.
  EXPECT_TRUE(CatalogueFileNames(LocaleFor({{"LC_ALL", "C"}, {"LANG", "de_DE.UTF-8"}})).empty());
}

TEST(LanguageChoice, NamesTheCatalogueFilesMostSpecificFirst) {
  EXPECT_EQ(CatalogueFileNames("de_DE.UTF-8@euro"), (std::vector<std::string>{"de_DE.po", "de.po"}));
  EXPECT_EQ(CatalogueFileNames("de_CH"), (std::vector<std::string>{"de_CH.po", "de.po"}));
  EXPECT_EQ(CatalogueFileNames("de"), (std::vector<std::string>{"de.po"}));
  for (const char* english : {"", "C", "POSIX", "C.UTF-8", "POSIX@x"}) {
    EXPECT_TRUE(CatalogueFileNames(english).empty()) << english;
  }
  // A name that would reach outside the locale folder is no language.
  EXPECT_TRUE(CatalogueFileNames("../../etc/x").empty());
  EXPECT_TRUE(CatalogueFileNames("de/../x_Y").empty());
}

}  // namespace
}  // namespace tidewell::i18n
