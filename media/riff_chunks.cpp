#include "media/riff_chunks.h"

namespace tidewell::media {

namespace {
constexpr std::size_t kHeaderBytes = 8;  // id + length
}

std::uint16_t ReadU16(std::string_view bytes, std::size_t offset) {
  if (offset > bytes.size() || bytes.size() - offset < 2) return 0;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + offset);
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::uint32_t ReadU32(std::string_view bytes, std::size_t offset) {
  if (offset > bytes.size() || bytes.size() - offset < 4) return 0;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + offset);
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::int32_t ReadI32(std::string_view bytes, std::size_t offset) {
  return static_cast<std::int32_t>(ReadU32(bytes, offset));
}

std::string PrintableId(std::string_view id) {
  std::string printable(id.substr(0, 4));
  for (char& c : printable) {
    if (c < 0x20 || c > 0x7e) c = '?';
  }
  return printable;
}

std::string PrintableId(std::uint32_t code) {
  std::string id;
  for (int shift = 0; shift < 32; shift += 8) id.push_back(static_cast<char>((code >> shift) & 0xff));
  return PrintableId(id);
}

bool RiffChunk::IsList(std::string_view listType) const {
  return id == "LIST" && data.size() >= 4 && data.substr(0, 4) == listType;
}

bool ChunkCursor::Next(RiffChunk* chunk) {
  if (!problem_.empty() || offset_ >= body_.size()) return false;
  const std::size_t remaining = body_.size() - offset_;
  if (remaining < kHeaderBytes) {
    problem_ = "a chunk header is cut short (" + std::to_string(remaining) + " bytes left)";
    return false;
  }
  const std::string_view id = body_.substr(offset_, 4);
  const std::uint32_t length = ReadU32(body_, offset_ + 4);
  if (length > remaining - kHeaderBytes) {
    problem_ = "chunk '" + PrintableId(id) + "' claims " + std::to_string(length) + " bytes but only " +
               std::to_string(remaining - kHeaderBytes) + " remain";
    return false;
  }
  chunk->id = id;
  chunk->data = body_.substr(offset_ + kHeaderBytes, length);
  // The pad byte after an odd length may be missing at the very end of a list.
  offset_ += kHeaderBytes + length + (length & 1u);
  return true;
}

void AppendU16(std::string* out, std::uint16_t value) {
  out->push_back(static_cast<char>(value & 0xff));
  out->push_back(static_cast<char>(value >> 8));
}

void AppendU32(std::string* out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out->push_back(static_cast<char>((value >> shift) & 0xff));
}

void AppendChunk(std::string* out, std::string_view id, std::string_view body) {
  out->append(id.substr(0, 4));
  AppendU32(out, static_cast<std::uint32_t>(body.size()));
  out->append(body);
  if (body.size() & 1u) out->push_back('\0');
}

void AppendList(std::string* out, std::string_view listType, std::string_view body) {
  std::string listBody(listType.substr(0, 4));
  listBody.append(body);
  AppendChunk(out, "LIST", listBody);
}

}  // namespace tidewell::media
