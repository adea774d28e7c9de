#include "platform/wildcard.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/wildcard_reference.h"

namespace tidewell::platform {
namespace {

TEST(Wildcard, StarAndStarDotStarMatchEveryName) {
  for (const char* name : {"", "README", ".profile", "a.b.c", "trailing."}) {
    EXPECT_TRUE(MatchesWildcard(name, "*")) << name;
    EXPECT_TRUE(MatchesWildcard(name, "*.*")) << name;
  }
}

TEST(Wildcard, ExtensionPatternMatchesWholeExtensionOnly) {
  EXPECT_TRUE(MatchesWildcard("a.b.tmp", "*.TMP"));
  EXPECT_TRUE(MatchesWildcard(".tmp", "*.TMP"));
  EXPECT_FALSE(MatchesWildcard("foo.tmpx", "*.TMP"));
  EXPECT_FALSE(MatchesWildcard("foo_tmp", "*.TMP"));  // "." is a literal
}

TEST(Wildcard, QuestionMarkMatchesExactlyOneCharacter) {
  EXPECT_TRUE(MatchesWildcard("draft.~ab", "*.~??"));
  EXPECT_FALSE(MatchesWildcard("draft.~a", "*.~??"));
  EXPECT_FALSE(MatchesWildcard("draft.~abc", "*.~??"));
  EXPECT_TRUE(MatchesWildcard("a.b", "a?b"));  // "?" takes a dot too
}

TEST(Wildcard, TrailingDotMatchesOnlyNamesWithoutExtension) {
  EXPECT_TRUE(MatchesWildcard("vb1234~1", "VB????~?."));
  EXPECT_FALSE(MatchesWildcard("VB1234~1.TMP", "VB????~?."));
  EXPECT_FALSE(MatchesWildcard("VB12345~1", "VB????~?."));
  EXPECT_TRUE(MatchesWildcard("a", "?."));
  EXPECT_FALSE(MatchesWildcard("ab", "?."));
  EXPECT_FALSE(MatchesWildcard("a.", "?."));
}

TEST(Wildcard, DotStarAlsoMatchesNamesWithoutExtension) {
  EXPECT_TRUE(MatchesWildcard("Setup.exe", "Setup.*"));
  EXPECT_TRUE(MatchesWildcard("SETUP", "Setup.*"));
  EXPECT_FALSE(MatchesWildcard("Setup1", "Setup.*"));
  EXPECT_TRUE(MatchesWildcard("copy of notes", "Copy of*.*"));
  EXPECT_FALSE(MatchesWildcard("Copy report.doc", "Copy of*.*"));
  EXPECT_TRUE(MatchesWildcard("st6unst", "ST?UNST.*"));
}

TEST(Wildcard, LiteralPartsAroundStarsMatchIgnoringAsciiCase) {
  EXPECT_TRUE(MatchesWildcard("Copy (2) of budget.xls", "Copy (*.*"));
  EXPECT_FALSE(MatchesWildcard("FILE0001.CHK.bak", "File*.CHK"));
  EXPECT_TRUE(MatchesWildcard("movie.mpeg", "*.MPE*"));
  EXPECT_FALSE(MatchesWildcard("mpeg", "*.MPE*"));
  EXPECT_FALSE(MatchesWildcard("\xC3\xA9t\xC3\xA9", "\xC3\x89*"));  // é is not É
}

TEST(Wildcard, StarsBackTrackWhenTheFirstChoiceFails) {
  EXPECT_TRUE(MatchesWildcard("a.TMP.TMP", "*.TMP"));
  EXPECT_TRUE(MatchesWildcard("abxab", "*ab*ab"));
  EXPECT_FALSE(MatchesWildcard("aab", "*ab*ab"));
  EXPECT_FALSE(MatchesWildcard("aXbYbZ", "a*b*c"));
}

TEST(Wildcard, HostilePatternOnLongNameGivesTheRightAnswer) {
  const std::string name(20000, 'a');
  EXPECT_FALSE(MatchesWildcard(name, "*a*a*a*a*b"));
  EXPECT_TRUE(MatchesWildcard(name + "b", "*a*a*a*a*b"));
}

// Every name of up to five characters and every pattern of up to four over
// a small alphabet (a letter in both cases, a dot, the two wildcards): the
// matcher answers as the plain table-driven one does, for every placement of
// stars, dots and endings.
TEST(Wildcard, AgreesWithThePlainMatcher) {
  auto allTexts = [](std::string_view alphabet, std::size_t longest) {
    std::vector<std::string> texts{""};
    for (std::size_t at = 0; at < texts.size(); ++at) {
      if (texts[at].size() == longest) continue;
      for (const char c : alphabet) texts.push_back(texts[at] + c);
    }
    return texts;
  };
  int disagreements = 0;
  auto check = [&](const WildcardPattern& compiled, const std::string& name, const std::string& pattern) {
    if (compiled.Matches(name) != tidewell::testing::Reference(name, pattern) && ++disagreements <= 5) {
      ADD_FAILURE() << "name \"" << name << "\", pattern \"" << pattern << "\"";
    }
  };
  const std::vector<std::string> names = allTexts("aB.", 5);
  for (const std::string& pattern : allTexts("Ab.*?", 4)) {
    const WildcardPattern compiled(pattern);
    for (const std::string& name : names) check(compiled, name, pattern);
  }
  // Longer ones, drawn with a fixed seed: several pieces between stars,
  // pieces that overlap in the name, repeats that tempt a wrong first choice.
  std::mt19937 random(27);
  auto draw = [&](std::string_view alphabet, std::size_t longest) {
    std::string text(std::uniform_int_distribution<std::size_t>(0, longest)(random), ' ');
    for (char& c : text) c = alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(random)];
    return text;
  };
  for (int round = 0; round < 4000; ++round) {
    const std::string pattern = draw("ab.**?", 10);
    const WildcardPattern compiled(pattern);
    for (int n = 0; n < 20; ++n) check(compiled, draw("abAB.", 14), pattern);
  }
  EXPECT_EQ(disagreements, 0);
}

TEST(Wildcard, EmptyPatternMatchesOnlyEmptyName) {
  EXPECT_TRUE(MatchesWildcard("", ""));
  EXPECT_FALSE(MatchesWildcard("a", ""));
}

}  // namespace
}  // namespace tidewell::platform
