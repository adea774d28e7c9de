// tidewell-make-media: writes the program's media into a folder (created
// when missing), next to where the program runs from:
//
//   Tidewell1.avi   the working animation (RLE8 clip)
//   Tidewell1.wav   the sound at the start of a cleaning run
//   Tidewell2.wav   the sound when the options window opens
//
// The output is the same on every run. Exit status: 0 written, 1 a file
// could not be written, 2 bad usage.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <system_error>

#include "media/avi_clip.h"
#include "media/clip_art.h"
#include "media/sound_art.h"
#include "media/wave.h"

namespace {

namespace fs = std::filesystem;

bool WriteFile(const fs::path& path, const std::string& bytes) {
  if (bytes.empty()) {
    std::cerr << "tidewell-make-media: nothing to write for " << path.string() << "\n";
    return false;
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    std::cerr << "tidewell-make-media: cannot write " << path.string() << "\n";
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tidewell::media;
  if (argc != 2 || std::string_view(argv[1]).starts_with("-")) {
    std::cerr << "usage: tidewell-make-media OUTFOLDER\n"
                 "Writes Tidewell1.avi, Tidewell1.wav and Tidewell2.wav into OUTFOLDER.\n";
    return 2;
  }
  const fs::path folder = argv[1];
  std::error_code error;
  fs::create_directories(folder, error);
  if (error) {
    std::cerr << "tidewell-make-media: cannot create " << folder.string() << ": " << error.message() << "\n";
    return 1;
  }

  const IndexedClip clip = DrawWorkingClip();
  const bool written =
      WriteFile(folder / "Tidewell1.avi",
                WriteRle8Avi(clip.width, clip.height, clip.frameMicroseconds, clip.palette, clip.frames)) &&
      WriteFile(folder / "Tidewell1.wav", WritePcmWave(kSoundSampleRate, SynthesiseRunStartChime())) &&
      WriteFile(folder / "Tidewell2.wav", WritePcmWave(kSoundSampleRate, SynthesiseOptionsBubbles()));
  return written ? 0 : 1;
}
