// The main window on a system without the Liberation faces: the layout's
// fonts fall to faces of the same widths, so every caption stays whole at
// the size the layout names. Fontconfig is pointed, before Qt starts, at a
// configuration that hides every Liberation face.
#include <QApplication>
#include <QCheckBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QStyle>
#include <QTest>

#include <cstdlib>
#include <fstream>

#include "settings/main_options.h"
#include "tests/support/temp_drive.h"
#include "ui/help_menu.h"
#include "ui/qt/layout_fonts.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_message_boxes.h"

using namespace tidewell;
using namespace tidewell::ui;

namespace {

// Whether the system has a face of the classic sans widths other than the
// Liberation one.
bool HasSansStandIn() {
  for (const QString& face : FamiliesFor(QStringLiteral("Arial"))) {
    if (!face.startsWith(QStringLiteral("Liberation")) && QFontDatabase::hasFamily(face)) return true;
  }
  return false;
}

// The face a font resolves to, without the foundry Qt adds in brackets when
// two foundries make a face of that name ("Nimbus Sans [urw]").
QString ResolvedFace(const QFont& font) {
  const QString family = QFontInfo(font).family();
  const qsizetype bracket = family.indexOf(QStringLiteral(" ["));
  return bracket < 0 ? family : family.left(bracket);
}

}  // namespace

class StandInFontsTest : public QObject {
  Q_OBJECT

 private slots:
  void theHiddenFacesAreGone() {
    for (const QString& face : QFontDatabase::families()) QVERIFY2(!face.startsWith(QStringLiteral("Liberation")), qPrintable(face));
  }

  // The window's fonts resolve to a stand-in of the named face's widths,
  // not to the system's default sans, and no option caption is shrunk or cut.
  void theOptionCaptionsStayWholeAtTheirSize() {
    if (!HasSansStandIn()) QSKIP("no face of Arial's widths besides Liberation Sans on this system");
    MainWindow w;
    for (QLabel* layer : w.title) layer->setText(QStringLiteral("Tidewell III"));
    w.label4->setText(QStringLiteral("Automatic Win95/98/NT4/2K HD Cleanup"));
    w.label5->setText(MessageTextForDisplay(SupportLabelText()));
    w.FitCaptions();
    const QString resolved = ResolvedFace(w.font());
    QVERIFY2(FamiliesFor(QStringLiteral("Arial")).contains(resolved), qPrintable(resolved));
    for (const RunOption option : kMainWindowOptions) {
      QCheckBox& box = *w.BoxOf(option);
      QCOMPARE(box.font().pointSizeF(), 8.25);
      const QStyle* style = box.style();
      const int needed = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, &box) +
                         style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, &box) +
                         box.fontMetrics().size(Qt::TextShowMnemonic, box.text()).width();
      QVERIFY2(needed <= box.width(), qPrintable(QStringLiteral("%1 needs %2 pixels, has %3")
                                                     .arg(box.text())
                                                     .arg(needed)
                                                     .arg(box.width())));
    }
    QCOMPARE(w.label4->font().pointSizeF(), 9.75);
    QVERIFY(w.label4->sizeHint().width() <= w.label4->width());
    // The support notice's three lines all show, the last one included,
    // whatever the stand-in's line spacing.
    QVERIFY2(w.label5->sizeHint().height() <= w.label5->height(),
             qPrintable(QStringLiteral("notice needs %1 pixels of height, has %2")
                            .arg(w.label5->sizeHint().height())
                            .arg(w.label5->height())));
  }
};

int main(int argc, char** argv) {
  testing::TempFolder folder;
  const std::string config = folder.Path() + "/fonts.conf";
  std::ofstream(config) << "<?xml version=\"1.0\"?>\n"
                           "<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n"
                           "<fontconfig>\n"
                           "  <include ignore_missing=\"yes\">/etc/fonts/fonts.conf</include>\n"
                           "  <selectfont><rejectfont><glob>*Liberation*</glob></rejectfont></selectfont>\n"
                           "</fontconfig>\n";
  setenv("FONTCONFIG_FILE", config.c_str(), 1);
  QApplication app(argc, argv);
  StandInFontsTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "stand_in_fonts_test.moc"
