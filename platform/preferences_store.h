// The per-user preferences store: named string values, section -> value
// name -> text (sections "Preferences", "Info", "Drives").
//
// On this host the store is one UTF-8 INI file (see platform/ini_document.h
// for how its lines are read and changed):
//   ${XDG_CONFIG_HOME:-$HOME/.config}/Tidewell/Tidewell.ini
//
// What the file store promises:
//   - Section and value names compare without regard to ASCII case; a write
//     keeps the spelling of a name already in the file, a new value is
//     written as the caller spells it. The first of two equal names in a
//     section is the one that counts.
//   - Reading never fails: a missing or unreadable file (no permission,
//     larger than 1 MiB, a folder or other non-file in its place) or a
//     missing value reads as the caller's fallback. Lines it cannot parse
//     (binary garbage, NUL bytes) are skipped; the others still read.
//     Opening the file never waits (a FIFO in its place is unreadable).
//   - ReadProblem() tells an unreadable file from a missing one, and
//     ReadSectionChecked() reads a section with that answer from the same
//     reading. A front end must ask before it lets anything else stand in
//     for what the file holds: the [Drives] of an unreadable store must not be replaced by
//     drives that discovery found, or a run could clean a drive the user
//     never named.
//   - Every Write() stores at once: it re-reads the file, changes the one
//     value and replaces the whole file atomically (a temporary file beside
//     it, synced, renamed over it, then the folder synced), so a reader
//     sees the old or the new file and a crash never leaves a torn one.
//     Comments, blank lines and lines it does not understand are written
//     back byte for byte. A write that would give back the very text the
//     file holds (the value already stored) changes nothing on disk: no
//     temporary file, no sync, no new file.
//   - Writes are serialised across processes by an exclusive lock on
//     "Tidewell.ini.lock" beside the file, so two processes writing at once
//     never lose each other's values. The lock file stays; temporary files
//     left by a writer that crashed are removed by the next write that
//     changes the file.
//   - Remove() takes a value out (every line of that name in the section)
//     the same way: re-read under the lock, replaced atomically, nothing
//     written when the file holds no such value.
//   - Write() refuses (errc::invalid_argument, nothing written) what would
//     not read back as written: see IniDocument::CanStore().
//   - Write() fails, leaving the file as it is, when an existing file cannot
//     be read (a folder in its place fails with errc::is_a_directory, a file
//     over the limit with errc::file_too_large), so nothing the user has is
//     destroyed. It also fails with errc::file_too_large, leaving the file
//     as it is, when the change would grow the file past the limit: such a
//     file would no longer be read. A missing file is created, with any
//     missing folders above it (mode 0700).
//   - When the file is a symbolic link, the file it points to is replaced
//     and the link stays.
//   - Outside a batch (below) every read opens and reads the file afresh,
//     so it sees what the file holds at that moment, whatever another
//     process did in between. Only the parsing is saved: a store keeps the
//     text it last parsed with its document and parses again only when the
//     bytes read differ.
//   - A write of the value the file already holds takes no lock: a reading
//     of the file that shows the value stored is where such a write takes
//     effect, and it leaves the file exactly as it is. Only a write that
//     changes the file re-reads it under the lock.
//   - A batch (StoreBatch below) is a run of reads and writes that belong
//     together, such as loading every box of a window. Inside it the file
//     is read once, at the batch's first read or write, and the batch's
//     reads are answered from that one reading: one consistent view of the
//     file as it was at that moment, whatever another process does
//     meanwhile. A write inside the batch of the value that view holds is
//     done at that moment too and changes nothing, as above; any other
//     write goes the locked way (re-read under the lock, replaced
//     atomically), and from then on the batch's view is the text that write
//     left in the file, so the batch reads what it wrote. When the batch
//     ends its view is dropped: the next read opens the file afresh and
//     sees any change made meanwhile. Batches may nest; the outermost one
//     decides. ReadProblem() and ReadSectionChecked() always read afresh.
//     The rule for callers: a batch holds one load of values that are used
//     together (the start-up options, the Deepwash boxes, the run's
//     filters, a drive's figures), and nothing that waits for the user or
//     for a long task, since its view is as old as its first read.
//   - One PreferencesFile is for one thread at a time (the parsed text it
//     keeps is not locked); other objects and other processes may use the
//     same file at the same time.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/ini_document.h"

