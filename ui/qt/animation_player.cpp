#include "ui/qt/animation_player.h"

#include <QFile>
#include <QPainter>
#include <algorithm>
#include <cstring>
#include <optional>

#include "media/avi_clip.h"

namespace tidewell::ui {

namespace {

QImage ToImage(const media::AviClip& clip, const std::vector<std::uint32_t>& picture) {
  QImage image(clip.width, clip.height, QImage::Format_ARGB32);
  const std::size_t rowBytes = static_cast<std::size_t>(clip.width) * sizeof(std::uint32_t);
  for (int row = 0; row < clip.height; ++row) {
    // Format_ARGB32 stores each pixel as one 0xAARRGGBB word, as the clip does.
    std::memcpy(image.scanLine(row), picture.data() + static_cast<std::size_t>(row) * clip.width, rowBytes);
  }
  return image;
}

}  // namespace

AnimationPlayer::AnimationPlayer(QWidget* parent) : QWidget(parent) {
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, &AnimationPlayer::ShowNextFrame);
}

bool AnimationPlayer::Open(const QString& hostPath) {
  timer_.stop();
  frames_.clear();
  current_ = 0;
  // The reason a clip cannot be read is of no use to the user: the
  // animation is decoration, so a bad clip just shows nothing.
  const std::optional<media::AviClip> clip = media::ReadAviClip(QFile::encodeName(hostPath).toStdString(), nullptr);
  if (clip) {
    frames_.reserve(clip->frames.size());
    for (const std::vector<std::uint32_t>& picture : clip->frames) frames_.push_back(ToImage(*clip, picture));
    timer_.setInterval(std::max(1, clip->frameMicroseconds / 1000));
  }
  update();
  return clip.has_value();
}

void AnimationPlayer::Play() {
  if (frames_.empty() || timer_.isActive()) return;
  timer_.start();
}

void AnimationPlayer::Stop() {
  if (frames_.empty()) return;
  timer_.stop();
  current_ = 0;
  update();
}

QSize AnimationPlayer::sizeHint() const {
  return frames_.empty() ? QWidget::sizeHint() : frames_.front().size();
}

void AnimationPlayer::ShowNextFrame() {
  if (frames_.empty()) return;
  current_ = (current_ + 1) % FrameCount();
  update();
}

void AnimationPlayer::paintEvent(QPaintEvent*) {
  if (frames_.empty()) return;
  QPainter painter(this);
  painter.drawImage(rect(), frames_[static_cast<std::size_t>(current_)]);
}

}  // namespace tidewell::ui
