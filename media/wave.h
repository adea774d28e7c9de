// Wave sounds: writing mono 16-bit PCM RIFF WAVE files for the build-time
// media tool.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tidewell::media {

// The bytes of a WAVE file holding `samples` at `sampleRate` samples a
// second, one channel, 16 bits. Empty when the rate is not positive.
std::string WritePcmWave(int sampleRate, const std::vector<std::int16_t>& samples);

}  // namespace tidewell::media
