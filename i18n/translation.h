// The one place every front end (the Qt window, the Win32 window, the
// console) asks for the text to show the user in the user's language.
//
// Decision: one portable layer of our own rather than Qt's tr()/.qm or the
// C library's gettext. The Win32 window is built without Qt and the console
// must build with mingw-w64 too, so only standard C++ serves all three; the
// catalogue file is a documented PO subset (catalogue.h) that translators'
// tools read and write.
//
// The English text is the key: code passes the English text it always
// showed, and gets it back unchanged when no translation is loaded (LC_ALL=C,
// an English locale, a language with no catalogue file, a broken file), so
// English output stays byte for byte what it was.
//
// What is never translated: what a run writes to the deletion log, the run
// report and the settings store, the JSON and the other machine-read console
// output. Those are records other tools and tests compare; the engine keeps
// composing them in English and only a front end's display translates.
//
// The active catalogue is process-wide: loaded once at start-up, before any
// window is built or any run thread starts, then only read.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "i18n/catalogue.h"
#include "i18n/language_choice.h"

namespace tidewell::i18n {

// Chooses the catalogue from the environment (language_choice.h) and loads
// it from the program's shipped files, locale/<name>.po beside the program
// or in ../share/tidewell (platform/program_files.h), replacing the one
// active before. English (an empty catalogue) when the user asked for none
// or no file for the language exists. A file that exists but cannot be read
// as a catalogue also leaves English; the returned text then says which
// file and why ("/usr/share/tidewell/locale/de.po: line 12: ..."), for the
// program to tell on its error stream. Never throws.
std::optional<std::string> UseUserLanguage(const std::string& programFolder,
                                           const EnvironmentReader& environment = ProcessEnvironment);

// Makes `catalogue` the active one (English: an empty Catalogue).
void UseCatalogue(Catalogue catalogue);
const Catalogue& ActiveCatalogue();

// The active translation of a fixed English text (a caption, a menu entry,
// a title), or the text itself. The view lives as long as `english` and the
// active catalogue.
std::string_view Translated(std::string_view english);

// The active translation of a text composed in English from fixed parts and
// values ("Ready to clean drive C:", a status line the engine set), matched
// against the entries with placeholders (Catalogue::Translate).
std::string TranslatedComposed(std::string_view english);

// The active translation of a message box's text or any text of several
// lines ("\r" or "\n" between them, "\r\r" between paragraphs): the whole
// text when the catalogue has it, else line by line, each line as
// TranslatedComposed; a line "label\tvalue" (the Info box's tables) has its
// label translated and its value kept.
std::string TranslatedLines(std::string_view english);

}  // namespace tidewell::i18n
