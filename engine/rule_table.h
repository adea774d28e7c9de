// The fixed rule table: which files and folders are junk.
//
// The table is part of the program, not read from a file or the settings;
// the settings only switch whole categories on and off. It has four parts:
//   - the category sections, applied in order to every folder of a drive,
//     each when its category is on and its path guard lets the folder through
//     (the rows of a section share its category and guard);
//   - the numbered installer folders that end the InstallerUndo section;
//   - the base rows, applied to every folder whatever is switched on;
//   - the system file groups and protected endings of the sweep of stale
//     start-up and system file copies.
// This header only describes the table; category_rules.h applies it.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "settings/category_catalogue.h"

namespace tidewell {

enum class RuleAction {
  DeleteMatching,  // delete every file directly in the folder matching the target pattern
  EmptyNamed,      // in a folder named like the target: delete its files (marker permitting)
  PurgeNamed,      // in a folder named like the target: delete all below it (marker permitting)
};

// One row. For the named actions the target is a folder name, compared
// literally with the folder's last components; for DeleteMatching it is a
// wildcard pattern.
struct CategoryRule {
  RuleAction action;
  std::string_view target;
  std::string_view marker = {};  // named actions: a pattern some normal file must match
  // Three rows name targets that no Windows file or folder name can hold
  // (":" in a file name; "*" in a folder name, compared literally). They
  // keep their place in the table so it reads complete, but never run:
  // on a Linux file system such names can exist, and these rows must still
  // never match them.
  bool inert = false;
};

struct RuleSection {
  CategoryId category;
  // The section is skipped in a folder whose full path contains any of these
  // fragments, case ignored, anywhere in the path.
  std::span<const std::string_view> pathGuard;
  std::span<const CategoryRule> rows;
  // InstallerUndo only: after its rows come the numbered installer folders.
  bool numberedInstallerFolders = false;
};

// The 34 category sections in the order they apply. (The Controls category
// has no rows.)
std::span<const RuleSection> CategorySections();

// The numbered installer folders, purged without a marker: for n = 1 to 99
// (decimal, no leading zeros) "FULSES<n>", "_IStmp<n>.DIR", "~PFTW0<n>".
// 297 rows in that order.
std::span<const CategoryRule> NumberedInstallerFolders();

// Rows applied in every folder that is not spared, after the sections.
std::span<const CategoryRule> BaseRows();

// A group of the sweep: the files named `baseName` + ".*" directly in a
// folder of the drive being cleaned.
struct SystemFileGroup {
  enum class Folder { DriveRoot, WindowsFolder, WindowsSystemFolder };
  Folder folder;
  std::string_view baseName;
};

std::span<const SystemFileGroup> SystemFileGroups();

// The sweep keeps a file when the last three characters of its name,
// upper-cased, are one of the three-letter endings, or are "." + "AX".
bool HasProtectedExtension(std::string_view fileName);

}  // namespace tidewell
