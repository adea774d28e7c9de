// Path patterns: each part matches one name with the listing rules, a lone
// "*" any number of names, the path or a folder above it counts, patterns
// that can never match are refused, and the work grows with the path only.
#include "platform/path_pattern.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/wildcard.h"

namespace tidewell::platform {
namespace {

bool Contains(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

PathPattern Pattern(std::string_view text) {
  std::string why;
  std::optional<PathPattern> pattern = PathPattern::Parse(text, why);
  EXPECT_TRUE(pattern.has_value()) << text << ": " << why;
  return pattern ? *pattern : *PathPattern::Parse("Z:\\NEVER\\USED", why);
}

bool Matches(std::string_view pattern, std::string_view path) {
  return Pattern(pattern).MatchesPathOrFolderAbove(path);
}

TEST(PathPatternNames, ExtensionRulesLookAtTheOneNameTheirPartMatches) {
  // The dot of a folder above plays no part in "*.*", ".*" or a bare ".".
  EXPECT_TRUE(Matches("C:\\USERS\\JOHN.DOE\\TEMP\\*.*", "c:\\USERS\\JOHN.DOE\\TEMP\\notes"));
  EXPECT_TRUE(Matches("C:\\USERS\\JOHN.DOE\\TEMP\\*.*", "c:\\Users\\john.doe\\Temp\\a.txt"));
  EXPECT_TRUE(Matches("C:\\USERS\\JOHNDOE\\TEMP\\*.*", "c:\\USERS\\JOHNDOE\\TEMP\\notes"));
  EXPECT_FALSE(Matches("C:\\USERS\\JOHN.DOE\\TEMP\\*.*", "c:\\USERS\\JOHN.DOE\\notes"));
  EXPECT_TRUE(Matches("C:\\OLD.SET\\SETUP.*", "c:\\OLD.SET\\SETUP"));
  EXPECT_TRUE(Matches("C:\\OLD.SET\\SETUP.*", "c:\\OLD.SET\\setup.exe"));
  EXPECT_FALSE(Matches("C:\\OLD.SET\\SETUP.*", "c:\\OLD.SET\\SETUP1"));
  EXPECT_TRUE(Matches("C:\\A.B\\README.", "c:\\A.B\\readme"));
  EXPECT_FALSE(Matches("C:\\A.B\\README.", "c:\\A.B\\README.TXT"));
  // A folder part follows the listing rules too: "JOHN.*" names JOHN.
  EXPECT_TRUE(Matches("C:\\JOHN.*\\X", "c:\\JOHN\\X"));
}

TEST(PathPatternNames, AStarInsideAPartStaysInsideOneName) {
  EXPECT_TRUE(Matches("C:\\A*\\B.TXT", "c:\\ALPHA\\B.TXT"));
  EXPECT_FALSE(Matches("C:\\A*\\B.TXT", "c:\\A\\X\\B.TXT"));
  EXPECT_FALSE(Matches("C:\\*.TMP", "c:\\X\\Y.TMP"));
  EXPECT_TRUE(Matches("?:\\WINDOWS\\TEMP\\KEEP?\\*", "d:\\WINDOWS\\TEMP\\KEEP1\\x.TMP"));
  EXPECT_FALSE(Matches("?:\\WINDOWS\\TEMP\\KEEP?\\*", "d:\\WINDOWS\\TEMP\\KEEP12\\x.TMP"));
}

TEST(PathPatternNames, ALoneStarStandsForAnyNumberOfFoldersNoneIncluded) {
  EXPECT_TRUE(Matches("*\\SAVEGAME.TMP", "e:\\SAVEGAME.TMP"));
  EXPECT_TRUE(Matches("*\\SAVEGAME.TMP", "c:\\GAMES\\OLD\\savegame.tmp"));
  EXPECT_FALSE(Matches("*\\SAVEGAME.TMP", "c:\\GAMES\\MYSAVEGAME.TMP"));
  EXPECT_TRUE(Matches("C:\\*\\TEMP\\X", "c:\\TEMP\\X"));
  EXPECT_TRUE(Matches("C:\\*\\TEMP\\X", "c:\\A\\B\\TEMP\\X"));
  EXPECT_FALSE(Matches("C:\\*\\TEMP\\X", "d:\\A\\TEMP\\X"));
  EXPECT_TRUE(Matches("*\\A\\*\\B", "c:\\A\\A\\A\\B"));
  EXPECT_FALSE(Matches("*\\A\\*\\B", "c:\\B\\A"));
  EXPECT_TRUE(Matches("*", "c:\\anything\\at all"));
  EXPECT_TRUE(Matches("*\\*", "c:\\"));
}

TEST(PathPatternFolders, AFolderKeepsWhatLiesBelowItAndAFolderOnlyPatternNoFileOfItsName) {
  for (const char* pattern : {"C:\\PROJECTS", "C:\\PROJECTS\\", "C:\\PROJECTS\\*", "c:\\projects\\*\\*"}) {
    SCOPED_TRACE(pattern);
    EXPECT_TRUE(Matches(pattern, "c:\\PROJECTS\\"));
    EXPECT_TRUE(Matches(pattern, "c:\\Projects\\build\\out.TMP"));
    EXPECT_FALSE(Matches(pattern, "c:\\PROJECTS2\\out.TMP"));
    EXPECT_FALSE(Matches(pattern, "c:\\OLD\\PROJECTS\\out.TMP"));
    EXPECT_FALSE(Matches(pattern, "c:\\"));
  }
  EXPECT_TRUE(Matches("C:\\PROJECTS", "c:\\PROJECTS"));
  EXPECT_FALSE(Matches("C:\\PROJECTS\\", "c:\\PROJECTS")) << "a file of that name is no folder";
  EXPECT_FALSE(Matches("C:\\PROJECTS\\*", "c:\\PROJECTS"));
  EXPECT_TRUE(Matches("C:\\", "c:\\"));
  EXPECT_TRUE(Matches("C:\\", "c:\\WINDOWS\\x"));
  EXPECT_FALSE(Matches("C:\\", "d:\\x"));
}

// The plain meaning, tried the slow way: a lone "*" takes any number of
// names (at least one when it is the pattern's last part, which then needs
// a folder: "" stands for the folder's own "\"), any other part one name.
bool ReferenceMatch(const std::vector<std::string>& parts, std::size_t p, const std::vector<std::string>& names,
                    std::size_t n) {
  if (p == parts.size()) return n == names.size();
  if (parts[p] == "*") {
    const std::size_t least = p + 1 == parts.size() ? 1 : 0;
    for (std::size_t take = least; n + take <= names.size(); ++take) {
      if (ReferenceMatch(parts, p + 1, names, n + take)) return true;
    }
    return false;
  }
  return n < names.size() && (parts[p].empty() ? names[n].empty() : MatchesWildcard(names[n], parts[p])) &&
         !(names[n].empty() && !parts[p].empty()) && ReferenceMatch(parts, p + 1, names, n + 1);
}

std::vector<std::string> Split(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t at = text.find('\\'); at != std::string::npos; at = text.find('\\', start)) {
    parts.push_back(text.substr(start, at - start));
    start = at + 1;
  }
  parts.push_back(text.substr(start));
  return parts;
}

bool Reference(const std::string& pattern, const std::string& path) {
  const std::vector<std::string> parts = Split(pattern);
  std::vector<std::string> names = Split(path);
  const bool folder = names.back().empty();
  if (folder) names.pop_back();
  // The path itself, then each folder on the way, with its "\" as "".
  if (!folder && ReferenceMatch(parts, 0, names, 0)) return true;
  const std::size_t folders = folder ? names.size() : names.size() - 1;
  for (std::size_t count = 1; count <= folders; ++count) {
    std::vector<std::string> above(names.begin(), names.begin() + static_cast<std::ptrdiff_t>(count));
    if (ReferenceMatch(parts, 0, above, 0)) return true;
    above.push_back("");
    if (ReferenceMatch(parts, 0, above, 0)) return true;
  }
  return false;
}

TEST(PathPatternNames, EveryMixOfSmallPartsAgreesWithThePlainMeaning) {
  const std::vector<std::string> firsts = {"C:", "?:", "*"};
  const std::vector<std::string> parts = {"*", "A", "A*", "?", "*.*", "A.", "B.*", "*B"};
  const std::vector<std::string> names = {"A", "B", "AB", "A.B", "BA"};
  std::vector<std::string> patterns;
  for (const std::string& first : firsts) {
    patterns.push_back(first);
    patterns.push_back(first + "\\");
    for (const std::string& a : parts) {
      patterns.push_back(first + "\\" + a);
      patterns.push_back(first + "\\" + a + "\\");
      for (const std::string& b : parts) patterns.push_back(first + "\\" + a + "\\" + b);
    }
  }
  std::vector<std::string> paths = {"c:\\", "d:\\"};
  for (const std::string& a : names) {
    paths.push_back("c:\\" + a);
    paths.push_back("c:\\" + a + "\\");
    for (const std::string& b : names) {
      paths.push_back("c:\\" + a + "\\" + b);
      for (const std::string& c : names) paths.push_back("c:\\" + a + "\\" + b + "\\" + c);
    }
  }
  // In this order paths share folders with the one before; the reversed
  // order tries what a pattern remembers of the path before.
  std::vector<std::string> reversed(paths.rbegin(), paths.rend());
  for (const std::string& pattern : patterns) {
    const PathPattern compiled = Pattern(pattern);
    for (const std::vector<std::string>* order : {&paths, &reversed}) {
      for (const std::string& path : *order) {
        ASSERT_EQ(compiled.MatchesPathOrFolderAbove(path), Reference(pattern, path)) << pattern << " on " << path;
      }
    }
  }
}

TEST(PathPatternRefused, APatternThatCanNeverMatchIsRefusedSayingWhy) {
  const std::pair<const char*, const char*> refused[] = {
      {"", "empty"},
      {"C:\\\\PROJECTS\\\\*", "holds \"\\\\\""},
      {"C:\\PROJECTS\\\\", "holds \"\\\\\""},
      {"C:PROJECTS\\*", "\"C:\" must be followed by \"\\\" (write C:\\PROJECTS\\*)"},
      {"C:X", "\"C:\" must be followed by \"\\\""},
      {"C:\\..\\X", "\"..\" part names no folder"},
      {"C:\\A\\.\\X", "\".\" part names no folder"},
      {"1:\\X", "its drive \"1:\" is no letter from A to Z"},
      {"\\PROJECTS\\*", "start it with a drive"},
      {"PROJECTS\\*", "its first part \"PROJECTS\" matches no drive"},
      {"*.DOC", "or with * alone (*\\*.DOC)"},
  };
  for (const auto& [pattern, reason] : refused) {
    std::string why;
    EXPECT_FALSE(PathPattern::Parse(pattern, why).has_value()) << pattern;
    EXPECT_TRUE(Contains(why, reason)) << pattern << ": " << why;
  }
  for (const char* usable : {"C:", "c:\\", "A:\\X", "?:\\X", "*:\\X", "C*\\X", "*", "*\\*.DOC", "C:\\A:B"}) {
    std::string why;
    EXPECT_TRUE(PathPattern::Parse(usable, why).has_value()) << usable << ": " << why;
  }
}

TEST(PathPatternCost, ADeepPathIsReadOnceWhateverTheStars) {
  std::string deep = "c:";
  std::size_t depth = 3000;
  for (std::size_t i = 0; i < depth; ++i) deep += "\\A";
  deep += "\\x.TMP";
  const std::size_t names = depth + 2;
  for (const char* text : {"*\\PROJECTS\\*", "*\\A\\*\\B\\*", "*\\*\\*\\Z"}) {
    SCOPED_TRACE(text);
    const PathPattern pattern = Pattern(text);
    std::size_t tests = 0;
    EXPECT_FALSE(pattern.MatchesPathOrFolderAbove(deep, &tests));
    // At most one test of each part that names one name, per name.
    EXPECT_LE(tests, 2 * names);
    EXPECT_GE(tests, names - 1) << "every name was looked at";
  }
  std::size_t tests = 0;
  EXPECT_TRUE(Pattern("*\\A\\*\\x.*").MatchesPathOrFolderAbove(deep, &tests));
  EXPECT_LE(tests, 2 * names);
}

TEST(PathPatternCost, AWalkDownAChainReadsEachFolderOnce) {
  // The files of a chain of folders, asked for as a walk finds them: a file
  // in each folder, then the next folder.
  const PathPattern pattern = Pattern("*\\PROJECTS\\*");
  std::string folder = "c:\\";
  std::size_t tests = 0;
  std::size_t names = 0;
  for (int depth = 0; depth < 3000; ++depth) {
    folder += "d\\";
    EXPECT_FALSE(pattern.MatchesPathOrFolderAbove(folder + "x.TMP", &tests));
    EXPECT_FALSE(pattern.MatchesPathOrFolderAbove(folder + "y.TMP", &tests));
    EXPECT_FALSE(pattern.MatchesPathOrFolderAbove(folder, &tests));
    names += 3;
  }
  EXPECT_LE(tests, 2 * names) << "each name read about once, not once per path";
  // A path elsewhere is read from its drive on, and the answer is its own.
  EXPECT_TRUE(pattern.MatchesPathOrFolderAbove("c:\\PROJECTS\\x.TMP"));
  EXPECT_FALSE(pattern.MatchesPathOrFolderAbove(folder + "z.TMP"));
  EXPECT_TRUE(pattern.MatchesPathOrFolderAbove("c:\\d\\PROJECTS\\d\\x"));
  EXPECT_TRUE(pattern.MatchesPathOrFolderAbove("c:\\d\\PROJECTS\\e"));
  EXPECT_FALSE(pattern.MatchesPathOrFolderAbove("c:\\d\\PROJECTSX"));
}

}  // namespace
}  // namespace tidewell::platform
