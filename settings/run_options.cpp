#include "settings/run_options.h"

namespace tidewell {

bool IsOn(const CleaningOptions& options, RunOption option) {
  const int value = options.CheckValue(option);
  return option == RunOption::OptimisePerformance ? value == 1 : value != 0;
}

}  // namespace tidewell
