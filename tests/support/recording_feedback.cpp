#include "tests/support/recording_feedback.h"

namespace tidewell::testing {

bool RecordingFeedback::SelectDrive(char letter) {
  const char upper = (letter >= 'a' && letter <= 'z') ? static_cast<char>(letter - 'a' + 'A') : letter;
  const auto entry = driveEntries.find(upper);
  if (entry == driveEntries.end()) return false;
  events.push_back(std::string("SelectDrive ") + upper);
  if (entry->second == selectedDrive) return true;  // no change, no handler
  selectedDrive = entry->second;
  if (onDriveChanged) onDriveChanged();
  return true;
}

}  // namespace tidewell::testing
