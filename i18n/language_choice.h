// Which language the user asked for, from the environment, as the C
// library's message catalogues choose it: the first of LC_ALL, LC_MESSAGES
// and LANG that is set and not empty decides. "C" and "POSIX" (with or
// without a codeset, "C.UTF-8") mean English, as does nothing set. LANGUAGE
// (a list of fallbacks some desktops set) is not read. On Windows the same
// variables are read; without them the program is in English. (The numbers
// and dates follow the same order with LC_NUMERIC and LC_TIME:
// platform/locale_facts.h; this one takes the environment as a reader so
// its tests need not change the process's own.)
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tidewell::i18n {

// Reads an environment variable; nullopt when it is not set.
using EnvironmentReader = std::function<std::optional<std::string>(const char* name)>;

// The process's own environment.
std::optional<std::string> ProcessEnvironment(const char* name);

// The locale name that decides the language ("de_DE.UTF-8@euro"), empty for
// English.
std::string MessagesLocale(const EnvironmentReader& environment);

// The catalogue files to try for a locale name, most specific first:
// "de_DE.UTF-8@euro" gives {"de_DE.po", "de.po"}; English gives none.
std::vector<std::string> CatalogueFileNames(const std::string& locale);

}  // namespace tidewell::i18n
