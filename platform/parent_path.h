// Where an operation of the file system layer acts: the folder that holds a
// path's last component, and that component. Written once for both builds;
// each build's virtual_file_system.cpp keeps only the opening of that
// folder, through its own folder handle cache.
//
// The drive's root has no last component and is its own parent. Reading it
// (Stat) is fine; an operation that acts on an entry never acts on the root
// and answers, on every build, as RootRefusal says. Nothing on a drive whose
// root is a spared folder is changed (errc::permission_denied).
#pragma once

#include <cstddef>
#include <string_view>
#include <system_error>

#include "platform/drive_table.h"
#include "platform/virtual_path.h"

namespace tidewell::platform {

enum class PathOperation { Read, SetAttributes, RemoveFile, RemoveFolder, CreateFile };

struct ParentPath {
  ParsedPath parsed;
  std::size_t depth = 0;  // components of the parent folder
  std::string_view leaf;  // the last component (a view into the path); empty for the root
};

// Parses `path` (ParseVirtualPath's errors) and splits off its last
// component.
std::error_code ParseParent(const DriveTable& drives, std::string_view path, ParentPath& where);

// What `operation` answers for the drive's root itself: nothing for Read
// and SetAttributes (the root has attributes), errc::is_a_directory for
// RemoveFile, errc::operation_not_permitted for RemoveFolder (a drive's root
// is never removed, whoever asks), errc::file_exists for CreateFile (the
// name is taken, by a folder, as for any other existing entry).
std::error_code RootRefusal(PathOperation operation);

// Parses `path` and opens its parent folder through `cache` (the build's
// FolderHandleCache: RootSpared(letter), Open(parsed, depth, handle), the
// handle borrowed from the cache). Fails with the parse's error, with
// errc::permission_denied for a change on a drive whose root is spared,
// with the cache's error, or with RootRefusal for the root.
template <typename Cache, typename Handle>
std::error_code OpenParent(Cache& cache, const DriveTable& drives, std::string_view path, PathOperation operation,
                           ParentPath& where, Handle& parent) {
  if (std::error_code error = ParseParent(drives, path, where)) return error;
  if (operation != PathOperation::Read && cache.RootSpared(where.parsed.letter)) {
    return std::make_error_code(std::errc::permission_denied);
  }
  if (std::error_code error = cache.Open(where.parsed, where.depth, parent)) return error;
  return where.leaf.empty() ? RootRefusal(operation) : std::error_code{};
}

}  // namespace tidewell::platform
