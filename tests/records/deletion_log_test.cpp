#include "records/deletion_log.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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
#ifdef _WIN32
  GTEST_SKIP() << "the FIFO and the hard link are made with POSIX calls";
#else
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
#endif
}

TEST_F(DeletionLogTest, ANameWithALineBreakStaysOneItemLine) {
  ASSERT_FALSE(log_.OpenSection(path_, "c:", RunKind::Test, kWhen));
  ASSERT_FALSE(log_.WriteItem(LogItem::DeleteFile, "c:\\x\r\n0 files DELETED\n.tmp"));
  log_.Close();
  const std::vector<std::string> lines = SplitCrLfLines(Text());
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[7], "Delete file: c:\\x^M^J0 files DELETED^J.tmp");
}

// Buffering in a test-run section: the lines reach the file whole and in
// their order, at CloseSection, at Close() and when the log is destroyed, and
// in one write whenever the buffer would overflow.
class BufferedLogTest : public DeletionLogTest {
 protected:
  static std::string Item(int number) { return "c:\\FOLDER" + std::to_string(number) + "\\junk.tmp"; }

  // Writes items 0 .. count-1 to a test-run section.
  void WriteItems(int count) {
    ASSERT_FALSE(log_.OpenSection(path_, "c:", RunKind::Test, kWhen));
    for (int i = 0; i < count; ++i) ASSERT_FALSE(log_.WriteItem(LogItem::DeleteFile, Item(i))) << i;
  }

  // Every item line of the file, in order, is "Delete file: " + Item(0 ..).
  void ExpectItemsInOrder(const std::vector<std::string>& lines, int count) {
    ASSERT_GE(lines.size(), 7u + count);
    for (int i = 0; i < count; ++i) ASSERT_EQ(lines[7 + i], "Delete file: " + Item(i)) << i;
  }

  // More than three buffers' worth of lines.
  static constexpr int kManyItems = 10000;
};

TEST_F(BufferedLogTest, AllLinesArriveInOrderAtCloseSection) {
  WriteItems(kManyItems);
  ASSERT_FALSE(log_.CloseSection("10,000"));
  const std::vector<std::string> lines = SplitCrLfLines(Text());
  ASSERT_EQ(lines.size(), 7u + kManyItems + 1);
  ExpectItemsInOrder(lines, kManyItems);
  EXPECT_EQ(lines.back(), "10,000 files DELETED");
}

TEST_F(BufferedLogTest, AllLinesArriveInOrderAtCloseAndOnDestruction) {
  WriteItems(kManyItems);
  log_.Close();
  std::vector<std::string> lines = SplitCrLfLines(Text());
  ASSERT_EQ(lines.size(), 7u + kManyItems) << "no count line after Close()";
  ExpectItemsInOrder(lines, kManyItems);
  EXPECT_TRUE(Text().ends_with("\r\n"));

  {
    DeletionLog dropped;
    ASSERT_FALSE(dropped.OpenSection(path_, "d:", RunKind::Test, kWhen));
    ASSERT_FALSE(dropped.WriteItem(LogItem::RemoveFolder, "d:\\OLD\\"));
  }
  lines = SplitCrLfLines(Text());
  EXPECT_EQ(lines.back(), "Remove folder: d:\\OLD\\") << "the destroyed log wrote its buffer";
}

// The header is on disk at once; the item lines follow in whole buffers,
// written when the next line would not fit.
TEST_F(BufferedLogTest, AFullBufferIsWrittenWholeBeforeTheLineThatOverflowsIt) {
  ASSERT_FALSE(log_.OpenSection(path_, "c:", RunKind::Test, kWhen));
  const std::size_t header = Text().size();
  const std::string line = "Delete file: " + Item(0) + "\r\n";
  const std::size_t fitting = DeletionLog::kTestRunBufferBytes / line.size();
  for (std::size_t i = 0; i < fitting; ++i) ASSERT_FALSE(log_.WriteItem(LogItem::DeleteFile, Item(0)));
  EXPECT_EQ(Text().size(), header) << "the lines wait while the buffer has room";

  ASSERT_FALSE(log_.WriteItem(LogItem::DeleteFile, Item(1)));
  const std::string text = Text();
  EXPECT_EQ(text.size(), header + fitting * line.size()) << "exactly the full buffer was written";
  EXPECT_EQ(text.find(Item(1)), std::string::npos) << "the overflowing line waits for the next buffer";

  ASSERT_FALSE(log_.CloseSection("1"));
  const std::vector<std::string> lines = SplitCrLfLines(Text());
  ASSERT_EQ(lines.size(), 7u + fitting + 2);
  EXPECT_EQ(lines[lines.size() - 2], "Delete file: " + Item(1));
}

