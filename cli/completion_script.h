// The shell completions of tidewell-cli, written from the option table
// (cli/option_table.h) by the hidden option `--completion SHELL`; the build
// runs it to make the files the package installs, so they cannot drift from
// the program.
//
// What every shell offers: the long options (short ones where the shell
// shows them beside the long), never the hidden --completion; after an
// option that takes a value, only values, never option names: drive letters
// from `tidewell-cli --drives` (run when completing), the --select presets,
// the category names of --enable and --disable (case ignored, the last name
// of a comma-separated list), and nothing at all after --older-than and
// --keep, whose values no list can give. Both "--opt value" and "--opt=value"
// are completed.
#pragma once

#include <string>
#include <string_view>

namespace tidewell::cli {

// The completion script for "bash", "zsh" or "fish"; empty for any other.
std::string CompletionScript(std::string_view shell);

}  // namespace tidewell::cli
