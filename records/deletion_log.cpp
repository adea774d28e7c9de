#include "records/deletion_log.h"

#include <algorithm>

#include "platform/text_case.h"

namespace tidewell {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

// Appends `path` with each control character in caret notation. The runs of
// plain characters between them (the whole path, nearly always) go in at
// once, since every line of a test run's log passes through here.
void AppendEscaped(std::string& out, std::string_view path) {
  for (;;) {
    const auto control = std::find_if(path.begin(), path.end(), [](char c) {
      const auto byte = static_cast<unsigned char>(c);
      return byte < 0x20 || byte == 0x7f;
    });
    out.append(path.begin(), control);
    if (control == path.end()) return;
    const auto byte = static_cast<unsigned char>(*control);
    out.push_back('^');
    out.push_back(byte == 0x7f ? '?' : static_cast<char>(byte + 0x40));
    path.remove_prefix(static_cast<std::size_t>(control - path.begin()) + 1);
  }
}

}  // namespace

std::string EscapedForLog(std::string_view path) {
  std::string out;
  out.reserve(path.size());
  AppendEscaped(out, path);
  return out;
}

std::error_code DeletionLog::OpenSection(const std::string& hostPath, std::string_view drive,
                                         RunKind kind, std::string_view openedAt) {
  // A section left open goes out with what it holds before the new file opens.
  Close();
  if (std::error_code error = file_.Open(hostPath)) return error;
  std::string header;
  header.append(kLineEnd);
  header.append("TIDEWELL III LOG FILE").append(kLineEnd);
  header.append(EscapedForLog(openedAt)).append(kLineEnd);
  header.append("Drive ").append(UpperCased(EscapedForLog(drive.substr(0, 2)))).append(kLineEnd);
  if (kind == RunKind::Test) {
    header.append("[Results of NON-DESTRUCTIVE TEST RUN]").append(kLineEnd);
    header.append("Tidewell logged the following files for deletion,").append(kLineEnd);
    header.append("but did not actually delete any of these files:").append(kLineEnd);
  } else {
    header.append("[Results of DESTRUCTIVE run]").append(kLineEnd);
    header.append("Tidewell DELETED the following files and folders:").append(kLineEnd);
  }
  if (std::error_code error = file_.Append(header)) {
    file_.Close();
    return error;
  }
  buffered_ = kind == RunKind::Test;
  return {};
}

std::error_code DeletionLog::WriteItem(LogItem item, std::string_view path) {
  const std::string_view label = item == LogItem::DeleteFile ? "Delete file: " : "Remove folder: ";
  std::string line;
  line.reserve(label.size() + path.size() + kLineEnd.size() + 8);
  line.append(label);
  AppendEscaped(line, path);
  line.append(kLineEnd);
  return PutLine(line);
}

std::error_code DeletionLog::CloseSection(std::string_view countText) {
  std::string line(countText);
  line.append(" files DELETED").append(kLineEnd);
  std::error_code error = PutLine(line);
  if (std::error_code flushing = Flush(); flushing && !error) error = flushing;
  if (std::error_code closing = file_.Close(); closing && !error) error = closing;
  return error;
}

void DeletionLog::Close() {
  (void)Flush();
  file_.Close();
}

DeletionLog::~DeletionLog() { Close(); }

std::error_code DeletionLog::PutLine(std::string_view line) {
  if (!file_.IsOpen()) return std::make_error_code(std::errc::bad_file_descriptor);
  if (!buffered_) return file_.Append(line);
  if (buffer_.size() + line.size() > kTestRunBufferBytes) {
    if (std::error_code error = Flush()) return error;
  }
  // A line longer than the whole buffer (a path thousands of folders deep)
  // goes out on its own.
  if (line.size() > kTestRunBufferBytes) return file_.Append(line);
  if (buffer_.capacity() < kTestRunBufferBytes) buffer_.reserve(kTestRunBufferBytes);
  buffer_.append(line);
  return {};
}

std::error_code DeletionLog::Flush() {
  if (buffer_.empty()) return {};
  const std::error_code error = file_.Append(buffer_);
  buffer_.clear();
  return error;
}

}  // namespace tidewell
