#include "settings/category_warnings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <vector>

namespace tidewell {
namespace {

using enum CategoryId;

std::string Lowered(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

// The category warnings followed by the Select All warning.
std::vector<const CategoryWarning*> AllWarnings() {
  std::vector<const CategoryWarning*> warnings;
  for (const Category& category : Categories()) warnings.push_back(WarningFor(category.id));
  warnings.push_back(&SelectAllWarning());
  return warnings;
}

TEST(CategoryWarnings, TextJoinsParagraphsWithTwoCarriageReturns) {
  const std::string_view three[] = {"One.", "Two lines\rin one.", "Three."};
  EXPECT_EQ((CategoryWarning{"t", three}.Text()), "One.\r\rTwo lines\rin one.\r\rThree.");
  const std::string_view one[] = {"Only."};
  EXPECT_EQ((CategoryWarning{"t", one}.Text()), "Only.");
  EXPECT_EQ((CategoryWarning{"t", {}}.Text()), "");
}

TEST(CategoryWarnings, TitlesBelongToTheirOwnCategory) {
  // The title's first word (up to four letters) appears in the category's
  // caption: "Adobe PDFs" for "&Adobe PDF files", "System Backups" for
  // "&Windows system backups", so warnings shifted by a place show up.
  std::set<std::string_view> titles;
  for (const Category& category : Categories()) {
    ASSERT_NE(WarningFor(category.id), nullptr) << category.settingsName;
    EXPECT_TRUE(titles.insert(WarningFor(category.id)->title).second);
    const std::string title = Lowered(WarningFor(category.id)->title);
    const std::string stem = title.substr(0, std::min(title.find(' '), std::size_t{4}));
    std::string caption = Lowered(category.caption);
    std::erase(caption, '&');
    EXPECT_NE(caption.find(stem), std::string::npos) << title << " / " << category.caption;
  }
}

TEST(CategoryWarnings, ParagraphsAreCleanSentences) {
  for (const CategoryWarning* warning : AllWarnings()) {
    ASSERT_FALSE(warning->paragraphs.empty()) << warning->title;
    for (std::string_view paragraph : warning->paragraphs) {
      ASSERT_FALSE(paragraph.empty()) << warning->title;
      EXPECT_NE(paragraph.front(), ' ') << paragraph;
      EXPECT_NE(paragraph.back(), ' ') << paragraph;
      EXPECT_EQ(paragraph.find("\r\r"), std::string_view::npos) << paragraph;
      EXPECT_EQ(paragraph.find('\n'), std::string_view::npos) << paragraph;
      EXPECT_EQ(paragraph.find("  "), std::string_view::npos) << paragraph;
    }
  }
  // Category paragraphs are whole sentences on one line: a cut-off one shows.
  for (const Category& category : Categories()) {
    for (std::string_view paragraph : WarningFor(category.id)->paragraphs) {
      EXPECT_TRUE(paragraph.ends_with('.') || paragraph.ends_with(".)")) << paragraph;
      EXPECT_EQ(paragraph.find('\r'), std::string_view::npos) << paragraph;
    }
  }
}

TEST(CategoryWarnings, EveryCategoryWarningIsCutInTheStatusBar) {
  for (const Category& category : Categories()) {
    ASSERT_NE(WarningFor(category.id), nullptr) << category.settingsName;
    const std::string text = WarningFor(category.id)->Text();
    EXPECT_GT(text.size(), 90u) << category.settingsName;
    EXPECT_EQ(WarningStatusLine(text), "WARNINGS: " + text.substr(0, 90) + " ...");
  }
  // The options have no warning of their own.
  EXPECT_EQ(WarningFor(ShowWarnings), nullptr);
  EXPECT_EQ(WarningFor(ExtraScrubbing), nullptr);
  EXPECT_EQ(WarningFor(MaintainLog), nullptr);
}

TEST(CategoryWarnings, AdobeStatusLineStopsAtTheFirstLetterOfTheThirdParagraph) {
  EXPECT_EQ(WarningStatusLine(WarningFor(Adobe)->Text()),
            "WARNINGS: All Adobe PDF files will be removed.\r\r"
            "This is normally a completely safe option to use.\r\rH ...");
  EXPECT_EQ(WarningFor(Adobe)->title, "Adobe PDFs");
}

TEST(CategoryWarnings, SelectAllIsCutAfterItsFirstParagraphAndListsThreeConditions) {
  const CategoryWarning& warning = SelectAllWarning();
  EXPECT_EQ(warning.title, "ALL files selected by Deepwash");
  ASSERT_EQ(warning.paragraphs.size(), 4u);
  const std::string_view first = warning.paragraphs[0];
  EXPECT_EQ(first.size(), 88u);
  EXPECT_EQ(WarningStatusLine(warning.Text()), "WARNINGS: " + std::string(first) + "\r\r ...");
  const std::string_view list = warning.paragraphs[2];
  EXPECT_EQ(std::ranges::count(list, '\r'), 2);
  EXPECT_TRUE(list.starts_with("1. "));
  EXPECT_NE(list.find("\r2. "), std::string_view::npos);
  EXPECT_NE(list.find("\r3. "), std::string_view::npos);
}

TEST(CategoryWarnings, SystemBackupsWarningEndsWithANote) {
  const CategoryWarning* warning = WarningFor(SysBckup);
  ASSERT_EQ(warning->paragraphs.size(), 5u);
  EXPECT_TRUE(warning->paragraphs.back().starts_with("NOTE: "));
  EXPECT_TRUE(warning->Text().starts_with("All backup files in Windows\\SYSBCKUP will"));
}

TEST(CategoryWarnings, StatusLineShowsShortTextsWhole) {
  EXPECT_EQ(WarningStatusLine(""), "WARNINGS: None.");
  const std::string ninety(90, 'x');
  EXPECT_EQ(WarningStatusLine(ninety), "WARNINGS: " + ninety);
  EXPECT_EQ(WarningStatusLine(ninety + "y"), "WARNINGS: " + ninety + " ...");
  // Carriage returns count as characters like any other.
  const std::string withReturns = std::string(86, 'x') + "\r\r\r\r";
  EXPECT_EQ(WarningStatusLine(withReturns), "WARNINGS: " + withReturns);
  EXPECT_EQ(WarningStatusLine(withReturns + "z"), "WARNINGS: " + withReturns + " ...");
}

}  // namespace
}  // namespace tidewell
