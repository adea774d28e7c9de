#include "cli/drive_summary.h"

#include <algorithm>
#include <cmath>

#include "cli/help_text.h"
#include "platform/host_paths.h"
#include "platform/text_case.h"
#include "platform/utf8.h"
#include "records/byte_count.h"

namespace tidewell::cli {
namespace {

std::string WholeBytes(float value) { return std::to_string(static_cast<long long>(std::llround(value))); }

std::string CategoriesJson(const CategoryTotals& totals) {
  std::string json = "[";
  for (const CategoryTotals::Row& row : totals.Biggest()) {
    if (json.size() > 1) json += ",";
    json += "{\"name\":" + JsonString(row.bucket.Name()) + ",\"files\":" + std::to_string(row.figures.files) +
            ",\"bytes\":" + std::to_string(row.figures.bytes) + "}";
  }
  return json + "]";
}

// The table under a drive's line, within 80 columns: the caption comes
// last and wraps within its column, so every row keeps its whole caption.
void PrintCategoryTable(std::FILE* out, const CategoryTotals& totals, const platform::LocaleFormat& locale) {
  const std::vector<CategoryTotals::Row> rows = totals.Biggest();
  if (rows.empty()) {
    std::fprintf(out, "  (no category chose a file)\n");
    return;
  }
  constexpr const char* kRow = "  %-14s %10s  %-18s  ";
  char head[96];
  std::snprintf(head, sizeof head, kRow, "Category", "Files", "Size");
  const std::string captionIndent(std::string(head).size(), ' ');
  std::fprintf(out, "%sCaption\n", head);
  for (const CategoryTotals::Row& row : rows) {
    char start[160];
    std::snprintf(start, sizeof start, kRow, std::string(row.bucket.Name()).c_str(),
                  locale.WholeNumber(static_cast<double>(row.figures.files)).c_str(),
                  FormatByteCount(static_cast<double>(row.figures.bytes), ExactBytes::Omit, locale).c_str());
    std::fputs(Wrapped(row.bucket.Caption(), start, captionIndent).c_str(), out);
  }
}

}  // namespace

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte == '"' || byte == '\\') {
      out.push_back('\\');
      out.push_back(static_cast<char>(byte));
    } else if (byte < 0x20 || byte == 0x7f) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      out += escaped;
    } else if (byte < 0x80) {
      out.push_back(static_cast<char>(byte));
    } else if (const std::size_t length = Utf8SequenceLength(text.substr(i))) {
      out.append(text.substr(i, length));
      i += length - 1;
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      out += escaped;
    }
  }
  return out + "\"";
}

DriveSummaries::DriveSummaries(RunConfig& config) : config_(config) {
  config.driveFinished = [this](const DriveSummary& summary) { drives_.push_back(summary); };
}

