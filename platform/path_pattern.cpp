#include "platform/path_pattern.h"

#include <algorithm>
#include <vector>

#include "platform/wildcard.h"

namespace tidewell::platform {

struct PathPattern::Compiled {
  // One part of the pattern: a lone "*" (any number of names) or a listing
  // pattern for exactly one name.
  struct Part {
    std::optional<WildcardPattern> name;  // none: the lone "*"
    // The only length of name it can match, for a part without "*", "?"
    // or a special ending; npos otherwise. Most names of a deep path are
    // told apart by this alone.
    std::size_t onlyLength = std::string_view::npos;
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
      const bool plain = part.find_first_of("*?") == std::string_view::npos && !part.ends_with('.');
      compiled->parts.push_back({WildcardPattern(part), plain ? part.size() : std::string_view::npos});
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
  const std::size_t width = count + 1;  // states per row
  if (path.empty()) return false;
  if (count == 0) return true;  // "*": everything
  const bool pathIsFolder = path.ends_with('\\');
  if (pathIsFolder) path.remove_suffix(1);

  // A state i says: the names so far can be matched by the first i parts.
  // A lone star's state also stands for the state after it (it may match
  // no name), so both are set together.
  auto reach = [&](unsigned char* states, std::size_t i) {
    states[i] = 1;
    if (i < count && !parts[i].name) states[i + 1] = 1;
  };
  Resume& resume = resume_;
  if (resume.rows.empty()) {
    resume.rows.assign(width, 0);
    reach(resume.rows.data(), 0);
  }
  // The folders this path shares with the one asked before, whole names
  // only: their states are known.
  std::size_t known = 0;
  std::size_t at = 0;
  while (known < resume.ends.size()) {
    const std::size_t end = resume.ends[known];
    if (end > path.size() || path[end - 1] != '\\' ||
        path.substr(at, end - at) != std::string_view(resume.folders).substr(at, end - at)) {
      break;
    }
    at = end;
    ++known;
  }
  if (resume.matchedAt && *resume.matchedAt <= known) return true;
  resume.matchedAt.reset();
  resume.ends.resize(known);
  resume.folders.resize(at);
  resume.rows.resize((known + 1) * width);
  path.remove_prefix(at);

  std::vector<unsigned char> next(width, 0);
  std::size_t tests = 0;
  bool matched = false;
  while (true) {
    const std::size_t end = std::min(path.find('\\'), path.size());
    const std::string_view name = path.substr(0, end);
    const bool last = end == path.size();
    const unsigned char* reached = resume.rows.data() + resume.ends.size() * width;
    std::fill(next.begin(), next.end(), 0);
    for (std::size_t i = 0; i < count; ++i) {
      if (!reached[i]) continue;
      if (!parts[i].name) {
        reach(next.data(), i);  // the star takes this name too
      } else {
        ++tests;
        const std::size_t only = parts[i].onlyLength;
        if ((only == std::string_view::npos || only == name.size()) && parts[i].name->Matches(name)) {
          reach(next.data(), i + 1);
        }
      }
    }
    if (!last) {
      // A folder: its states are kept for the next path that shares it.
      resume.folders.append(name).push_back('\\');
      resume.ends.push_back(resume.folders.size());
      resume.rows.insert(resume.rows.end(), next.begin(), next.end());
    }
    // Every pattern part used up: this name matches, if a folder-only
    // pattern asks a folder and it is one.
    if (next[count] && (!compiled_->foldersOnly || !last || pathIsFolder)) {
      if (!last) resume.matchedAt = resume.ends.size();
      matched = true;
      break;
    }
    if (last || std::find(next.begin(), next.end(), 1) == next.end()) break;
    path.remove_prefix(end + 1);
  }
  if (nameTests != nullptr) *nameTests += tests;
  return matched;
}

}  // namespace tidewell::platform
