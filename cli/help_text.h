// The console's two help texts, both made from the option table
// (cli/option_table.h) and both at most 80 columns wide:
//   - ShortHelp() (-h): the usage line and one line per option;
//   - LongHelp() (--help): every option with its full description, grouped,
//     then how drives are found, the --json output and the exit statuses.
#pragma once

#include <string>
#include <string_view>

namespace tidewell::cli {

constexpr std::size_t kHelpColumns = 80;

std::string ShortHelp();
std::string LongHelp();

// `text` wrapped at spaces into lines of at most `columns` characters, each
// starting with `indent` (the first with `firstIndent` instead); a "\n" in
// the text starts a new line. A word longer than a line stays whole.
std::string Wrapped(std::string_view text, std::string_view firstIndent, std::string_view indent,
                    std::size_t columns = kHelpColumns);

}  // namespace tidewell::cli
