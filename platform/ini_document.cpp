// INI text: line-by-line parsing and single-value changes that keep every
// other byte. Plain C++, no OS calls.
#include "platform/ini_document.h"

#include <unordered_set>

#include "platform/text_case.h"

namespace tidewell::platform {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool HasAnyOf(std::string_view text, std::string_view forbidden) {
  return text.find_first_of(forbidden) != std::string_view::npos;
}

constexpr std::string_view kLineBreaksAndNul{"\r\n\0", 3};

}  // namespace

IniDocument IniDocument::Parse(std::string_view text) {
  IniDocument document;
  if (text.starts_with(kByteOrderMark)) {
    document.byteOrderMark_ = kByteOrderMark;
    text.remove_prefix(kByteOrderMark.size());
  }
  while (!text.empty()) {
    const std::size_t newline = text.find('\n');
    std::string_view body = text.substr(0, newline);
    std::string_view ending;
    if (newline != std::string_view::npos) {
      ending = body.ends_with('\r') ? "\r\n" : "\n";
      text.remove_prefix(newline + 1);
    } else {
      ending = body.ends_with('\r') ? "\r" : "";
      text = {};
    }
    if (ending.starts_with('\r')) body.remove_suffix(1);
    document.lines_.push_back(Interpret(std::string(body), std::string(ending)));
  }
  return document;
}

IniDocument::Line IniDocument::Interpret(std::string body, std::string ending) {
  Line line;
  line.body = std::move(body);
  line.ending = std::move(ending);
  const std::string_view trimmed = Trimmed(line.body);
  if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#') return line;
  if (trimmed.front() == '[') {
    const std::size_t close = trimmed.find(']');
    if (close != std::string_view::npos) {
      line.kind = Kind::kHeader;
      line.key = Trimmed(trimmed.substr(1, close - 1));
    }
    return line;
  }
  const std::string_view body_view = line.body;
  const std::size_t equals = body_view.find('=');
  if (equals == std::string_view::npos) return line;
  const std::string_view name = Trimmed(body_view.substr(0, equals));
  if (name.empty()) return line;
  std::size_t start = equals + 1;
  while (start < body_view.size() && IsBlank(body_view[start])) ++start;
  std::size_t end = body_view.size();
  while (end > start && IsBlank(body_view[end - 1])) --end;
  line.kind = Kind::kValue;
  line.key = name;
  line.valueStart = start;
  line.valueEnd = end;
  return line;
}

std::string_view IniDocument::ValueOf(const Line& line) {
  return std::string_view(line.body).substr(line.valueStart, line.valueEnd - line.valueStart);
}

bool IniDocument::CanStore(std::string_view section, std::string_view name, std::string_view value) {
  section = Trimmed(section);
  name = Trimmed(name);
  if (section.empty() || HasAnyOf(section, "]") || HasAnyOf(section, kLineBreaksAndNul)) return false;
  if (name.empty() || HasAnyOf(name, "=") || HasAnyOf(name, kLineBreaksAndNul)) return false;
  if (name.front() == '[' || name.front() == ';' || name.front() == '#') return false;
  return !HasAnyOf(value, kLineBreaksAndNul);
}

std::optional<std::size_t> IniDocument::FindValue(std::string_view section,
                                                  std::string_view name) const {
  section = Trimmed(section);
  name = Trimmed(name);
  bool inSection = false;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const Line& line = lines_[i];
    if (line.kind == Kind::kHeader) {
      inSection = EqualsNoCase(line.key, section);
    } else if (inSection && line.kind == Kind::kValue && EqualsNoCase(line.key, name)) {
      return i;
    }
  }
  return std::nullopt;
}

std::optional<std::string> IniDocument::Get(std::string_view section, std::string_view name) const {
  const std::optional<std::size_t> index = FindValue(section, name);
  if (!index) return std::nullopt;
  return std::string(ValueOf(lines_[*index]));
}

