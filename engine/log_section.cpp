#include "engine/log_section.h"

#include "engine/records_error.h"
#include "engine/run_report.h"

namespace tidewell {

std::error_code OpenLogSection(RunContext& context, std::string_view drive) {
  const std::tm now = context.Now();
  const std::string openedAt = context.locale->LongDate(now) + " @ " + context.locale->LongTime(now);
  return context.log.OpenSection(context.LogPath(), drive, CurrentRunKind(context), openedAt);
}

std::error_code CloseLogSection(RunContext& context) {
  return context.log.CloseSection(context.locale->WholeNumber(context.totals.totalFiles));
}

void WriteLogItem(RunContext& context, LogItem item, std::string_view path) {
  if (!context.log.IsOpen()) return;
  if (std::error_code error = context.log.WriteItem(item, path)) {
    throw RecordsError({RecordsFile::DeletionLog, context.LogPath(), error});
  }
}

}  // namespace tidewell
