// The metadata warmer on Windows: folders cannot yet be opened the way its
// readers must open them (one call from the verified root that refuses a
// reparse point on the way), so, as metadata_warmer.h allows, nothing is
// warmed: Open() reports that it cannot, and Read() reads nothing. The walk
// is the same without it; only its waiting on a cold disk differs.
#include "platform/metadata_warmer.h"

namespace tidewell::platform {

bool MetadataWarmer::Open() { return false; }
bool MetadataWarmer::Read(const std::string&, Files, bool) const { return false; }

}  // namespace tidewell::platform
