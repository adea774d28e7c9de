// The record viewer, offscreen, on real record files in a temporary folder:
// window and text box, unreadable files, restoring, margins on resize,
// closing and making it afresh, rich text.
#include <QPointer>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include <sys/stat.h>

#include <fstream>

#include "tests/support/temp_drive.h"
#include "ui/qt/record_viewer.h"

using namespace tidewell;
using namespace tidewell::ui;

namespace {

struct Bench {
  std::string Record(const std::string& name, std::string_view bytes) const {
    const std::string path = folder.Path() + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  bool Show(const std::string& path, std::string* problem = nullptr) {
    return host.ShowRecord(path, ViewerCaption(path), problem);
  }
  QString Text() const { return host.TextBox()->toPlainText(); }

  testing::TempFolder folder;
  RecordViewerHost host;
};

// 100 twips narrower and 350 twips lower than the outer size, never negative.
QRect ExpectedTextBox(const QWidget* window) {
  const QSize outer = window->frameGeometry().size();
  return QRect(0, 0, std::max(0, outer.width() - 6), std::max(0, outer.height() - 23));
}

}  // namespace

class RecordViewerTest : public QObject {
  Q_OBJECT

 private slots:
  void showsAPlainRecordAndReplacesItOnTheNextView() {
    Bench bench;
    std::string problem;
    QVERIFY(!bench.Show(bench.folder.Path() + "/missing.log", &problem));
    QVERIFY(!problem.empty());
    QCOMPARE(bench.host.Window(), nullptr);
    const std::string log = bench.Record("tidewell.log", "first line\r\nsecond caf\xE9\rthird\n");
    QVERIFY(bench.Show(log));
    QWidget* window = bench.host.Window();
    QVERIFY(window->isVisible());
    QCOMPARE(window->objectName(), QStringLiteral("Form3"));
    QCOMPARE(window->windowTitle(), QString::fromStdString(ViewerCaption(log)));
    QCOMPARE(window->size(), QSize(313, 217));
    QTextEdit* text = bench.host.TextBox();
    QCOMPARE(text->objectName(), QStringLiteral("RichTextBox1"));
    QVERIFY(text->isReadOnly());
    QCOMPARE(text->font().family(), QStringLiteral("Times New Roman"));
    QCOMPARE(text->font().pointSize(), 12);
    QCOMPARE(bench.Text(), QString::fromUtf8("first line\nsecond caf\xC3\xA9\nthird\n"));

    // The next view, with the viewer minimised: the same window, restored.
    window->showMinimized();
    QTRY_VERIFY(window->isMinimized());
    const std::string report = bench.Record("tidewell.rpt", "Report\n");
    QVERIFY(bench.Show(report));
    QCOMPARE(bench.host.Window(), window);
    QTRY_VERIFY(!window->isMinimized());
    QCOMPARE(window->windowTitle(), QString::fromStdString(ViewerCaption(report)));
    QCOMPARE(bench.Text(), QStringLiteral("Report\n"));
  }

