// Files in use on Windows: the system itself refuses to delete a file some
// program holds open without sharing deletion, or has mapped, and the
// deletion fails with a sharing violation that the engine counts as a failed
// deletion. There is nothing to ask beforehand, so the snapshot is empty.
#include "platform/open_files.h"

namespace tidewell::platform {

OpenFiles OpenFiles::Scan() { return OpenFiles(); }

}  // namespace tidewell::platform
