#include "engine/run_report.h"

#include <optional>

#include "engine/drive_checks.h"
#include "engine/records_error.h"
#include "platform/preferences_store.h"
#include "platform/text_file.h"
#include "records/run_report.h"
#include "settings/check_value.h"

namespace tidewell {
namespace {

void StoreInfo(RunContext& context, std::string_view name, const std::string& value) {
  if (context.store != nullptr) context.store->Write(kInfoSection, name, value);
}

// Appends `text` to the report in one open-write-close.
void AppendToReport(RunContext& context, const std::string& text) {
  platform::AppendFile file;
  std::error_code error = file.Open(context.ReportPath());
  if (!error) error = file.Append(text);
  if (std::error_code closing = file.Close(); closing && !error) error = closing;
  if (error) {
    context.report.reportStarted = false;
    throw RecordsError({RecordsFile::RunReport, context.ReportPath(), error});
  }
}

}  // namespace

void WriteRunReport(RunContext& context, std::string_view drive) {
  ReportState& report = context.report;
  report.reportStarted = !report.reportStarted;
  const std::tm now = context.Now();
  const std::string when = ReportWhenLines(now, *context.locale);

  if (report.reportStarted) {
    AppendToReport(context, ReportStartLines(CurrentRunKind(context)) + when);
    report.freeBytesBefore = DriveFreeBytes(context, drive);
    context.totals.Reset();
    StoreInfo(context, "BytesFree", context.locale->WholeNumber(report.freeBytesBefore));
  } else {
    // The finish and the figures in one append: the same bytes, and a crash
    // leaves both or neither.
    AppendToReport(context, ReportFinishLine() + when +
                                ReportFigureLines(drive, context.totals.totalFiles, context.totals.totalBytes,
                                                  report.freeBytesBefore, *context.locale));
    // The drive's two figures as one batch: one reading of the store for both.
    std::optional<platform::StoreBatch> batch;
    if (context.store != nullptr) batch.emplace(*context.store);
    StoreInfo(context, "BytesSaved", context.locale->WholeNumber(context.totals.totalBytes));
    StoreInfo(context, "FilesDeleted", context.locale->WholeNumber(context.totals.totalFiles));
  }

  if (!context.IsOn(RunOption::KeepReport)) {
    if (std::error_code error = platform::DeleteTextFile(context.ReportPath())) {
      report.reportStarted = false;
      throw RecordsError({RecordsFile::RunReport, context.ReportPath(), error, true});
    }
  }
}

RunKind CurrentRunKind(const RunContext& context) {
  return context.IsOn(RunOption::TestRun) ? RunKind::Test : RunKind::Destructive;
}

void StoreLastCleanup(RunContext& context) {
  const std::tm now = context.Now();
  StoreInfo(context, "LastCleanup", context.locale->ShortDate(now) + " " + context.locale->LongTime(now));
}

}  // namespace tidewell
