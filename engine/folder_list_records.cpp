#include "engine/folder_list_records.h"

#include <algorithm>
#include <cstring>

namespace tidewell::file_records {
namespace {

constexpr unsigned kUnlearnt = 0x0F;

// The bytes `value` needs, least significant first, leading zero bytes left out.
unsigned BytesOf(std::uint64_t value) {
  unsigned bytes = 0;
  while (value != 0) {
    ++bytes;
    value >>= 8;
  }
  return bytes;
}

std::uint64_t Zigzag(std::int64_t value) {
  return (static_cast<std::uint64_t>(value) << 1) ^ static_cast<std::uint64_t>(value >> 63);
}

std::int64_t Unzigzag(std::uint64_t value) {
  return static_cast<std::int64_t>(value >> 1) ^ -static_cast<std::int64_t>(value & 1);
}

void PutNumber(char* to, std::uint64_t value, unsigned bytes) {
  for (unsigned i = 0; i < bytes; ++i) to[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint64_t GetNumber(const char* from, unsigned bytes) {
  std::uint64_t value = 0;
  for (unsigned i = 0; i < bytes; ++i) value |= std::uint64_t{static_cast<unsigned char>(from[i])} << (8 * i);
  return value;
}

// How a record's facts are laid out after its widths byte.
struct Widths {
  unsigned length = 0;  // bytes of the length; 0: no facts
  unsigned time = 0;    // bytes of the time; 0: none
  unsigned char Byte() const { return static_cast<unsigned char>(length | (time << 4)); }
};

// The widths `facts` need; none for no facts or a negative length.
Widths WidthsOf(bool keepsFacts, const WalkFacts* facts) {
  Widths widths;
  if (!keepsFacts || facts == nullptr || facts->length < 0) return widths;
  widths.length = std::max(1u, BytesOf(static_cast<std::uint64_t>(facts->length)));
  if (facts->modified) widths.time = std::max(1u, BytesOf(Zigzag(*facts->modified)));
  return widths;
}

// The length byte and the name; returns where the widths byte goes.
char* WriteName(char* to, std::string_view name) {
  to[0] = static_cast<char>(name.size());
  std::memcpy(to + 1, name.data(), name.size());
  return to + 1 + name.size();
}

}  // namespace

std::size_t Size(std::string_view name, bool keepsFacts, const WalkFacts* facts) {
  const Widths widths = WidthsOf(keepsFacts, facts);
  return 1 + name.size() + (keepsFacts ? 1 : 0) + widths.length + widths.time;
}

void Write(char* to, std::string_view name, bool keepsFacts, const WalkFacts* facts) {
  char* after = WriteName(to, name);
  if (!keepsFacts) return;
  const Widths widths = WidthsOf(keepsFacts, facts);
  after[0] = static_cast<char>(widths.Byte());
  if (widths.length == 0) return;
  PutNumber(after + 1, static_cast<std::uint64_t>(facts->length), widths.length);
  if (widths.time != 0) PutNumber(after + 1 + widths.length, Zigzag(*facts->modified), widths.time);
}

std::size_t SizeToLearn(std::string_view name, bool withTime) {
  return 1 + name.size() + 1 + kLearntBytes + (withTime ? kLearntBytes : 0);
}

void WriteToLearn(char* to, std::string_view name, bool withTime) {
  char* after = WriteName(to, name);
  after[0] = static_cast<char>(Widths{kUnlearnt, withTime ? kUnlearnt : 0}.Byte());
}

void LearnInto(char* record, const WalkFacts& facts) {
  char* widths = record + 1 + static_cast<unsigned char>(record[0]);
  const bool withTime = (static_cast<unsigned char>(*widths) >> 4) == kUnlearnt;
  constexpr std::uint64_t kRoomLimit = std::uint64_t{1} << (8 * kLearntBytes);
  if (facts.length < 0) return;
  const auto length = static_cast<std::uint64_t>(facts.length);
  if (length >= kRoomLimit) return;
  if (withTime && (!facts.modified || Zigzag(*facts.modified) >= kRoomLimit)) return;
  PutNumber(widths + 1, length, kLearntBytes);
  if (withTime) PutNumber(widths + 1 + kLearntBytes, Zigzag(*facts.modified), kLearntBytes);
  *widths = static_cast<char>(Widths{kLearntBytes, withTime ? kLearntBytes : 0}.Byte());
}

Decoded Read(const char* record, bool keepsFacts) {
  Decoded decoded{NameOf(record), std::nullopt, 1 + static_cast<std::size_t>(static_cast<unsigned char>(record[0]))};
  if (!keepsFacts) return decoded;
  const auto widths = static_cast<unsigned char>(record[decoded.size]);
  const char* numbers = record + decoded.size + 1;
  decoded.size += 1;
  const unsigned lengthBytes = widths & 0x0F;
  const unsigned timeBytes = widths >> 4;
  if (lengthBytes == kUnlearnt) {  // room never filled: no facts
    decoded.size += kLearntBytes + (timeBytes == kUnlearnt ? kLearntBytes : 0);
    return decoded;
  }
  decoded.size += lengthBytes + timeBytes;
  if (lengthBytes == 0) return decoded;
  WalkFacts& facts = decoded.facts.emplace();
  facts.length = static_cast<std::int64_t>(GetNumber(numbers, lengthBytes));
  if (timeBytes != 0) facts.modified = Unzigzag(GetNumber(numbers + lengthBytes, timeBytes));
  return decoded;
}

}  // namespace tidewell::file_records
