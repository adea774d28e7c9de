#include "ui/record_text.h"

#include <cstdint>

#include "platform/text_file.h"

namespace tidewell::ui {
namespace {

// The tail of a record as shown: a first line saying what was left out, then
// the tail from its first whole line on (the cut falls inside a line).
std::string WithLeftOutNotice(std::string tail, std::uint64_t skipped) {
  std::size_t start = tail.find('\n');
  start = start == std::string::npos ? tail.size() : start + 1;
  skipped += start;
  return "[The first " + std::to_string(skipped) +
         " bytes of this file, its oldest entries, are left out: the viewer shows the last " +
         std::to_string(kRecordShownBytes >> 20) + " MiB.]\r\n" + tail.substr(start);
}

}  // namespace

std::error_code ReadShownRecord(const std::string& hostPath, std::string& shown) {
  std::uint64_t skipped = 0;
  if (const std::error_code error = platform::ReadTextFileTail(hostPath, shown, kRecordShownBytes, skipped)) {
    return error;
  }
  if (skipped > 0) shown = WithLeftOutNotice(std::move(shown), skipped);
  return {};
}

}  // namespace tidewell::ui
