#include "settings/warn_once_store.h"

namespace tidewell {
namespace {

// Why the store could not be written, in the user's terms where the system's
// own words would mislead ("File too large" does not say which limit).
std::string Reason(const std::error_code& error) {
  static_assert(platform::PreferencesFile::kSizeLimit == 1u << 20, "the text below names the limit");
  if (error == std::errc::file_too_large) {
    return "The file is, or would become, larger than 1 MiB, more than Tidewell reads.";
  }
  if (error == std::errc::is_a_directory) return "A folder stands where the file should be.";
  return error.message() + ".";
}

}  // namespace

std::error_code WarnOnceStore::Write(std::string_view section, std::string_view name, std::string_view value) {
  const std::error_code error = inner_.Write(section, name, value);
  if (error && !warned_) {
    warned_ = true;
    boxes_.ShowMessage({"Settings Error",
                        "Tidewell can't save its settings in " + where_ + "\r\r" + "Reason: " +
                            Reason(error) + " The file was left as it is.\r\r" +
                            "Your choices apply until Tidewell ends, but they will not be remembered.",
                        MessageIcon::Exclamation, MessageButtons::Ok});
  }
  return error;
}

}  // namespace tidewell
