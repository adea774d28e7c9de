#include "settings/check_value.h"

#include <string>

namespace tidewell {

int LoadCheckValue(platform::PreferencesStore& store, std::string_view name, int defaultValue) {
  const std::string text = store.Read(kPreferencesSection, name, "");
  std::string_view digits(text);
  while (!digits.empty() && (digits.front() == ' ' || digits.front() == '\t')) digits.remove_prefix(1);
  while (!digits.empty() && (digits.back() == ' ' || digits.back() == '\t')) digits.remove_suffix(1);
  if (digits.empty() || digits.size() > 6) return defaultValue;
  int value = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return defaultValue;
    value = value * 10 + (c - '0');
  }
  return value <= 2 ? value : defaultValue;
}

void SaveCheckValue(platform::PreferencesStore& store, std::string_view name, int value) {
  store.Write(kPreferencesSection, name, std::to_string(value));
}

}  // namespace tidewell