std::vector<std::pair<std::string, std::string>> IniDocument::Section(std::string_view section) const {
  section = Trimmed(section);
  std::vector<std::pair<std::string, std::string>> values;
  std::unordered_set<std::string> seen;  // upper-cased names already listed
  bool inSection = false;
  for (const Line& line : lines_) {
    if (line.kind == Kind::kHeader) {
      inSection = EqualsNoCase(line.key, section);
    } else if (inSection && line.kind == Kind::kValue && seen.insert(UpperCased(line.key)).second) {
      values.emplace_back(line.key, std::string(ValueOf(line)));
    }
  }
  return values;
}

std::vector<std::string> IniDocument::GetEvery(std::string_view section, std::string_view name) const {
  std::vector<std::string> values;
  for (auto& [value, line] : GetEveryWithLines(section, name)) values.push_back(std::move(value));
  return values;
}

std::vector<std::pair<std::string, std::size_t>> IniDocument::GetEveryWithLines(std::string_view section,
                                                                                std::string_view name) const {
  section = Trimmed(section);
  name = Trimmed(name);
  std::vector<std::pair<std::string, std::size_t>> values;
  bool inSection = false;
  for (std::size_t index = 0; index < lines_.size(); ++index) {
    const Line& line = lines_[index];
    if (line.kind == Kind::kHeader) {
      inSection = EqualsNoCase(line.key, section);
    } else if (inSection && line.kind == Kind::kValue && EqualsNoCase(line.key, name)) {
      values.emplace_back(std::string(ValueOf(line)), index + 1);
    }
  }
  return values;
}

std::string_view IniDocument::NewLineEnding() const {
  for (const Line& line : lines_) {
    if (line.ending == "\r\n" || line.ending == "\n") return line.ending;
  }
  return "\n";
}

void IniDocument::InsertLine(std::size_t index, std::string body) {
  const std::string ending(NewLineEnding());
  // Only the last line can lack a proper line end; it needs one before
  // anything follows it.
  // A line torn after its CR is completed with the LF it lacks: any other
  // ending would make the CR part of its value.
  if (index > 0 && lines_[index - 1].ending != "\n" && lines_[index - 1].ending != "\r\n") {
    lines_[index - 1].ending = lines_[index - 1].ending == "\r" ? "\r\n" : ending;
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(index), Interpret(std::move(body), ending));
}

void IniDocument::Set(std::string_view section, std::string_view name, std::string_view value) {
  if (!CanStore(section, name, value)) return;
  section = Trimmed(section);
  name = Trimmed(name);

  if (const std::optional<std::size_t> index = FindValue(section, name)) {
    Line& line = lines_[*index];
    std::string body = line.body.substr(0, line.valueStart);
    body.append(value);
    line = Interpret(std::move(body), std::move(line.ending));
    return;
  }

  // Where the section's values end: after its last value line, else right
  // after its first header.
  std::optional<std::size_t> insertAfter;
  bool inSection = false;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const Line& line = lines_[i];
    if (line.kind == Kind::kHeader) {
      inSection = EqualsNoCase(line.key, section);
      if (inSection && !insertAfter) insertAfter = i;
    } else if (inSection && line.kind == Kind::kValue) {
      insertAfter = i;
    }
  }
  const std::string valueLine = std::string(name) + "=" + std::string(value);
  if (insertAfter) {
    InsertLine(*insertAfter + 1, valueLine);
    return;
  }
  if (!lines_.empty() && !Trimmed(lines_.back().body).empty()) InsertLine(lines_.size(), "");
  InsertLine(lines_.size(), "[" + std::string(section) + "]");
  InsertLine(lines_.size(), valueLine);
}

bool IniDocument::Remove(std::string_view section, std::string_view name) {
  bool removed = false;
  while (const std::optional<std::size_t> index = FindValue(section, name)) {
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*index));
    removed = true;
  }
  return removed;
}

bool IniDocument::Holds(std::string_view section, std::string_view name, std::string_view value) const {
  if (!CanStore(section, name, value)) return false;
  const std::optional<std::size_t> index = FindValue(section, name);
  // Set() keeps the line up to valueStart and puts `value` after it.
  return index && std::string_view(lines_[*index].body).substr(lines_[*index].valueStart) == value;
}

std::string IniDocument::Text() const {
  std::string text = byteOrderMark_;
  for (const Line& line : lines_) {
    text += line.body;
    text += line.ending;
  }
  return text;
}

}  // namespace tidewell::platform
