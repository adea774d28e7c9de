#include "media/dib_frames.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "media/riff_chunks.h"

namespace tidewell::media {

namespace {

constexpr std::uint32_t kOpaqueBlack = 0xff000000u;

std::uint32_t Opaque(unsigned red, unsigned green, unsigned blue) {
  return kOpaqueBlack | (red & 0xffu) << 16 | (green & 0xffu) << 8 | (blue & 0xffu);
}

unsigned char Byte(std::string_view data, std::size_t offset) {
  return static_cast<unsigned char>(data[offset]);
}

// Bytes in one stored row: rows are padded to a multiple of four bytes.
std::size_t RowStride(int width, int bitCount) {
  return (static_cast<std::size_t>(width) * static_cast<std::size_t>(bitCount) + 31) / 32 * 4;
}

}  // namespace

DibFrameDecoder::DibFrameDecoder(DibFormat format) : format_(std::move(format)) {
  const std::size_t pixels = static_cast<std::size_t>(format_.width) * static_cast<std::size_t>(format_.height);
  if (format_.bitCount == 8) {
    indexes_.assign(pixels, 0);
  } else {
    colours_.assign(pixels, kOpaqueBlack);
  }
}

std::optional<DibFrameDecoder> DibFrameDecoder::Create(DibFormat format, std::string* problem) {
  if (format.width <= 0 || format.height <= 0) {
    *problem = "the picture has no pixels";
    return std::nullopt;
  }
  if (format.compression == kBiRle8) {
    if (format.bitCount != 8) {
      *problem = "run-length frames with " + std::to_string(format.bitCount) + " bits per pixel";
      return std::nullopt;
    }
    if (!format.bottomUp) {
      *problem = "run-length frames stored top row first";
      return std::nullopt;
    }
  } else if (format.compression == kBiRgb) {
    if (format.bitCount != 8 && format.bitCount != 24 && format.bitCount != 32) {
      *problem = "uncompressed frames with " + std::to_string(format.bitCount) + " bits per pixel";
      return std::nullopt;
    }
  } else {
    *problem = "frames compressed as '" +
               PrintableId(format.compression) + "'";
    return std::nullopt;
  }
  if (format.bitCount == 8 && format.palette.empty()) {
    *problem = "palettised frames without a palette";
    return std::nullopt;
  }
  return DibFrameDecoder(std::move(format));
}

std::optional<std::vector<std::uint32_t>> DibFrameDecoder::Decode(std::string_view chunk, std::string* problem) {
  if (!chunk.empty()) {
    if (format_.compression == kBiRle8) {
      DrawRle8(chunk);
    } else if (!DrawUncompressed(chunk, problem)) {
      return std::nullopt;
    }
  }
  return Picture();
}

void DibFrameDecoder::ChangePalette(std::string_view chunk) {
  if (chunk.size() < 4) return;
  const std::size_t first = Byte(chunk, 0);
  const std::size_t count = Byte(chunk, 1) == 0 ? 256 : Byte(chunk, 1);
  const std::size_t held = std::min(count, (chunk.size() - 4) / 4);
  const std::size_t end = std::min<std::size_t>(first + held, 256);
  if (end > format_.palette.size()) format_.palette.resize(end, kOpaqueBlack);
  for (std::size_t entry = first; entry < end; ++entry) {
    const std::size_t at = 4 + (entry - first) * 4;
    format_.palette[entry] = Opaque(Byte(chunk, at), Byte(chunk, at + 1), Byte(chunk, at + 2));
  }
}

// Run-length 8-bit: pairs of (count, index) paint runs; a zero count starts an
// escape: 0 ends the line, 1 ends the picture, 2 moves right and up by the
// next two bytes, 3..255 is that many literal indexes padded to an even
// length. Lines count from the bottom. Pixels that fall outside the picture
// are dropped; data that ends without an end code ends the picture.
void DibFrameDecoder::DrawRle8(std::string_view data) {
  const int width = format_.width;
  const int height = format_.height;
  int x = 0;
  int lineFromBottom = 0;
  auto put = [&](std::uint8_t index) {
    if (x < width) {
      const std::size_t row = static_cast<std::size_t>(height - 1 - lineFromBottom);
      indexes_[row * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] = index;
      ++x;
    }
  };
  std::size_t at = 0;
  while (lineFromBottom < height && data.size() - at >= 2) {
    const unsigned count = Byte(data, at);
    const unsigned code = Byte(data, at + 1);
    at += 2;
    if (count > 0) {
      for (unsigned i = 0; i < count; ++i) put(static_cast<std::uint8_t>(code));
      continue;
    }
    if (code == 0) {
      x = 0;
      ++lineFromBottom;
    } else if (code == 1) {
      return;
    } else if (code == 2) {
      if (data.size() - at < 2) return;
      x = std::min(x + static_cast<int>(Byte(data, at)), width);
      lineFromBottom += Byte(data, at + 1);
      at += 2;
    } else {
      const std::size_t literal = std::min<std::size_t>(code, data.size() - at);
      for (std::size_t i = 0; i < literal; ++i) put(Byte(data, at + i));
      at += literal;
      if ((code & 1u) && at < data.size()) ++at;  // word padding
    }
  }
}

bool DibFrameDecoder::DrawUncompressed(std::string_view data, std::string* problem) {
  const std::size_t width = static_cast<std::size_t>(format_.width);
  const std::size_t height = static_cast<std::size_t>(format_.height);
  const std::size_t stride = RowStride(format_.width, format_.bitCount);
  if (data.size() / stride < height) {
    *problem = "a frame holds " + std::to_string(data.size()) + " bytes, its bitmap needs " +
               std::to_string(stride * height);
    return false;
  }
  const std::size_t bytesPerPixel = static_cast<std::size_t>(format_.bitCount) / 8;
  for (std::size_t stored = 0; stored < height; ++stored) {
    const std::size_t row = format_.bottomUp ? height - 1 - stored : stored;
    const std::size_t rowStart = stored * stride;
    for (std::size_t x = 0; x < width; ++x) {
      const std::size_t at = rowStart + x * bytesPerPixel;
      if (format_.bitCount == 8) {
        indexes_[row * width + x] = Byte(data, at);
      } else {  // blue, green, red (and an unused byte for 32 bits)
        colours_[row * width + x] = Opaque(Byte(data, at + 2), Byte(data, at + 1), Byte(data, at));
      }
    }
  }
  return true;
}

std::uint32_t DibFrameDecoder::PaletteColour(std::uint8_t index) const {
  return index < format_.palette.size() ? format_.palette[index] : kOpaqueBlack;
}

std::vector<std::uint32_t> DibFrameDecoder::Picture() const {
  if (format_.bitCount != 8) return colours_;
  std::vector<std::uint32_t> picture(indexes_.size());
  std::transform(indexes_.begin(), indexes_.end(), picture.begin(),
                 [this](std::uint8_t index) { return PaletteColour(index); });
  return picture;
}

}  // namespace tidewell::media
