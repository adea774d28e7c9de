// Growable lists of paths, indexed from 1: FolderList (the folders of a walk,
// each ending with "\") and FileList (full file paths).
//
// The lists keep the growth rule the rest of the program was designed with: a
// FolderList starts with a capacity of 100,000 slots and a FileList with
// 10,000, and whenever the count would exceed the capacity it grows by 1,000
// slots, keeping every entry. Capacity is bookkeeping, not memory: the text
// of the paths is packed into large pages and the entries are views into
// them, stored in a deque, so growth never copies or moves an entry and a list
// of two million folders builds in linear time. An entry's view stays valid
// for the life of the list. Lists are movable, not copyable.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string_view>
#include <vector>

namespace tidewell {

class PathList {
 public:
  explicit PathList(std::int32_t initialCapacity) : capacity_(initialCapacity) {}
  PathList(PathList&&) noexcept = default;
  PathList& operator=(PathList&&) noexcept = default;

  // Appends a path (copied into the list's own storage).
  void Add(std::string_view path);

  // Entry `index`, 1 to Count().
  std::string_view operator[](std::int32_t index) const {
    return entries_[static_cast<std::size_t>(index - 1)];
  }

  std::int32_t Count() const { return static_cast<std::int32_t>(entries_.size()); }
  std::int32_t Capacity() const { return capacity_; }

  static constexpr std::int32_t kGrowth = 1000;

 private:
  std::string_view Store(std::string_view path);

  static constexpr std::size_t kPageSize = 64 * 1024;
  std::deque<std::string_view> entries_;
  std::vector<std::unique_ptr<char[]>> pages_;     // shared pages of kPageSize
  std::vector<std::unique_ptr<char[]>> ownPages_;  // one long path each
  std::size_t pageUsed_ = kPageSize;  // full: the first Add opens a page
  std::int32_t capacity_;
};

class FolderList : public PathList {
 public:
  static constexpr std::int32_t kInitialCapacity = 100000;
  FolderList() : PathList(kInitialCapacity) {}
};

class FileList : public PathList {
 public:
  static constexpr std::int32_t kInitialCapacity = 10000;
  FileList() : PathList(kInitialCapacity) {}
};

}  // namespace tidewell
