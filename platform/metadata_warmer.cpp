// The metadata warmer's portable part: which folder of the drive a virtual
// path names for the readers. Opening and reading are per system
// (posix/, win32/metadata_warmer.cpp).
#include "platform/metadata_warmer.h"

#include <utility>

#include "platform/text_case.h"
#include "platform/virtual_path.h"

namespace tidewell::platform {

MetadataWarmer::MetadataWarmer(VirtualFileSystem& files, char letter, NameFilter keeps)
    : files_(files), letter_(ToUpperAscii(letter)), keeps_(std::move(keeps)) {}

bool MetadataWarmer::Relative(std::string_view folder, std::string& relative) const {
  ParsedPath parsed;
  if (ParseVirtualPath(files_.Drives(), folder, parsed) || parsed.letter != letter_ || parsed.components.empty()) {
    return false;
  }
  relative.clear();
  for (const std::string_view component : parsed.components) {
    if (!relative.empty()) relative.push_back('/');
    relative.append(component);
  }
  return true;
}

}  // namespace tidewell::platform
