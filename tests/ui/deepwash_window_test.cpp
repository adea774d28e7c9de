// The Deepwash window bound to a real selection over a store file in a
// temporary folder, offscreen: layout, clicks that store and warn, presets,
// closing, greyed values.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include <algorithm>

#include "platform/preferences_store.h"
#include "settings/category_warnings.h"
#include "settings/check_value.h"
#include "tests/support/message_recorder.h"
#include "tests/support/temp_drive.h"
#include "ui/qt/deepwash_window.h"
#include "ui/qt/twips.h"

using namespace tidewell;
using namespace tidewell::ui;

namespace {

using RecordingBoxes = testing::RecordingMessageBoxes;

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// The window and its selection over a store file that may hold Adobe's value.
struct Bench {
  explicit Bench(const char* storedAdobe = nullptr) {
    if (storedAdobe != nullptr) store.Write("Preferences", "Adobe", storedAdobe);
    selection.Create();
    window.Bind(selection);
    window.onDone = [this] { ++doneCalls; };
    window.show();
  }
  // The value the next start would load, read through a store of its own.
  int Loaded(CategoryId id) const {
    platform::PreferencesFile reader(store.Path());
    return LoadCheckValue(reader, Entry(id).settingsName, Entry(id).defaultValue);
  }
  QCheckBox* Box(CategoryId id) const { return window.findChild<QCheckBox*>(Q(Entry(id).controlName)); }
  void Press(const char* button) { QTest::mouseClick(window.findChild<QPushButton*>(button), Qt::LeftButton); }
  QString Status() const { return window.findChild<QStatusBar*>("StatusBar1")->currentMessage(); }
  void Click(CategoryId id) const { QTest::mouseClick(Box(id), Qt::LeftButton, {}, QPoint(6, 6)); }

  testing::TempFolder folder;
  platform::PreferencesFile store{folder.Path() + "/Tidewell.ini"};
  RecordingBoxes boxes;
  bool suppressEvents = false;
  DeepwashWindow window{boxes};
  DeepwashSelection selection{store, window, suppressEvents};
  int doneCalls = 0;
};

}  // namespace

class DeepwashWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void layoutFollowsTheFixedDesign() {
    Bench bench;
    DeepwashWindow& w = bench.window;
    const auto inWindow = [&](const QWidget* widget) { return QRect(widget->mapTo(&w, QPoint()), widget->size()); };
    QCOMPARE(w.objectName(), QStringLiteral("Form2"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Deepwash Controls"));
    QCOMPARE(w.minimumSize(), QSize(513, 418));
    QCOMPARE(w.maximumSize(), QSize(513, 418));
    auto* frame = w.findChild<QGroupBox*>("Frame1");
    QCOMPARE(frame->geometry(), QRect(8, 0, 497, 337));
    QCOMPARE(inWindow(w.findChild<QLabel*>("Label1")), QRect(16, 16, 481, 17));

    for (const Category& entry : CatalogueEntries()) {
      QCheckBox* box = bench.Box(entry.id);
      QVERIFY2(box != nullptr, entry.controlName.data());
      QCOMPARE(box->text(), Q(entry.caption));
      QCOMPARE(inWindow(box), ToPixels(CheckBoxRect(entry.id)));
      QCOMPARE(box->checkState(), entry.defaultValue == 1 ? Qt::Checked : Qt::Unchecked);
    }
    for (const DeepwashButton& entry : DeepwashButtons()) {
      auto* button = w.findChild<QPushButton*>(Q(entry.controlName));
      QCOMPARE(button->text(), Q(entry.caption));
      QCOMPARE(button->geometry(), ToPixels(entry.rect));
    }
    auto* status = w.findChild<QStatusBar*>("StatusBar1");
    QCOMPARE(status->toolTip(), QStringLiteral("WARNING messages are displayed here"));
    QCOMPARE(status->geometry().bottom(), w.height() - 1);

    // The focus chain, once round from the frame, meets the controls in tab order.
    const std::vector<std::string> order(DeepwashTabOrder().begin(), DeepwashTabOrder().end());
    std::vector<std::string> visited;
    QWidget* widget = frame;
    do {
      const std::string name = widget->objectName().toStdString();
      if (std::ranges::count(order, name) != 0) visited.push_back(name);
      widget = widget->nextInFocusChain();
    } while (widget != frame);
    QCOMPARE(visited, order);
  }

  void clickingACategoryStoresItAndWarnsOnce() {
    Bench bench;
    bench.Click(CategoryId::Adobe);
    QCOMPARE(bench.Box(CategoryId::Adobe)->checkState(), Qt::Checked);
    QCOMPARE(bench.Loaded(CategoryId::Adobe), 1);
    QCOMPARE(bench.boxes.messages.size(), std::size_t{1});
    QVERIFY(bench.boxes.messages[0].title.starts_with("WARNING about deleting "));
    QCOMPARE(bench.boxes.messages[0].icon, MessageIcon::Exclamation);
    // The warning's carriage returns show as blanks on the one status line.
    const QString line = Q(WarningStatusLine(WarningFor(CategoryId::Adobe)->Text()));
    QVERIFY(line.contains(QLatin1Char('\r')));
    QCOMPARE(bench.Status(), QString(line).replace(QLatin1Char('\r'), QLatin1Char(' ')));

    bench.Click(CategoryId::Adobe);
    QCOMPARE(bench.Box(CategoryId::Adobe)->checkState(), Qt::Unchecked);
    QCOMPARE(bench.Loaded(CategoryId::Adobe), 0);
    QCOMPARE(bench.Status(), QStringLiteral("WARNINGS: None."));
    QCOMPARE(bench.boxes.messages.size(), std::size_t{1});
  }

  void presetsUpdateEveryBoxAndClosingKeepsThem() {
    Bench bench;
    bench.Press("CmdAll");
    QCOMPARE(bench.boxes.messages.size(), std::size_t{1});
    for (const CategoryId id : SelectAllOrder()) {
      QCOMPARE(bench.Box(id)->checkState(), Qt::Checked);
      QCOMPARE(bench.Loaded(id), 1);
    }
    bench.Press("CmdSafest");
    for (const Category& entry : CatalogueEntries()) {
      const auto on = PresetState(Preset::Safest, entry.id);
      if (on) QCOMPARE(bench.Box(entry.id)->isChecked(), *on);
    }
    QCOMPARE(bench.boxes.messages.size(), std::size_t{1});
    bench.Press("CmdNone");
    for (const CategoryId id : SelectAllOrder()) {
      QCOMPARE(bench.Box(id)->checkState(), Qt::Unchecked);
      QCOMPARE(bench.Loaded(id), 0);
    }
    bench.Press("CmdSafest");

    // Done and the close box hide the window; the selection stays.
    bench.window.close();
    QVERIFY(bench.window.isHidden());
    bench.window.show();
    QCOMPARE(bench.Box(CategoryId::Temp)->checkState(), Qt::Checked);
    bench.Press("CmdDone");
    QVERIFY(bench.window.isHidden());
    QCOMPARE(bench.doneCalls, 2);
  }

  void greyedStoredValueShowsGreyedAndAClickChecksIt() {
    Bench bench("2");
    QCOMPARE(bench.Box(CategoryId::Adobe)->checkState(), Qt::PartiallyChecked);
    bench.Click(CategoryId::Adobe);
    QCOMPARE(bench.Box(CategoryId::Adobe)->checkState(), Qt::Checked);
    QCOMPARE(bench.Loaded(CategoryId::Adobe), 1);
    bench.Click(CategoryId::Adobe);  // no third state for the user
    QCOMPARE(bench.Box(CategoryId::Adobe)->checkState(), Qt::Unchecked);
  }
};

QTEST_MAIN(DeepwashWindowTest)
#include "deepwash_window_test.moc"
