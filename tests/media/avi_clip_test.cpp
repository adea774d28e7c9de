#include "media/avi_clip.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "media/riff_chunks.h"
#include "media/wave.h"
#include "tests/support/temp_drive.h"

namespace tidewell::media {
namespace {

using Indexes = std::vector<std::uint8_t>;
using Picture = std::vector<std::uint32_t>;

const std::vector<std::uint32_t> kPalette = {0xff000000u, 0xffff0000u, 0xff00ff00u, 0xff0000ffu, 0xffffffffu};

Picture Coloured(const Indexes& indexes, const std::vector<std::uint32_t>& palette) {
  Picture picture;
  for (std::uint8_t index : indexes) picture.push_back(palette[index]);
  return picture;
}

// Frames mixing long runs, runs of two and short and long literal stretches,
// from a fixed-seed generator.
std::vector<Indexes> MixedFrames(int width, int height, int count) {
  std::uint32_t state = 12345;
  auto next = [&] { return (state = state * 1103515245u + 12345u) >> 16; };
  std::vector<Indexes> frames;
  for (int f = 0; f < count; ++f) {
    Indexes frame;
    while (frame.size() < static_cast<std::size_t>(width * height)) {
      const std::uint32_t choice = next() % 4;
      const std::size_t length = choice == 0 ? 1 + next() % 300 : 1 + next() % 3;
      for (std::size_t i = 0; i < length && frame.size() < static_cast<std::size_t>(width * height); ++i)
        frame.push_back(static_cast<std::uint8_t>(choice == 0 ? 1 : next() % kPalette.size()));
    }
    frames.push_back(std::move(frame));
  }
  return frames;
}

// A hand-made AVI: one video stream with the given bitmap format chunk and
// movie chunks (id, body).
std::string HandMadeAvi(const std::string& strf, const std::vector<std::pair<std::string, std::string>>& chunks,
                        std::uint32_t microseconds = 50'000) {
  std::string avih;
  AppendU32(&avih, microseconds);
  avih.append(52, '\0');
  std::string strh = "vids";
  strh.append(44, '\0');
  std::string strl, hdrl, movi, body = "AVI ", file;
  AppendChunk(&strl, "strh", strh);
  AppendChunk(&strl, "strf", strf);
  AppendChunk(&hdrl, "avih", avih);
  AppendList(&hdrl, "strl", strl);
  for (const auto& [id, data] : chunks) AppendChunk(&movi, id, data);
  AppendList(&body, "hdrl", hdrl);
  AppendList(&body, "movi", movi);
  AppendChunk(&file, "RIFF", body);
  return file;
}

std::string BitmapHeader(std::int32_t width, std::int32_t height, std::uint16_t bits, std::uint32_t compression,
                         const std::vector<std::uint32_t>& palette = {}) {
  std::string strf;
  AppendU32(&strf, 40);
  AppendU32(&strf, static_cast<std::uint32_t>(width));
  AppendU32(&strf, static_cast<std::uint32_t>(height));
  AppendU16(&strf, 1);
  AppendU16(&strf, bits);
  AppendU32(&strf, compression);
  strf.append(12, '\0');
  AppendU32(&strf, static_cast<std::uint32_t>(palette.size()));
  AppendU32(&strf, 0);
  for (std::uint32_t colour : palette) AppendU32(&strf, colour & 0xffffffu);
  return strf;
}

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int value : values) bytes.push_back(static_cast<char>(value));
  return bytes;
}

