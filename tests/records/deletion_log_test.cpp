#include "records/deletion_log.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/text_file.h"
#include "tests/support/temp_drive.h"

namespace tidewell {
namespace {

using tidewell::testing::SplitCrLfLines;
using tidewell::testing::TempFolder;

constexpr std::string_view kWhen = "Monday, December 7, 2026 @ 6:38:31 AM";

class DeletionLogTest : public ::testing::Test {
 protected:
  std::string Text() const {
    std::string text;
    platform::ReadTextFile(path_, text);
    return text;
  }

  TempFolder folder_;
  std::string path_ = folder_.Path() + "/Tidewell.log";
  DeletionLog log_;
};

TEST_F(DeletionLogTest, TestRunSectionIsWrittenByteForByte) {
  ASSERT_FALSE(log_.OpenSection(path_, "c:", RunKind::Test, kWhen));
  EXPECT_TRUE(log_.IsOpen());
  ASSERT_FALSE(log_.WriteItem(LogItem::DeleteFile, "c:\\WINDOWS\\TEMP\\~DF12.TMP"));
  ASSERT_FALSE(log_.WriteItem(LogItem::RemoveFolder, "c:\\WINDOWS\\TEMP\\OLD\\"));
  ASSERT_FALSE(log_.CloseSection("1,234"));
  EXPECT_FALSE(log_.IsOpen());
  EXPECT_EQ(Text(),
            "\r\n"
            "TIDEWELL III LOG FILE\r\n"
            "Monday, December 7, 2026 @ 6:38:31 AM\r\n"
            "Drive C:\r\n"
            "[Results of NON-DESTRUCTIVE TEST RUN]\r\n"
            "Tidewell logged the following files for deletion,\r\n"
            "but did not actually delete any of these files:\r\n"
            "Delete file: c:\\WINDOWS\\TEMP\\~DF12.TMP\r\n"
            "Remove folder: c:\\WINDOWS\\TEMP\\OLD\\\r\n"
            "1,234 files DELETED\r\n");
}

TEST_F(DeletionLogTest, DestructiveSectionHasTwoHeaderLinesAfterTheDrive) {
  ASSERT_FALSE(log_.OpenSection(path_, "d: [DATA]", RunKind::Destructive, kWhen));
  ASSERT_FALSE(log_.CloseSection("0"));
  EXPECT_EQ(Text(),
            "\r\n"
            "TIDEWELL III LOG FILE\r\n"
            "Monday, December 7, 2026 @ 6:38:31 AM\r\n"
            "Drive D:\r\n"
            "[Results of DESTRUCTIVE run]\r\n"
            "Tidewell DELETED the following files and folders:\r\n"
            "0 files DELETED\r\n");
}

TEST_F(DeletionLogTest, SectionsAreAppendedOneAfterAnother) {
  ASSERT_FALSE(log_.OpenSection(path_, "c:", RunKind::Test, kWhen));
  ASSERT_FALSE(log_.WriteItem(LogItem::DeleteFile, "c:\\a.tmp"));
  ASSERT_FALSE(log_.CloseSection("1"));
  const std::string first = Text();
  DeletionLog another;
  ASSERT_FALSE(another.OpenSection(path_, "e:", RunKind::Destructive, kWhen));
  ASSERT_FALSE(another.CloseSection("0"));
  const std::string both = Text();
  ASSERT_EQ(both.substr(0, first.size()), first);
  const std::vector<std::string> second = SplitCrLfLines(std::string_view(both).substr(first.size()));
  ASSERT_EQ(second.size(), 7u);
  EXPECT_EQ(second[0], "");
  EXPECT_EQ(second[1], "TIDEWELL III LOG FILE");
  EXPECT_EQ(second[3], "Drive E:");
}

TEST_F(DeletionLogTest, CloseKeepsWhatWasWrittenWithoutACountLine) {
  ASSERT_FALSE(log_.OpenSection(path_, "c:", RunKind::Destructive, kWhen));
  ASSERT_FALSE(log_.WriteItem(LogItem::DeleteFile, "c:\\a.tmp"));
  log_.Close();
  EXPECT_FALSE(log_.IsOpen());
  const std::vector<std::string> lines = SplitCrLfLines(Text());
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines.back(), "Delete file: c:\\a.tmp");
  EXPECT_EQ(Text().substr(Text().size() - 2), "\r\n");
}

TEST_F(DeletionLogTest, WriteItemFailsWhenNoSectionIsOpen) {
  EXPECT_TRUE(log_.WriteItem(LogItem::DeleteFile, "c:\\a.tmp"));
  ASSERT_FALSE(log_.OpenSection(path_, "c:", RunKind::Test, kWhen));
  ASSERT_FALSE(log_.CloseSection("0"));
  EXPECT_TRUE(log_.WriteItem(LogItem::DeleteFile, "c:\\b.tmp"));
  EXPECT_EQ(Text().find("b.tmp"), std::string::npos);
}

TEST_F(DeletionLogTest, OpenSectionInAMissingFolderFailsAndLeavesNothingOpen) {
  ASSERT_FALSE(log_.OpenSection(path_, "c:", RunKind::Test, kWhen));
  EXPECT_TRUE(log_.OpenSection(folder_.Path() + "/missing/Tidewell.log", "c:", RunKind::Test, kWhen));
  EXPECT_FALSE(log_.IsOpen());
  EXPECT_TRUE(log_.WriteItem(LogItem::DeleteFile, "c:\\a.tmp"));
  struct stat st {};
  EXPECT_NE(stat((folder_.Path() + "/missing").c_str(), &st), 0);
}

// Only a regular file of the log's own is written. A FIFO is refused at
// once, with or without a reader (without one, a plain open would wait for
// ever), and a hard link to a file elsewhere is refused, leaving that file
// byte for byte as it was.
TEST_F(DeletionLogTest, OpenSectionRefusesWhatIsNotARegularFileOfItsOwn) {
  ASSERT_EQ(mkfifo(path_.c_str(), 0600), 0);
  const int reader = open(path_.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  ASSERT_EQ(log_.OpenSection(path_, "c:", RunKind::Test, kWhen), platform::TextFileError::NotARegularFile);
  char byte = 0;
  EXPECT_LE(read(reader, &byte, 1), 0) << "the header went into the pipe";
  close(reader);
  EXPECT_EQ(log_.OpenSection(path_, "c:", RunKind::Test, kWhen), platform::TextFileError::NotARegularFile)
      << "with no reader";
  EXPECT_FALSE(log_.IsOpen());
  unlink(path_.c_str());

  const std::string outside = folder_.Path() + "/someone-elses.txt";
  {
    platform::AppendFile file;
    ASSERT_FALSE(file.Open(outside));
    ASSERT_FALSE(file.Append("theirs\n"));
  }
  ASSERT_EQ(link(outside.c_str(), path_.c_str()), 0);
  const std::error_code error = log_.OpenSection(path_, "c:", RunKind::Destructive, kWhen);
  EXPECT_EQ(error, platform::TextFileError::SeveralLinks);
  EXPECT_FALSE(log_.IsOpen());
  std::string text;
  ASSERT_FALSE(platform::ReadTextFile(outside, text));
  EXPECT_EQ(text, "theirs\n");
  EXPECT_NE(error.message().find("more than one link"), std::string::npos) << error.message();
}

TEST_F(DeletionLogTest, ANameWithALineBreakStaysOneItemLine) {
  ASSERT_FALSE(log_.OpenSection(path_, "c:", RunKind::Test, kWhen));
  ASSERT_FALSE(log_.WriteItem(LogItem::DeleteFile, "c:\\x\r\n0 files DELETED\n.tmp"));
  log_.Close();
  const std::vector<std::string> lines = SplitCrLfLines(Text());
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[7], "Delete file: c:\\x^M^J0 files DELETED^J.tmp");
}

TEST(EscapedForLog, WritesControlCharactersInCaretNotation) {
  EXPECT_EQ(EscapedForLog("a\nb\rc\td\x7f" "e"), "a^Jb^Mc^Id^?e");
  EXPECT_EQ(EscapedForLog(std::string_view("\0\x1b\x1f", 3)), "^@^[^_");
}

TEST(EscapedForLog, LeavesPrintableAndHighBytesAlone) {
  const std::string text = "c:\\Caf\xC3\xA9 ~$^[x]\x80\xA0\xFF.tmp";
  EXPECT_EQ(EscapedForLog(text), text);
}

}  // namespace
}  // namespace tidewell
