// The preferences store as an INI file: whole-file reads, and writes that
// re-read, change one value and replace the file atomically under a lock.
// The bytes are read and replaced through text_file.h; locking, links and
// folders are the host's (preferences_file_host.h).
#include "platform/preferences_store.h"

#include <optional>
#include <utility>

#include "platform/host_paths.h"
#include "platform/preferences_file_host.h"
#include "platform/text_file.h"

namespace tidewell::platform {
namespace {

// The existing file's text; a missing file is an empty text. Any other
// failure to read (permission, size, not a regular file) is an error; a
// folder in the file's place is reported as such, so the user is told what
// stands in the way rather than "invalid argument".
std::error_code ReadExisting(const std::string& path, std::string& text) {
  text.clear();
  const std::error_code error = ReadTextFile(path, text, PreferencesFile::kSizeLimit);
  if (error == std::errc::no_such_file_or_directory) {
    text.clear();
    return {};
  }
  if (error == TextFileError::NotARegularFile && IsHostFolder(path)) {
    return std::make_error_code(std::errc::is_a_directory);
  }
  return error;
}

}  // namespace

PreferencesFile::PreferencesFile(std::string hostPath) : path_(std::move(hostPath)) {}

const IniDocument& PreferencesFile::Parsed(std::string&& text) const {
  // A run reads the store dozens of times and it rarely changes in between:
  // comparing the bytes costs far less than parsing them again. Only equal
  // bytes reuse the document, so what a read gives is always what the file
  // held when it was read.
  if (!parsedDocument_ || text != parsedText_) {
    parsedDocument_.reset();  // a failed parse leaves nothing stale behind
    parsedText_ = std::move(text);
    parsedDocument_ = IniDocument::Parse(parsedText_);
  }
  return *parsedDocument_;
}

const IniDocument* PreferencesFile::ReadDocument() const {
  if (batchDepth_ > 0 && batchRead_) return batchReadable_ ? &*parsedDocument_ : nullptr;
  std::string text;
  const bool readable = !ReadTextFile(path_, text, kSizeLimit);
  const IniDocument* document = readable ? &Parsed(std::move(text)) : nullptr;
  if (batchDepth_ > 0) {
    // This reading is the batch's view until it ends (or writes).
    batchRead_ = true;
    batchReadable_ = readable;
  }
  return document;
}

void PreferencesFile::BeginBatch() {
  if (batchDepth_++ == 0) batchRead_ = false;
}

void PreferencesFile::EndBatch() {
  if (batchDepth_ > 0 && --batchDepth_ == 0) batchRead_ = false;
}

std::string PreferencesFile::Read(std::string_view section, std::string_view name,
                                  std::string_view fallback) {
  const IniDocument* document = ReadDocument();
  if (document == nullptr) return std::string(fallback);
  return document->Get(section, name).value_or(std::string(fallback));
}

std::error_code PreferencesFile::ReadSectionChecked(std::string_view section,
                                                    std::vector<std::pair<std::string, std::string>>& values) const {
  values.clear();
  if (path_.empty()) return {};
  std::string text;
  const std::error_code error = ReadExisting(path_, text);
  // A folder above the file that is a file: there is no store, so none is lost.
  if (error == std::errc::not_a_directory) return {};
  if (error) return error;
  // A batch's view is the parsed document: this reading must not replace it.
  values = batchDepth_ > 0 && batchRead_ ? IniDocument::Parse(text).Section(section)
                                         : Parsed(std::move(text)).Section(section);
  return {};
}

std::error_code PreferencesFile::ReadProblem() const {
  std::vector<std::pair<std::string, std::string>> ignored;
  return ReadSectionChecked({}, ignored);
}

std::string DescribeReadProblem(const std::error_code& error) {
  static_assert(PreferencesFile::kSizeLimit == 1u << 20, "the text below names the limit");
  if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted) {
    return "permission denied";
  }
  if (error == std::errc::file_too_large) return "larger than 1 MiB";
  if (error == std::errc::is_a_directory) return "a folder, not a file";
  if (error == TextFileError::NotARegularFile) return "not a regular file";
  if (error == std::errc::too_many_symbolic_link_levels) return "a loop of symbolic links";
  return error.message();
}

