// The desktop program started as a German user starts it (LANG=de_DE.UTF-8,
// LC_ALL unset), offscreen, with the shipped German catalogue beside it:
// the main window's captions, menus, tooltips and status line are German,
// none is left English where the catalogue has its German, and the German
// captions fit their controls.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMap>
#include <QMessageBox>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "i18n/translation.h"
#include "platform/locale_format.h"
#include "tests/support/message_recorder.h"
#include "tests/support/recording_feedback.h"
#include "tests/support/temp_drive.h"
#include "ui/qt/deepwash_window.h"
#include "ui/qt/desktop_program.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_message_boxes.h"

namespace fs = std::filesystem;
using namespace tidewell;
using namespace tidewell::ui;

namespace {

// The environment of a German desktop session, for one test; the suite's
// own (LC_ALL=C) comes back after it, with English.
struct GermanSession {
  GermanSession() {
    qunsetenv("LC_ALL");
    qunsetenv("LC_MESSAGES");
    qputenv("LANG", "de_DE.UTF-8");
  }
  ~GermanSession() {
    qputenv("LC_ALL", "C");
    i18n::UseCatalogue(i18n::Catalogue{});
  }
};

struct World {
  World() {
    for (const char* folder : {"/drive_c", "/program/locale", "/records", "/runtime"}) {
      fs::create_directories(base.Path() + folder);
    }
    fs::copy_file(TIDEWELL_GERMAN_CATALOGUE, base.Path() + "/program/locale/de.po");
    qputenv("TIDEWELL_DRIVES", QByteArray::fromStdString("C=" + base.Path() + "/drive_c"));
    fs::current_path(base.Path());
  }
  DesktopEnvironment Environment() {
    DesktopEnvironment environment;
    environment.programFolder = base.Path() + "/program";
    environment.recordsFolder = base.Path() + "/records";
    environment.storePath = base.Path() + "/config/Tidewell.ini";
    environment.instanceLockPath = base.Path() + "/runtime/Tidewell.lock";
    environment.endProgram = [](int status) { throw testing::ProgramEnded{status}; };
    environment.openDocument = [](const std::string&) { return true; };
    environment.locale = &platform::LocaleFormat::Classic();
    return environment;
  }
  testing::TempFolder base;
  testing::RecordingMessageBoxes boxes;
};

// Every text the main window shows a user: captions, titles, tooltips,
// menu entries, the status line.
QStringList ShownTexts(QWidget& window) {
  QStringList texts{window.windowTitle()};
  for (QWidget* widget : window.findChildren<QWidget*>()) {
    if (!widget->toolTip().isEmpty()) texts << widget->toolTip();
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) texts << button->text();
    if (auto* box = qobject_cast<QGroupBox*>(widget)) texts << box->title();
    if (auto* label = qobject_cast<QLabel*>(widget)) texts << label->text().split(QLatin1Char('\n'));
  }
  for (QMenu* menu : window.findChildren<QMenu*>()) {
    texts << menu->title();
    for (QAction* action : menu->actions()) {
      if (!action->isSeparator()) texts << action->text();
    }
  }
  return texts;
}

// The texts of `shown` that the catalogue would have translated.
QStringList LeftEnglish(const QStringList& shown) {
  QStringList english;
  for (const QString& text : shown) {
    const std::string utf8 = text.toStdString();
    if (i18n::ActiveCatalogue().Lookup(utf8) != utf8) english << text;
  }
  return english;
}

// The width a caption needs to be drawn whole (a check box as
// desktop_program_test measures it).
int NeededWidth(const QWidget& caption) {
  // A button's size hint has a floor of its own (80 pixels in most
  // styles); what must fit is its text within its margins.
  if (const auto* button = qobject_cast<const QPushButton*>(&caption)) {
    return button->fontMetrics().size(Qt::TextShowMnemonic, button->text()).width() +
           2 * button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
  }
  const auto* box = qobject_cast<const QCheckBox*>(&caption);
  if (box == nullptr) return caption.sizeHint().width();
  const QStyle* style = box->style();
  return style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, box) +
         style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, box) +
         box->fontMetrics().size(Qt::TextShowMnemonic, box->text()).width();
}

