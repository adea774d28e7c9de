#include "platform/wildcard.h"

#include <gtest/gtest.h>

#include <string>

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

TEST(Wildcard, EmptyPatternMatchesOnlyEmptyName) {
  EXPECT_TRUE(MatchesWildcard("", ""));
  EXPECT_FALSE(MatchesWildcard("a", ""));
}

}  // namespace
}  // namespace tidewell::platform
