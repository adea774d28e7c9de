// Growable lists of paths, indexed from 1: FolderList (the folders of a walk,
// each ending with "\") and FileList (full file paths).
//
// A list has no capacity to manage: the text of the paths is packed into
// large pages and the entries say where in them each path is, stored in a
// deque, so adding never copies or moves an entry and a list of two million
// folders builds in linear time. The view an entry gives stays valid for the
// life of the list. Lists are movable, not copyable. (The lists once counted a nominal
// capacity, 100,000 folders or 10,000 files growing by 1,000; nothing read
// it, and it is gone.)
#pragma once

#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/folder_list_records.h"
#include "engine/walk_facts.h"

namespace tidewell {

class PathList {
 public:
  PathList() = default;
  PathList(PathList&&) noexcept = default;
  PathList& operator=(PathList&&) noexcept = default;

  // Appends a path (copied into the list's own storage).
  void Add(std::string_view path);

  // Entry `index`, 1 to Count().
  std::string_view operator[](std::int32_t index) const {
    const Entry& entry = entries_[static_cast<std::size_t>(index - 1)];
    if (entry.length > kLongestShared) return {ownPages_[entry.page].get(), entry.length};
    if (entry.length == 0) return {};
    return {pages_[entry.page].get() + entry.offset, entry.length};
  }

  std::int32_t Count() const { return static_cast<std::int32_t>(entries_.size()); }

 private:
  static constexpr std::size_t kPageSize = 64 * 1024;
  // A longer path gets a page of its own, so it does not waste the rest of
  // a shared one (deep trees reach many kilobytes).
  static constexpr std::size_t kLongestShared = kPageSize / 4;

  // Where a path's text is: 12 bytes where a view takes 16, which is 0.4 MB
  // of a walk of 100,000 folders. A path of more than kLongestShared bytes
  // is the whole of ownPages_[page]; any other is at `offset` in
  // pages_[page].
  struct Entry {
    std::uint32_t page = 0;
    std::uint32_t length = 0;
    std::uint16_t offset = 0;
  };
  static_assert(kPageSize <= 65536, "an offset in a page must fit an Entry's 16 bits");

  Entry Store(std::string_view path);

  std::deque<Entry> entries_;
  std::vector<std::unique_ptr<char[]>> pages_;     // shared pages of kPageSize
  std::vector<std::unique_ptr<char[]>> ownPages_;  // one long path each
  std::size_t pageUsed_ = kPageSize;  // full: the first Add opens a page
};

// The folders of a walk, and the names of the files the walk found in each,
// so that whoever works on the folders next need not read them again. A walk
// that also looked some files up (see WalkFacts) keeps what it learnt with
// their names (walk_facts.h), packed as folder_list_records.h describes.
class FolderList : public PathList {
 public:
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
    std::string_view Name() const { return file_records::NameOf(record_); }

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
      const file_records::Decoded record = file_records::Read(namePages_[page].get() + at, keepsFacts_);
      at += record.size;
      visit(record.name, record.facts ? &*record.facts : static_cast<const WalkFacts*>(nullptr));
    }
  }

 private:
  // Room for a record of `size` bytes in the current page, or else at the
  // start of a new one (a zero byte ends the page early; no record starts
  // with one); the caller fills it and counts it.
  char* PlaceRecord(std::size_t size);
  // 12 bytes a folder (a walk of 100,000 folders keeps 100,000 of them).
  struct FileRun {
    std::uint32_t page = 0;
    std::uint32_t count = 0;
    std::uint16_t offset = 0;
    bool recorded = false;
  };
  static constexpr std::size_t kNamePageSize = 64 * 1024;
  static_assert(kNamePageSize <= 65536, "an offset in a page must fit a FileRun's 16 bits");
  std::vector<FileRun> runs_;
  std::vector<std::unique_ptr<char[]>> namePages_;
  std::size_t namePageUsed_ = kNamePageSize;
  FileRun* current_ = nullptr;  // the run AddFile appends to
  bool keepsFacts_ = false;
};

class FileList : public PathList {};

}  // namespace tidewell
