// The Help menu's texts and addresses, and what its entries do besides
// opening an address: the About and Tips boxes and the uninstaller.
//
// The addresses are fixed when the program is built (CMake cache variables
// TIDEWELL_PRODUCT_URL, TIDEWELL_HISTORY_URL, TIDEWELL_SUPPORT_URL and
// TIDEWELL_HOME_URL). Left empty, as they are by default, each names a page
// shipped with the program in "help/" (beside the executable, or in an
// installation's share/tidewell: platform/program_files.h), so every entry
// works offline.
#pragma once

#include <string>

#include "settings/message_box.h"

namespace tidewell::ui {

struct HelpAddresses {
  std::string product;        // "&Documentation" and "&WEB UPDATE"
  std::string updateHistory;  // "&Update History"
  std::string techSupport;    // "&Tech Support", the support label, Tips
  std::string home;           // named in the About box
};

// The addresses built in, with the shipped pages of `programFolder` where
// none was given.
HelpAddresses BuiltInAddresses(const std::string& programFolder);

// The build number: the revision field of the program's version.
int BuildNumber();

Message AboutBox(int buildNumber, const HelpAddresses& addresses);
Message TipsBox(const HelpAddresses& addresses);
Message UninstallNotAvailable();
// Told when `address` could not be opened: names it, so the user can open
// it by hand.
Message AddressNotOpened(const std::string& address);

// The two lines of the maker's notice above "CLICK HERE for TECH SUPPORT".
std::string SupportLabelText();

}  // namespace tidewell::ui
