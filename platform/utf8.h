// Checking bytes for well-formed UTF-8, for text that came from outside (a
// record file, a command-line word) before it is shown or quoted.
//
// Well-formed means no overlong forms, no surrogates (U+D800 to U+DFFF) and
// nothing above U+10FFFF.
#pragma once

#include <cstddef>
#include <string_view>

namespace tidewell {

// The length of the well-formed UTF-8 sequence at the start of `text` (1 to
// 4; an ASCII byte is a sequence of 1), or 0 when it does not start with one:
// a lone continuation byte, a cut-off sequence, an overlong form, a surrogate
// or a code point above U+10FFFF. 0 for an empty text.
std::size_t Utf8SequenceLength(std::string_view text);

// True when the whole text is well-formed UTF-8.
bool IsValidUtf8(std::string_view text);

}  // namespace tidewell
