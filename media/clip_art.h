// The working animation, drawn by program: bubbles rising through rolling
// water with sparkles above it, a seamless loop. Deterministic: the same
// build draws the same frames every time.
#pragma once

#include <cstdint>
#include <vector>

namespace tidewell::media {

struct IndexedClip {
  int width = 0;
  int height = 0;
  int frameMicroseconds = 0;
  std::vector<std::uint32_t> palette;                // 0xAARRGGBB, at most 256
  std::vector<std::vector<std::uint8_t>> frames;     // palette indexes, top row first
};

// 12 frames of 49 x 41 pixels at ten frames a second.
IndexedClip DrawWorkingClip();

}  // namespace tidewell::media