TEST(AviClipTest, Rle8ClipsSurviveWritingAndReadingBack) {
  // 300 columns force runs longer than one run pair; 7 columns, odd literal padding.
  for (const auto& [width, height] : {std::pair{7, 5}, std::pair{300, 4}}) {
    const std::vector<Indexes> frames = MixedFrames(width, height, 3);
    const std::string file = WriteRle8Avi(width, height, 83'333, kPalette, frames);
    ASSERT_FALSE(file.empty());

    testing::TempFolder folder;
    const std::string path = folder.Path() + "/clip.avi";
    std::ofstream(path, std::ios::binary) << file;
    std::string problem;
    const std::optional<AviClip> clip = ReadAviClip(path, &problem);
    ASSERT_TRUE(clip) << problem;
    EXPECT_EQ(clip->width, width);
    EXPECT_EQ(clip->height, height);
    EXPECT_EQ(clip->frameMicroseconds, 83'333);
    ASSERT_EQ(clip->frames.size(), frames.size());
    for (std::size_t f = 0; f < frames.size(); ++f) EXPECT_EQ(clip->frames[f], Coloured(frames[f], kPalette)) << f;
  }
}

TEST(AviClipTest, WriterRefusesWhatIsNotAClip) {
  const Indexes fourPixels(4, 0);
  EXPECT_EQ(WriteRle8Avi(2, 2, 100'000, kPalette, {}), "");
  EXPECT_EQ(WriteRle8Avi(2, 2, 100'000, kPalette, {Indexes(3, 0)}), "");
  EXPECT_EQ(WriteRle8Avi(2, 2, 100'000, kPalette, {Indexes{0, 1, 2, 9}}), "");  // past the palette
  EXPECT_EQ(WriteRle8Avi(2, 2, 100'000, {}, {fourPixels}), "");
  EXPECT_EQ(WriteRle8Avi(5000, 1, 100'000, kPalette, {Indexes(5000, 0)}), "");
}

TEST(AviClipTest, UncompressedFramesComeOutTopRowFirst) {
  // 3 x 2 at 24 bits, bottom row stored first, rows padded to 12 bytes.
  const std::string bottomUp24 = Bytes({1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0,                 // bottom row
                                        0x30, 0x20, 0x10, 0, 0, 0, 0xff, 0xff, 0xff, 0, 0, 0});  // top row
  std::string problem;
  std::optional<AviClip> clip = ParseAviClip(HandMadeAvi(BitmapHeader(3, 2, 24, 0), {{"00db", bottomUp24}}), &problem);
  ASSERT_TRUE(clip) << problem;
  EXPECT_EQ(clip->frameMicroseconds, 50'000);
  EXPECT_EQ(clip->frames.at(0),
            (Picture{0xff102030u, 0xff000000u, 0xffffffffu, 0xff030201u, 0xff060504u, 0xff090807u}));

  // 2 x 2 at 32 bits with a negative height: stored top row first.
  const std::string topDown32 = Bytes({1, 2, 3, 99, 4, 5, 6, 99, 7, 8, 9, 99, 10, 11, 12, 99});
  clip = ParseAviClip(HandMadeAvi(BitmapHeader(2, -2, 32, 0), {{"00db", topDown32}}), &problem);
  ASSERT_TRUE(clip) << problem;
  EXPECT_EQ(clip->frames.at(0), (Picture{0xff030201u, 0xff060504u, 0xff090807u, 0xff0c0b0au}));

  // 2 x 2 at 8 bits: indexes through the palette; an index past it is black.
  const std::string indexes8 = Bytes({1, 2, 0, 0, 3, 200, 0, 0});
  clip = ParseAviClip(HandMadeAvi(BitmapHeader(2, 2, 8, 0, kPalette), {{"00db", indexes8}}), &problem);
  ASSERT_TRUE(clip) << problem;
  EXPECT_EQ(clip->frames.at(0), (Picture{kPalette[3], 0xff000000u, kPalette[1], kPalette[2]}));
}

TEST(AviClipTest, Rle8EscapesDeltasAndPaletteChangesDrawOnThePreviousFrame) {
  // 4 x 3; lines listed bottom first.
  const std::string full = Bytes({4, 1, 0, 0,                 // bottom: four of 1
                                  0, 3, 2, 3, 2, 0, 1, 1, 0, 0,  // middle: literal 2 3 2 (padded), one 1
                                  4, 3, 0, 1});               // top: four of 3, end of bitmap
  const std::string delta = Bytes({0, 2, 1, 1, 2, 0, 0, 1});    // move to (1, middle), two of 0, end
  std::string paletteChange = Bytes({1, 1, 0, 0, 0x12, 0x34, 0x56, 0});  // entry 1 becomes #123456
  const std::string strf = BitmapHeader(4, 3, 8, 1, kPalette);
  std::string problem;
  const std::optional<AviClip> clip = ParseAviClip(
      HandMadeAvi(strf, {{"00dc", full}, {"00dc", delta}, {"00pc", paletteChange}, {"00dc", ""}}), &problem);
  ASSERT_TRUE(clip) << problem;
  ASSERT_EQ(clip->frames.size(), 3u);
  EXPECT_EQ(clip->frames[0], Coloured({3, 3, 3, 3, 2, 3, 2, 1, 1, 1, 1, 1}, kPalette));
  EXPECT_EQ(clip->frames[1], Coloured({3, 3, 3, 3, 2, 0, 0, 1, 1, 1, 1, 1}, kPalette));
  std::vector<std::uint32_t> changed = kPalette;
  changed[1] = 0xff123456u;
  EXPECT_EQ(clip->frames[2], Coloured({3, 3, 3, 3, 2, 0, 0, 1, 1, 1, 1, 1}, changed));
}

// Parses and expects a refusal whose reason mentions `expected`.
void ExpectRefused(const std::string& bytes, const std::string& expected) {
  std::string problem;
  EXPECT_FALSE(ParseAviClip(bytes, &problem));
  EXPECT_NE(problem.find(expected), std::string::npos) << "reason: " << problem;
}

TEST(AviClipTest, BrokenOrAbsurdFilesAreRefusedWithAReason) {
  const std::string valid = WriteRle8Avi(7, 5, 100'000, kPalette, MixedFrames(7, 5, 2));
  ASSERT_TRUE(ParseAviClip(valid, nullptr));

  for (std::size_t length = 0; length < valid.size(); ++length) {
    std::string problem;
    EXPECT_FALSE(ParseAviClip(valid.substr(0, length), &problem)) << length;
    EXPECT_FALSE(problem.empty()) << length;
  }

  std::string lying = valid;
  const std::size_t movi = lying.find("movi");
  lying.replace(movi - 4, 4, Bytes({0, 0, 0, 0x7f}));
  ExpectRefused(lying, "claims");

  ExpectRefused("RIFF\4\0\0\0WAVE", "not an AVI");
  ExpectRefused(HandMadeAvi(BitmapHeader(4, 3, 8, 1, kPalette), {}), "no frames");
  ExpectRefused(HandMadeAvi(BitmapHeader(100000, 2, 24, 0), {{"00db", ""}}), "larger than");
  ExpectRefused(HandMadeAvi(BitmapHeader(2, -70000, 24, 0), {{"00db", ""}}), "larger than");
  ExpectRefused(HandMadeAvi(BitmapHeader(2, 2, 16, 0), {{"00db", std::string(16, '\0')}}), "16 bits");
  ExpectRefused(HandMadeAvi(BitmapHeader(2, -2, 8, 1, kPalette), {{"00dc", ""}}), "top row first");
  ExpectRefused(HandMadeAvi(BitmapHeader(3, 2, 24, 0), {{"00db", std::string(23, '\0')}}), "needs 24");
  ExpectRefused(HandMadeAvi(BitmapHeader(1, 1, 8, 1, kPalette),
                            std::vector<std::pair<std::string, std::string>>(kMaxClipFrames + 1, {"00dc", ""})),
                "more than 10000 frames");
  // 4096 x 4096 frames repeated: each is cheap in the file, not once decoded.
  ExpectRefused(HandMadeAvi(BitmapHeader(4096, 4096, 8, 1, kPalette), {{"00dc", ""}, {"00dc", ""}, {"00dc", ""}}),
                "more than");
}

TEST(AviClipTest, CorruptedBytesNeverCrashTheReader) {
  const std::string valid = WriteRle8Avi(7, 5, 100'000, kPalette, MixedFrames(7, 5, 2));
  std::uint32_t state = 99;
  auto next = [&] { return (state = state * 1103515245u + 12345u) >> 8; };
  for (int round = 0; round < 3000; ++round) {
    std::string bytes = valid;
    for (int flips = 1 + next() % 4; flips > 0; --flips) bytes[next() % bytes.size()] = static_cast<char>(next());
    const std::optional<AviClip> clip = ParseAviClip(bytes, nullptr);
    if (!clip) continue;
    for (const Picture& frame : clip->frames)
      ASSERT_EQ(frame.size(), static_cast<std::size_t>(clip->width) * static_cast<std::size_t>(clip->height));
  }
}

TEST(AviClipTest, ReadingMissingOrOversizedFilesGivesAReason) {
  testing::TempFolder folder;
  std::string problem;
  EXPECT_FALSE(ReadAviClip(folder.Path() + "/none.avi", &problem));
  EXPECT_NE(problem.find("none.avi"), std::string::npos);
  EXPECT_FALSE(ReadAviClip(folder.Path(), &problem));

  const std::string huge = folder.Path() + "/huge.avi";
  std::ofstream(huge) << "RIFF";
  std::filesystem::resize_file(huge, kMaxClipFileBytes + 1);  // sparse: nothing is written
  EXPECT_FALSE(ReadAviClip(huge, &problem));
  EXPECT_NE(problem.find("larger than"), std::string::npos) << problem;
}

TEST(WaveTest, WritesMonoSixteenBitPcm) {
  const std::string wave = WritePcmWave(22050, {0, 1000, -1000, 32767, -32768});
  ASSERT_EQ(wave.size(), 44u + 10u);
  EXPECT_EQ(wave.substr(0, 4), "RIFF");
  EXPECT_EQ(ReadU32(wave, 4), wave.size() - 8);
  EXPECT_EQ(wave.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(ReadU16(wave, 20), 1);       // PCM
  EXPECT_EQ(ReadU16(wave, 22), 1);       // one channel
  EXPECT_EQ(ReadU32(wave, 24), 22050u);
  EXPECT_EQ(ReadU32(wave, 28), 44100u);  // bytes a second
  EXPECT_EQ(ReadU16(wave, 34), 16);
  EXPECT_EQ(wave.substr(36, 4), "data");
  EXPECT_EQ(ReadU32(wave, 40), 10u);
  EXPECT_EQ(static_cast<std::int16_t>(ReadU16(wave, 44 + 6)), 32767);
  EXPECT_EQ(static_cast<std::int16_t>(ReadU16(wave, 44 + 8)), -32768);
  EXPECT_EQ(WritePcmWave(0, {1}), "");
}

}  // namespace
}  // namespace tidewell::media
