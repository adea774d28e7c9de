// Facts about the running program: where it lives, how it was started, and
// where its records go.
#pragma once

#include <string>

namespace tidewell::platform {

// The host folder that holds the program's executable (no trailing "/"),
// from /proc/self/exe; the working directory when that cannot be read.
std::string ProgramFolder();

// The program's command line as one text: every argument after the program's
// name, joined by single blanks ("/U /I").
std::string CommandLineText(int argc, const char* const* argv);

// The folder for the deletion log and the run report: the program's folder
// when a file can be created there, else ${XDG_DATA_HOME:-~/.local/share}/Tidewell
// (created when missing). Never empty; the program's folder when even the
// fallback cannot be made.
std::string RecordsFolder(const std::string& programFolder);

}  // namespace tidewell::platform
