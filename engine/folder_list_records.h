// The byte format FolderList packs each recorded file into: one codec that
// writes a record, fills in the facts of one written to be learnt later,
// and reads a record back.
//
// A record is a length byte and the name's bytes (a file name has 1 to 255
// bytes, so a record never starts with a zero byte: the list uses one to end
// a page early). In a list that keeps facts, a widths byte follows the name:
// 0 when no facts follow, else how many bytes the length takes (low four
// bits, at least 1) and how many the time takes (high four bits, 0 when
// there is none); then the two numbers, least significant byte first, the
// time zigzag-coded so that times before 1970 stay short too. Most files take
// 6 bytes, not 16. A record written to be learnt later has room for
// kLearntBytes of each number it may get; until they are learnt its widths
// byte holds kUnlearnt in the low four bits, and in the high four bits too
// when there is room for a time, and it reads as a file without facts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "engine/walk_facts.h"

namespace tidewell::file_records {

inline constexpr std::size_t kLongestName = 255;
// Each number of a record written to be learnt gets this many bytes, so it
// takes a length or zigzagged time below 2^40 (a terabyte).
inline constexpr unsigned kLearntBytes = 5;

// Whether `name` can be recorded: 1 to kLongestName bytes.
inline bool Recordable(std::string_view name) { return !name.empty() && name.size() <= kLongestName; }

// The bytes the record of a recordable `name` takes, with `facts` (null: none;
// ignored unless `keepsFacts`; a negative length is not kept).
std::size_t Size(std::string_view name, bool keepsFacts, const WalkFacts* facts);
// Writes that record at `to`, which has Size(...) bytes.
void Write(char* to, std::string_view name, bool keepsFacts, const WalkFacts* facts);

// The bytes, and the writing, of a record in a list that keeps facts whose
// facts are learnt later (LearnInto), with room for a time when `withTime`.
std::size_t SizeToLearn(std::string_view name, bool withTime);
void WriteToLearn(char* to, std::string_view name, bool withTime);
// Fills in the facts of a record WriteToLearn wrote. Leaves it without facts
// when they do not fit its room: a negative length, a number of 2^40 or
// more, or no time where it has room for one.
void LearnInto(char* record, const WalkFacts& facts);

// The name of the record at `record`.
inline std::string_view NameOf(const char* record) {
  return {record + 1, static_cast<unsigned char>(record[0])};
}

struct Decoded {
  std::string_view name;         // a view into the record
  std::optional<WalkFacts> facts;  // none: the record holds none (yet)
  std::size_t size = 0;          // the record's bytes
};
// Reads the record at `record` of a list that keeps facts or not.
Decoded Read(const char* record, bool keepsFacts);

}  // namespace tidewell::file_records
