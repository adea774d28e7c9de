// The look of the windows, offscreen: the "Controls" frame's border and
// caption, the shadowed title's layers, and message boxes that line values
// up with tabs.
#include <QCheckBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>

#include <optional>

#include "ui/qt/main_window.h"
#include "ui/qt/qt_message_boxes.h"
#include "ui/qt/title_layer.h"

using namespace tidewell;
using namespace tidewell::ui;

namespace {

bool IsInk(QRgb pixel) { return qGray(pixel) < 100; }

// The first row, from the top, whose pixel in `column` is not the
// background's (taken from the top row of that column).
std::optional<int> FirstLineIn(const QImage& image, int column) {
  const QRgb background = image.pixel(column, 0);
  for (int y = 1; y < image.height(); ++y) {
    if (image.pixel(column, y) != background) return y;
  }
  return std::nullopt;
}

// Where the first character of `value` lands in a label's text, in pixels
// from the text's left edge, as the label lays it out.
std::optional<qreal> TextX(const QLabel& label, const QString& value) {
  QTextDocument document;
  document.setDefaultFont(label.font());
  document.setDocumentMargin(0);
  if (label.textFormat() == Qt::RichText || (label.textFormat() == Qt::AutoText && Qt::mightBeRichText(label.text()))) {
    document.setHtml(label.text());
  } else {
    document.setPlainText(label.text());
  }
  const QTextCursor found = document.find(value);
  if (found.isNull()) return std::nullopt;
  const int position = found.selectionStart();
  const QTextBlock block = document.findBlock(position);
  const QTextLayout* layout = block.layout();
  const QRectF blockRect = document.documentLayout()->blockBoundingRect(block);
  const int inBlock = position - block.position();
  const QTextLine line = layout->lineForTextPosition(inBlock);
  return blockRect.left() - layout->boundingRect().left() + line.cursorToX(inBlock);
}

// Shows `message` in a real message box and hands the box's text label to
// `inspect` before closing it.
void InspectBox(const Message& message, const std::function<void(QLabel&)>& inspect) {
  QtMessageBoxes boxes;
  bool inspected = false;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
      inspect(*label);
      inspected = true;
    }
    box->accept();
  });
  boxes.ShowMessage(message);
  QVERIFY(inspected);
}

}  // namespace

class WindowLookTest : public QObject {
  Q_OBJECT

 private slots:
  // The frame's caption sits in its top border, and the border passes above
  // the first row of check boxes instead of through it.
  void theControlsCaptionSitsInTheBorderAboveTheFirstRow() {
    MainWindow w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QGroupBox& frame = *w.frame;
    const QImage image = frame.grab().toImage();
    const int firstRow = w.check1[1]->y();  // in the frame
    // The border's top line, right of the caption.
    const std::optional<int> border = FirstLineIn(image, image.width() - 8);
    QVERIFY(border.has_value());
    QVERIFY2(*border < firstRow, qPrintable(QStringLiteral("border at %1, first row at %2").arg(*border).arg(firstRow)));

    // The caption's ink, above the first row, left of the second column.
    const int captionRight = w.check1[2]->x() - 1;
    int inkTop = image.height();
    int inkBottom = -1;
    int inkLeft = image.width();
    int inkRight = -1;
    for (int y = 0; y < firstRow; ++y) {
      for (int x = 4; x < captionRight; ++x) {
        if (!IsInk(image.pixel(x, y))) continue;
        inkTop = std::min(inkTop, y);
        inkBottom = std::max(inkBottom, y);
        inkLeft = std::min(inkLeft, x);
        inkRight = std::max(inkRight, x);
      }
    }
    QVERIFY2(inkBottom >= 0, "no caption drawn");
    QVERIFY2(inkTop < *border && *border < inkBottom,
             qPrintable(QStringLiteral("caption from %1 to %2, border at %3").arg(inkTop).arg(inkBottom).arg(*border)));
    // The border breaks for the caption: hardly a pixel of the border's
    // colour along its row under the caption.
    const QRgb borderColour = image.pixel(image.width() - 8, *border);
    int onBorder = 0;
    for (int x = inkLeft; x <= inkRight; ++x) onBorder += image.pixel(x, *border) == borderColour ? 1 : 0;
    QVERIFY2(onBorder * 4 < inkRight - inkLeft + 1, qPrintable(QStringLiteral("%1 border pixels through the caption").arg(onBorder)));
  }

