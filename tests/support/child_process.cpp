// Child processes: the portable part, the text of a Windows command line
// and environment block (see child_process.h).
#include "tests/support/child_process.h"

#include <algorithm>

#include "platform/text_case.h"

namespace tidewell::testing {
namespace {

void AppendQuoted(std::string& line, const std::string& word) {
  if (!word.empty() && word.find_first_of(" \t\n\v\"") == std::string::npos) {
    line += word;
    return;
  }
  line += '"';
  std::size_t backslashes = 0;
  for (const char c : word) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes are literal unless a quote follows them: then each one
    // is doubled and the quote escaped.
    line.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    line += c;
  }
  line.append(backslashes * 2, '\\');  // before the closing quote
  line += '"';
}

}  // namespace

std::string WindowsCommandLine(const std::string& program, const std::vector<std::string>& arguments) {
  std::string line = "\"" + program + "\"";
  for (const std::string& argument : arguments) {
    line += ' ';
    AppendQuoted(line, argument);
  }
  return line;
}

std::vector<std::string> WindowsEnvironmentEntries(const std::map<std::string, std::string>& environment) {
  std::vector<std::pair<std::string, std::string>> sorted(environment.begin(), environment.end());
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const auto& a, const auto& b) { return UpperCased(a.first) < UpperCased(b.first); });
  std::vector<std::string> entries;
  for (const auto& [name, value] : sorted) entries.push_back(name + "=" + value);
  return entries;
}

}  // namespace tidewell::testing
