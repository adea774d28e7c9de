#include "tests/support/scratch_volume.h"

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include "tests/support/child_process.h"

namespace tidewell::testing {

ScratchVolume::ScratchVolume(Kind kind, const std::string& image, const std::string& mountPoint,
                             const std::string& label)
    : mountPoint_(mountPoint) {
  if (geteuid() != 0) {
    reason_ = "mounting a scratch volume needs root";
    return;
  }
  const int fd = open(image.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  const bool sized = fd >= 0 && ftruncate(fd, 8 << 20) == 0;
  if (fd >= 0) close(fd);
  if (!sized) {
    reason_ = "cannot make the image file " + image;
    return;
  }
  if (kind == Kind::Ntfs) {
    if (access("/dev/fuse", R_OK | W_OK) != 0) {
      reason_ = "ntfs-3g needs /dev/fuse, which is missing here";
      return;
    }
    std::vector<std::string> make = {"-F", "-q", "-f"};
    if (!label.empty()) make.insert(make.end(), {"-L", label});
    make.push_back(image);
    mounted_ = Run("mkntfs", make) && Run("ntfs-3g", {image, mountPoint});
  } else {
    std::vector<std::string> make;
    if (!label.empty()) make = {"-n", label};
    make.push_back(image);
    mounted_ = Run("mkfs.vfat", make) && Run("mount", {"-t", "vfat", "-o", "loop", image, mountPoint});
  }
}

ScratchVolume::~ScratchVolume() {
  if (mounted_ && umount2(mountPoint_.c_str(), 0) != 0) umount2(mountPoint_.c_str(), MNT_DETACH);
}

bool ScratchVolume::Run(const std::string& tool, const std::vector<std::string>& arguments) {
  const std::string path = FindSystemTool(tool);
  if (path.empty()) {
    reason_ = tool + " is not installed";
    return false;
  }
  ChildOptions options;
  options.arguments = arguments;
  options.environment = {{"PATH", "/usr/sbin:/usr/bin:/sbin:/bin"}, {"LC_ALL", "C"}};
  const ChildResult result = RunChild(path, options);
  if (result.exitStatus == 0) return true;
  reason_ = tool + " failed (" + std::to_string(result.exitStatus) + "): " + result.err + result.out;
  return false;
}

}  // namespace tidewell::testing
