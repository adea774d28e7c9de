#include "bench/page_cache.h"

#include <sys/vfs.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tidewell::bench {

namespace {
constexpr long kTmpfsMagic = 0x01021994;
constexpr long kRamfsMagic = static_cast<long>(0x858458f6);
}  // namespace

std::string DropPageCache() {
  sync();
  const int fd = open("/proc/sys/vm/drop_caches", O_WRONLY | O_CLOEXEC);
  if (fd < 0) return std::string("cannot open /proc/sys/vm/drop_caches: ") + std::strerror(errno);
  const bool written = write(fd, "3\n", 2) == 2;
  const int error = errno;
  close(fd);
  if (!written) return std::string("cannot write /proc/sys/vm/drop_caches: ") + std::strerror(error);
  return "";
}

std::string InMemoryFileSystem(const std::string& folder) {
  struct statfs facts {};
  if (statfs(folder.c_str(), &facts) != 0) return "";
  if (static_cast<long>(facts.f_type) == kTmpfsMagic) return "tmpfs";
  if (static_cast<long>(facts.f_type) == kRamfsMagic) return "ramfs";
  return "";
}

}  // namespace tidewell::bench
