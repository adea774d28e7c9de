// Fuzzes the store's parser: any text parses, gives itself back unchanged,
// and a value that can be stored reads back as written with every other
// value left as it was.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/ini_document.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using tidewell::platform::IniDocument;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  IniDocument document = IniDocument::Parse(text);
  if (document.Text() != text) std::abort();
  const auto before = document.Section("Info");
  if (IniDocument::CanStore("Preferences", "Temp", "1")) {
    document.Set("Preferences", "Temp", "1");
    const IniDocument again = IniDocument::Parse(document.Text());
    if (again.Get("Preferences", "Temp") != "1") std::abort();
    if (again.Section("Info") != before) std::abort();
  }
  return 0;
}
