// The text of a record file, ready for the viewer's text box.
//
// A record file is plain text or rich text (RTF). Qt's text box shows HTML
// and UTF-8 text but cannot read RTF, so this module turns both kinds into
// what the text box takes. Standard C++ only; no toolkit.
//
// RtfToHtml reads the common subset of RTF that simple editors write:
//   - groups { } keep their character formatting to themselves;
//   - \b \b0, \i \i0, \ul \ul0 \ulnone and \plain set bold, italic, underline;
//   - \par and \line break the line, \tab is a tab, \~ a no-break space,
//     \_ a hyphen; \emdash \endash \bullet and the four quote words give
//     their characters;
//   - \'hh is a byte of Windows code page 1252 (whatever \ansicpg says), as
//     is any byte above 0x7F written raw; \uN is a Unicode character (N may
//     be negative, as RTF writes those above 32767), followed by \ucN (1 by
//     default) fallback characters that are skipped;
//   - \\ \{ \} are the literal characters;
//   - the destinations \fonttbl \colortbl \stylesheet \info \pict \header
//     \footer \footnote and every group starting \* are skipped whole, as
//     are the bytes of \binN;
//   - every other control word is ignored; unbalanced braces do no harm.
// The result is one HTML document (UTF-8) whose body keeps white space as
// written; every character of the text is HTML-escaped.
#pragma once

#include <string>
#include <string_view>

namespace tidewell::ui {

// True when the bytes start with "{\rtf" (after any UTF-8 byte order mark).
bool LooksLikeRtf(std::string_view bytes);

std::string RtfToHtml(std::string_view rtf);

// Plain record text as UTF-8 with "\n" line ends: the bytes are taken as
// UTF-8 when they are valid UTF-8 (a leading byte order mark is dropped),
// otherwise as Windows-1252 (its five unused positions read as Latin-1).
// CR LF, a lone CR and a lone LF each end one line.
std::string PlainTextToUtf8(std::string_view bytes);

}  // namespace tidewell::ui
