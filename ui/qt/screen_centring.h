// Opening a top-level window centred on its screen, frame included.
//
// Under a window manager the frame (title bar and borders) exists only after
// the window has been mapped: before that a window's frame geometry is just
// its client area, so a window centred then would sit half a title bar too
// low. CentreOnScreen therefore places the window at once from what is known
// (the frame if it is known already, else the client area) and keeps
// watching the window: when its frame first turns up, or changes size while
// the window has not yet been shown with a frame, the window is centred
// again, frame included. A move of the user's never changes the frame's
// size, so it is never undone; once the window has been centred with a
// frame, the watch ends.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace tidewell::ui {

// Where the frame's top-left corner goes so that a frame of `frame` size is
// centred on `area`: each difference halved by integer division.
QPoint CentredFramePosition(const QRect& area, const QSize& frame);

// Centres `window` on the screen it is on (the primary screen when it has
// none yet) and keeps it centred until its frame is known, as above.
void CentreOnScreen(QWidget& window);

}  // namespace tidewell::ui