// The letter a caption's "&" marks for Alt, lower case; none for none.
QChar MnemonicOf(const QString& caption) {
  for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != QLatin1Char('&')) continue;
    if (caption[i + 1] == QLatin1Char('&')) {
      ++i;
      continue;
    }
    return caption[i + 1].toLower();
  }
  return {};
}

// The captions that share a letter with one before them.
QStringList SharedMnemonics(const QStringList& captions) {
  QStringList shared;
  QMap<QChar, QString> taken;
  for (const QString& caption : captions) {
    const QChar letter = MnemonicOf(caption);
    if (letter.isNull()) continue;
    if (taken.contains(letter)) shared << taken[letter] + QStringLiteral(" / ") + caption;
    taken[letter] = caption;
  }
  return shared;
}

}  // namespace

class GermanWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void theMainWindowSpeaksGermanUnderAGermanLang() {
    GermanSession german;
    World world;
    DesktopProgram program(world.boxes, world.Environment());
    QVERIFY(program.Start());
    MainWindow& w = program.Main();

    QCOMPARE(w.cleanButton->text(), QStringLiteral("&Bereinigen"));
    QCOMPARE(w.exitButton->text(), QStringLiteral("B&eenden"));
    QCOMPARE(w.frame->title(), QStringLiteral("Steuerung"));
    QCOMPARE(w.fileMenu->title(), QStringLiteral("&Datei"));
    QCOMPARE(w.helpMenu->actions().constFirst()->text(), QStringLiteral("&Über Tidewell"));
    QCOMPARE(w.check1[6]->text(), QStringLiteral("Nur &Testlauf"));
    QCOMPARE(w.label4->text(), QStringLiteral("Automatische Win95/98/NT4/2K-Festplattenreinigung"));
    QCOMPARE(w.cleanButton->toolTip(),
             QStringLiteral("Hier klicken, um verschwendeten Festplattenplatz zurückzugewinnen"));
    QCOMPARE(w.statusText->text(), QStringLiteral("Bereit, Laufwerk C: [DRIVE_C] zu bereinigen"));
    // Names and numbers stay as they are.
    QCOMPARE(w.title[1]->text(), QStringLiteral("Tidewell III"));