  // The three layers of the title put every letter on one spot (one pixel
  // apart, as the labels are), the bold one included, and each layer has a
  // colour of its own that shows on the window.
  void theTitleLayersKeepEveryLetterTogether() {
    MainWindow w;
    TitleLayer* layers[3];
    for (int i = 0; i < 3; ++i) {
      layers[i] = qobject_cast<TitleLayer*>(w.title[i]);
      QVERIFY(layers[i] != nullptr);
      layers[i]->setText(QStringLiteral("Tidewell III"));
    }
    QVERIFY(layers[1]->font().bold());
    QVERIFY(!layers[2]->font().bold());
    const QList<qreal> face = layers[2]->LetterPositions();
    QCOMPARE(face.size(), qsizetype{12});
    for (int i = 0; i < 2; ++i) {
      const QList<qreal> layer = layers[i]->LetterPositions();
      QCOMPARE(layer.size(), face.size());
      for (qsizetype k = 0; k < face.size(); ++k) {
        const qreal inWindow = layer[k] + layers[i]->x();
        QCOMPARE(inWindow + (2 - i), face[k] + layers[2]->x());
      }
    }
    // Drawn as a plain bold label, the last letters would drift: the bold
    // face's own advances differ from the placing ones.
    const QFontMetricsF bold(layers[1]->font());
    QVERIFY(bold.horizontalAdvance(QStringLiteral("Tidewell II")) != face.last() - face.first());

    const QColor window = w.palette().color(QPalette::Window);
    const QColor highlight = layers[0]->palette().color(QPalette::WindowText);
    const QColor shadow = layers[1]->palette().color(QPalette::WindowText);
    const QColor top = layers[2]->palette().color(QPalette::WindowText);
    QVERIFY2(std::abs(highlight.lightness() - window.lightness()) >= 32 || highlight.hue() != window.hue(),
             "the highlight does not show on the window");
    QVERIFY(shadow != top);
    QVERIFY(shadow != window);
    QVERIFY(layers[1]->sizeHint().width() <= layers[1]->width());
  }

  // In a message that lines values up with tabs every value starts at one
  // place, whatever the width of its label; its text is kept as it is.
  void tabbedValuesStartAtOneColumn() {
    const Message info{"Info",
                       "Last cleanup:\tNone\rBytes saved:\t0 <b>\rFiles deleted:\t0\r\r"
                       "Current date/time:\t12/8/2026 4:11:01 PM",
                       MessageIcon::Information, MessageButtons::Ok};
    InspectBox(info, [](QLabel& label) {
      std::vector<qreal> starts;
      for (const char* value : {"None", "0 <b>", "0", "12/8/2026"}) {
        const std::optional<qreal> x = TextX(label, QString::fromLatin1(value));
        QVERIFY2(x.has_value(), value);
        starts.push_back(*x);
      }
      for (const qreal x : starts) QCOMPARE(x, starts.front());
      const qreal labelWidth = QFontMetricsF(label.font()).horizontalAdvance(QStringLiteral("Current date/time:"));
      QVERIFY(starts.front() > labelWidth);  // right of the widest label
    });

    // A message without tabs stays plain text, line breaks and all.
    const Message plain{"Plain", "one <b>\rtwo", MessageIcon::Information, MessageButtons::Ok};
    InspectBox(plain, [](QLabel& label) { QCOMPARE(label.text(), QStringLiteral("one <b>\ntwo")); });
  }
};

QTEST_MAIN(WindowLookTest)
#include "window_look_test.moc"
