// A catalogue caption as text to print: the access-key marks left out.
#pragma once

#include <string>
#include <string_view>

namespace tidewell {

// "&Internet Cookies" gives "Internet Cookies"; "&&" gives one "&".
std::string PlainCaption(std::string_view caption);

}  // namespace tidewell
