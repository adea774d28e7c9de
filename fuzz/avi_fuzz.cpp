// Fuzzes the AVI reader: any bytes are refused or read into frames of the
// size the clip declares, never a crash or an overread.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "media/avi_clip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string problem;
  const auto clip = tidewell::media::ParseAviClip(std::string_view(reinterpret_cast<const char*>(data), size), &problem);
  if (!clip) return 0;
  for (const auto& frame : clip->frames) {
    if (frame.size() != static_cast<std::size_t>(clip->width) * static_cast<std::size_t>(clip->height)) std::abort();
  }
  return 0;
}
