// A path split at its parent folder, and the root's one answer per
// operation, for both builds' file system layers.
#include "platform/parent_path.h"

namespace tidewell::platform {

std::error_code ParseParent(const DriveTable& drives, std::string_view path, ParentPath& where) {
  if (std::error_code error = ParseVirtualPath(drives, path, where.parsed)) return error;
  const std::size_t count = where.parsed.components.size();
  where.depth = count == 0 ? 0 : count - 1;
  where.leaf = count == 0 ? std::string_view() : where.parsed.components.back();
  return {};
}

std::error_code RootRefusal(PathOperation operation) {
  switch (operation) {
    case PathOperation::Read:
    case PathOperation::SetAttributes:
      return {};
    case PathOperation::RemoveFile:
      return std::make_error_code(std::errc::is_a_directory);
    case PathOperation::RemoveFolder:
      return std::make_error_code(std::errc::operation_not_permitted);
    case PathOperation::CreateFile:
      return std::make_error_code(std::errc::file_exists);
  }
  return {};
}

}  // namespace tidewell::platform