// A path thousands of folders deep makes a line larger than the buffer; it
// is written on its own, between the lines before and after it.
TEST_F(BufferedLogTest, ALineLargerThanTheBufferKeepsItsPlace) {
  std::string deep = "c:";
  while (deep.size() <= DeletionLog::kTestRunBufferBytes) deep += "\\FOLDER";
  deep += "\\";
  ASSERT_FALSE(log_.OpenSection(path_, "c:", RunKind::Test, kWhen));
  ASSERT_FALSE(log_.WriteItem(LogItem::DeleteFile, "c:\\before.tmp"));
  ASSERT_FALSE(log_.WriteItem(LogItem::RemoveFolder, deep));
  ASSERT_FALSE(log_.WriteItem(LogItem::DeleteFile, "c:\\after.tmp"));
  ASSERT_FALSE(log_.CloseSection("3"));
  const std::vector<std::string> lines = SplitCrLfLines(Text());
  ASSERT_EQ(lines.size(), 11u);
  EXPECT_EQ(lines[7], "Delete file: c:\\before.tmp");
  EXPECT_EQ(lines[8], "Remove folder: " + deep);
  EXPECT_EQ(lines[9], "Delete file: c:\\after.tmp");
}

// A destructive run deletes the next file only after the line of the last
// one is in the file.
TEST_F(BufferedLogTest, ADestructiveLineIsInTheFileWhenWriteItemReturns) {
  ASSERT_FALSE(log_.OpenSection(path_, "c:", RunKind::Destructive, kWhen));
  for (int i = 0; i < 3; ++i) {
    ASSERT_FALSE(log_.WriteItem(LogItem::DeleteFile, Item(i)));
    const std::vector<std::string> lines = SplitCrLfLines(Text());
    ASSERT_EQ(lines.size(), 6u + i + 1);
    EXPECT_EQ(lines.back(), "Delete file: " + Item(i));
  }
}

// A file size limit stands in for a full disk (no mount needed): the write
// of a buffer fails part-way. WriteItem reports it, and the file keeps the
// lines before that buffer, whole, and none of the buffer.
TEST_F(BufferedLogTest, AFailedFlushIsReportedByWriteItemAndLeavesNoTornLine) {
#ifdef _WIN32
  GTEST_SKIP() << "a file size limit (RLIMIT_FSIZE) stands in for a full disk, POSIX only";
#else
  ASSERT_FALSE(log_.OpenSection(path_, "c:", RunKind::Test, kWhen));
  const std::size_t header = Text().size();
  struct rlimit old {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  struct sigaction ignore {}, previous {};
  ignore.sa_handler = SIG_IGN;
  ASSERT_EQ(sigaction(SIGXFSZ, &ignore, &previous), 0);
  struct rlimit limit = old;
  limit.rlim_cur = header + DeletionLog::kTestRunBufferBytes / 2;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);

  std::error_code failure;
  int written = 0;
  while (!failure && written < kManyItems) failure = log_.WriteItem(LogItem::DeleteFile, Item(written++));
  const std::string afterFailure = Text();
  log_.Close();  // as the abandoned drive does
  setrlimit(RLIMIT_FSIZE, &old);
  sigaction(SIGXFSZ, &previous, nullptr);

  EXPECT_EQ(failure, std::errc::file_too_large);
  EXPECT_LT(written, kManyItems) << "the failed flush was not reported";
  EXPECT_EQ(afterFailure.size(), header) << "the part of the buffer that fitted was taken back";
  EXPECT_EQ(Text(), afterFailure) << "Close() wrote lines of the failed buffer";
#endif
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
