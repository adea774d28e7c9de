#include "settings/run_filters.h"

#include "platform/text_case.h"
#include "platform/wildcard.h"

namespace tidewell {

std::optional<int> ParseAgeDays(std::string_view text, std::string& why) {
  if (text.empty()) {
    why = "it is empty";
    return std::nullopt;
  }
  if (text.front() == '-' && text.size() > 1) {
    why = "it is negative";
    return std::nullopt;
  }
  long days = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') {
      why = "it is not a whole number of days";
      return std::nullopt;
    }
    // Stops growing once past the limit, so a hundred digits cannot overflow.
    if (days <= kMaximumAgeDays) days = days * 10 + (c - '0');
  }
  if (days > kMaximumAgeDays) {
    why = "it is more than " + std::to_string(kMaximumAgeDays) + " days (a hundred years)";
    return std::nullopt;
  }
  return static_cast<int>(days);
}

bool IsUsableKeepPattern(std::string_view pattern, std::string& why) {
  if (pattern.empty()) {
    why = "it is empty";
    return false;
  }
  if (pattern.find('/') != std::string_view::npos) {
    why = "it holds \"/\": write a Windows path with \"\\\", e.g. C:\\PROJECTS\\*";
    return false;
  }
  const char first = pattern.front();
  const bool letter = (first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z');
  const bool drive = letter && pattern.size() >= 2 && pattern[1] == ':';
  if (!drive && first != '*' && first != '?') {
    why = "it matches no whole path: start it with a drive (C:\\PROJECTS\\*) or with * (*\\SAVEGAME.TMP)";
    return false;
  }
  return true;
}

bool KeepList::MatchesAny(std::string_view path) const {
  for (const std::string& pattern : patterns_) {
    if (platform::MatchesWildcard(path, pattern)) return true;
  }
  return false;
}

bool KeepList::Keeps(std::string_view path) const {
  if (patterns_.empty()) return false;
  // Every folder on the way, without and with its "\"; a path that ends with
  // "\" is a folder and is tested by its last step.
  for (std::size_t at = path.find('\\'); at != std::string_view::npos; at = path.find('\\', at + 1)) {
    if (MatchesAny(path.substr(0, at)) || MatchesAny(path.substr(0, at + 1))) return true;
  }
  return !path.ends_with('\\') && MatchesAny(path);
}

bool RunFilters::OldEnough(std::int64_t modified, std::int64_t now) const {
  if (!minimumAgeDays) return true;
  return modified <= now - static_cast<std::int64_t>(*minimumAgeDays) * 86400;
}

RunFilters LoadRunFilters(platform::PreferencesStore& store, std::vector<std::string>& problems) {
  RunFilters filters;
  // The age limit and the keep list from one reading, so they agree.
  platform::StoreBatch batch(store);
  // A sentinel no parse accepts tells a missing value from an empty one.
  constexpr std::string_view kMissing = "\n";
  const std::string days = store.Read("Preferences", "MinimumAgeDays", kMissing);
  if (days != kMissing) {
    std::string why;
    filters.minimumAgeDays = ParseAgeDays(days, why);
    if (!filters.minimumAgeDays) {
      problems.push_back("[Preferences] MinimumAgeDays=" + days + " cannot be used: " + why +
                         "; give a whole number of days from 0 to " + std::to_string(kMaximumAgeDays));
    }
  }
  for (std::string& pattern : store.ReadEvery("Keep", "Path")) {
    std::string why;
    if (IsUsableKeepPattern(pattern, why)) {
      filters.keep.Add(std::move(pattern));
    } else {
      problems.push_back("[Keep] Path=" + pattern + " cannot be used: " + why);
    }
  }
  for (const auto& [name, value] : store.ReadSection("Keep")) {
    if (!EqualsNoCase(name, "Path")) {
      problems.push_back("[Keep] " + name + "=" + value + " cannot be used: the keep list reads Path= lines only");
    }
  }
  return filters;
}

}  // namespace tidewell
