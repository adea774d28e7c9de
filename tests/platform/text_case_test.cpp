#include "platform/text_case.h"

#include <gtest/gtest.h>

namespace tidewell {
namespace {

TEST(TextCase, FoldsAsciiLettersOnly) {
  EXPECT_EQ(UpperCased("readme.txt @[`{~"), "README.TXT @[`{~");
  EXPECT_TRUE(EqualsNoCase("C:\\Windows\\Temp\\", "c:\\WINDOWS\\temp\\"));
  EXPECT_FALSE(EqualsNoCase("[", "{"));  // differ by the case bit, but are not letters
  EXPECT_FALSE(EqualsNoCase("caf\xC3\xA9", "CAF\xC3\x89"));  // UTF-8 é and É
  EXPECT_FALSE(EqualsNoCase("abc", "abcd"));
}

TEST(TextCase, EndsWithComparesTheTailOnly) {
  EXPECT_TRUE(EndsWithNoCase("Setup.EXE", ".exe"));
  EXPECT_TRUE(EndsWithNoCase("anything", ""));
  EXPECT_FALSE(EndsWithNoCase("tmp", ".tmp"));  // suffix longer than the text
  EXPECT_FALSE(EndsWithNoCase("file.tmp.bak", ".tmp"));
}

TEST(TextCase, FindLocatesFragmentAnywhere) {
  EXPECT_TRUE(FindNoCase("C:\\Program Files\\", "program files"));
  EXPECT_TRUE(FindNoCase("xyzABC", "abc"));  // at the very end
  EXPECT_TRUE(FindNoCase("aaab", "AAB"));  // after a false start
  EXPECT_TRUE(FindNoCase("", ""));  // an empty fragment is everywhere
  EXPECT_FALSE(FindNoCase("ab", "abc"));
  // The hidden-folder test of the walker: "\." right after a separator.
  EXPECT_TRUE(FindNoCase("c:\\.hidden\\", "\\."));
  EXPECT_FALSE(FindNoCase("c:\\my.files\\", "\\."));
}

}  // namespace
}  // namespace tidewell
