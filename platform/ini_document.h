// The text of an INI file, parsed so that one value can be changed and the
// text written back with every other byte kept as it was.
//
// What a line means (interpretation only; Text() gives back every line as read):
//   - Lines end with LF or CR LF; a CR before the LF is not part of the line.
//     A last line without a line end (a torn write) still counts.
//   - A UTF-8 byte order mark at the very start is ignored and kept.
//   - Blanks (spaces, tabs) around names and values are ignored.
//   - "[Name]" starts a section; what follows the first "]" is ignored.
//     "[Name" without "]" is a line it does not understand.
//   - A line whose first non-blank character is ";" or "#" is a comment.
//   - "Name=Value" is a value: the name up to the first "=", the value after
//     it (it may hold further "="). No quoting and no comments after a value.
//   - Anything else (binary garbage, NUL bytes, "=Value") is not understood
//     and kept verbatim. Lines before the first section belong to none.
//
// Lookup: section and value names compare without regard to ASCII case (see
// platform/text_case.h). A section may appear more than once; all its blocks
// count as one section. When a name occurs twice in a section the first one
// counts: it is the one read and the one replaced, later ones stay untouched.
//
// Changes (Set):
//   - An existing value keeps its line: the name as spelled there, the blanks
//     around "=", and the line end; only the value text is replaced (blanks
//     after the old value are dropped).
//   - A new value in an existing section goes right after the section's last
//     value line (after its first header when it has none), spelled as given.
//   - A new section goes at the end, after a blank line unless the text is
//     empty or already ends with a blank line.
//   - New lines end like the first line of the text that has a line end
//     (CR LF or LF; LF for a text without any). A torn last line gets a line
//     end before anything is added after it.
//   - Blanks around a stored value are not kept: Get() gives it trimmed.
//
// Removals (Remove): every value line of that name in the section goes,
// with its line end; every other line, the section's header included
// (even when it is left empty), stays byte for byte.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tidewell::platform {

class IniDocument {
 public:
  static IniDocument Parse(std::string_view text);

  // True when Set() can store this triple so that it reads back as written:
  // a section name that is not empty and holds no "]", CR, LF or NUL; a value
  // name that is not empty, holds no "=", CR, LF or NUL and does not start
  // with "[", ";" or "#"; a value without CR, LF or NUL. Names are judged
  // after their surrounding blanks are removed.
  static bool CanStore(std::string_view section, std::string_view name, std::string_view value);

  // The first value named `name` in `section`, trimmed; nullopt when missing.
  std::optional<std::string> Get(std::string_view section, std::string_view name) const;

  // Every value of the section in file order, each name once (its first
  // occurrence, as spelled there). Empty when the section is missing.
  std::vector<std::pair<std::string, std::string>> Section(std::string_view section) const;

  // Every value named `name` in `section`, trimmed, in file order: for lists
  // kept as repeated names (the [Keep] section's Path= lines).
  std::vector<std::string> GetEvery(std::string_view section, std::string_view name) const;
  // The same, each value with the number of its line in the text (the
  // first line is 1), so that a message can point at it.
  std::vector<std::pair<std::string, std::size_t>> GetEveryWithLines(std::string_view section,
                                                                     std::string_view name) const;

  // Creates or replaces one value (see above). Does nothing when
  // CanStore() refuses the triple.
  void Set(std::string_view section, std::string_view name, std::string_view value);

  // Removes every value named `name` in `section` (see above); false when
  // there was none, and the text is then unchanged.
  bool Remove(std::string_view section, std::string_view name);

  // True when Set() with this triple would give back the very text: the
  // section holds the name and its line has exactly `value` after the blanks
  // that follow "=" (no blanks after it that Set() would drop). A store can
  // then skip the write without changing its result. False for a triple
  // that CanStore() refuses.
  bool Holds(std::string_view section, std::string_view name, std::string_view value) const;

  // The whole text, byte for byte as parsed apart from what Set() changed.
  std::string Text() const;

 private:
  enum class Kind { kOther, kHeader, kValue };

  struct Line {
    std::string body;    // without the line end
    std::string ending;  // "\n", "\r\n", or "" / "\r" for a torn last line
    Kind kind = Kind::kOther;
    std::string key;              // section name (header) or value name (value), trimmed
    std::size_t valueStart = 0;   // value lines: where the value text begins in body
    std::size_t valueEnd = 0;     // value lines: where it ends (trailing blanks excluded)
  };

  static Line Interpret(std::string body, std::string ending);
  static std::string_view ValueOf(const Line& line);
  // Index of the first value line of that name in the section, if any.
  std::optional<std::size_t> FindValue(std::string_view section, std::string_view name) const;
  std::string_view NewLineEnding() const;
  void EndLastLine();
  void InsertLine(std::size_t index, std::string body);

  std::string byteOrderMark_;
  std::vector<Line> lines_;
};

}  // namespace tidewell::platform
