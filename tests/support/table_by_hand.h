// The rule table applied the slow, obvious way, for tests that check the
// program's fast paths give exactly what it gives.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/folder_list.h"
#include "engine/run_context.h"

namespace tidewell::testing {

// When the reference reads a folder's names: once when the folder's turn
// comes (as the folder stage does), or afresh for every row.
enum class TableReading { OncePerFolder, AfreshPerRow };

// Every folder in list order; a folder whose path holds a `spared` fragment
// is skipped. Every row of every section that is on and not guarded (the
// guard fragments searched in the whole path), in table order with the
// numbered installer folders after their section's rows, then the base rows,
// each tried against every name; then the system-backup sweep and the
// wallpaper step.
void ApplyTableByHand(RunContext& context, std::string_view drive, const FolderList& folders,
                      TableReading reading, const std::vector<std::string>& spared = {});

}  // namespace tidewell::testing
