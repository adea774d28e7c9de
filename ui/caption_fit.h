// Keeping captions whole in a fixed layout, the part both front ends share.
// The layouts' widths were measured with the fonts they name; where the
// system substitutes a wider font, a caption is drawn a little smaller
// rather than cut off: a quarter point smaller at a time, never below
// kSmallestCaptionPoints. Each front end measures with its own toolkit
// (ui/qt/caption_fit.h, ui/win32/caption_fit.h) and asks this loop for the
// size.
#pragma once

#include <functional>

namespace tidewell::ui {

// The smallest size a caption is shrunk to, in points.
inline constexpr double kSmallestCaptionPoints = 6.0;
// How much smaller each try is, in points.
inline constexpr double kCaptionStepPoints = 0.25;

// The size a caption that does not fit at `points` is drawn at: the first of
// points - 0.25, points - 0.5, ... at which `fitsAt` says it fits, or the
// last one tried before the next would go below kSmallestCaptionPoints (the
// caption then stays as small as allowed, though still too wide). `fitsAt`
// is called once per size tried, largest first, and may apply the size as
// it measures. Returns `points` itself when even one step is not allowed.
double ShrunkCaptionPoints(double points, const std::function<bool(double)>& fitsAt);

}  // namespace tidewell::ui
