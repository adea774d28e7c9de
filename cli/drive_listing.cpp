#include "cli/drive_listing.h"

#include <string>

#include "cli/drive_summary.h"

namespace tidewell::cli {

void PrintDrives(std::FILE* out, const std::vector<DriveFacts>& drives, bool json) {
  if (json) {
    std::string text = "[";
    for (const DriveFacts& d : drives) {
      if (text.size() > 1) text += ",";
      text += "{\"drive\":" + JsonString(std::string(1, d.letter) + ":") + ",\"label\":" + JsonString(d.label) +
              ",\"fileSystem\":" + (d.fileSystem ? JsonString(*d.fileSystem) : "null") +
              ",\"source\":" + JsonString(d.source) + ",\"unattended\":" + (d.unattended ? "true" : "false") +
              ",\"folder\":" + JsonString(d.folder) + "}";
    }
    std::fprintf(out, "%s]\n", text.c_str());
    return;
  }
  constexpr const char* kRow = "%-6s %-12s %-11s %-12s %-10s %s\n";
  std::fprintf(out, kRow, "Drive", "Label", "File system", "Found in", "Unattended", "Folder");
  bool foundOnly = false;
  for (const DriveFacts& d : drives) {
    std::fprintf(out, kRow, (std::string(1, d.letter) + ":").c_str(), d.label.c_str(),
                 d.fileSystem.value_or("?").c_str(), d.source.c_str(), d.unattended ? "yes" : "no",
                 d.folder.c_str());
    foundOnly = foundOnly || !d.unattended;
  }
  if (foundOnly) {
    std::fprintf(out,
                 "A drive marked \"no\" was only found, not named: a destructive run cleans it\n"
                 "only when named with --drive (or mapped in TIDEWELL_DRIVES or [Drives]).\n"
                 "Test runs take every drive.\n");
  }
}

}  // namespace tidewell::cli
