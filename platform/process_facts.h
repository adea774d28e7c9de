// Facts about the running program: where it lives, how it was started, and
// where its records go.
#pragma once

#include <string>
#include <system_error>
#include <vector>

namespace tidewell::platform {

// The host folder that holds the program's executable (no trailing
// separator; on Linux from /proc/self/exe); the working directory when that
// cannot be read.
std::string ProgramFolder();

// Lets the program hold as many files open as the system allows it (the
// soft open-file limit raised to the hard one, at most 65,792): a walk
// holds listed folders open to find their subfolders from them, and the
// more it may hold, the fewer it finds by their whole path. Leaves the
// limit as it is when it cannot be raised. Then grows the descriptor table
// for a walk's whole budget (ReserveFolderHandles, virtual_file_system.h):
// called first thing in main, before any thread is started, that costs no
// wait at all.
void RaiseOpenFileLimit();

// The program's arguments after its name, as UTF-8 (on POSIX exactly as
// given; a Windows build converts the wide command line).
std::vector<std::string> ProgramArguments(int argc, char** argv);

// The program's command line as one text: its arguments (ProgramArguments)
// joined by single blanks ("/U /I").
std::string CommandLineText(const std::vector<std::string>& arguments);

// The folder for the deletion log and the run report: the program's folder
// when a file can be created there and it is no installation's bin folder
// (IsInstalledProgramFolder: /usr/bin stays clean even for root), else
// ${XDG_DATA_HOME:-~/.local/share}/Tidewell (created when missing). Never
// empty; the program's folder when even the fallback cannot be made.
std::string RecordsFolder(const std::string& programFolder);

// One of the user's base folders: $<variable> (XDG_CONFIG_HOME,
// XDG_DATA_HOME, XDG_STATE_HOME) when it is an absolute path, else the home
// folder ($HOME when absolute, else the password database's) with
// `belowHome` (".config", ".local/share", ".local/state") appended; "" when
// there is no home folder either.
std::string UserBaseFolder(const char* variable, const char* belowHome);

// Creates an absolute folder and every missing folder above it, new ones
// with mode 0700; folders that exist stay as they are. Fails when a part
// cannot be made or is not a folder.
std::error_code CreatePrivateFolders(const std::string& folder);

// Makes `hostFolder` the process's working folder; false (and the working
// folder unchanged) when it cannot be entered.
bool ChangeWorkingFolder(const std::string& hostFolder);

}  // namespace tidewell::platform
