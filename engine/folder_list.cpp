#include "engine/folder_list.h"

#include <cstring>

namespace tidewell {

std::string_view PathList::Store(std::string_view path) {
  if (path.empty()) return {};
  if (path.size() > kPageSize / 4) {
    // A long path (deep trees reach many kilobytes) gets storage of its own,
    // so it does not waste the rest of a shared page.
    ownPages_.push_back(std::make_unique<char[]>(path.size()));
    std::memcpy(ownPages_.back().get(), path.data(), path.size());
    return {ownPages_.back().get(), path.size()};
  }
  if (kPageSize - pageUsed_ < path.size()) {
    pages_.push_back(std::make_unique<char[]>(kPageSize));
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

}  // namespace tidewell
