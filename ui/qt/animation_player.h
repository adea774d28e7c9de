// The working animation on the main window: plays an AVI clip (see
// media/avi_clip.h) in a loop, scaled to the widget, the way a classic
// animation control does. A clip that is missing or cannot be read leaves
// the widget empty and silent: Open() returns false and nothing else
// happens. Stop() shows the first frame again.
#pragma once

#include <QImage>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <vector>

namespace tidewell::ui {

class AnimationPlayer : public QWidget {
  Q_OBJECT

 public:
  explicit AnimationPlayer(QWidget* parent = nullptr);

  // Loads the clip and shows its first frame. On failure any clip open
  // before is closed and the widget shows nothing.
  bool Open(const QString& hostPath);

  // Starts the loop from the frame on show (the first, after Open or Stop).
  // Does nothing without a clip or while already playing.
  void Play();
  // Stops and shows the first frame. Does nothing without a clip.
  void Stop();

  bool IsPlaying() const { return timer_.isActive(); }
  int FrameCount() const { return static_cast<int>(frames_.size()); }
  int CurrentFrame() const { return current_; }

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void ShowNextFrame();

  std::vector<QImage> frames_;
  int current_ = 0;
  QTimer timer_;
};

}  // namespace tidewell::ui
