#include "ui/qt/caption_fit.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWidget>

namespace tidewell::ui {
namespace {

// The width a check box draws its caption in: its own width less the box
// and the gap after it.
int CheckBoxCaptionWidth(const QCheckBox& box) {
  QStyleOptionButton option;
  option.initFrom(&box);
  option.text = box.text();
  return box.style()->subElementRect(QStyle::SE_CheckBoxContents, &option, &box).width();
}

}  // namespace

bool CaptionFits(const QWidget& widget) {
  if (const auto* box = qobject_cast<const QCheckBox*>(&widget)) {
    const int needed = box->fontMetrics().size(Qt::TextShowMnemonic, box->text()).width();
    return needed <= CheckBoxCaptionWidth(*box);
  }
  const QSize needed = widget.sizeHint();
  if (needed.width() > widget.width()) return false;
  // A caption of one line is centred in its height and at worst loses a
  // pixel of its face's line spacing; one of several lines starts at the top
  // and loses its last line.
  const auto* label = qobject_cast<const QLabel*>(&widget);
  const bool severalLines = label != nullptr && label->text().contains(QLatin1Char('\n'));
  return !severalLines || needed.height() <= widget.height();
}

void FitCaption(QWidget& widget) {
  if (CaptionFits(widget)) return;
  QFont font = widget.font();
  double points = font.pointSizeF();
  if (points <= 0) points = font.pixelSize() * 72.0 / widget.logicalDpiY();
  ShrunkCaptionPoints(points, [&](double size) {
    font.setPointSizeF(size);
    widget.setFont(font);
    return CaptionFits(widget);
  });
}

}  // namespace tidewell::ui
