#include "session/drive_facts.h"

#include "platform/drive_discovery.h"

namespace tidewell::session {

const char* SourceName(platform::DriveSource source) {
  switch (source) {
    case platform::DriveSource::Environment:
      return "environment";
    case platform::DriveSource::Store:
      return "store";
    case platform::DriveSource::WinePrefix:
      return "Wine prefix";
    case platform::DriveSource::Mount:
      return "mount";
    case platform::DriveSource::SystemLetter:
      return "system";
  }
  return "?";
}

std::vector<DriveFacts> DescribeDrives(ProgramSession& program) {
  // The mount table is read once; a folder that gave no answer when the
  // table was read is not asked again, and its device is not probed.
  const platform::DiscoverySources sources = platform::HostDiscoverySources();
  platform::DiscoverySources unprobed = sources;
  unprobed.probe = nullptr;
  std::vector<DriveFacts> drives;
  for (const platform::DriveMapping& mapping : program.Files().Drives().Drives()) {
    DriveFacts facts{mapping.letter,          mapping.label,    std::nullopt,  SourceName(mapping.source),
                     program.DriveIsNamed(mapping.letter), mapping.hostRoot, mapping.source};
    if (const auto volume = platform::VolumeOfFolder(mapping.answers ? sources : unprobed, mapping.hostRoot)) {
      facts.fileSystem = volume->fileSystem;
    }
    drives.push_back(std::move(facts));
  }
  return drives;
}

}  // namespace tidewell::session
