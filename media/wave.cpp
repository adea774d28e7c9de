#include "media/wave.h"

#include "media/riff_chunks.h"

namespace tidewell::media {

std::string WritePcmWave(int sampleRate, const std::vector<std::int16_t>& samples) {
  if (sampleRate <= 0) return {};
  constexpr std::uint16_t kPcm = 1;
  constexpr std::uint16_t kChannels = 1;
  constexpr std::uint16_t kBytesPerSample = 2;

  std::string format;
  AppendU16(&format, kPcm);
  AppendU16(&format, kChannels);
  AppendU32(&format, static_cast<std::uint32_t>(sampleRate));
  AppendU32(&format, static_cast<std::uint32_t>(sampleRate) * kChannels * kBytesPerSample);  // bytes a second
  AppendU16(&format, kChannels * kBytesPerSample);                                           // block alignment
  AppendU16(&format, 8 * kBytesPerSample);

  std::string data;
  data.reserve(samples.size() * kBytesPerSample);
  for (std::int16_t sample : samples) AppendU16(&data, static_cast<std::uint16_t>(sample));

  std::string body = "WAVE";
  AppendChunk(&body, "fmt ", format);
  AppendChunk(&body, "data", data);
  std::string file;
  AppendChunk(&file, "RIFF", body);
  return file;
}

}  // namespace tidewell::media
