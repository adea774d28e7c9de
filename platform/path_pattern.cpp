#include "platform/path_pattern.h"

#include <vector>

#include "platform/wildcard.h"

namespace tidewell::platform {

struct PathPattern::Compiled {
  // One part of the pattern: a lone "*" (any number of names) or a listing
  // pattern for exactly one name.
  struct Part {
    std::optional<WildcardPattern> name;  // none: the lone "*"
  };

  explicit Compiled(std::string_view pattern) : text(pattern) {}

  std::string text;          // the parts' patterns are views into it
  std::vector<Part> parts;   // lone stars never stand twice in a row, nor last
  bool foldersOnly = false;  // the pattern ended with "\" or "\*"
};

namespace {

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Why the first part can match no drive ("c:" ... "z:"), or empty when it can.
std::string FirstPartProblem(std::string_view part, std::string_view pattern) {
  if (part == "*") return {};
  const WildcardPattern compiled(part);
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    const char drive[] = {letter, ':'};
    if (compiled.Matches(std::string_view(drive, 2))) return {};
  }
  if (part.size() > 2 && part[1] == ':' && IsDriveLetter(part[0])) {
    return "\"" + std::string(part.substr(0, 2)) + "\" must be followed by \"\\\" (write " +
           std::string(pattern.substr(0, 2)) + "\\" + std::string(pattern.substr(2)) + ")";
  }
  if (part.size() == 2 && part[1] == ':') return "its drive \"" + std::string(part) + "\" is no letter from A to Z";
  if (part.empty()) {
    return "it matches no whole path: start it with a drive (C:\\PROJECTS\\*) or with * (*\\SAVEGAME.TMP)";
  }
  return "it matches no whole path, since its first part \"" + std::string(part) +
         "\" matches no drive: start it with a drive (C:\\PROJECTS\\*) or with * alone (*\\" + std::string(part) +
         ")";
}

}  // namespace

std::optional<PathPattern> PathPattern::Parse(std::string_view pattern, std::string& why) {
  if (pattern.empty()) {
    why = "it is empty";
    return std::nullopt;
  }
  auto compiled = std::make_shared<Compiled>(pattern);
  std::string_view rest = compiled->text;
  if (rest.size() > 1 && rest.ends_with('\\')) {
    compiled->foldersOnly = true;
    rest.remove_suffix(1);
  }
  for (std::size_t index = 0;; ++index) {
    const std::size_t end = std::min(rest.find('\\'), rest.size());
    const std::string_view part = rest.substr(0, end);
    if (index == 0) {
      why = FirstPartProblem(part, compiled->text);
      if (!why.empty()) return std::nullopt;
    } else if (part.empty()) {
      why = "it holds \"\\\\\": write one \"\\\" between two names (C:\\PROJECTS\\*)";
      return std::nullopt;
    }
    if (part == "." || part == "..") {
      why = "a \"" + std::string(part) + "\" part names no folder: write the folder's own name";
      return std::nullopt;
    }
    if (part == "*") {
      if (compiled->parts.empty() || compiled->parts.back().name) compiled->parts.push_back({});
    } else {
      compiled->parts.push_back({WildcardPattern(part)});
    }
    if (end == rest.size()) break;
    rest.remove_prefix(end + 1);
  }
  // A lone "*" last adds nothing to "its folder, and so everything in it".
  if (!compiled->parts.back().name) {
    compiled->parts.pop_back();
    compiled->foldersOnly = true;
  }
  return PathPattern(std::move(compiled));
}

const std::string& PathPattern::Text() const { return compiled_->text; }

bool PathPattern::MatchesPathOrFolderAbove(std::string_view path, std::size_t* nameTests) const {
  const std::vector<Compiled::Part>& parts = compiled_->parts;
  const std::size_t count = parts.size();
  if (path.empty()) return false;
  if (count == 0) return true;  // "*": everything
  const bool pathIsFolder = path.ends_with('\\');
  if (pathIsFolder) path.remove_suffix(1);

  // reached[i]: the names so far can be matched by the first i parts. A
  // lone star's state also stands for the state after it (it may match no
  // name), so both are set together.
  std::vector<unsigned char> reached(count + 1, 0);
  std::vector<unsigned char> next(count + 1, 0);
  auto reach = [&](std::vector<unsigned char>& states, std::size_t i) {
    states[i] = 1;
    if (i < count && !parts[i].name) states[i + 1] = 1;
  };
  reach(reached, 0);

  std::size_t tests = 0;
  bool matched = false;
  while (true) {
    const std::size_t end = std::min(path.find('\\'), path.size());
    const std::string_view name = path.substr(0, end);
    const bool last = end == path.size();
    std::fill(next.begin(), next.end(), 0);
    bool alive = false;
    for (std::size_t i = 0; i < count; ++i) {
      if (!reached[i]) continue;
      if (!parts[i].name) {
        reach(next, i);  // the star takes this name too
        alive = true;
      } else {
        ++tests;
        if (parts[i].name->Matches(name)) {
          reach(next, i + 1);
          alive = true;
        }
      }
    }
    // Every pattern part used up: this name matches, if a folder-only
    // pattern asks a folder and it is one.
    if (next[count] && (!compiled_->foldersOnly || !last || pathIsFolder)) {
      matched = true;
      break;
    }
    if (last || !alive) break;
    reached.swap(next);
    path.remove_prefix(end + 1);
  }
  if (nameTests != nullptr) *nameTests += tests;
  return matched;
}

}  // namespace tidewell::platform
