#include "settings/warn_once_store.h"

namespace tidewell {

std::error_code WarnOnceStore::Write(std::string_view section, std::string_view name, std::string_view value) {
  const std::error_code error = inner_.Write(section, name, value);
  if (error && !warned_) {
    warned_ = true;
    boxes_.ShowMessage({"Settings Error",
                        "Tidewell can't save its settings in " + where_ + "\r\r" + "Reason: " +
                            error.message() + "\r\r" +
                            "Your choices apply until Tidewell ends, but they will not be remembered.",
                        MessageIcon::Exclamation, MessageButtons::Ok});
  }
  return error;
}

}  // namespace tidewell
