#include "ui/caption_fit.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFont>
#include <QFontMetrics>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWidget>

namespace tidewell::ui {
namespace {

constexpr double kStepPoints = 0.25;

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
  return widget.sizeHint().width() <= widget.width();
}

void FitCaption(QWidget& widget) {
  if (CaptionFits(widget)) return;
  QFont font = widget.font();
  double points = font.pointSizeF();
  if (points <= 0) points = font.pixelSize() * 72.0 / widget.logicalDpiY();
  while (!CaptionFits(widget) && points - kStepPoints >= kSmallestCaptionPoints) {
    points -= kStepPoints;
    font.setPointSizeF(points);
    widget.setFont(font);
  }
}

}  // namespace tidewell::ui