std::vector<std::pair<std::string, std::string>> PreferencesFile::ReadSection(std::string_view section) {
  const IniDocument* document = ReadDocument();
  if (document == nullptr) return {};
  return document->Section(section);
}

std::vector<std::string> PreferencesFile::ReadEvery(std::string_view section, std::string_view name) {
  const IniDocument* document = ReadDocument();
  if (document == nullptr) return {};
  return document->GetEvery(section, name);
}

std::vector<PreferencesStore::NumberedValue> PreferencesFile::ReadEveryNumbered(std::string_view section,
                                                                                std::string_view name) {
  const IniDocument* document = ReadDocument();
  if (document == nullptr) return {};
  std::vector<NumberedValue> values;
  for (auto& [value, line] : document->GetEveryWithLines(section, name)) values.push_back({std::move(value), line});
  return values;
}

std::error_code PreferencesFile::Write(std::string_view section, std::string_view name,
                                       std::string_view value) {
  if (!IniDocument::CanStore(section, name, value)) {
    return std::make_error_code(std::errc::invalid_argument);
  }
  if (path_.empty()) return std::make_error_code(std::errc::no_such_file_or_directory);
  // Most writes of a run store the value the file already holds. A reading
  // that shows it stored is a moment at which this write is done and changes
  // nothing, so it needs neither the lock nor a second reading under it.
  // Any other outcome (a missing or unreadable file, another value) goes the
  // locked way below, which decides afresh. Inside a batch the reading is
  // the batch's view, the moment at which the batch's reads are done too.
  if (const IniDocument* current = ReadDocument(); current != nullptr && current->Holds(section, name, value)) {
    return {};
  }
  return ChangeLocked([&](IniDocument& document) { document.Set(section, name, value); });
}

std::error_code PreferencesFile::Remove(std::string_view section, std::string_view name) {
  if (path_.empty()) return std::make_error_code(std::errc::no_such_file_or_directory);
  // Nothing to remove (no such value, no file): no lock, no file made. An
  // unreadable file goes the locked way, which fails as a write does.
  const IniDocument* current = ReadDocument();
  if (current != nullptr ? !current->Get(section, name) : !ReadProblem()) return {};
  return ChangeLocked([&](IniDocument& document) { document.Remove(section, name); });
}

template <typename Change>
std::error_code PreferencesFile::ChangeLocked(Change&& change) {
  if (std::error_code error = CreateFoldersFor(path_)) return error;

  // The text the file holds once this change is done, for a batch's view.
  std::optional<std::string> left;
  const std::error_code result = WithExclusiveLock(path_ + ".lock", [&]() -> std::error_code {
    const std::string target = ReplacementTarget(path_);
    std::string text;
    if (std::error_code error = ReadExisting(target, text)) return error;
    IniDocument document = IniDocument::Parse(text);
    change(document);
    // A file grown past the limit would no longer be read: every value in it
    // would fall back to its default at the next start.
    std::string replacement = document.Text();
    // A run stores most of its values unchanged; rewriting and syncing the
    // same text would be most of a small drive's fixed cost.
    if (replacement == text) {
      left = std::move(text);
      return std::error_code();
    }
    if (replacement.size() > kSizeLimit) return std::make_error_code(std::errc::file_too_large);
    RemoveStaleTemporaries(target);
    if (std::error_code error = ReplaceTextFile(target, replacement)) return error;
    left = std::move(replacement);
    return SyncFolderOf(target);
  });
  // Inside a batch the view moves on to the file as this write left it (read
  // under the lock, so a moment of the file's own), and the batch reads what
  // it wrote. A write that failed before replacing the file changed nothing:
  // the view stays.
  if (batchDepth_ > 0 && left) {
    batchRead_ = false;  // no view while it is parsed (a parse that throws leaves none)
    Parsed(std::move(*left));
    batchRead_ = true;
    batchReadable_ = true;
  }
  return result;
}

}  // namespace tidewell::platform
