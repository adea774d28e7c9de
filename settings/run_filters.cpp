#include "settings/run_filters.h"

#include "platform/text_case.h"

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

namespace {

std::optional<platform::PathPattern> ParseKeepPattern(std::string_view pattern, std::string& why) {
  if (pattern.find('/') != std::string_view::npos) {
    why = "it holds \"/\": write a Windows path with \"\\\", e.g. C:\\PROJECTS\\*";
    return std::nullopt;
  }
  return platform::PathPattern::Parse(pattern, why);
}

}  // namespace

bool IsUsableKeepPattern(std::string_view pattern, std::string& why) {
  return ParseKeepPattern(pattern, why).has_value();
}

bool KeepList::Add(std::string_view pattern, std::string& why) {
  std::optional<platform::PathPattern> parsed = ParseKeepPattern(pattern, why);
  if (!parsed) return false;
  patterns_.push_back(std::move(*parsed));
  return true;
}

std::vector<std::string> KeepList::Patterns() const {
  std::vector<std::string> texts;
  for (const platform::PathPattern& pattern : patterns_) texts.push_back(pattern.Text());
  return texts;
}

void KeepList::SeeThroughDrives(const platform::DriveTable& drives) {
  otherNames_.clear();
  for (const platform::DriveTable::NestedDrive& nested : drives.NestedDrives()) {
    std::string root = std::string(1, nested.inner) + ":\\";
    otherNames_.push_back({nested.folderOnOuter, root});
    otherNames_.push_back({std::move(root), nested.folderOnOuter});
  }
}

bool KeepList::MatchesAny(std::string_view path) const {
  for (const platform::PathPattern& pattern : patterns_) {
    if (pattern.MatchesPathOrFolderAbove(path)) return true;
  }
  return false;
}

bool KeepList::Keeps(std::string_view path) const {
  if (patterns_.empty()) return false;
  if (MatchesAny(path)) return true;
  // Each other name once: every drive nested in another is listed with its
  // outer drive directly, so no name needs two steps.
  std::string otherPath;
  for (const OtherName& other : otherNames_) {
    if (path.size() < other.folder.size() || !EqualsNoCase(path.substr(0, other.folder.size()), other.folder)) {
      continue;
    }
    otherPath.assign(other.name).append(path.substr(other.folder.size()));
    if (MatchesAny(otherPath)) return true;
  }
  return false;
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
  for (platform::PreferencesStore::NumberedValue& stored : store.ReadEveryNumbered("Keep", "Path")) {
    std::string why;
    if (!filters.keep.Add(stored.value, why)) {
      const std::string where = stored.line > 0 ? "line " + std::to_string(stored.line) + ": " : "";
      problems.push_back(where + "[Keep] Path=" + stored.value + " cannot be used: " + why);
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
