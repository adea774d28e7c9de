// A small NTFS or FAT file system, made in an image file inside a test's own
// temporary folder and mounted onto a folder there (a drive's root), for the
// cases that need a file system keeping Windows attributes of its own.
//
//   ScratchVolume volume(ScratchVolume::Kind::Ntfs, world.Base() + "/n.img", world.Drive('N').Root());
//   if (!volume.Mounted()) GTEST_SKIP() << volume.Reason();
//
// NTFS is mounted with ntfs-3g (needs /dev/fuse), FAT with the kernel's vfat
// through a loop device; both need root. The volume is unmounted when the
// object goes away, lazily when something still holds it open.
#pragma once

#include <string>
#include <vector>

namespace tidewell::testing {

class ScratchVolume {
 public:
  enum class Kind { Fat, Ntfs };

  // `label`: the volume label the file system is made with (none when empty).
  ScratchVolume(Kind kind, const std::string& image, const std::string& mountPoint, const std::string& label = {});
  ~ScratchVolume();
  ScratchVolume(const ScratchVolume&) = delete;
  ScratchVolume& operator=(const ScratchVolume&) = delete;

  bool Mounted() const { return mounted_; }
  // Why the volume could not be made or mounted ("" when it is mounted).
  const std::string& Reason() const { return reason_; }

 private:
  bool Run(const std::string& tool, const std::vector<std::string>& arguments);

  std::string mountPoint_;
  bool mounted_ = false;
  std::string reason_;
};

}  // namespace tidewell::testing
