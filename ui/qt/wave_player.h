// PlayWave's device: one sound at a time. Each Play() first closes what is
// open or playing, so a second sound cuts the first one off. A missing file,
// a file that is not a wave, or no sound device is silent, never an error.
// Built without Qt Multimedia, it plays nothing.
#pragma once

#include <QString>
#include <memory>

namespace tidewell::ui {

class WavePlayer {
 public:
  WavePlayer();
  ~WavePlayer();

  // Plays the file; with `wait` it returns only when the sound has ended.
  void Play(const QString& hostPath, bool wait);
  // Ends any sound still open or playing.
  void Close();

  // The file last played (empty after Close), for tests.
  const QString& Current() const { return current_; }

 private:
  struct Device;
  std::unique_ptr<Device> device_;
  QString current_;
};

}  // namespace tidewell::ui
