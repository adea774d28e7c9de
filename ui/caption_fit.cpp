#include "ui/caption_fit.h"

#include <QFont>
#include <QWidget>

namespace tidewell::ui {
namespace {

constexpr double kStepPoints = 0.25;

}  // namespace

bool CaptionFits(const QWidget& widget) { return widget.sizeHint().width() <= widget.width(); }

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
