// RIFF containers, both ways: bounded little-endian reads and a chunk cursor
// for parsing, and chunk builders for writing. A reader never looks past the
// bytes it was given; a chunk whose length runs past its list is reported,
// not followed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tidewell::media {

// Little-endian values at `offset`; 0 when the value does not fit in `bytes`
// (callers check sizes first where a short field is an error).
std::uint16_t ReadU16(std::string_view bytes, std::size_t offset);
std::uint32_t ReadU32(std::string_view bytes, std::size_t offset);
std::int32_t ReadI32(std::string_view bytes, std::size_t offset);

// A four-character code from a literal such as "vids".
constexpr std::uint32_t FourCc(const char (&code)[5]) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(code[0])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(code[1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(code[2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(code[3])) << 24;
}

// A four-character code for messages: unprintable bytes become '?'.
std::string PrintableId(std::string_view id);
std::string PrintableId(std::uint32_t code);

struct RiffChunk {
  std::string_view id;    // four bytes
  std::string_view data;  // the chunk's body, without the pad byte

  // True for "LIST" chunks of the given list type ("hdrl", "movi", ...).
  bool IsList(std::string_view listType) const;
  // The chunks inside a LIST, after its type.
  std::string_view ListBody() const { return data.size() < 4 ? std::string_view() : data.substr(4); }
};

// Walks the chunks of one list body in order. Next() stops at the end of the
// body, or at a chunk that does not fit, in which case Problem() says why.
class ChunkCursor {
 public:
  explicit ChunkCursor(std::string_view body) : body_(body) {}
  bool Next(RiffChunk* chunk);
  const std::string& Problem() const { return problem_; }

 private:
  std::string_view body_;
  std::size_t offset_ = 0;
  std::string problem_;
};

// Writing: little-endian values appended to `out`.
void AppendU16(std::string* out, std::uint16_t value);
void AppendU32(std::string* out, std::uint32_t value);

// A whole chunk: id, length, body and the pad byte for an odd length.
void AppendChunk(std::string* out, std::string_view id, std::string_view body);
// A LIST chunk of the given type around `body` (already a run of chunks).
void AppendList(std::string* out, std::string_view listType, std::string_view body);

}  // namespace tidewell::media
