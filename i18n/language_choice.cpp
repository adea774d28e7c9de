#include "i18n/language_choice.h"

#include <cstdlib>

namespace tidewell::i18n {

std::optional<std::string> ProcessEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

std::string MessagesLocale(const EnvironmentReader& environment) {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const std::optional<std::string> value = environment(name);
    if (value && !value->empty()) return *value;
  }
  return {};
}

std::vector<std::string> CatalogueFileNames(const std::string& locale) {
  // language[_TERRITORY][.codeset][@modifier]
  const std::string name = locale.substr(0, locale.find_first_of(".@"));
  if (name.empty() || name == "C" || name == "POSIX") return {};
  // Only letters, digits, '_' and '-': the name becomes part of a path.
  for (const char c : name) {
    const bool letterOrDigit = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (!letterOrDigit && c != '_' && c != '-') return {};
  }
  const std::string language = name.substr(0, name.find('_'));
  std::vector<std::string> files{name + ".po"};
  if (language != name && !language.empty()) files.push_back(language + ".po");
  return files;
}

}  // namespace tidewell::i18n
