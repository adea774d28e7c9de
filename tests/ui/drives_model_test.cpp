// Options > Drives...'s model over a real session: real folders in a
// temporary directory, a real store file, the drive table and drive list
// read afresh after each change.
#include "ui/drives_model.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "platform/virtual_file_system.h"
#include "tests/support/recording_feedback.h"
#include "tests/support/scoped_variable.h"
#include "tests/support/temp_drive.h"

namespace fs = std::filesystem;

namespace tidewell::ui {
namespace {

class QuietDeepwashView : public DeepwashView {
 public:
  void SetStatusText(std::string_view) override {}
  MessageAnswer ShowMessage(const Message&) override { return MessageAnswer::Ok; }
};

// Drive folders c, d and e in a temporary folder, the store beside them, no
// TIDEWELL_DRIVES and a Wine prefix of the fixture's own (empty unless a
// test fills it).
class DrivesModelTest : public ::testing::Test {
 protected:
  DrivesModelTest() {
    for (const char* folder : {"/c", "/d", "/e", "/program", "/records", "/config", "/prefix/dosdevices"}) {
      fs::create_directories(base_.Path() + folder);
    }
    root_ = base_.ResolvedPath();
  }

  std::string StorePath() const { return root_ + "/config/Tidewell.ini"; }
  void WriteStore(const std::string& text) { std::ofstream(StorePath(), std::ios::binary) << text; }
  std::string StoreText() const {
    std::ifstream in(StorePath(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  DrivesModel& Open() {
    session_ = std::make_unique<session::ProgramSession>(
        feedback_, feedback_, deepwashView_,
        session::SessionSetup{.programName = "tidewell",
                              .problems = problems_,
                              .storePath = StorePath(),
                              .programFolder = root_ + "/program",
                              .recordsFolder = root_ + "/records"});
    session_->Start({.tellUser = false});  // which stores the default options
    started_ = StoreText();
    model_ = std::make_unique<DrivesModel>(*session_);
    return *model_;
  }
  // The store's text once the session had started.
  const std::string& Started() const { return started_; }
  static std::string Replaced(std::string text, const std::string& what, const std::string& by) {
    const std::size_t at = text.find(what);
    return at == std::string::npos ? "<" + what + " not found>" : text.replace(at, what.size(), by);
  }
  session::ProgramSession& Session() { return *session_; }
  std::vector<std::string> Entries() { return session_->Drives().Entries(); }
  bool RootOpens(char letter) {
    platform::EntryFacts facts;
    return !session_->Files().Stat(std::string(1, letter) + ":\\", facts);
  }

  testing::TempFolder base_;
  std::string root_;
  testing::ScopedVariable noDrives_{"TIDEWELL_DRIVES", nullptr};
  testing::ScopedVariable prefix_{"WINEPREFIX", base_.Path() + "/prefix"};

 private:
  testing::RecordingFeedback feedback_;
  QuietDeepwashView deepwashView_;
  std::FILE* problems_ = std::tmpfile();
  std::unique_ptr<session::ProgramSession> session_;
  std::unique_ptr<DrivesModel> model_;
  std::string started_;
};

TEST_F(DrivesModelTest, AnAddedFolderIsInTheStoreTheTableAndTheDriveListAtOnce) {
  WriteStore("; my drives\r\n[Drives]\r\nC=" + root_ + "/c\r\n");
  DrivesModel& model = Open();
  EXPECT_EQ(model.FreeLetters().size(), 25u);
  EXPECT_FALSE(model.AddQuestion('E'));

  EXPECT_EQ(model.Add('e', root_ + "/e"), std::nullopt);

  // The comment and the line ends stay; the new line is spelled as given.
  const std::string c = "C=" + root_ + "/c\r\n";
  EXPECT_EQ(StoreText(), Replaced(Started(), c, c + "E=" + root_ + "/e\r\n"));
  EXPECT_EQ(Entries(), (std::vector<std::string>{"c: [C]", "e: [E]"}));
  EXPECT_TRUE(RootOpens('E'));
  const std::vector<session::DriveFacts> rows = model.Rows();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(DriveCells(rows[1])[0], "E:");
  EXPECT_EQ(rows[1].source, "store");
  EXPECT_TRUE(rows[1].unattended);
  EXPECT_EQ(rows[1].folder, root_ + "/e");
  EXPECT_EQ(model.FreeLetters().size(), 24u);
}

// Every refusal says why and leaves the store byte for byte as it was.
TEST_F(DrivesModelTest, AFolderThatCannotBeADriveIsRefusedWithItsReasonAndNothingWritten) {
  WriteStore("[Drives]\nC=" + root_ + "/c\n");
  std::ofstream(root_ + "/e/file.txt") << "x";
  fs::create_directory_symlink(root_ + "/c", root_ + "/link-to-c");
  DrivesModel& model = Open();

  const std::pair<char, std::string> refused[] = {
      {'C', root_ + "/d"},             // the letter is taken
      {'D', root_ + "/missing"},       // no such folder
      {'D', root_ + "/e/file.txt"},    // a file
      {'D', "d"},                      // a relative path
      {'D', ""},                       // no folder at all
      {'D', root_ + "/link-to-c"},     // the folder drive C: stands for
      {'1', root_ + "/d"},             // no drive letter
  };
  const std::string reasons[] = {"already in use", "does not exist", "is a file", "not a full path",
                                 "Choose the folder", "same folder as drive C:", "from A to Z"};
  for (std::size_t i = 0; i < std::size(refused); ++i) {
    const auto& [letter, folder] = refused[i];
    const std::optional<Message> refusal = model.AddRefusal(letter, folder);
    ASSERT_TRUE(refusal) << folder;
    EXPECT_NE(refusal->text.find(reasons[i]), std::string::npos) << refusal->text;
    EXPECT_EQ(model.Add(letter, folder)->text, refusal->text);
  }
  EXPECT_EQ(StoreText(), Started());
  EXPECT_EQ(Entries(), (std::vector<std::string>{"c: [C]"}));
}

// Only the store's drives can be removed; every spelling of the letter goes.
TEST_F(DrivesModelTest, RemovingAStoredDriveTakesEveryLineOfItsLetterAndTheDriveGoesAtOnce) {
  WriteStore("[Drives]\nC=" + root_ + "/c\nd: = " + root_ + "/d\n[Keep]\nPath=C:\\KEEP\n");
  DrivesModel& model = Open();
  ASSERT_TRUE(RootOpens('D'));

  EXPECT_EQ(model.Remove('d'), std::nullopt);

  EXPECT_EQ(StoreText(), Replaced(Started(), "d: = " + root_ + "/d\n", ""));
  EXPECT_EQ(Entries(), (std::vector<std::string>{"c: [C]"}));
  EXPECT_FALSE(RootOpens('D'));
  ASSERT_TRUE(model.Remove('D'));
  EXPECT_NE(model.Remove('D')->text.find("no drive D:"), std::string::npos);
}

// With the drive list on the drive that goes, it moves to C, as at start.
TEST_F(DrivesModelTest, RemovingTheSelectedDriveMovesTheListToC) {
  WriteStore("[Drives]\nC=" + root_ + "/c\nD=" + root_ + "/d\n");
  DrivesModel& model = Open();
  ASSERT_TRUE(Session().SelectDrive('D'));

  EXPECT_EQ(model.Remove('D'), std::nullopt);

  EXPECT_EQ(Session().Drives().Current(), "c: [C]");
}

// While TIDEWELL_DRIVES is set [Drives] is not read: nothing is written.
TEST_F(DrivesModelTest, DrivesOfTheEnvironmentCannotBeChangedHere) {
  testing::ScopedVariable drives("TIDEWELL_DRIVES", "C=" + root_ + "/c");
  DrivesModel& model = Open();

  ASSERT_TRUE(model.ChangesBlocked());
  EXPECT_NE(model.ChangesBlocked()->find("TIDEWELL_DRIVES"), std::string::npos);
  EXPECT_EQ(model.AddRefusal('D', root_ + "/d")->text, *model.ChangesBlocked());
  EXPECT_TRUE(model.Add('D', root_ + "/d"));
  EXPECT_TRUE(model.Remove('C'));
  EXPECT_EQ(StoreText(), Started());
  EXPECT_EQ(Entries(), (std::vector<std::string>{"c: [C]"}));
}

// Drives found in a Wine prefix are used only while [Drives] names none:
// adding a folder asks first, and writes them too so that they stay. Found
// drives themselves cannot be removed.
TEST_F(DrivesModelTest, AddingToFoundDrivesAsksAndKeepsThemInTheStore) {
#ifdef _WIN32
  GTEST_SKIP() << "the fixture's Wine prefix is a POSIX one";
#endif
  fs::create_directory_symlink(root_ + "/c", root_ + "/prefix/dosdevices/c:");
  DrivesModel& model = Open();
  ASSERT_EQ(Entries().size(), 1u) << "found more than the fixture's prefix";
  const std::optional<Message> whyNot = model.RemoveRefusal('C');
  ASSERT_TRUE(whyNot);
  EXPECT_NE(whyNot->text.find("found on this machine (Wine prefix)"), std::string::npos);
  EXPECT_FALSE(Session().DriveIsNamed('C'));

  const std::optional<Message> question = model.AddQuestion('E');
  ASSERT_TRUE(question);
  EXPECT_EQ(question->buttons, MessageButtons::YesNo);
  EXPECT_NE(question->text.find("(C:)"), std::string::npos);
  EXPECT_EQ(model.Add('E', root_ + "/e"), std::nullopt);

  EXPECT_EQ(StoreText(), Started() + "\n[Drives]\nC=" + root_ + "/c\nE=" + root_ + "/e\n");
  EXPECT_EQ(Entries(), (std::vector<std::string>{"c: [C]", "e: [E]"}));
  EXPECT_TRUE(Session().DriveIsNamed('C'));
  EXPECT_FALSE(model.AddQuestion('F'));
}

// A store that cannot be written: the user is told which file and why, and
// the drives are what the file gives now (a folder in its place is an
// unreadable store, which names no drive, as at start).
TEST_F(DrivesModelTest, AStoreThatCannotBeWrittenIsToldAndChangesNothing) {
  WriteStore("[Drives]\nC=" + root_ + "/c\n");
  DrivesModel& model = Open();
  fs::remove(StorePath());
  fs::create_directory(StorePath());  // a folder where the file should be

  const std::optional<Message> failure = model.Add('D', root_ + "/d");

  ASSERT_TRUE(failure);
  EXPECT_NE(failure->text.find("was not added"), std::string::npos);
  EXPECT_NE(failure->text.find(StorePath()), std::string::npos);
  EXPECT_TRUE(fs::is_directory(StorePath()));
  EXPECT_TRUE(model.Rows().empty());
  EXPECT_NE(model.ChangesBlocked()->find("cannot read"), std::string::npos);
}

}  // namespace
}  // namespace tidewell::ui
