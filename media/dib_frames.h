// Turns the frame chunks of a video stream into whole pictures. The stream's
// bitmap format is checked once; then each chunk is drawn onto a canvas that
// carries over from the previous frame, because run-length frames may skip
// pixels (delta codes, lines ended early) that keep the previous frame's
// colour. Every read is bounded by the chunk; every write by the canvas.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tidewell::media {

inline constexpr std::uint32_t kBiRgb = 0;
inline constexpr std::uint32_t kBiRle8 = 1;

// The fields of a stream's bitmap header that decoding needs.
struct DibFormat {
  int width = 0;
  int height = 0;          // rows, always positive
  bool bottomUp = true;    // rows stored bottom row first (positive header height)
  int bitCount = 0;        // 8, 24 or 32
  std::uint32_t compression = kBiRgb;
  std::vector<std::uint32_t> palette;  // 0xAARRGGBB, for 8-bit formats
};

class DibFrameDecoder {
 public:
  // Checks the format; nullopt with the reason when it is not one we draw.
  static std::optional<DibFrameDecoder> Create(DibFormat format, std::string* problem);

  // Draws one frame chunk and returns the picture, top row first. An empty
  // chunk repeats the previous picture. nullopt with the reason when an
  // uncompressed chunk is shorter than its bitmap.
  std::optional<std::vector<std::uint32_t>> Decode(std::string_view chunk, std::string* problem);

  // Applies a palette-change chunk (first entry, count, flags, then red,
  // green, blue, flags per entry) to the frames that follow. Entries the
  // chunk does not hold in full are left as they were.
  void ChangePalette(std::string_view chunk);

 private:
  explicit DibFrameDecoder(DibFormat format);
  void DrawRle8(std::string_view data);
  bool DrawUncompressed(std::string_view data, std::string* problem);
  std::vector<std::uint32_t> Picture() const;
  std::uint32_t PaletteColour(std::uint8_t index) const;

  DibFormat format_;
  std::vector<std::uint8_t> indexes_;  // 8-bit canvas, top row first
  std::vector<std::uint32_t> colours_; // true-colour canvas, top row first
};

}  // namespace tidewell::media
