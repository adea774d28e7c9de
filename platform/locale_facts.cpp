// The portable part of the locale facts: which locale the environment names.
#include "platform/locale_facts.h"

#include <cstdlib>
#include <string_view>

namespace tidewell::platform {
namespace {

// The locale name the environment gives one category, in the order the C
// library itself consults: LC_ALL, then the category, then LANG; "" when
// none of them is set to a name.
std::string_view EnvironmentName(const char* category) {
  for (const char* variable : {"LC_ALL", category, "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return value;
  }
  return {};
}

// C and POSIX with any codeset or modifier: "C", "C.UTF-8", "C.utf8", "POSIX".
bool IsClassicName(std::string_view name) {
  const std::string_view base = name.substr(0, name.find_first_of(".@"));
  return base == "C" || base == "POSIX";
}

bool NamesClassic(const char* category, UnnamedLocale unnamed) {
  const std::string_view name = EnvironmentName(category);
  return name.empty() ? unnamed == UnnamedLocale::IsClassic : IsClassicName(name);
}

}  // namespace

bool EnvironmentNamesClassicLocale(UnnamedLocale unnamed) {
  return NamesClassic("LC_NUMERIC", unnamed) && NamesClassic("LC_TIME", unnamed);
}

}  // namespace tidewell::platform
