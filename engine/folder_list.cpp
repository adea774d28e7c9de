#include "engine/folder_list.h"

#include <algorithm>
#include <cstring>

namespace tidewell {

// Pages are filled before they are read, so they are allocated without
// being zeroed first (64 KiB a page, a fixed cost of every walk).
std::string_view PathList::Store(std::string_view path) {
  if (path.empty()) return {};
  if (path.size() > kPageSize / 4) {
    // A long path (deep trees reach many kilobytes) gets storage of its own,
    // so it does not waste the rest of a shared page.
    ownPages_.push_back(std::make_unique_for_overwrite<char[]>(path.size()));
    std::memcpy(ownPages_.back().get(), path.data(), path.size());
    return {ownPages_.back().get(), path.size()};
  }
  if (kPageSize - pageUsed_ < path.size()) {
    pages_.push_back(std::make_unique_for_overwrite<char[]>(kPageSize));
    pageUsed_ = 0;
  }
  char* place = pages_.back().get() + pageUsed_;
  std::memcpy(place, path.data(), path.size());
  pageUsed_ += path.size();
  return {place, path.size()};
}

void PathList::Add(std::string_view path) {
  entries_.push_back(Store(path));
  if (Count() > capacity_) capacity_ += kGrowth;
}

void FolderList::BeginFiles(std::int32_t index) {
  if (runs_.size() < static_cast<std::size_t>(index)) runs_.resize(static_cast<std::size_t>(index));
  FileRun& run = runs_[static_cast<std::size_t>(index - 1)];
  run = FileRun{};
  run.recorded = true;
  if (namePageUsed_ >= kNamePageSize) {
    namePages_.push_back(std::make_unique_for_overwrite<char[]>(kNamePageSize));
    namePageUsed_ = 0;
  }
  run.page = static_cast<std::uint32_t>(namePages_.size() - 1);
  run.offset = static_cast<std::uint32_t>(namePageUsed_);
  current_ = &run;
}

namespace {

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

}  // namespace

std::size_t FolderList::ReadFacts(unsigned char widths, const char* from, WalkFacts& facts) {
  const unsigned lengthBytes = widths & 0x0F;
  const unsigned timeBytes = widths >> 4;
  facts.length = static_cast<std::int64_t>(GetNumber(from, lengthBytes));
  if (timeBytes != 0) facts.modified = Unzigzag(GetNumber(from + lengthBytes, timeBytes));
  return lengthBytes + timeBytes;
}

void FolderList::AddFile(std::string_view name, const WalkFacts* facts) {
  if (current_ == nullptr || name.empty() || name.size() > 255) return;
  if (!keepsFacts_) facts = nullptr;
  // A length is never negative; one that is (nothing gives one) is not kept.
  if (facts != nullptr && facts->length < 0) facts = nullptr;
  unsigned lengthBytes = 0;
  unsigned timeBytes = 0;
  if (facts != nullptr) {
    lengthBytes = std::max(1u, BytesOf(static_cast<std::uint64_t>(facts->length)));
    if (facts->modified) timeBytes = std::max(1u, BytesOf(Zigzag(*facts->modified)));
  }
  const std::size_t size = 1 + name.size() + (keepsFacts_ ? 1 : 0) + lengthBytes + timeBytes;
  char* place = PlaceRecord(size);
  place[0] = static_cast<char>(name.size());
  std::memcpy(place + 1, name.data(), name.size());
  if (keepsFacts_) {
    char* after = place + 1 + name.size();
    after[0] = static_cast<char>(lengthBytes | (timeBytes << 4));
    if (facts != nullptr) {
      PutNumber(after + 1, static_cast<std::uint64_t>(facts->length), lengthBytes);
      if (facts->modified) PutNumber(after + 1 + lengthBytes, Zigzag(*facts->modified), timeBytes);
    }
  }
  namePageUsed_ += size;
  ++current_->count;
}

// Room for a record of `size` bytes in the current page, or else at the
// start of a new one; the caller fills it and counts it.
char* FolderList::PlaceRecord(std::size_t size) {
  if (kNamePageSize - namePageUsed_ < size) {
    if (namePageUsed_ < kNamePageSize) namePages_.back()[namePageUsed_] = 0;  // go on in the next page
    namePages_.push_back(std::make_unique_for_overwrite<char[]>(kNamePageSize));
    namePageUsed_ = 0;
    if (current_->count == 0) {
      current_->page = static_cast<std::uint32_t>(namePages_.size() - 1);
      current_->offset = 0;
    }
  }
  return namePages_.back().get() + namePageUsed_;
}

FolderList::FactsPlace FolderList::AddFileToLearn(std::string_view name, bool withTime) {
  if (!keepsFacts_) {
    AddFile(name);
    return {};
  }
  if (current_ == nullptr || name.empty() || name.size() > 255) return {};
  const std::size_t room = kLearntBytes + (withTime ? kLearntBytes : 0);
  const std::size_t size = 1 + name.size() + 1 + room;
  char* place = PlaceRecord(size);
  place[0] = static_cast<char>(name.size());
  std::memcpy(place + 1, name.data(), name.size());
  place[1 + name.size()] = static_cast<char>(kUnlearnt | (withTime ? kUnlearnt << 4 : 0));
  namePageUsed_ += size;
  ++current_->count;
  return FactsPlace(place);
}

void FolderList::LearnFacts(FactsPlace place, const WalkFacts* facts) {
  if (place.Empty() || facts == nullptr || facts->length < 0) return;
  char* widths = place.record_ + 1 + static_cast<unsigned char>(place.record_[0]);
  const bool withTime = (static_cast<unsigned char>(*widths) >> 4) == kUnlearnt;
  constexpr std::uint64_t kRoomLimit = std::uint64_t{1} << (8 * kLearntBytes);
  const auto length = static_cast<std::uint64_t>(facts->length);
  if (length >= kRoomLimit) return;
  if (withTime && (!facts->modified || Zigzag(*facts->modified) >= kRoomLimit)) return;
  PutNumber(widths + 1, length, kLearntBytes);
  if (withTime) PutNumber(widths + 1 + kLearntBytes, Zigzag(*facts->modified), kLearntBytes);
  *widths = static_cast<char>(kLearntBytes | (withTime ? kLearntBytes << 4 : 0));
}

}  // namespace tidewell
