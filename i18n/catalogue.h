// One language's texts: a table from each English text to its translation,
// read from a catalogue file in a small subset of the PO format.
//
// The file format (what translators edit, share/tidewell/locale/<lang>.po):
//   # a comment line (also "#," "#." "#:" ...: every line starting with #)
//   msgid "English text"
//   msgstr "Übersetzung"
//   "continuation lines"  (a quoted string on its own line is appended to
//                          the msgid or msgstr above it)
// Escapes inside quotes: \" \\ \n \r \t. The file is UTF-8. An entry with an
// empty msgid (the PO header) is skipped; an entry whose msgstr is empty is
// untranslated and shows the English text. Anything else (msgctxt, plural
// forms, text outside quotes, an unknown escape, a msgid given twice) makes
// the whole file unusable: Parse() reports the line and the program stays
// in English.
//
// Placeholders: a composite text names its varying parts {0}, {1}, ... in
// both languages ("Ready to clean drive {0}" / "Bereit, Laufwerk {0} zu
// bereinigen"); a translation may move them but must keep each one.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tidewell::i18n {

class Catalogue {
 public:
  // Reads a catalogue's text. On a malformed file returns "line N: what is
  // wrong" and leaves `into` empty (so everything stays English).
  static std::optional<std::string> Parse(std::string_view text, Catalogue& into);

  // The translation of `english`, or `english` itself when the catalogue
  // has none (the returned view lives as long as `english` or the catalogue).
  std::string_view Lookup(std::string_view english) const;

  // Translates a text as it was composed in English: an exact entry first;
  // else the entry with placeholders whose fixed parts the text fits (the
  // one with the most fixed text when several do), its placeholders filled
  // with the parts of `english` they stood for. Untranslatable: `english`.
  std::string Translate(std::string_view english) const;

  // True when `english` has a translation (which may be the same text:
  // "&Info" is German too).
  bool Has(std::string_view english) const { return translated_.find(english) != translated_.end(); }

  bool Empty() const { return entries_.empty(); }

  // Every entry as read, in file order, the untranslated ones included, for
  // the checks of a catalogue file.
  struct Entry {
    std::string english;
    std::string translated;  // empty: untranslated
    int line = 0;            // of the msgid
  };
  const std::vector<Entry>& Entries() const { return entries_; }

 private:
  std::vector<Entry> entries_;
  std::map<std::string, std::string, std::less<>> translated_;  // non-empty msgstr only
  std::vector<std::size_t> patterns_;  // translated entries with placeholders, most fixed text first
  void Index();
};

// The placeholders of a text ("{0}", "{1}"...), as numbers, in the order
// they appear.
std::vector<int> PlaceholdersOf(std::string_view text);

// `pattern` with each {n} replaced by values[n] (kept as it is when there
// is no such value).
std::string FillPlaceholders(std::string_view pattern, const std::vector<std::string>& values);

}  // namespace tidewell::i18n
