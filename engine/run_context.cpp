#include "engine/run_context.h"

#include <algorithm>

#include "records/byte_count.h"

namespace tidewell {

void YieldToMessages(RunContext& context) {
  if (!context.config.IsOn(RunOption::OptimisePerformance)) {
    context.config.feedback.ProcessPendingMessages();
  } else {
    StopIfRequested(context);
  }
}

void YieldToMessages(RunContext& context, std::uint32_t times) {
  while (times > 0) {
    if (context.config.IsOn(RunOption::OptimisePerformance)) {
      // Nothing between the stop points can switch the option off: only
      // processing messages could, and a stop point processes them only to
      // end the program. So one stop point stands for all of them.
      StopIfRequested(context);
      return;
    }
    const std::uint32_t done = context.config.feedback.ProcessPendingMessagesInARow(times);
    times -= std::clamp<std::uint32_t>(done, 1, times);
  }
}

void StopIfRequested(RunContext& context) {
  if (context.config.feedback.StopRequested()) context.config.feedback.ProcessPendingMessages();
}

int ClampOrDefault(int value, int low, int high, int fallback) {
  return (value < low || value > high) ? fallback : value;
}

void StepProgress(RunContext& context, ProgressStep step) {
  ProgressState& state = context.state.progress;
  if (step == ProgressStep::Reset) {
    state.progressFalling = false;
    state.progressPosition = -1;
  } else {
    context.config.feedback.SetStatusText("Cleaning HD: " +
                                          CleanedSoFarText(context.state.totals, *context.config.locale));
  }
  const int position = state.progressFalling
                           ? ClampOrDefault(state.progressPosition - 1, 0, 100, 100)
                           : ClampOrDefault(state.progressPosition + 1, 0, 100, 0);
  state.progressPosition = static_cast<std::int16_t>(step == ProgressStep::Finish ? 100 : position);
  if (state.progressPosition == 0) state.progressFalling = false;
  if (state.progressPosition == 100) state.progressFalling = true;
  context.config.feedback.SetProgressValue(state.progressPosition);
}

std::string CleanedSoFarText(const RunTotals& totals, const platform::LocaleFormat& locale) {
  return FormatByteCount(totals.totalBytes, ExactBytes::Omit, locale) + ", " +
         locale.WholeNumber(totals.totalFiles) + " files cleaned";
}

bool HasSwitch(std::string_view commandLine, char letter) {
  const char wanted[] = {'/', letter, '\0'};
  return commandLine.find(wanted) != std::string_view::npos;
}

}  // namespace tidewell
