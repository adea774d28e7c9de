#include "records/run_report.h"

#include "platform/text_case.h"
#include "records/byte_count.h"

namespace tidewell {
namespace {
constexpr std::string_view kLineEnd = "\r\n";

std::string Line(std::string_view text) {
  std::string line(text);
  line.append(kLineEnd);
  return line;
}
}  // namespace

std::string ReportStartLines(RunKind kind) {
  std::string lines = Line("") + Line("TIDEWELL III REPORT");
  if (kind == RunKind::Test) lines += Line("(TEST RUN ONLY)");
  return lines + Line("Tidewell STARTED");
}

std::string ReportFinishLine() { return Line("Tidewell FINISHED"); }

std::string ReportWhenLines(const std::tm& when, const platform::LocaleFormat& locale) {
  return Line(locale.LongDate(when)) + Line(locale.LongTime(when));
}

std::string ReportFigureLines(std::string_view drive, float totalFiles, float totalBytes,
                              float freeBytesBefore, const platform::LocaleFormat& locale) {
  const float freeBytesAfter = totalBytes + freeBytesBefore;  // single precision, as stored
  return Line("Drive " + UpperCased(drive)) +
         Line(locale.WholeNumber(totalFiles) + " files DELETED") +
         Line(locale.WholeNumber(freeBytesBefore) + " bytes free before cleaning") +
         Line(locale.WholeNumber(freeBytesAfter) + " bytes free after cleaning") +
         Line(locale.WholeNumber(totalBytes) + " bytes SAVED (" +
              FormatByteCount(totalBytes, ExactBytes::Omit, locale) + ")");
}

}  // namespace tidewell
