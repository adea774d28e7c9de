// Check values in the preferences store: the decimal text of a check box's
// value ("0" unchecked, "1" checked, "2" greyed) under "Preferences".
#pragma once

#include <string_view>

#include "platform/preferences_store.h"

namespace tidewell {

inline constexpr std::string_view kPreferencesSection = "Preferences";
inline constexpr std::string_view kInfoSection = "Info";

// The stored value of a check box, or `defaultValue` when the store holds
// none or holds anything but a whole number from 0 to 2 (blanks around it
// are allowed): a hand-edited "yes", "1.5" or "7" cannot put a box into a
// state the window cannot show.
int LoadCheckValue(platform::PreferencesStore& store, std::string_view name, int defaultValue);

// Writes the value's decimal text at once. A store that cannot be written is
// reported by the store itself (see WarnOnceStore); the box keeps its value.
void SaveCheckValue(platform::PreferencesStore& store, std::string_view name, int value);

}  // namespace tidewell
