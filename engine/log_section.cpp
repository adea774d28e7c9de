#include "engine/log_section.h"

#include "engine/records_error.h"
#include "engine/run_report.h"

namespace tidewell {

std::error_code OpenLogSection(RunContext& context, std::string_view drive) {
  const std::tm now = context.config.clock->LocalTime();
  const std::string openedAt = context.config.locale->LongDate(now) + " @ " + context.config.locale->LongTime(now);
  return context.state.log.OpenSection(context.config.LogPath(), drive, CurrentRunKind(context), openedAt);
}

std::error_code CloseLogSection(RunContext& context) {
  return context.state.log.CloseSection(context.config.locale->WholeNumber(context.state.totals.totalFiles));
}

void WriteLogItem(RunContext& context, LogItem item, std::string_view path) {
  if (!context.state.log.IsOpen()) return;
  if (std::error_code error = context.state.log.WriteItem(item, path)) {
    throw RecordsError({RecordsFile::DeletionLog, context.config.LogPath(), error});
  }
}

}  // namespace tidewell