    // No text is left English where the catalogue has its German, here
    // and in the Deepwash window.
    QVERIFY(!i18n::ActiveCatalogue().Empty());
    QCOMPARE(LeftEnglish(ShownTexts(w)), QStringList());
    w.deepwashButton->click();
    DeepwashWindow& deepwash = program.Deepwash();
    QCOMPARE(deepwash.windowTitle(), QStringLiteral("Tiefenwäsche-Steuerung"));
    QCOMPARE(deepwash.findChild<QCheckBox*>(QStringLiteral("ChkRecycled"))->text(), QStringLiteral("&Papierkorb"));
    QCOMPARE(LeftEnglish(ShownTexts(deepwash)), QStringList());
    QCOMPARE(deepwash.findChildren<QCheckBox*>().size(), 38);
    // Turning a box off clears the warning line, in German.
    QCheckBox* thumbnails = deepwash.findChild<QCheckBox*>(QStringLiteral("ChkThumbnails"));
    QVERIFY(thumbnails->isChecked());
    thumbnails->click();
    QCOMPARE(deepwash.findChild<QStatusBar*>()->currentMessage(), QStringLiteral("WARNUNGEN: Keine."));
  }

  // The German captions are longer than the English ones; each still fits
  // its control (check boxes and the title shrink their font to fit).
  void theGermanCaptionsFitTheirControls() {
    GermanSession german;
    World world;
    DesktopProgram program(world.boxes, world.Environment());
    QVERIFY(program.Start());
    MainWindow& w = program.Main();
    QWidget* captions[] = {w.cleanButton, w.exitButton, w.deepwashButton, w.label4, w.check1[1], w.check1[2],
                           w.check1[3],   w.check1[4],  w.check1[5],      w.check1[6]};
    QList<QWidget*> all(std::begin(captions), std::end(captions));
    for (QPushButton* button : program.Deepwash().findChildren<QPushButton*>()) all << button;
    for (QWidget* caption : all) {
      QVERIFY2(NeededWidth(*caption) <= caption->width(),
               qPrintable(caption->objectName() + QStringLiteral(" cut: needs %1 of %2")
                                                      .arg(NeededWidth(*caption))
                                                      .arg(caption->width())));
    }
  }

  // Alt+letter reaches one control: the German marks differ among the
  // window's buttons and boxes, and among the entries of each menu.
  void eachGermanShortcutLetterIsTakenOnce() {
    GermanSession german;
    World world;
    DesktopProgram program(world.boxes, world.Environment());
    QVERIFY(program.Start());
    MainWindow& w = program.Main();
    QStringList controls = {w.cleanButton->text(), w.exitButton->text(), w.deepwashButton->text()};
    for (int i = 1; i <= 6; ++i) controls << w.check1[static_cast<std::size_t>(i)]->text();
    QCOMPARE(SharedMnemonics(controls), QStringList());
    QStringList bar;
    for (QMenu* menu : {w.fileMenu, w.viewMenu, w.optionsMenu, w.helpMenu}) {
      bar << menu->title();
      QStringList entries;
      for (QAction* action : menu->actions()) entries << action->text();
      QCOMPARE(SharedMnemonics(entries), QStringList());
    }
    QCOMPARE(SharedMnemonics(bar), QStringList());
  }

  // The Qt message box shows the German title, text and buttons; the
  // text is translated line by line, a line with no entry kept.
  void messageBoxesAreGermanLineByLine() {
    GermanSession german;
    World world;
    DesktopProgram program(world.boxes, world.Environment());  // loads the catalogue
    QtMessageBoxes boxes;
    QString title, text;
    QStringList buttons;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      title = box->windowTitle();
      text = box->text();
      for (QAbstractButton* button : box->buttons()) buttons << button->text();
      box->button(QMessageBox::No)->click();
    });
    const MessageAnswer answer =
        boxes.ShowMessage({"Delete Log", "Are you sure you want to delete the log file?\r\rC:\\X",
                           MessageIcon::Question, MessageButtons::YesNo});
    QCOMPARE(answer, MessageAnswer::No);
    QCOMPARE(title, QStringLiteral("Protokoll löschen"));
    QCOMPARE(text, QStringLiteral("Möchten Sie die Protokolldatei wirklich löschen?\n\nC:\\X"));
    buttons.sort();
    QCOMPARE(buttons, (QStringList{QStringLiteral("&Ja"), QStringLiteral("&Nein")}));
  }

  // The other way round: every text the English windows show has its
  // German (or is a name or number that stays), so a caption added without
  // its catalogue entry is caught here.
  void everyEnglishTextOfBothWindowsHasItsGerman() {
    World world;
    DesktopProgram program(world.boxes, world.Environment());  // LC_ALL=C: English
    QVERIFY(program.Start());
    program.Main().deepwashButton->click();
    QStringList shown = ShownTexts(program.Main()) + ShownTexts(program.Deepwash());
    i18n::Catalogue german;
    std::ifstream in(TIDEWELL_GERMAN_CATALOGUE, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    QVERIFY(!i18n::Catalogue::Parse(text, german).has_value());
    const QString build = program.Main().label6->text();
    const QStringList names = {QStringLiteral("Tidewell"), QStringLiteral("Tidewell III"), build,
                               QStringLiteral("Build ") + build};
    QStringList missing;
    for (const QString& english : shown) {
      const std::string utf8 = english.toStdString();
      if (english.isEmpty() || names.contains(english) || german.Has(utf8)) continue;
      if (german.Translate(utf8) == utf8) missing << english;
    }
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QStringLiteral(" | "))));
    QVERIFY(shown.size() > 100);
  }

  // With LC_ALL=C, as every other suite runs, the same program is English.
  void lcAllCKeepsTheWindowEnglish() {
    GermanSession german;
    qputenv("LC_ALL", "C");
    World world;
    DesktopProgram program(world.boxes, world.Environment());
    QVERIFY(program.Start());
    QCOMPARE(program.Main().cleanButton->text(), QStringLiteral("&Clean HD"));
    QCOMPARE(program.Main().fileMenu->title(), QStringLiteral("&File"));
    QCOMPARE(program.Main().statusText->text(), QStringLiteral("Ready to clean drive C: [DRIVE_C]"));
  }
};

QTEST_MAIN(GermanWindowTest)
#include "german_window_test.moc"
