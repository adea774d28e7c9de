// The portable part of the host text files: the errors of TextFileError,
// the names of the temporary files a replacement writes, and the read loop
// under a size limit (bounded_read.h).
#include "platform/text_file.h"

#include <algorithm>
#include <random>

#include "platform/bounded_read.h"

namespace tidewell::platform {
namespace {

constexpr std::string_view kTemporaryMark = ".tmp";

class TextFileErrors : public std::error_category {
 public:
  const char* name() const noexcept override { return "tidewell.text_file"; }
  std::string message(int value) const override {
    switch (static_cast<TextFileError>(value)) {
      case TextFileError::NotARegularFile:
        return "Not a regular file (a pipe, device, socket or folder stands in its place)";
      case TextFileError::SeveralLinks:
        return "The file has more than one link (it is also another file's name)";
    }
    return "Unknown text file error";
  }
};

bool IsDigits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

}  // namespace

const std::error_category& TextFileCategory() {
  static const TextFileErrors category;
  return category;
}

std::error_code make_error_code(TextFileError error) { return {static_cast<int>(error), TextFileCategory()}; }

std::string ReplacementTemporaryPath(const std::string& hostPath, std::uint64_t processId) {
  std::random_device random;
  return hostPath + std::string(kTemporaryMark) + std::to_string(processId) + "-" +
         std::to_string(random() & 0xffffff);
}

bool IsReplacementTemporaryOf(std::string_view entry, std::string_view name) {
  if (!entry.starts_with(name) || !entry.substr(name.size()).starts_with(kTemporaryMark)) return false;
  entry.remove_prefix(name.size() + kTemporaryMark.size());
  const std::size_t dash = entry.find('-');
  return dash != std::string_view::npos && IsDigits(entry.substr(0, dash)) && IsDigits(entry.substr(dash + 1));
}

std::error_code ReadToLimit(const ReadSome& read, std::string& text, std::size_t limit, AtTheLimit atLimit) {
  text.clear();
  char buffer[65536];
  for (;;) {
    std::size_t wanted = sizeof buffer;
    if (atLimit == AtTheLimit::Stop) {
      if (text.size() >= limit) return {};
      wanted = std::min(wanted, limit - text.size());
    }
    std::size_t got = 0;
    if (const std::error_code error = read(buffer, wanted, got)) return error;
    if (got == 0) return {};
    if (text.size() + got > limit) return std::make_error_code(std::errc::file_too_large);
    text.append(buffer, got);
  }
}

}  // namespace tidewell::platform
