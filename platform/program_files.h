// Where the running program finds the files it ships beside its code: the
// working animation (Tidewell1.avi), the sounds (Tidewell1.wav,
// Tidewell2.wav) and the help pages (help/*.html).
//
// The rule, one for every front end:
//   1. beside the executable, <program folder>/<name>: a build folder, or a
//      program folder copied whole (as scripts/demo.sh does);
//   2. else <program folder>/../share/tidewell/<name>: an installation
//      (`cmake --install`, the Debian package) under any prefix, /usr,
//      /usr/local, ~/.local, or a package unpacked with `dpkg -x` into a
//      temporary root. The folder is found from the executable's own folder,
//      so no prefix is built into the program;
//   3. else beside the executable again: a file found nowhere is missing
//      there, and its user treats it as missing (a silent sound, no
//      animation, a help page that does not open).
#pragma once

#include <string>
#include <string_view>

namespace tidewell::platform {

// The host path of the shipped file `name` (which may hold separators,
// "help/index.html") by the rule above.
std::string ProgramDataFile(const std::string& programFolder, std::string_view name);

// <program folder>/../share/tidewell, with the ".." taken lexically (the
// program folder comes from the executable's resolved path).
std::string InstalledDataFolder(const std::string& programFolder);

// True when the program folder is the bin folder of an installation: its
// InstalledDataFolder is a folder. Such a folder is shared by every user
// of the machine (or is a package's), so the records never go there.
bool IsInstalledProgramFolder(const std::string& programFolder);

}  // namespace tidewell::platform
