// WriteRle8Avi: one video stream of key frames, with an index.
#include <algorithm>

#include "media/avi_clip.h"
#include "media/dib_frames.h"
#include "media/riff_chunks.h"
#include "media/rle8_encoder.h"

namespace tidewell::media {

namespace {

constexpr std::uint32_t kHasIndex = 0x10;     // main header flag
constexpr std::uint32_t kKeyFrame = 0x10;     // index entry flag
constexpr std::uint32_t kDefaultQuality = 0xffffffffu;

bool DescribesClip(int width, int height, int frameMicroseconds, const std::vector<std::uint32_t>& palette,
                   const std::vector<std::vector<std::uint8_t>>& frames) {
  if (width <= 0 || height <= 0 || width > kMaxClipSide || height > kMaxClipSide) return false;
  if (frameMicroseconds <= 0 || palette.empty() || palette.size() > 256) return false;
  if (frames.empty() || frames.size() > kMaxClipFrames) return false;
  const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  return std::all_of(frames.begin(), frames.end(), [&](const std::vector<std::uint8_t>& frame) {
    return frame.size() == pixels &&
           std::all_of(frame.begin(), frame.end(), [&](std::uint8_t index) { return index < palette.size(); });
  });
}

std::string MainHeader(int width, int height, int frameMicroseconds, std::size_t frameCount,
                       std::size_t largestFrame) {
  std::string header;
  AppendU32(&header, static_cast<std::uint32_t>(frameMicroseconds));
  const unsigned long long bytesPerSecond = largestFrame * 1'000'000ull / static_cast<unsigned>(frameMicroseconds);
  AppendU32(&header, static_cast<std::uint32_t>(std::min<unsigned long long>(bytesPerSecond, 0xffffffffu)));
  AppendU32(&header, 0);  // padding granularity
  AppendU32(&header, kHasIndex);
  AppendU32(&header, static_cast<std::uint32_t>(frameCount));
  AppendU32(&header, 0);  // initial frames
  AppendU32(&header, 1);  // streams
  AppendU32(&header, static_cast<std::uint32_t>(largestFrame));
  AppendU32(&header, static_cast<std::uint32_t>(width));
  AppendU32(&header, static_cast<std::uint32_t>(height));
  for (int reserved = 0; reserved < 4; ++reserved) AppendU32(&header, 0);
  return header;
}

std::string StreamHeader(int width, int height, int frameMicroseconds, std::size_t frameCount,
                         std::size_t largestFrame) {
  std::string header = "vids";
  AppendU32(&header, 0);  // no preferred handler
  AppendU32(&header, 0);  // flags
  AppendU16(&header, 0);  // priority
  AppendU16(&header, 0);  // language
  AppendU32(&header, 0);  // initial frames
  AppendU32(&header, static_cast<std::uint32_t>(frameMicroseconds));  // scale: rate / scale = frames a second
  AppendU32(&header, 1'000'000);                                     // rate
  AppendU32(&header, 0);  // start
  AppendU32(&header, static_cast<std::uint32_t>(frameCount));
  AppendU32(&header, static_cast<std::uint32_t>(largestFrame));
  AppendU32(&header, kDefaultQuality);
  AppendU32(&header, 0);  // sample size: frames vary
  AppendU16(&header, 0);  // frame rectangle: left, top, right, bottom
  AppendU16(&header, 0);
  AppendU16(&header, static_cast<std::uint16_t>(width));
  AppendU16(&header, static_cast<std::uint16_t>(height));
  return header;
}

std::string BitmapFormat(int width, int height, const std::vector<std::uint32_t>& palette) {
  std::string format;
  AppendU32(&format, 40);
  AppendU32(&format, static_cast<std::uint32_t>(width));
  AppendU32(&format, static_cast<std::uint32_t>(height));  // positive: bottom row first
  AppendU16(&format, 1);                                   // planes
  AppendU16(&format, 8);                                   // bits per pixel
  AppendU32(&format, kBiRle8);
  AppendU32(&format, static_cast<std::uint32_t>((width + 3) / 4 * 4 * height));  // uncompressed size
  AppendU32(&format, 0);  // pixels per metre, across and down
  AppendU32(&format, 0);
  AppendU32(&format, static_cast<std::uint32_t>(palette.size()));
  AppendU32(&format, 0);  // all colours important
  for (std::uint32_t colour : palette) AppendU32(&format, colour & 0x00ffffffu);  // blue, green, red, 0
  return format;
}

}  // namespace

std::string WriteRle8Avi(int width, int height, int frameMicroseconds, const std::vector<std::uint32_t>& palette,
                         const std::vector<std::vector<std::uint8_t>>& indexedFrames) {
  if (!DescribesClip(width, height, frameMicroseconds, palette, indexedFrames)) return {};

  std::string movieChunks;
  std::string index;
  std::size_t largestFrame = 0;
  for (const std::vector<std::uint8_t>& frame : indexedFrames) {
    const std::string encoded = EncodeRle8(width, height, frame);
    largestFrame = std::max(largestFrame, encoded.size());
    index.append("00dc");
    AppendU32(&index, kKeyFrame);
    AppendU32(&index, static_cast<std::uint32_t>(4 + movieChunks.size()));  // from the list type "movi"
    AppendU32(&index, static_cast<std::uint32_t>(encoded.size()));
    AppendChunk(&movieChunks, "00dc", encoded);
  }

  std::string streamList;
  AppendChunk(&streamList, "strh", StreamHeader(width, height, frameMicroseconds, indexedFrames.size(), largestFrame));
  AppendChunk(&streamList, "strf", BitmapFormat(width, height, palette));
  std::string headerList;
  AppendChunk(&headerList, "avih", MainHeader(width, height, frameMicroseconds, indexedFrames.size(), largestFrame));
  AppendList(&headerList, "strl", streamList);

  std::string body = "AVI ";
  AppendList(&body, "hdrl", headerList);
  AppendList(&body, "movi", movieChunks);
  AppendChunk(&body, "idx1", index);
  std::string file;
  AppendChunk(&file, "RIFF", body);
  return file;
}

}  // namespace tidewell::media
