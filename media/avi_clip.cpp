#include "media/avi_clip.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <new>
#include <utility>

#include "media/dib_frames.h"
#include "media/riff_chunks.h"

namespace tidewell::media {

namespace {

constexpr std::size_t kMainHeaderBytes = 56;
constexpr std::size_t kStreamHeaderBytes = 48;  // through the sample size; the frame rectangle is optional
constexpr std::size_t kBitmapHeaderBytes = 40;
constexpr std::uint32_t kMinFrameMicroseconds = 1000;
constexpr std::uint32_t kMaxFrameMicroseconds = 10'000'000;
constexpr int kDefaultFrameMicroseconds = 100'000;

struct VideoStream {
  std::string chunkPrefix;  // the stream number as two hex digits: "00", "01", ...
  std::uint32_t scale = 0;  // frames per second = rate / scale
  std::uint32_t rate = 0;
  DibFormat format;
};

struct Headers {
  bool haveMainHeader = false;
  std::uint32_t microsecondsPerFrame = 0;
  std::optional<VideoStream> video;
};

std::string StreamPrefix(int streamNumber) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  return {kHex[(streamNumber >> 4) & 0xf], kHex[streamNumber & 0xf]};
}

// The bitmap header (and palette) of a video stream's format chunk.
bool ReadBitmapFormat(std::string_view strf, DibFormat* format, std::string* problem) {
  if (strf.size() < kBitmapHeaderBytes) {
    *problem = "the video format is " + std::to_string(strf.size()) + " bytes, too short for a bitmap header";
    return false;
  }
  const std::uint32_t headerBytes = ReadU32(strf, 0);
  if (headerBytes < kBitmapHeaderBytes || headerBytes > strf.size()) {
    *problem = "the bitmap header claims " + std::to_string(headerBytes) + " bytes";
    return false;
  }
  const std::int32_t width = ReadI32(strf, 4);
  const std::int32_t height = ReadI32(strf, 8);
  if (width <= 0 || height == 0) {
    *problem = "the picture is " + std::to_string(width) + " x " + std::to_string(height) + " pixels";
    return false;
  }
  if (width > kMaxClipSide || height > kMaxClipSide || height < -kMaxClipSide) {
    *problem = "the picture is " + std::to_string(width) + " x " + std::to_string(height) +
               " pixels, larger than " + std::to_string(kMaxClipSide) + " x " + std::to_string(kMaxClipSide);
    return false;
  }
  format->width = width;
  format->height = height < 0 ? -height : height;
  format->bottomUp = height > 0;
  format->bitCount = ReadU16(strf, 14);
  format->compression = ReadU32(strf, 16);
  if (format->bitCount == 8) {
    const std::uint32_t coloursUsed = ReadU32(strf, 32);
    const std::size_t wanted = (coloursUsed == 0 || coloursUsed > 256) ? 256 : coloursUsed;
    const std::size_t held = std::min(wanted, (strf.size() - headerBytes) / 4);
    format->palette.clear();
    for (std::size_t entry = 0; entry < held; ++entry) {
      const std::size_t at = headerBytes + entry * 4;  // blue, green, red, unused
      format->palette.push_back(0xff000000u | (ReadU32(strf, at) & 0x00ffffffu));
    }
  }
  return true;
}

// One stream's header list: records the first video stream.
bool ReadStreamList(std::string_view strl, int streamNumber, Headers* headers, std::string* problem) {
  std::string_view strh;
  std::string_view strf;
  ChunkCursor cursor(strl);
  RiffChunk chunk;
  while (cursor.Next(&chunk)) {
    if (chunk.id == "strh" && strh.empty()) strh = chunk.data;
    if (chunk.id == "strf" && strf.empty()) strf = chunk.data;
  }
  if (!cursor.Problem().empty()) {
    *problem = "stream header list: " + cursor.Problem();
    return false;
  }
  if (headers->video || strh.size() < 4 || strh.substr(0, 4) != "vids") return true;
  if (strh.size() < kStreamHeaderBytes) {
    *problem = "the video stream header is " + std::to_string(strh.size()) + " bytes";
    return false;
  }
  VideoStream video;
  video.chunkPrefix = StreamPrefix(streamNumber);
  video.scale = ReadU32(strh, 20);
  video.rate = ReadU32(strh, 24);
  if (!ReadBitmapFormat(strf, &video.format, problem)) return false;
  headers->video = std::move(video);
  return true;
}

bool ReadHeaderList(std::string_view hdrl, Headers* headers, std::string* problem) {
  ChunkCursor cursor(hdrl);
  RiffChunk chunk;
  int streamNumber = 0;
  while (cursor.Next(&chunk)) {
    if (chunk.id == "avih") {
      if (chunk.data.size() < kMainHeaderBytes) {
        *problem = "the main header is " + std::to_string(chunk.data.size()) + " bytes";
        return false;
      }
      headers->haveMainHeader = true;
      headers->microsecondsPerFrame = ReadU32(chunk.data, 0);
    } else if (chunk.IsList("strl")) {
      if (!ReadStreamList(chunk.ListBody(), streamNumber++, headers, problem)) return false;
    }
  }
  if (!cursor.Problem().empty()) {
    *problem = "header list: " + cursor.Problem();
    return false;
  }
  if (!headers->haveMainHeader) {
    *problem = "there is no main header";
    return false;
  }
  if (!headers->video) {
    *problem = "there is no video stream";
    return false;
  }
  return true;
}

// The main header's frame time, else the stream's rate, else ten a second.
int FrameMicroseconds(const Headers& headers) {
  auto usable = [](std::uint64_t micro) { return micro >= kMinFrameMicroseconds && micro <= kMaxFrameMicroseconds; };
  if (usable(headers.microsecondsPerFrame)) return static_cast<int>(headers.microsecondsPerFrame);
  const VideoStream& video = *headers.video;
  if (video.rate > 0) {
    const std::uint64_t micro = 1'000'000ull * video.scale / video.rate;
    if (usable(micro)) return static_cast<int>(micro);
  }
  return kDefaultFrameMicroseconds;
}

// Decodes the video stream's chunks of the movie list, in stored order,
// looking one level into "rec " lists.
bool ReadFrames(std::string_view movi, const VideoStream& video, DibFrameDecoder* decoder, AviClip* clip,
                std::string* problem) {
  const std::size_t pixelsPerFrame = static_cast<std::size_t>(clip->width) * static_cast<std::size_t>(clip->height);
  auto take = [&](const RiffChunk& chunk) {
    if (chunk.id.substr(0, 2) != video.chunkPrefix) return true;
    const std::string_view kind = chunk.id.substr(2, 2);
    if (kind == "pc") {
      decoder->ChangePalette(chunk.data);
      return true;
    }
    if (kind != "db" && kind != "dc") return true;
    if (clip->frames.size() >= kMaxClipFrames) {
      *problem = "the clip has more than " + std::to_string(kMaxClipFrames) + " frames";
      return false;
    }
    if ((clip->frames.size() + 1) * pixelsPerFrame > kMaxClipDecodedPixels) {
      *problem = "the frames would decode to more than " + std::to_string(kMaxClipDecodedPixels) + " pixels";
      return false;
    }
    std::optional<std::vector<std::uint32_t>> picture = decoder->Decode(chunk.data, problem);
    if (!picture) {
      *problem = "frame " + std::to_string(clip->frames.size()) + ": " + *problem;
      return false;
    }
    clip->frames.push_back(std::move(*picture));
    return true;
  };

  ChunkCursor cursor(movi);
  RiffChunk chunk;
  while (cursor.Next(&chunk)) {
    if (chunk.IsList("rec ")) {
      ChunkCursor inner(chunk.ListBody());
      RiffChunk part;
      while (inner.Next(&part)) {
        if (!take(part)) return false;
      }
      if (!inner.Problem().empty()) {
        *problem = "movie record: " + inner.Problem();
        return false;
      }
    } else if (!take(chunk)) {
      return false;
    }
  }
  if (!cursor.Problem().empty()) {
    *problem = "movie list: " + cursor.Problem();
    return false;
  }
  if (clip->frames.empty()) {
    *problem = "the clip has no frames";
    return false;
  }
  return true;
}

std::optional<AviClip> Parse(std::string_view bytes, std::string* problem) {
  if (bytes.size() < 12 || bytes.substr(0, 4) != "RIFF" || bytes.substr(8, 4) != "AVI ") {
    *problem = "not an AVI file";
    return std::nullopt;
  }
  const std::uint32_t riffBytes = ReadU32(bytes, 4);
  if (riffBytes < 4 || riffBytes > bytes.size() - 8) {
    *problem = "the file holds " + std::to_string(bytes.size() - 8) + " bytes after its RIFF header, which claims " +
               std::to_string(riffBytes);
    return std::nullopt;
  }

  Headers headers;
  bool haveHeaders = false;
  std::optional<std::string_view> movi;
  ChunkCursor cursor(bytes.substr(12, riffBytes - 4));
  RiffChunk chunk;
  while (cursor.Next(&chunk)) {
    if (chunk.IsList("hdrl") && !haveHeaders) {
      if (!ReadHeaderList(chunk.ListBody(), &headers, problem)) return std::nullopt;
      haveHeaders = true;
    } else if (chunk.IsList("movi") && !movi) {
      movi = chunk.ListBody();
    }
  }
  if (!cursor.Problem().empty()) {
    *problem = cursor.Problem();
    return std::nullopt;
  }
  if (!haveHeaders) {
    *problem = "there is no header list";
    return std::nullopt;
  }
  if (!movi) {
    *problem = "there is no movie list";
    return std::nullopt;
  }

  const VideoStream& video = *headers.video;
  std::optional<DibFrameDecoder> decoder = DibFrameDecoder::Create(video.format, problem);
  if (!decoder) return std::nullopt;
  AviClip clip;
  clip.width = video.format.width;
  clip.height = video.format.height;
  clip.frameMicroseconds = FrameMicroseconds(headers);
  if (!ReadFrames(*movi, video, &*decoder, &clip, problem)) return std::nullopt;
  return clip;
}

}  // namespace

std::optional<AviClip> ParseAviClip(std::string_view bytes, std::string* problem) {
  std::string reason;
  std::optional<AviClip> clip;
  try {
    clip = Parse(bytes, &reason);
  } catch (const std::bad_alloc&) {
    reason = "out of memory";
    clip.reset();
  }
  if (!clip && problem) *problem = reason;
  return clip;
}

std::optional<AviClip> ReadAviClip(const std::string& hostPath, std::string* problem) {
  std::string reason;
  try {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(hostPath, error);
    if (error) {
      reason = "cannot read " + hostPath + ": " + error.message();
    } else if (size > kMaxClipFileBytes) {
      reason = hostPath + " is " + std::to_string(size) + " bytes, larger than a clip may be";
    } else {
      std::string bytes(static_cast<std::size_t>(size), '\0');
      std::ifstream in(hostPath, std::ios::binary);
      if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
        reason = "cannot read " + hostPath;
      } else {
        return ParseAviClip(bytes, problem);
      }
    }
  } catch (const std::exception& error) {
    reason = "cannot read " + hostPath + ": " + error.what();
  }
  if (problem) *problem = reason;
  return std::nullopt;
}

}  // namespace tidewell::media
