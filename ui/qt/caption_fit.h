// Keeping captions whole in a fixed layout, measured with Qt's widgets
// (the shrinking itself: ui/caption_fit.h).
#pragma once

#include "ui/caption_fit.h"

class QWidget;

namespace tidewell::ui {

// Whether the widget's caption is drawn whole: for a check box, whether the
// caption's text fits the width the box leaves it (the size hint adds room
// for a focus frame that the caption does not need); for any other widget,
// whether its size hint is no wider than the widget and, for a label of
// several lines, no taller (in a face with a larger line spacing it would
// lose its last line at the bottom).
bool CaptionFits(const QWidget& widget);

// Makes the widget's font smaller, a quarter point at a time, until its
// caption fits or the font reaches kSmallestCaptionPoints. A caption that
// fits keeps its font untouched. Call it after the caption is set.
void FitCaption(QWidget& widget);

}  // namespace tidewell::ui
