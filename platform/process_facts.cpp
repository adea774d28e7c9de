// The portable part of the process facts: the command line as one text and
// the records' folder.
#include "platform/process_facts.h"

#include "platform/host_paths.h"
#include "platform/program_files.h"
#include "platform/text_file.h"

namespace tidewell::platform {

std::string CommandLineText(const std::vector<std::string>& arguments) {
  std::string text;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    if (i > 0) text.push_back(' ');
    text.append(arguments[i]);
  }
  return text;
}

std::string RecordsFolder(const std::string& programFolder) {
  if (!IsInstalledProgramFolder(programFolder) && FolderIsWritable(programFolder)) return programFolder;
  const std::string base = UserBaseFolder("XDG_DATA_HOME", ".local/share");
  if (base.empty()) return programFolder;
  const std::string folder = JoinHostPath(base, "Tidewell");
  return CreatePrivateFolders(folder) ? programFolder : folder;
}

}  // namespace tidewell::platform
