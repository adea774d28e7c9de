#include "engine/log_section.h"

namespace tidewell {

std::error_code OpenLogSection(RunContext& context, std::string_view drive) {
  const std::tm now = context.Now();
  const std::string openedAt = context.locale->LongDate(now) + " @ " + context.locale->LongTime(now);
  const RunKind kind = context.IsOn(RunOption::TestRun) ? RunKind::Test : RunKind::Destructive;
  return context.log.OpenSection(context.LogPath(), drive, kind, openedAt);
}

std::error_code CloseLogSection(RunContext& context) {
  return context.log.CloseSection(context.locale->WholeNumber(context.totals.totalFiles));
}

std::error_code WriteLogItem(RunContext& context, LogItem item, std::string_view path) {
  return context.log.WriteItem(item, path);
}

}  // namespace tidewell
