// Options > Drives... in the window, offscreen: opened from the menu, a
// folder added under a free letter and removed again, with the table, the
// main window's drive list, "&Clean HD" and the store file following.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/support/message_recorder.h"
#include "tests/support/recording_feedback.h"
#include "tests/support/scoped_variable.h"
#include "tests/support/temp_drive.h"
#include "ui/qt/desktop_program.h"
#include "ui/qt/drives_dialog.h"
#include "ui/qt/main_window.h"
#include "ui/window_texts.h"

namespace fs = std::filesystem;
using namespace tidewell;
using namespace tidewell::ui;

namespace {

// A program started from the menu with no drive anywhere: no
// TIDEWELL_DRIVES, no store, an empty Wine prefix of its own.
struct World {
  World() {
    for (const char* folder : {"/c", "/e", "/program", "/records", "/runtime", "/prefix"}) {
      fs::create_directories(base.Path() + folder);
    }
    root = base.ResolvedPath();
    fs::current_path(base.Path());
  }
  DesktopEnvironment Environment() {
    DesktopEnvironment environment;
    environment.programFolder = root + "/program";
    environment.recordsFolder = root + "/records";
    environment.storePath = StorePath();
    environment.instanceLockPath = root + "/runtime/Tidewell.lock";
    environment.endProgram = [](int status) { throw testing::ProgramEnded{status}; };
    environment.locale = &platform::LocaleFormat::Classic();
    return environment;
  }
  std::string StorePath() const { return root + "/config/Tidewell.ini"; }
  std::string StoreText() const {
    std::ifstream in(StorePath(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  testing::TempFolder base;
  std::string root;
  testing::ScopedVariable noDrives{"TIDEWELL_DRIVES", nullptr};
  testing::ScopedVariable prefix{"WINEPREFIX", base.Path() + "/prefix"};
  testing::RecordingMessageBoxes boxes;
};

// A mounted FAT or NTFS volume on this machine would be found as a drive.
bool HostHasVolumesToFind() {
  std::ifstream mountTable("/proc/self/mountinfo");
  const std::string mounts(std::istreambuf_iterator<char>(mountTable), {});
  for (const char* type : {" vfat ", " exfat ", " ntfs ", " ntfs3 ", " msdos ", " fuse "}) {
    if (mounts.find(type) != std::string::npos) return true;
  }
  return false;
}

QStringList Column(const QTableWidget& table, int column) {
  QStringList texts;
  for (int row = 0; row < table.rowCount(); ++row) texts << table.item(row, column)->text();
  return texts;
}

QStringList ListEntries(const QComboBox& list) {
  QStringList entries;
  for (int i = 0; i < list.count(); ++i) entries << list.itemText(i);
  return entries;
}

void PressOk(AddDriveDialog& dialog) {
  dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
}

}  // namespace

class DrivesDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void aFolderAddedAndRemovedFromTheMenuReachesTheDriveListAndTheStore() {
    if (HostHasVolumesToFind()) QSKIP("a mounted volume here would be found as a drive");
    World world;
    DesktopProgram program(world.boxes, world.Environment());
    QVERIFY(program.Start());
    MainWindow& w = program.Main();
    QCOMPARE(w.driveList->count(), 0);
    QVERIFY(!w.cleanButton->isEnabled());
    QCOMPARE(w.statusText->text(), QString::fromLatin1(kNoDriveStatus));
    world.boxes.messages.clear();
    const std::string started = world.StoreText();  // the options the start stored

    QCOMPARE(w.drivesAction->text(), QStringLiteral("D&rives..."));
    w.drivesAction->trigger();
    DrivesDialog* dialog = program.Drives();
    QVERIFY(dialog != nullptr);
    QVERIFY(dialog->isVisible());
    QVERIFY(dialog->isModal());
    QCOMPARE(dialog->table->rowCount(), 0);
    QVERIFY(dialog->addButton->isEnabled());
    QVERIFY(!dialog->removeButton->isEnabled());

    // A folder that does not exist: told why, the Add dialog stays open.
    dialog->addButton->click();
    AddDriveDialog* add = dialog->OpenAddDialog();
    QVERIFY(add != nullptr);
    QCOMPARE(add->letterList->currentText(), QStringLiteral("C:"));
    QCOMPARE(add->letterList->count(), 26);
    add->folderEdit->setText(QString::fromStdString(world.root + "/missing"));
    PressOk(*add);
    QCOMPARE(world.boxes.Titles(), std::vector<std::string>{"Drives"});
    QVERIFY(world.boxes.messages[0].text.find("does not exist") != std::string::npos);
    QVERIFY(add->isVisible());
    QCOMPARE(world.StoreText(), started);

    add->letterList->setCurrentText(QStringLiteral("E:"));
    add->folderEdit->setText(QString::fromStdString(world.root + "/e"));
    PressOk(*add);
    QTRY_VERIFY(dialog->OpenAddDialog() == nullptr);
    QCOMPARE(world.boxes.messages.size(), 1u);

    QCOMPARE(Column(*dialog->table, 0), QStringList{QStringLiteral("E:")});
    QCOMPARE(Column(*dialog->table, 3), QStringList{QStringLiteral("store")});
    QCOMPARE(Column(*dialog->table, 4), QStringList{QStringLiteral("yes")});
    QCOMPARE(Column(*dialog->table, 5), QStringList{QString::fromStdString(world.root + "/e")});
    QCOMPARE(ListEntries(*w.driveList), QStringList{QStringLiteral("e: [E]")});
    QCOMPARE(w.driveList->currentText(), QStringLiteral("e: [E]"));
    QVERIFY(w.cleanButton->isEnabled());
    QCOMPARE(w.statusText->text(), QStringLiteral("Ready to clean drive E: [E]"));
    QCOMPARE(world.StoreText(), started + "\n[Drives]\nE=" + world.root + "/e\n");

    dialog->table->selectRow(0);
    QVERIFY(dialog->removeButton->isEnabled());
    dialog->removeButton->click();

    QCOMPARE(dialog->table->rowCount(), 0);
    QCOMPARE(w.driveList->count(), 0);
    QVERIFY(!w.cleanButton->isEnabled());
    QCOMPARE(w.statusText->text(), QString::fromLatin1(kNoDriveStatus));
    QCOMPARE(world.StoreText(), started + "\n[Drives]\n");
    QCOMPARE(world.boxes.messages.size(), 1u);

    dialog->closeButton->click();
    QVERIFY(!dialog->isVisible());
  }

  // TIDEWELL_DRIVES names the drives: the dialog lists them and says why
  // nothing can be added or removed here.
  void drivesOfTheEnvironmentAreListedButNotChanged() {
    World world;
    testing::ScopedVariable drives("TIDEWELL_DRIVES", "C=" + world.root + "/c");
    DesktopProgram program(world.boxes, world.Environment());
    QVERIFY(program.Start());

    program.Main().drivesAction->trigger();
    DrivesDialog* dialog = program.Drives();
    QCOMPARE(Column(*dialog->table, 0), QStringList{QStringLiteral("C:")});
    QCOMPARE(Column(*dialog->table, 3), QStringList{QStringLiteral("environment")});
    QVERIFY(!dialog->addButton->isEnabled());
    dialog->table->selectRow(0);
    QVERIFY(!dialog->removeButton->isEnabled());
    QVERIFY(!dialog->blockedNote->isHidden());
    QVERIFY(dialog->blockedNote->text().contains(QStringLiteral("TIDEWELL_DRIVES")));
  }
};

QTEST_MAIN(DrivesDialogTest)
#include "drives_dialog_test.moc"