namespace tidewell::platform {

// Per-user named string values: section -> value name -> text.
class PreferencesStore {
 public:
  virtual ~PreferencesStore() = default;
  // The stored text, or `fallback` when the value (or the file) is missing or unreadable.
  virtual std::string Read(std::string_view section, std::string_view name,
                           std::string_view fallback) = 0;
  // Creates or replaces one value at once (no buffering). An error when it could not be stored.
  virtual std::error_code Write(std::string_view section, std::string_view name,
                                std::string_view value) = 0;
  // Every Name=Value of a section in file order (empty when missing/unreadable).
  virtual std::vector<std::pair<std::string, std::string>> ReadSection(std::string_view section) = 0;
  // Removes a value (every one of that name the section holds) at once; no
  // error when there was none. A store that cannot remove values says
  // errc::operation_not_supported.
  virtual std::error_code Remove(std::string_view /*section*/, std::string_view /*name*/) {
    return std::make_error_code(std::errc::operation_not_supported);
  }
  // Every value of a name that the section repeats, in file order (a list
  // such as [Keep] Path=). A store without repeated names gives the one value.
  virtual std::vector<std::string> ReadEvery(std::string_view section, std::string_view name) {
    constexpr std::string_view kMissing = "\n";
    std::string value = Read(section, name, kMissing);
    if (value == kMissing) return {};
    return {std::move(value)};
  }
  // The same, each value with the number of its line in the file (the
  // first line is 1; 0 where the store has no lines).
  struct NumberedValue {
    std::string value;
    std::size_t line = 0;
  };
  virtual std::vector<NumberedValue> ReadEveryNumbered(std::string_view section, std::string_view name) {
    std::vector<NumberedValue> values;
    for (std::string& value : ReadEvery(section, name)) values.push_back({std::move(value), 0});
    return values;
  }

  // A batch begins and ends: use StoreBatch, which pairs them. A store that
  // reads nothing from elsewhere has nothing to do.
  virtual void BeginBatch() {}
  virtual void EndBatch() {}
};

// For the life of this object the store's reads and writes form one batch
// (see above): a store that re-reads a file for every value reads it once.
class StoreBatch {
 public:
  explicit StoreBatch(PreferencesStore& store) : store_(store) { store_.BeginBatch(); }
  ~StoreBatch() { store_.EndBatch(); }
  StoreBatch(const StoreBatch&) = delete;
  StoreBatch& operator=(const StoreBatch&) = delete;

 private:
  PreferencesStore& store_;
};

// The store as an INI file at a host path.
class PreferencesFile : public PreferencesStore {
 public:
  // Files larger than this are not read (and so not replaced), and no write
  // makes a file larger than this.
  static constexpr std::size_t kSizeLimit = 1u << 20;

  explicit PreferencesFile(std::string hostPath);

  // ${XDG_CONFIG_HOME:-$HOME/.config}/Tidewell/Tidewell.ini. XDG_CONFIG_HOME
  // counts only when it is an absolute path; without HOME the user's home
  // folder from the password database is used. Empty when neither is known
  // (reads then give fallbacks and writes fail).
  static std::string DefaultPath();

  const std::string& Path() const { return path_; }

  // Why the file exists but cannot be read: permission_denied, file_too_large,
  // is_a_directory, TextFileError::NotARegularFile or what the system said.
  // No error when it reads, or when there is no file (or no folder for it).
  std::error_code ReadProblem() const;

  // ReadSection() and ReadProblem() from one reading of the file, so the
  // values cannot come from another file than the answer: on an error
  // `values` is empty and must not be taken for an empty section.
  std::error_code ReadSectionChecked(std::string_view section,
                                     std::vector<std::pair<std::string, std::string>>& values) const;

  std::string Read(std::string_view section, std::string_view name,
                   std::string_view fallback) override;
  std::error_code Write(std::string_view section, std::string_view name,
                        std::string_view value) override;
  std::error_code Remove(std::string_view section, std::string_view name) override;
  std::vector<std::pair<std::string, std::string>> ReadSection(std::string_view section) override;
  std::vector<std::string> ReadEvery(std::string_view section, std::string_view name) override;
  std::vector<NumberedValue> ReadEveryNumbered(std::string_view section, std::string_view name) override;
  void BeginBatch() override;
  void EndBatch() override;

 private:
  // The document of `text`, parsed only when the bytes differ from the
  // text parsed last; valid until the next call.
  const IniDocument& Parsed(std::string&& text) const;
  // The file's document as it is now (inside a batch: the batch's view);
  // null when it is missing or cannot be read.
  const IniDocument* ReadDocument() const;
  // Re-reads the file under the lock, lets `change` change its document and
  // replaces the file when the text differs (Write() and Remove()).
  template <typename Change>
  std::error_code ChangeLocked(Change&& change);

  std::string path_;
  mutable std::string parsedText_;
  mutable std::optional<IniDocument> parsedDocument_;
  // Open batches; while one is open and `batchRead_`, the batch's view is
  // the parsed document (or, without `batchReadable_`, no file to read).
  int batchDepth_ = 0;
  mutable bool batchRead_ = false;
  mutable bool batchReadable_ = false;
};

// ReadProblem()'s error in a few plain lower-case words for the user:
// "permission denied", "larger than 1 MiB", "a folder, not a file",
// "not a regular file", else the system's own message.
std::string DescribeReadProblem(const std::error_code& error);

}  // namespace tidewell::platform
