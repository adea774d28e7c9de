// The look the program's windows share, over whatever style the desktop
// gives: a frame's caption sits in the frame's border line (the border at
// half the caption's height, so the border passes above the first row of
// controls laid out under it), and a check box's caption starts close to
// its box, so captions measured for the classic dialog font fit the widths
// of the layouts.
#pragma once

class QStyle;
class QWidget;

namespace tidewell::ui {

// The gap between a check box and its caption, in pixels: with it the
// longest captions of the main window's 97-pixel boxes ("&Minimize on use")
// fit whole in the layout's 8.25 pt sans face.
inline constexpr int kCheckBoxCaptionGap = 3;

// The shared style (made once, owned by the application).
QStyle* WindowStyle();

// Gives `window` and every widget in it the shared style. Widgets added
// later keep the application's style.
void UseWindowStyle(QWidget& window);

}  // namespace tidewell::ui
