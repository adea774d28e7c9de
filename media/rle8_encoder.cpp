#include "media/rle8_encoder.h"

#include <cstddef>

namespace tidewell::media {

namespace {

constexpr std::size_t kLongestRun = 255;

void Put(std::string* out, unsigned first, unsigned second) {
  out->push_back(static_cast<char>(first));
  out->push_back(static_cast<char>(second));
}

// Length of the run of equal indexes starting at `at` (at most 255).
std::size_t RunLength(const std::uint8_t* line, std::size_t width, std::size_t at) {
  std::size_t length = 1;
  while (at + length < width && length < kLongestRun && line[at + length] == line[at]) ++length;
  return length;
}

void EncodeLine(const std::uint8_t* line, std::size_t width, std::string* out) {
  std::size_t at = 0;
  while (at < width) {
    const std::size_t run = RunLength(line, width, at);
    if (run >= 2) {
      Put(out, static_cast<unsigned>(run), line[at]);
      at += run;
      continue;
    }
    // A literal stretch lasts until the next run of two or more begins.
    std::size_t end = at + 1;
    while (end < width && end - at < kLongestRun && RunLength(line, width, end) < 2) ++end;
    const std::size_t literal = end - at;
    if (literal >= 3) {
      Put(out, 0, static_cast<unsigned>(literal));
      out->append(reinterpret_cast<const char*>(line + at), literal);
      if (literal & 1u) out->push_back('\0');
    } else {  // literal runs shorter than three cannot be written; use runs of one
      for (std::size_t i = at; i < end; ++i) Put(out, 1, line[i]);
    }
    at = end;
  }
}

}  // namespace

std::string EncodeRle8(int width, int height, const std::vector<std::uint8_t>& indexes) {
  std::string out;
  const std::size_t columns = static_cast<std::size_t>(width);
  for (int lineFromBottom = 0; lineFromBottom < height; ++lineFromBottom) {
    const std::size_t row = static_cast<std::size_t>(height - 1 - lineFromBottom);
    EncodeLine(indexes.data() + row * columns, columns, &out);
    Put(&out, 0, lineFromBottom + 1 < height ? 0 : 1);  // end of line, or end of bitmap
  }
  return out;
}

}  // namespace tidewell::media