void DriveSummaries::Print(std::FILE* out, bool json, bool byCategory) const {
  const platform::LocaleFormat& locale = *config_.locale;
  // The log is named only when this run wrote to it: a log left by an
  // earlier run describes that run, not this one.
  const bool logWritten = std::any_of(drives_.begin(), drives_.end(), [](const DriveSummary& d) { return d.logWritten; });
  const bool logKept = logWritten && platform::HostRegularFileExists(config_.LogPath());
  const bool reportKept = platform::HostRegularFileExists(config_.ReportPath());
  long long allFiles = 0;
  long long allBytes = 0;
  bool allFinished = !drives_.empty();
  for (const DriveSummary& drive : drives_) {
    const std::string name = UpperCased(drive.drive.substr(0, 2));
    const std::string bytesText = FormatByteCount(drive.totals.totalBytes, ExactBytes::Omit, locale);
    allFiles += std::llround(drive.totals.totalFiles);
    allBytes += std::llround(drive.totals.totalBytes);
    allFinished = allFinished && drive.end == DriveEnd::Finished;
    const platform::DriveMapping* mapping = name.empty() ? nullptr : config_.files.Drives().Find(name[0]);
    const std::string label = mapping != nullptr ? mapping->label : std::string();
    const std::string folder = mapping != nullptr ? mapping->hostRoot : std::string();
    if (json) {
      std::fprintf(out,
                   "{\"drive\":%s,\"label\":%s,\"folder\":%s,\"testRun\":%s,\"finished\":%s,\"filesDeleted\":%s,\"bytesSaved\":%s,"
                   "\"bytesSavedText\":%s,\"bytesFreeBefore\":%s,\"deletionLog\":%s,\"runReport\":%s,"
                   "\"categories\":%s}\n",
                   JsonString(name).c_str(), JsonString(label).c_str(), JsonString(folder).c_str(),
                   drive.kind == RunKind::Test ? "true" : "false",
                   drive.end == DriveEnd::Finished ? "true" : "false",
                   WholeBytes(drive.totals.totalFiles).c_str(), WholeBytes(drive.totals.totalBytes).c_str(),
                   JsonString(bytesText).c_str(), WholeBytes(drive.freeBytesBefore).c_str(),
                   logKept ? JsonString(config_.LogPath()).c_str() : "null",
                   reportKept ? JsonString(config_.ReportPath()).c_str() : "null",
                   CategoriesJson(drive.totals.byCategory).c_str());
      continue;
    }
    const std::string files = locale.WholeNumber(drive.totals.totalFiles);
    // Which volume and folder the letter stood for in this run.
    const std::string place = mapping != nullptr ? " (" + label + " at " + folder + ")" : std::string();
    if (drive.end == DriveEnd::Abandoned) {
      std::fprintf(out, "Drive %s stopped, its records could not be written (%s files, %s so far).%s\n",
                   name.c_str(), files.c_str(), bytesText.c_str(), place.c_str());
    } else if (drive.end == DriveEnd::Interrupted && drive.kind == RunKind::Test) {
      std::fprintf(out,
                   "Drive %s interrupted: test run, nothing deleted; a destructive run would so far remove %s "
                   "files (%s).%s\n",
                   name.c_str(), files.c_str(), bytesText.c_str(), place.c_str());
    } else if (drive.end == DriveEnd::Interrupted) {
      std::fprintf(out, "Drive %s interrupted: %s files deleted, %s reclaimed.%s\n", name.c_str(), files.c_str(),
                   bytesText.c_str(), place.c_str());
    } else if (drive.kind == RunKind::Test) {
      std::fprintf(out, "Drive %s test run, nothing deleted; a destructive run would remove %s files (%s).%s\n",
                   name.c_str(), files.c_str(), bytesText.c_str(), place.c_str());
    } else {
      std::fprintf(out, "Drive %s %s files deleted, %s reclaimed.%s\n", name.c_str(), files.c_str(),
                   bytesText.c_str(), place.c_str());
    }
    if (byCategory) PrintCategoryTable(out, drive.totals.byCategory, locale);
  }
  if (json) {
    // The totals of every drive, last, also when no drive was cleaned.
    std::fprintf(out,
                 "{\"totals\":{\"drives\":%zu,\"files\":%lld,\"bytes\":%lld,\"bytesText\":%s},"
                 "\"testRun\":%s,\"finished\":%s,\"deletionLog\":%s,\"runReport\":%s}\n",
                 drives_.size(), allFiles, allBytes,
                 JsonString(FormatByteCount(static_cast<double>(allBytes), ExactBytes::Omit, locale)).c_str(),
                 config_.IsOn(RunOption::TestRun) ? "true" : "false", allFinished ? "true" : "false",
                 logKept ? JsonString(config_.LogPath()).c_str() : "null",
                 reportKept && !drives_.empty() ? JsonString(config_.ReportPath()).c_str() : "null");
    return;
  }
  if (drives_.empty()) std::fprintf(out, "No drive was cleaned.\n");
  if (logKept && !drives_.empty()) std::fprintf(out, "Deletion log: %s\n", config_.LogPath().c_str());
  if (reportKept && !drives_.empty()) std::fprintf(out, "Run report: %s\n", config_.ReportPath().c_str());
}

}  // namespace tidewell::cli
