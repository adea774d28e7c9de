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
#include <cstring>
#include <deque>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
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

// The folders of a walk, and the names of the files the walk found in each,
// so that whoever works on the folders next need not read them again. A walk
// that also looked some files up (see WalkFacts) keeps what it learnt with
// their names.
// What one look-up of a file during a walk told: its length in bytes and,
// when the walk was asked to keep it, its last modification (whole seconds
// since 1970-01-01 UTC); the link itself for a link. Only regular files and
// links get one; a folder never does.
struct WalkFacts {
  std::int64_t length = 0;
  std::optional<std::int64_t> modified;
  bool operator==(const WalkFacts&) const = default;
};

class FolderList : public PathList {
 public:
  static constexpr std::int32_t kInitialCapacity = 100000;
  FolderList() : PathList(kInitialCapacity) {}

  // Called before the first file is added, this lets files carry WalkFacts.
  // A list that never carries them spends no byte on them.
  void KeepFacts() { keepsFacts_ = true; }
  bool KeepsFacts() const { return keepsFacts_; }

  // The walk reads the folders in list order: BeginFiles(index) when it
  // starts on folder `index`, then AddFile for each file found there, with
  // what the walk learnt of it when it looked it up (ignored unless
  // KeepFacts() was called).
  void BeginFiles(std::int32_t index);
  void AddFile(std::string_view name, const WalkFacts* facts = nullptr);

  // A file whose WalkFacts are learnt after it is added, on another thread
  // perhaps: AddFileToLearn keeps its name with room for its facts (the
  // time too when `withTime`) and hands back where they go; until
  // LearnFacts fills them, or when it cannot (nothing known, or numbers too
  // large for the room: a length of a terabyte or more), the file is listed
  // without facts. Whoever reads the list (ForEachFile) must do so after the
  // last LearnFacts, and each place must be filled by one thread at most.
  // In a list that does not keep facts this is AddFile and the place is empty.
  class FactsPlace {
   public:
    FactsPlace() = default;
    bool Empty() const { return record_ == nullptr; }
    // The file's name.
    std::string_view Name() const {
      return {record_ + 1, static_cast<unsigned char>(record_[0])};
    }

   private:
    friend class FolderList;
    explicit FactsPlace(char* record) : record_(record) {}
    char* record_ = nullptr;  // the name's record in its page
  };
  FactsPlace AddFileToLearn(std::string_view name, bool withTime);
  static void LearnFacts(FactsPlace place, const WalkFacts* facts);

  // Whether the walk recorded the files of folder `index` (false for a
  // folder it could not read, and for lists built without a walk).
  bool HasFiles(std::int32_t index) const {
    return index >= 1 && static_cast<std::size_t>(index) <= runs_.size() &&
           runs_[static_cast<std::size_t>(index - 1)].recorded;
  }

  // Calls `visit(name, facts)` for each recorded file of folder `index`, in
  // the order the walk found them; `facts` is null when the walk did not look
  // the file up. The views stay valid for the list's life.
  template <typename Visit>
  void ForEachFile(std::int32_t index, Visit&& visit) const {
    if (!HasFiles(index)) return;
    const FileRun& run = runs_[static_cast<std::size_t>(index - 1)];
    std::size_t page = run.page;
    std::size_t at = run.offset;
    for (std::uint32_t i = 0; i < run.count; ++i) {
      if (at >= kNamePageSize || namePages_[page][at] == 0) {  // the names go on in the next page
        ++page;
        at = 0;
      }
      const char* record = namePages_[page].get() + at;
      const auto length = static_cast<unsigned char>(record[0]);
      const std::string_view name(record + 1, length);
      at += 1 + length;
      if (!keepsFacts_) {
        visit(name, static_cast<const WalkFacts*>(nullptr));
        continue;
      }
      const auto widths = static_cast<unsigned char>(record[1 + length]);
      at += 1;
      if (widths == 0 || (widths & 0x0F) == kUnlearnt) {
        at += UnlearntRoom(widths);
        visit(name, static_cast<const WalkFacts*>(nullptr));
        continue;
      }
      WalkFacts facts;
      at += ReadFacts(widths, record + 2 + length, facts);
      visit(name, &facts);
    }
  }

 private:
  // Names are packed into pages as a length byte and the name's bytes (a
  // file name has 1 to 255 bytes); a zero length byte ends a page early.
  // In a list that keeps facts, a byte follows each name: 0 when no facts
  // follow, else how many bytes the length takes (low four bits, at least 1)
  // and how many the time takes (high four bits, 0 when there is none); then
  // the two numbers, least significant byte first, the time zigzag-coded so
  // that times before 1970 stay short too. Most files take 6 bytes, not 16.
  // A file added to learn its facts later has room for kLearntBytes of each
  // number it may get; until they are learnt its widths byte holds
  // kUnlearnt in the low four bits, and in the high four bits too when
  // there is room for a time.
  static std::size_t ReadFacts(unsigned char widths, const char* from, WalkFacts& facts);
  static constexpr unsigned kUnlearnt = 0x0F;
  static constexpr unsigned kLearntBytes = 5;
  static std::size_t UnlearntRoom(unsigned char widths) {
    if ((widths & 0x0F) != kUnlearnt) return 0;
    return kLearntBytes + ((widths >> 4) == kUnlearnt ? kLearntBytes : 0);
  }
  char* PlaceRecord(std::size_t size);
  struct FileRun {
    std::uint32_t page = 0;
    std::uint32_t offset = 0;
    std::uint32_t count = 0;
    bool recorded = false;
  };
  static constexpr std::size_t kNamePageSize = 64 * 1024;
  std::vector<FileRun> runs_;
  std::vector<std::unique_ptr<char[]>> namePages_;
  std::size_t namePageUsed_ = kNamePageSize;
  FileRun* current_ = nullptr;  // the run AddFile appends to
  bool keepsFacts_ = false;
};

class FileList : public PathList {
 public:
  static constexpr std::int32_t kInitialCapacity = 10000;
  FileList() : PathList(kInitialCapacity) {}
};

}  // namespace tidewell
