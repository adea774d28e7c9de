#include "ui/rich_text.h"

#include <gtest/gtest.h>

#include "platform/utf8.h"

namespace tidewell::ui {
namespace {

// The body of the converted document, without the wrapper.
std::string Body(std::string_view rtf) {
  const std::string html = RtfToHtml(rtf);
  const std::size_t start = html.find('>', html.find("<body")) + 1;
  return html.substr(start, html.rfind("</body>") - start);
}

TEST(RtfToHtml, SkipsTablesAndIgnorableDestinations) {
  EXPECT_EQ(Body("{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}}{\\colortbl;\\red255\\green0\\blue0;}"
                 "{\\stylesheet{\\s0 Normal;}}{\\info{\\title Secret}}{\\*\\generator Writer;}"
                 "\\f0\\fs20 Deleted 3 files\\par}"),
            "Deleted 3 files<br />");
}

TEST(RtfToHtml, FormattingFollowsGroupsAndSwitchesAndNests) {
  EXPECT_EQ(Body("{\\rtf1 a\\b bold\\b0  b{\\i it\\ul both}c\\ul u\\ulnone\\b\\i x\\plain d}"),
            "a<b>bold</b> b<i>it<u>both</u></i>c<u>u</u><b><i>x</i></b>d");
}

TEST(RtfToHtml, BreaksTabsEscapesAndCodePage) {
  EXPECT_EQ(Body("{\\rtf1 one\\par\r\ntwo\\line three\\tab four\\\nfive}"),
            "one<br />two<br />three\tfour<br />five");
  EXPECT_EQ(Body("{\\rtf1 \\{x\\} \\\\ caf\\'e9 \\'80 \\'93q\\'94 na\xEFve}"),
            "{x} \\ caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D na\xC3\xAFve");
  EXPECT_EQ(Body("{\\rtf1 <script>&\"}"), "&lt;script&gt;&amp;&quot;");
}

TEST(RtfToHtml, UnicodeSkipsItsFallbackCharacters) {
  EXPECT_EQ(Body("{\\rtf1 \\u8364?x \\u8364\\'80y}"), "\xE2\x82\xAC" "x \xE2\x82\xAC" "y");
  EXPECT_EQ(Body("{\\rtf1\\uc2 \\u8364??x\\uc0\\u233 y}"), "\xE2\x82\xAC" "x\xC3\xA9y");
  // Negative values and surrogate pairs: U+FFFD is -3, U+1F600 is two units.
  EXPECT_EQ(Body("{\\rtf1 \\u-3?\\u-10179?\\u-8704?}"), "\xEF\xBF\xBD\xF0\x9F\x98\x80");
}

TEST(RtfToHtml, BinaryDataAndBrokenInputDoNoHarm) {
  EXPECT_EQ(Body("{\\rtf1 a{\\bin3 }{x}{\\b b}"), "a<b>b</b>");
  EXPECT_EQ(Body("}}{\\rtf1 {\\b x"), "<b>x</b>");
  EXPECT_EQ(Body("{\\rtf1 end\\"), "end");
}

TEST(RecordText, RtfHeaderLineEndsAndEncodings) {
  EXPECT_TRUE(LooksLikeRtf("\xEF\xBB\xBF{\\rtf1}"));
  EXPECT_FALSE(LooksLikeRtf(" {\\rtf1}"));
  EXPECT_EQ(PlainTextToUtf8("a\r\nb\rc\nd\r\n\r\ne"), "a\nb\nc\nd\n\ne");
  EXPECT_EQ(PlainTextToUtf8("\xEF\xBB\xBF" "caf\xC3\xA9"), "caf\xC3\xA9");
  EXPECT_EQ(PlainTextToUtf8("caf\xE9 \x80\x81"), "caf\xC3\xA9 \xE2\x82\xAC\xC2\x81");
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
  EXPECT_FALSE(IsValidUtf8("\xE2\x82"));          // cut short
  EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x98\x80"));
}

}  // namespace
}  // namespace tidewell::ui
