// The folders no rule touches on a drive: any folder whose path contains
// "Vaultkeep" (the sister backup program's folders, in any case), and any
// whose path contains the program's own folder or its records folder (their
// virtual path on the drive being cleaned, when they lie on it;
// "C:\TOOLS\CLEANER" also spares "C:\TOOLS\CLEANER2\").
//
// The folder stage gives such a folder no row at all; a purge or an empty
// never enters one it meets below the folder it cleans, so nothing at or
// below it is listed, counted, logged or deleted (deletion_primitives.h).
// Whatever contains a fragment, so does every folder below it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/path_fragments.h"
#include "engine/run_context.h"

namespace tidewell {

// "Vaultkeep", then the program's folder and records folder as paths on
// `drive` ("C:\TOOLS\CLEANER", no trailing "\" unless a root), when they lie
// on it: the texts whose presence in a folder's path spares it.
std::vector<std::string> SpareFragments(RunContext& context, std::string_view drive);

// The test on one folder path after another; it is quickest when folders
// come in walk order (path_fragments.h).
class SparedFolders {
 public:
  SparedFolders(RunContext& context, std::string_view drive) : fragments_(SpareFragments(context, drive)) {}
  // `folder`: a full path ending with "\".
  bool Spares(std::string_view folder) { return fragments_.Found(folder) != 0; }

 private:
  PathFragments fragments_;
};

}  // namespace tidewell
