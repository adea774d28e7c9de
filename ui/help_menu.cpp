#include "ui/help_menu.h"

#include "platform/program_files.h"

#ifndef TIDEWELL_VERSION_TWEAK
#define TIDEWELL_VERSION_TWEAK 0
#endif
#ifndef TIDEWELL_PRODUCT_URL
#define TIDEWELL_PRODUCT_URL ""
#endif
#ifndef TIDEWELL_HISTORY_URL
#define TIDEWELL_HISTORY_URL ""
#endif
#ifndef TIDEWELL_SUPPORT_URL
#define TIDEWELL_SUPPORT_URL ""
#endif
#ifndef TIDEWELL_HOME_URL
#define TIDEWELL_HOME_URL ""
#endif

namespace tidewell::ui {
namespace {

std::string OrShipped(const char* configured, const std::string& programFolder, const char* page) {
  if (configured[0] != '\0') return configured;
  return "file://" + platform::ProgramDataFile(programFolder, std::string("help/") + page);
}

}  // namespace

HelpAddresses BuiltInAddresses(const std::string& programFolder) {
  return {OrShipped(TIDEWELL_PRODUCT_URL, programFolder, "index.html"),
          OrShipped(TIDEWELL_HISTORY_URL, programFolder, "history.html"),
          OrShipped(TIDEWELL_SUPPORT_URL, programFolder, "support.html"),
          OrShipped(TIDEWELL_HOME_URL, programFolder, "index.html")};
}

int BuildNumber() { return TIDEWELL_VERSION_TWEAK; }

Message AboutBox(int buildNumber, const HelpAddresses& addresses) {
  return {"About Tidewell",
          "The Tidewell developers present TIDEWELL\r\rVersion 3.0\r\rBuild " + std::to_string(buildNumber) +
              " GA \xC2\xB7 Released 12/99\r\rFor updates, click the Web Update on the\rHelp menu, or hit " +
              addresses.home,
          MessageIcon::Information, MessageButtons::Ok};
}

Message TipsBox(const HelpAddresses& addresses) {
  return {"Tips",
          "For unattended operation, add a /U switch to Tidewell's command-line.\r\r"
          "For invisible operation, add a /I switch to Tidewell's command-line.\r\r"
          "For free technical support, hit " +
              addresses.techSupport,
          MessageIcon::Information, MessageButtons::Ok};
}

Message UninstallNotAvailable() {
  return {"Uninstall Tidewell", "Uninstall not available.", MessageIcon::Error, MessageButtons::Ok};
}

Message AddressNotOpened(const std::string& address) {
  return {"Tidewell",
          "Tidewell could not start a web browser to open this page:\r\r" + address +
              "\r\rTo read it, open this address in your web browser.",
          MessageIcon::Exclamation, MessageButtons::Ok};
}

std::string SupportLabelText() {
  return "Tidewell is free software by its developers.\r"
         "Questions or trouble? We are glad to help.\r"
         "CLICK HERE for TECH SUPPORT";
}

}  // namespace tidewell::ui
