#include "ui/caption_fit.h"

namespace tidewell::ui {

double ShrunkCaptionPoints(double points, const std::function<bool(double)>& fitsAt) {
  while (points - kCaptionStepPoints >= kSmallestCaptionPoints) {
    points -= kCaptionStepPoints;
    if (fitsAt(points)) break;
  }
  return points;
}

}  // namespace tidewell::ui