  // The log only grows: past what the viewer loads it still opens, on its
  // newest lines, under a first line saying what was left out. A FIFO in a
  // record's place is refused at once, never waited on.
  void aRecordOverTheLimitShowsItsNewestPartAndAFifoIsRefused() {
    Bench bench;
    const std::string path = bench.folder.Path() + "/Tidewell.log";
    std::size_t size = 0;
    {
      std::ofstream out(path, std::ios::binary);
      const std::string line = "Delete file: c:\\WINDOWS\\TEMP\\some-old-junk-file.tmp\r\n";
      out << "oldest line\r\n";
      size += 13;
      while (size < RecordViewerHost::kShownBytes + (4u << 20)) {
        out << line;
        size += line.size();
      }
      out << "newest line\r\n";
      size += 13;
    }
    std::string problem;
    QVERIFY2(bench.Show(path, &problem), problem.c_str());
    const QString text = bench.Text();
    QVERIFY(text.startsWith(QStringLiteral("[The first ")));
    const QString notice = text.left(text.indexOf(QLatin1Char('\n')));
    QVERIFY(notice.contains(QStringLiteral("left out")));
    QVERIFY(text.endsWith(QStringLiteral("\nnewest line\n")));
    QVERIFY(!text.contains(QStringLiteral("oldest line")));
    // The rest starts with a whole line, and the notice counts what is not shown.
    const QString firstShown = text.section(QLatin1Char('\n'), 1, 1);
    QVERIFY2(firstShown.startsWith(QStringLiteral("Delete file: c:\\")), qPrintable(firstShown));
    const std::size_t shown = static_cast<std::size_t>(text.size() - notice.size() - 1) +
                              static_cast<std::size_t>(text.count(QLatin1Char('\n')) - 1);  // the CRs
    QCOMPARE(notice, QStringLiteral("[The first %1 bytes of this file, its oldest entries, are left out: "
                                    "the viewer shows the last 16 MiB.]")
                         .arg(size - shown));

    const std::string fifo = bench.folder.Path() + "/Tidewell.txt";
    QCOMPARE(mkfifo(fifo.c_str(), 0600), 0);
    QVERIFY(!bench.Show(fifo, &problem));
    QVERIFY2(problem.starts_with("Not a regular file"), problem.c_str());
  }

  void textBoxKeepsItsMarginsOnEveryResize() {
    Bench bench;
    QVERIFY(bench.Show(bench.Record("a.log", "x")));
    QWidget* window = bench.host.Window();
    QCOMPARE(bench.host.TextBox()->geometry(), ExpectedTextBox(window));  // the first show
    window->resize(500, 320);
    QTRY_COMPARE(window->size(), QSize(500, 320));
    QCOMPARE(bench.host.TextBox()->geometry(), ExpectedTextBox(window));
    window->resize(20, 10);  // smaller than the margins
    QTRY_COMPARE(window->height(), 10);
    QCOMPARE(bench.host.TextBox()->geometry(), ExpectedTextBox(window));
    QCOMPARE(bench.host.TextBox()->height(), 0);
  }

  void closedViewerIsDiscardedAndMadeAfresh() {
    Bench bench;
    const std::string log = bench.Record("a.log", "old");
    QVERIFY(bench.Show(log));
    QPointer<QWidget> first = bench.host.Window();
    first->close();
    QCOMPARE(bench.host.Window(), nullptr);
    QTRY_VERIFY(first.isNull());
    QVERIFY(bench.Show(bench.Record("b.log", "new")));
    QCOMPARE(bench.Text(), QStringLiteral("new"));
    // Viewed again before the closed window is gone: a fresh one all the same.
    QPointer<QWidget> second = bench.host.Window();
    second->close();
    QVERIFY(bench.Show(log));
    QTRY_VERIFY(second.isNull());
    QVERIFY(bench.host.Window()->isVisible());
  }

  void richTextRecordIsShownFormatted() {
    Bench bench;
    QVERIFY(bench.Show(bench.Record("report.rtf",
                                    "{\\rtf1\\ansi{\\fonttbl{\\f0 Times New Roman;}}\\f0 Deleted\\tab C:\\\\TEMP\\par "
                                    "{\\b Freed 12 bytes}\\'e9\\par}")));
    QCOMPARE(bench.Text(), QString::fromUtf8("Deleted\tC:\\TEMP\nFreed 12 bytes\xC3\xA9\n"));
    QTextDocument* document = bench.host.TextBox()->document();
    QCOMPARE(document->find(QStringLiteral("Freed")).charFormat().fontWeight(), int(QFont::Bold));
    QVERIFY(document->find(QStringLiteral("Deleted")).charFormat().fontWeight() != int(QFont::Bold));
  }
};

QTEST_MAIN(RecordViewerTest)
#include "record_viewer_test.moc"
