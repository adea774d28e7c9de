// tidewell-make-demo-drive: writes a Windows 9x/2000-style demo drive into a
// host folder (see demo_drive.h), to be mapped as a drive, e.g.
//
//   tidewell-make-demo-drive /tmp/demo/drive_c
//   TIDEWELL_DRIVES=C=/tmp/demo/drive_c tidewell-engine-demo
//
// Exit status: 0 written, 1 the drive could not be written (the folder is not
// empty, not a folder, or a write failed), 2 bad usage.
#include <charconv>
#include <iostream>
#include <string>
#include <string_view>
#include <system_error>

#include "tools/demo_drive.h"

namespace {

using tidewell::DemoDriveReport;
using tidewell::DemoDriveRequest;

constexpr std::string_view kProgram = "tidewell-make-demo-drive";

void PrintHelp(std::ostream& out) {
  const DemoDriveReport fixed = tidewell::DemoFixedLayoutCounts();
  out << "usage: " << kProgram << " [--folders N] [--files M] [--seed S] [--depth D] [--junk-percent P] [--sparse] FOLDER\n"
      << "\n"
      << "Writes a demo drive into FOLDER (created when missing; an existing folder must be\n"
      << "empty). Without options it writes the fixed demo layout: " << fixed.folders << " folders, "
      << fixed.files << " files.\n"
      << "\n"
      << "  --folders N  folders in all below FOLDER (at least " << fixed.folders << ")\n"
      << "  --files M    files in all (at least " << fixed.files << ")\n"
      << "  --seed S     seed of the filler that makes up the difference (default 1)\n"
      << "  --depth D    filler folders nest at most D levels deep (1 to 64, default 7)\n"
      << "  --junk-percent P\n"
      << "               share of filler files that are junk (0 to 100, default 20)\n"
      << "  --sparse     give files their lengths as holes, not written bytes: same names,\n"
      << "               lengths and times, next to no space (for drives of millions of files)\n"
      << "  --help       show this text\n"
      << "\n"
      << "The same options always give the same drive: names, sizes and times.\n";
}

int Usage(const std::string& problem) {
  std::cerr << kProgram << ": " << problem << "\n"
            << "usage: " << kProgram << " [--folders N] [--files M] [--seed S] FOLDER (--help for more)\n";
  return 2;
}

// A whole decimal number from `least` up to the type's limit, nothing else.
template <typename Number>
bool ParseCount(std::string_view text, Number least, Number& value) {
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  return error == std::errc() && stop == end && !text.empty() && value >= least;
}

// "1234567" as "1,234,567".
std::string Grouped(long long value) {
  std::string digits = std::to_string(value);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(at, ",");
  return digits;
}

}  // namespace

int main(int argc, char** argv) {
  DemoDriveRequest request;
  std::string folder;
  for (int i = 1; i < argc; ++i) {
    std::string_view argument = argv[i];
    if (argument == "--help" || argument == "-h") {
      PrintHelp(std::cout);
      return 0;
    }
    if (argument == "--folders" || argument == "--files" || argument == "--seed") {
      if (i + 1 == argc) return Usage(std::string(argument) + " needs a number");
      const std::string_view value = argv[++i];
      const bool ok = argument == "--seed" ? ParseCount(value, 0u, request.seed)
                      : argument == "--folders" ? ParseCount(value, 1L, request.folders)
                                                : ParseCount(value, 1L, request.files);
      if (!ok) {
        return Usage(std::string(argument) + " wants a whole number" + (argument == "--seed" ? "" : " above 0") +
                     ", not \"" + std::string(value) + "\"");
      }
      continue;
    }
    if (argument == "--depth" || argument == "--junk-percent") {
      if (i + 1 == argc) return Usage(std::string(argument) + " needs a number");
      const std::string_view value = argv[++i];
      const bool depth = argument == "--depth";
      int& target = depth ? request.maxDepth : request.junkPercent;
      if (!ParseCount(value, depth ? 1 : 0, target) || target > (depth ? 64 : 100)) {
        return Usage(std::string(argument) + (depth ? " wants 1 to 64" : " wants 0 to 100") + ", not \"" +
                     std::string(value) + "\"");
      }
      continue;
    }
    if (argument == "--sparse") {
      request.sparse = true;
      continue;
    }
    if (argument.starts_with("-")) return Usage("unknown option " + std::string(argument));
    if (!folder.empty()) return Usage("one FOLDER only");
    folder = argument;
  }
  if (folder.empty()) return Usage("no FOLDER given");

  const DemoDriveReport fixed = tidewell::DemoFixedLayoutCounts();
  if (request.folders != 0 && request.folders < fixed.folders) {
    return Usage("--folders must be at least " + std::to_string(fixed.folders) + ", the fixed layout's folders");
  }
  if (request.files != 0 && request.files < fixed.files) {
    return Usage("--files must be at least " + std::to_string(fixed.files) + ", the fixed layout's files");
  }

  DemoDriveReport report;
  if (const std::error_code error = tidewell::WriteDemoDrive(folder, request, &report)) {
    std::cerr << kProgram << ": ";
    if (error == std::errc::directory_not_empty) {
      std::cerr << folder << " is not empty; give a new or empty folder\n";
    } else if (error == std::errc::not_a_directory) {
      std::cerr << folder << " is not a folder\n";
    } else {
      std::cerr << "cannot write " << (report.failedPath.empty() ? folder : report.failedPath) << ": "
                << error.message() << "\n";
    }
    return 1;
  }
  std::cout << "Wrote " << Grouped(report.folders) << " folders and " << Grouped(report.files) << " files, "
            << Grouped(report.bytes) << " bytes, into " << folder << "\n";
  return 0;
}
