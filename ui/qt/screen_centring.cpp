#include "ui/qt/screen_centring.h"

#include <QEvent>
#include <QGuiApplication>
#include <QObject>
#include <QScreen>
#include <QWidget>

namespace tidewell::ui {
namespace {

QRect ScreenArea(const QWidget& window) {
  const QScreen* screen = window.screen();
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->geometry() : QRect();
}

// Moves the window so that its frame, as known now, is centred. Returns the
// frame size it used.
QSize Centre(QWidget& window) {
  const QSize frame = window.frameGeometry().size();
  const QRect area = ScreenArea(window);
  if (area.isValid()) window.move(CentredFramePosition(area, frame));
  return frame;
}

// Watches one window until it has been centred with a frame around it.
class FrameWatch : public QObject {
 public:
  FrameWatch(QWidget& window, QSize centredWith) : QObject(&window), window_(window), centredWith_(centredWith) {
    window.installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != &window_) return false;
    switch (event->type()) {
      case QEvent::Show:
      case QEvent::Move:
      case QEvent::Resize:
      case QEvent::WindowActivate:
        Check();
        break;
      default:
        break;
    }
    return false;
  }

 private:
  void Check() {
    if (!window_.isVisible()) return;
    const QSize frame = window_.frameGeometry().size();
    if (frame != centredWith_) centredWith_ = Centre(window_);
    // A frame larger than the client area is the window manager's: it is
    // known for good, and nothing more needs watching.
    if (centredWith_ != window_.size()) deleteLater();
  }

  QWidget& window_;
  QSize centredWith_;
};

}  // namespace

QPoint CentredFramePosition(const QRect& area, const QSize& frame) {
  return {area.left() + (area.width() - frame.width()) / 2, area.top() + (area.height() - frame.height()) / 2};
}

void CentreOnScreen(QWidget& window) {
  // One watch per window: a second call replaces the first.
  const QObjectList children = window.children();  // deleting changes the list
  for (QObject* child : children) {
    if (auto* watch = dynamic_cast<FrameWatch*>(child)) delete watch;
  }
  new FrameWatch(window, Centre(window));
}

}  // namespace tidewell::ui
