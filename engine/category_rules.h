// Applying the rule table to one drive: what is junk there, and having it
// removed through the deletion primitives.
//
// ApplyCategoryRules works in three stages:
//   1. The folder stage: every folder of the list in order, except the spared
//      ones, gets the sections of the categories that are on (in table order,
//      each past its path guard), then the base rows.
//   2. SweepSystemBackups: stale copies of the start-up and system files in
//      the drive's root and Windows folder, sparing protected endings.
//   3. The wallpaper step: with Wallpaper on, the bitmaps directly in the
//      Windows folder.
// Between the stages, and at the end, the progress bar takes a step; during
// the folder stage it takes one on about one folder in sixteen, at random.
//
// Spared folders get no row at all, base rows included: any folder whose
// path contains "Vaultkeep" (the sister backup program's folders), and any
// whose path contains the program's own folder or its records folder (their
// virtual path on the drive being cleaned; "C:\TOOLS\CLEANER" also spares
// "C:\TOOLS\CLEANER2\"); see spared_folders.h. A purge of a folder above
// one never enters it either. The sweep and the wallpaper step spare nothing.
//
// A test run predicts the destructive run of the same drive: what it chooses
// is gone for the rest of the drive's run (test_run_choices.h), so a file
// two rows choose is counted and logged once, by the first, a marker an
// earlier row chose no longer counts, and a folder a purge removed is not
// visited again. On a drive where every deletion succeeds, its log's item
// lines, in order, and its figures are the destructive run's.
//
// Category flags and the optimise-performance option are read live, where
// they are used, for every folder; nothing is captured at the start.
//
// Reads: each folder is read once when the folder stage reaches it (see
// folder_snapshot.h); named-folder tests are tests on the path text. Purges
// list their own subtree, and each sweep group lists its folder.
//
// Nothing is reported and nothing is returned: the primitives count, delete
// and log, and absorb every file-system failure.
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/folder_list.h"
#include "engine/run_context.h"

namespace tidewell {

// Cleans one drive by the table. `folders` is the drive's folder list (entry
// 1 its root, breadth first); `count` its number of entries, read once.
void ApplyCategoryRules(RunContext& context, std::string_view drive, const FolderList& folders,
                        std::int32_t count);

// Stage 2 on its own: deletes every file named like a start-up or system
// file (Autoexec.*, Config.*, Win.*, System.* ...) in the drive's root and its
// Windows folders whose ending is not protected.
void SweepSystemBackups(RunContext& context, std::string_view drive);

}  // namespace tidewell
