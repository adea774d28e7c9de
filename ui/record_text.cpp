#include "ui/record_text.h"

#include <cstdint>

#include "platform/text_file.h"

namespace tidewell::ui {
namespace {

// The tail of a record as shown: a first line saying what was left out, then
// the tail from its first whole line on (the cut falls inside a line).
// The limit as the notice names it: whole MiB, else KiB.
std::string SizeName(std::size_t bytes) {
  if (bytes >= (1u << 20) && bytes % (1u << 20) == 0) return std::to_string(bytes >> 20) + " MiB";
  return std::to_string(bytes >> 10) + " KiB";
}

std::string WithLeftOutNotice(std::string tail, std::uint64_t skipped, std::size_t shownBytes) {
  std::size_t start = tail.find('\n');
  start = start == std::string::npos ? tail.size() : start + 1;
  skipped += start;
  return "[The first " + std::to_string(skipped) +
         " bytes of this file, its oldest entries, are left out: the viewer shows the last " +
         SizeName(shownBytes) + ".]\r\n" + tail.substr(start);
}

}  // namespace

std::error_code ReadShownRecord(const std::string& hostPath, std::string& shown, std::size_t shownBytes) {
  std::uint64_t skipped = 0;
  if (const std::error_code error = platform::ReadTextFileTail(hostPath, shown, shownBytes, skipped)) {
    return error;
  }
  if (skipped > 0) shown = WithLeftOutNotice(std::move(shown), skipped, shownBytes);
  return {};
}

}  // namespace tidewell::ui
