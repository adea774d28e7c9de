#include "engine/folder_list.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace tidewell {

// Pages are filled before they are read, so they are allocated without
// being zeroed first (64 KiB a page, a fixed cost of every walk).
PathList::Entry PathList::Store(std::string_view path) {
  if (path.empty()) return {};
  if (path.size() > std::numeric_limits<std::uint32_t>::max()) throw std::length_error("a path of 4 GB or more");
  Entry entry;
  entry.length = static_cast<std::uint32_t>(path.size());
  if (path.size() > kLongestShared) {
    ownPages_.push_back(std::make_unique_for_overwrite<char[]>(path.size()));
    std::memcpy(ownPages_.back().get(), path.data(), path.size());
    entry.page = static_cast<std::uint32_t>(ownPages_.size() - 1);
    return entry;
  }
  if (kPageSize - pageUsed_ < path.size()) {
    pages_.push_back(std::make_unique_for_overwrite<char[]>(kPageSize));
    pageUsed_ = 0;
  }
  std::memcpy(pages_.back().get() + pageUsed_, path.data(), path.size());
  entry.page = static_cast<std::uint32_t>(pages_.size() - 1);
  entry.offset = static_cast<std::uint16_t>(pageUsed_);
  pageUsed_ += path.size();
  return entry;
}

void PathList::Add(std::string_view path) {
  entries_.push_back(Store(path));
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
  run.offset = static_cast<std::uint16_t>(namePageUsed_);
  current_ = &run;
}

void FolderList::AddFile(std::string_view name, const WalkFacts* facts) {
  if (current_ == nullptr || !file_records::Recordable(name)) return;
  const std::size_t size = file_records::Size(name, keepsFacts_, facts);
  file_records::Write(PlaceRecord(size), name, keepsFacts_, facts);
  namePageUsed_ += size;
  ++current_->count;
}

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
  if (current_ == nullptr || !file_records::Recordable(name)) return {};
  const std::size_t size = file_records::SizeToLearn(name, withTime);
  char* place = PlaceRecord(size);
  file_records::WriteToLearn(place, name, withTime);
  namePageUsed_ += size;
  ++current_->count;
  return FactsPlace(place);
}

void FolderList::LearnFacts(FactsPlace place, const WalkFacts* facts) {
  if (place.Empty() || facts == nullptr) return;
  file_records::LearnInto(place.record_, *facts);
}

}  // namespace tidewell
