#include "records/deletion_log.h"

#include "platform/text_case.h"

namespace tidewell {
namespace {
constexpr std::string_view kLineEnd = "\r\n";
}

std::string EscapedForLog(std::string_view path) {
  std::string out;
  out.reserve(path.size());
  for (char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20) {
      out.push_back('^');
      out.push_back(static_cast<char>(byte + 0x40));
    } else if (byte == 0x7f) {
      out.append("^?");
    } else {
      out.push_back(c);
    }
  }
  return out;
}

std::error_code DeletionLog::OpenSection(const std::string& hostPath, std::string_view drive,
                                         RunKind kind, std::string_view openedAt) {
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
  return {};
}

std::error_code DeletionLog::WriteItem(LogItem item, std::string_view path) {
  std::string line(item == LogItem::DeleteFile ? "Delete file: " : "Remove folder: ");
  line.append(EscapedForLog(path)).append(kLineEnd);
  return file_.Append(line);
}

std::error_code DeletionLog::CloseSection(std::string_view countText) {
  std::string line(countText);
  line.append(" files DELETED").append(kLineEnd);
  std::error_code error = file_.Append(line);
  if (std::error_code closing = file_.Close(); closing && !error) error = closing;
  return error;
}

void DeletionLog::Close() { file_.Close(); }

}  // namespace tidewell
