// The working animation's clip: reading the AVI files a classic animation
// control plays, and writing them for the build-time media tool and tests.
//
// Readable: a RIFF AVI whose first video stream holds uncompressed 8-bit
// palettised, 24-bit or 32-bit frames, or 8-bit run-length (RLE8) frames.
// Palette changes inside the stream are applied; other streams are ignored.
// The reader never throws and never reads past the data; anything it cannot
// read, or anything too large to be an animation (over 4096 x 4096 pixels,
// over 10,000 frames, a file over 64 MiB, or frames that would decode to
// more than 32 Mi pixels in all), gives nullopt and a reason.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tidewell::media {

struct AviClip {
  int width = 0;
  int height = 0;
  // Display time of one frame: the main header's, else the one the video
  // stream's rate gives, else 100 ms when neither lies within 1 ms..10 s.
  int frameMicroseconds = 0;
  // One picture per frame, width * height colours 0xAARRGGBB (always
  // opaque), top row first.
  std::vector<std::vector<std::uint32_t>> frames;
};

inline constexpr int kMaxClipSide = 4096;
inline constexpr std::size_t kMaxClipFrames = 10000;
inline constexpr std::uintmax_t kMaxClipFileBytes = 64u << 20;
inline constexpr std::size_t kMaxClipDecodedPixels = 32u << 20;

// Reads the clip file at `hostPath`. `problem` may be null.
std::optional<AviClip> ReadAviClip(const std::string& hostPath, std::string* problem);

// Reads a clip from the bytes of an AVI file. `problem` may be null.
std::optional<AviClip> ParseAviClip(std::string_view bytes, std::string* problem);

// An AVI file of run-length (RLE8) frames: every frame is a key frame of
// width * height palette indexes, top row first. The palette holds at most
// 256 colours 0xAARRGGBB (alpha is not stored). Empty when the arguments do
// not describe a clip (sizes out of range, no frames, a frame of the wrong
// size, an index past the palette).
std::string WriteRle8Avi(int width, int height, int frameMicroseconds, const std::vector<std::uint32_t>& palette,
                         const std::vector<std::vector<std::uint8_t>>& indexedFrames);

}  // namespace tidewell::media
