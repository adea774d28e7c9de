// Run-length (RLE8) encoding of one 8-bit picture, as stored in a bitmap or
// an AVI frame: bottom row first, each line ended by an end-of-line code and
// the last by end-of-bitmap. Runs of two or more equal indexes become run
// pairs; other stretches of three or more become literal runs, padded to an
// even length.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tidewell::media {

// `indexes` holds width * height palette indexes, top row first.
std::string EncodeRle8(int width, int height, const std::vector<std::uint8_t>& indexes);

}  // namespace tidewell::media
