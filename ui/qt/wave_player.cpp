#include "ui/qt/wave_player.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QUrl>

#ifdef TIDEWELL_WITH_MULTIMEDIA
#include <QSoundEffect>
#endif

namespace tidewell::ui {

struct WavePlayer::Device {
#ifdef TIDEWELL_WITH_MULTIMEDIA
  QSoundEffect effect;
#endif
};

WavePlayer::WavePlayer() : device_(std::make_unique<Device>()) {}
WavePlayer::~WavePlayer() = default;

void WavePlayer::Close() {
#ifdef TIDEWELL_WITH_MULTIMEDIA
  device_->effect.stop();
  device_->effect.setSource(QUrl());
#endif
  current_.clear();
}

void WavePlayer::Play(const QString& hostPath, bool wait) {
  Close();
  current_ = hostPath;
  if (!QFileInfo(hostPath).isFile()) return;
#ifdef TIDEWELL_WITH_MULTIMEDIA
  device_->effect.setSource(QUrl::fromLocalFile(hostPath));
  device_->effect.play();
  if (wait) {
    // A sound is short; never wait more than ten seconds for one that does
    // not load or has no device to play on.
    QElapsedTimer timer;
    timer.start();
    while ((device_->effect.isPlaying() || device_->effect.status() == QSoundEffect::Loading) &&
           timer.elapsed() < 10000) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
  }
#else
  (void)wait;
#endif
}

}  // namespace tidewell::ui
