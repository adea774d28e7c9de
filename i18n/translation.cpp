#include "i18n/translation.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/host_paths.h"
#include "platform/program_files.h"

namespace tidewell::i18n {
namespace {

Catalogue& Active() {
  static Catalogue active;
  return active;
}

// A catalogue is a few tens of KiB; anything past this is not one.
constexpr std::uintmax_t kLargestCatalogue = 4u << 20;

std::optional<std::string> ReadFile(const std::string& hostPath) {
  std::error_code error;
  const std::filesystem::path path(std::u8string(hostPath.begin(), hostPath.end()));
  if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error || size > kLargestCatalogue) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return text;
}

}  // namespace

std::optional<std::string> UseUserLanguage(const std::string& programFolder, const EnvironmentReader& environment) {
  Active() = Catalogue{};
  for (const std::string& name : CatalogueFileNames(MessagesLocale(environment))) {
    const std::string path = platform::ProgramDataFile(programFolder, "locale/" + name);
    const std::optional<std::string> text = ReadFile(path);
    if (!text) continue;
    Catalogue catalogue;
    if (std::optional<std::string> problem = Catalogue::Parse(*text, catalogue)) return path + ": " + *problem;
    Active() = std::move(catalogue);
    return std::nullopt;
  }
  return std::nullopt;
}

void UseCatalogue(Catalogue catalogue) { Active() = std::move(catalogue); }
const Catalogue& ActiveCatalogue() { return Active(); }

std::string_view Translated(std::string_view english) { return Active().Lookup(english); }
std::string TranslatedComposed(std::string_view english) { return Active().Translate(english); }

std::string TranslatedLines(std::string_view english) {
  const Catalogue& active = Active();
  if (active.Empty()) return std::string(english);
  if (const std::string_view whole = active.Lookup(english); whole.data() != english.data()) return std::string(whole);
  std::string shown;
  while (true) {
    const std::size_t end = english.find_first_of("\r\n");
    const std::string_view line = english.substr(0, end);
    if (const std::size_t tab = line.find('\t'); tab != std::string_view::npos) {
      shown += active.Lookup(line.substr(0, tab));
      shown += line.substr(tab);
    } else if (!line.empty()) {
      shown += active.Translate(line);
    }
    if (end == std::string_view::npos) break;
    shown += english[end];
    english.remove_prefix(end + 1);
  }
  return shown;
}

}  // namespace tidewell::i18n
