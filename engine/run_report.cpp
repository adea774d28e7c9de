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
  if (context.config.store != nullptr) context.config.store->Write(kInfoSection, name, value);
}

// Appends `text` to the report in one open-write-close.
void AppendToReport(RunContext& context, const std::string& text) {
  platform::AppendFile file;
  std::error_code error = file.Open(context.config.ReportPath());
  if (!error) error = file.Append(text);
  if (std::error_code closing = file.Close(); closing && !error) error = closing;
  if (error) {
    context.state.report.reportStarted = false;
    throw RecordsError({RecordsFile::RunReport, context.config.ReportPath(), error});
  }
}

}  // namespace

void WriteRunReport(RunContext& context, std::string_view drive) {
  ReportState& report = context.state.report;
  report.reportStarted = !report.reportStarted;
  const std::tm now = context.config.clock->LocalTime();
  const std::string when = ReportWhenLines(now, *context.config.locale);

  if (report.reportStarted) {
    AppendToReport(context, ReportStartLines(CurrentRunKind(context)) + when);
    report.freeBytesBefore = DriveFreeBytes(context, drive);
    context.state.totals.Reset();
    StoreInfo(context, "BytesFree", context.config.locale->WholeNumber(report.freeBytesBefore));
  } else {
    // The finish and the figures in one append: the same bytes, and a crash
    // leaves both or neither.
    AppendToReport(context, ReportFinishLine() + when +
                                ReportFigureLines(drive, context.state.totals.totalFiles, context.state.totals.totalBytes,
                                                  report.freeBytesBefore, *context.config.locale));
    // The drive's two figures as one batch: one reading of the store for both.
    std::optional<platform::StoreBatch> batch;
    if (context.config.store != nullptr) batch.emplace(*context.config.store);
    StoreInfo(context, "BytesSaved", context.config.locale->WholeNumber(context.state.totals.totalBytes));
    StoreInfo(context, "FilesDeleted", context.config.locale->WholeNumber(context.state.totals.totalFiles));
  }

  if (!context.config.IsOn(RunOption::KeepReport)) {
    if (std::error_code error = platform::DeleteTextFile(context.config.ReportPath())) {
      report.reportStarted = false;
      throw RecordsError({RecordsFile::RunReport, context.config.ReportPath(), error, true});
    }
  }
}

RunKind CurrentRunKind(const RunContext& context) {
  return context.config.IsOn(RunOption::TestRun) ? RunKind::Test : RunKind::Destructive;
}

void StoreLastCleanup(RunContext& context) {
  const std::tm now = context.config.clock->LocalTime();
  StoreInfo(context, "LastCleanup", context.config.locale->ShortDate(now) + " " + context.config.locale->LongTime(now));
}

}  // namespace tidewell
