// Case-insensitive comparison of names and paths, as the cleaning engine needs it.
//
// Names compare by upper-casing both sides. Only ASCII letters are folded:
// every other byte (UTF-8 sequences included) compares exactly, so no locale
// can make two different names equal or make a comparison depend on the user.
#pragma once

#include <string>
#include <string_view>

namespace tidewell {

constexpr char ToUpperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// The text with every ASCII letter in upper case.
std::string UpperCased(std::string_view text);

// True when both texts are equal once upper-cased.
bool EqualsNoCase(std::string_view a, std::string_view b);

// True when text ends with suffix, both compared upper-cased.
bool EndsWithNoCase(std::string_view text, std::string_view suffix);

// True when fragment occurs anywhere in text, both compared upper-cased.
// An empty fragment occurs in every text. Allocates nothing.
bool FindNoCase(std::string_view text, std::string_view fragment);

}  // namespace tidewell
