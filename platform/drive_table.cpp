// Drive table: parsing TIDEWELL_DRIVES, checking each mapping with what the
// host says about its folder (platform/drive_host.h), and mapping host paths
// back to drives.
#include "platform/drive_table.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "platform/drive_host.h"
#include "platform/mount_time_limit.h"
#include "platform/text_case.h"

namespace tidewell::platform {
namespace {

// Blanks and line ends around a part: a value pasted from a file with CR LF
// line ends must not map a folder whose name ends in a CR.
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

// The length of a normalised path's root: "/" on POSIX; on Windows, where
// host paths are kept with "/" as the separator, "C:/" (a path that starts
// with "/" has no drive and is taken as it stands).
std::size_t RootLength(std::string_view path) {
#ifdef _WIN32
  if (path.size() >= 3 && path[1] == ':' && path[2] == '/') return 3;
#endif
  return path.empty() ? 0 : 1;
}

bool IsAbsoluteHostPath(std::string_view path) {
#ifdef _WIN32
  if (path.size() >= 3 && path[1] == ':' && (path[2] == '/' || path[2] == '\\')) return true;
#endif
  return !path.empty() && path.front() == '/';
}

bool IsHostRoot(std::string_view path) { return !path.empty() && path.size() == RootLength(path); }

// Removes repeated and trailing "/" (keeps the root's own). On Windows "\"
// is written as "/" first, so that both spellings of a folder compare equal.
std::string Normalised(std::string_view path) {
  std::string out;
  out.reserve(path.size());
  for (char c : path) {
#ifdef _WIN32
    if (c == '\\') c = '/';
#endif
    if (c == '/' && !out.empty() && out.back() == '/') continue;
    out.push_back(c);
  }
  while (out.size() > std::max<std::size_t>(RootLength(out), 1) && out.back() == '/') out.pop_back();
  return out;
}

// An absolute, normalised path without its "." components; nullopt when it
// holds "..": where ".." lands depends on links that may not exist yet
// ("/media/usb/.." is "/" once "/media/usb" is a link to "/media").
std::optional<std::string> WithoutDotComponents(std::string_view path) {
  const std::size_t rootLength = RootLength(path);
  const std::string root(path.substr(0, rootLength));
  path.remove_prefix(rootLength);
  std::string out;
  while (!path.empty()) {
    if (path.front() == '/') path.remove_prefix(1);  // the "/" before the component
    const std::size_t end = std::min(path.find('/'), path.size());
    const std::string_view name = path.substr(0, end);
    if (name == "..") return std::nullopt;
    if (name != "." && !name.empty()) {
      if (!out.empty()) out.push_back('/');
      out.append(name);
    }
    path.remove_prefix(end);
  }
  return root + out;
}

}  // namespace

std::string DefaultDriveLabel(std::string_view hostRoot) {
  std::string normal = Normalised(hostRoot);
  if (normal.empty() || IsHostRoot(normal)) return "ROOT";
  std::string label = UpperCased(std::string_view(normal).substr(normal.rfind('/') + 1));
  // A label is shown on one line in the drive list and in messages.
  for (char& c : label) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  return label;
}

std::optional<std::string> DriveTable::Add(char letter, std::string_view hostRoot,
                                           std::string_view label, DriveSource source) {
  const char upper = ToUpperAscii(letter);
  if (upper < 'A' || upper > 'Z') {
    return std::string("\"") + letter + "\" is not a drive letter (A to Z); it is left out";
  }
  const std::string name = std::string(1, upper) + ":";
  if (hostRoot.empty()) {
    return "drive " + name + " names no folder (write it as " + std::string(1, upper) +
           "=/srv/win98); it is left out";
  }
  if (hostRoot.find('\0') != std::string_view::npos) {
    return "drive " + name + " names a folder that holds a NUL byte; it is left out";
  }
  if (!IsAbsoluteHostPath(hostRoot)) {
    return "drive " + name + " must name an absolute folder, starting with \"/\", not \"" +
           std::string(hostRoot) + "\"; it is left out";
  }
  // What the host says of the folder, asked on a thread that may be left
  // behind should its file system never answer.
  struct HostFacts {
    std::string canonical;
    HostEntryKind kind = HostEntryKind::Missing;
    std::string asFarAsItExists;
    DriveRootCheck check;
  };
  auto facts = std::make_shared<HostFacts>();
  // The thread holds its own copy of the system folders: it may outlive
  // the table.
  const bool answered =
      AnswersWithin(MountTimeLimit(), [facts, given = Normalised(hostRoot), systemFolders = systemFolders_] {
    facts->canonical = RealPathOr(given);
    facts->kind = KindOfHostEntry(facts->canonical);
    if (facts->kind == HostEntryKind::Missing) facts->asFarAsItExists = RealPathAsFarAsItExists(facts->canonical);
    if (facts->kind == HostEntryKind::Folder) facts->check = CheckDriveRoot(facts->canonical, systemFolders);
  });
  if (!answered) return AddUnanswering(upper, hostRoot, label);
  std::string canonical = std::move(facts->canonical);
  const HostEntryKind kind = facts->kind;
  const bool exists = kind != HostEntryKind::Missing;
  if (!exists) {
    std::optional<std::string> plain = WithoutDotComponents(facts->asFarAsItExists);
    if (!plain) {
      return "drive " + name + " maps to \"" + std::string(hostRoot) +
             "\", which does not exist and climbs with \"..\"; give the folder's own path; it is left out";
    }
    canonical = std::move(*plain);
  }
  if (canonical == "/") {
    return "drive " + name + " cannot be the host's root folder \"/\" (given as \"" + std::string(hostRoot) +
           "\"); map the folder that holds the drive's files; it is left out";
  }
  if (kind == HostEntryKind::NotAFolder) {
    return "drive " + name + " maps to \"" + canonical + "\", which is a file, not a folder; it is left out";
  }
  std::optional<FolderIdentity> identity;
  if (exists) {
    const DriveRootCheck& check = facts->check;
    if (check.openError) {
      return "drive " + name + " maps to \"" + canonical + "\", which cannot be opened (" +
             check.openError.message() + "); it is left out";
    }
    if (check.forbidden) {
      return "drive " + name + " maps to \"" + std::string(hostRoot) + "\", which is " + *check.forbidden +
             "; cleaning it would clean the host's own files. Map the folder that holds the drive's files; it is "
             "left out";
    }
    identity = check.identity;
  }
  if (const DriveMapping* first = Find(upper)) {
    return "drive " + name + " is mapped more than once; the first mapping (" + first->hostRoot +
           ") is used and \"" + std::string(hostRoot) + "\" is left out";
  }
  for (const DriveMapping& other : drives_) {
    if (other.hostRoot == canonical ||
        (identity && other.identity && identity->SameFolder(*other.identity))) {
      return "drive " + name + " names the same folder as drive " + std::string(1, other.letter) +
             ": (" + canonical + "); it is left out";
    }
  }
  DriveMapping mapping{upper, canonical, label.empty() ? DefaultDriveLabel(canonical) : std::string(label),
                       identity, source};
  auto place = std::lower_bound(drives_.begin(), drives_.end(), upper,
                                [](const DriveMapping& m, char l) { return m.letter < l; });
  drives_.insert(place, std::move(mapping));

  if (!exists) {
    return "drive " + name + " maps to \"" + canonical +
           "\", which is not an existing folder; it will show as a drive without a disk";
  }
  return std::nullopt;
}

std::optional<std::string> DriveTable::AddUnanswering(char letter, std::string_view hostRoot,
                                                      std::string_view label) {
  const std::string name = std::string(1, letter) + ":";
  const std::string folder = Normalised(hostRoot);
  const std::string problem = "drive " + name + " maps to \"" + folder +
                              "\", whose file system gives no answer (a hung mount?); it shows as a drive without a disk";
  if (const DriveMapping* first = Find(letter)) {
    return "drive " + name + " is mapped more than once; the first mapping (" + first->hostRoot +
           ") is used and \"" + std::string(hostRoot) + "\" is left out";
  }
  DriveMapping mapping{letter, folder, label.empty() ? DefaultDriveLabel(folder) : std::string(label)};
  mapping.answers = false;
  auto place = std::lower_bound(drives_.begin(), drives_.end(), letter,
                                [](const DriveMapping& m, char l) { return m.letter < l; });
  drives_.insert(place, std::move(mapping));
  return problem;
}

DriveTable DriveTable::Parse(std::string_view text, std::vector<std::string>* problems) {
  DriveTable table;
  auto report = [&](std::string problem) {
    if (problems != nullptr) problems->push_back(std::move(problem));
  };
  while (!text.empty()) {
    const std::size_t end = std::min(text.find(';'), text.size());
    const std::string_view entry = Trimmed(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
    if (entry.empty()) continue;
    const std::size_t equals = entry.find('=');
    if (equals == std::string_view::npos) {
      report("\"" + std::string(entry) + "\" is not of the form LETTER=/folder (e.g. C=/srv/win98); it is left out");
      continue;
    }
    std::string_view letter = Trimmed(entry.substr(0, equals));
    if (letter.size() == 2 && letter[1] == ':') letter.remove_suffix(1);
    const std::string_view folder = Trimmed(entry.substr(equals + 1));
    if (letter.empty()) {
      report("\"" + std::string(entry) + "\" names no drive letter (write it as C" + std::string(entry) +
             "); it is left out");
      continue;
    }
    if (letter.size() != 1) {
      report("\"" + std::string(letter) + "\" in \"" + std::string(entry) +
             "\" is not a drive letter (A to Z); it is left out");
      continue;
    }
    if (auto problem = table.Add(letter[0], folder)) report(std::move(*problem));
  }
  return table;
}

DriveTable DriveTable::FromSources(const std::vector<std::pair<std::string, std::string>>& stored,
                                   const std::vector<DriveMapping>& discovered,
                                   std::vector<std::string>* problems) {
  return FromSources(stored, [&] { return discovered; }, problems);
}

DriveTable DriveTable::FromSources(const std::vector<std::pair<std::string, std::string>>& stored,
                                   const std::function<std::vector<DriveMapping>()>& discover,
                                   std::vector<std::string>* problems) {
  // Each problem names the source it came from, so the user knows where to fix it.
  auto reportFrom = [&](std::string_view source, std::string problem) {
    if (problems != nullptr) problems->push_back(std::string(source) + ": " + problem);
  };
  if (const std::optional<std::string> fromEnvironment = DriveMappingsFromEnvironment()) {
    std::vector<std::string> found;
    DriveTable table = Parse(*fromEnvironment, &found);
    for (std::string& problem : found) reportFrom("TIDEWELL_DRIVES", std::move(problem));
    return table;
  }
  DriveTable table;
  for (const auto& [letter, folder] : stored) {
    std::string_view l = Trimmed(letter);
    if (l.size() == 2 && l[1] == ':') l.remove_suffix(1);
    std::optional<std::string> problem =
        l.size() == 1 ? table.Add(l[0], Trimmed(folder), {}, DriveSource::Store)
                      : "\"" + std::string(l) + "\" is not a drive letter (A to Z); it is left out";
    if (problem) reportFrom("[Drives] in the settings file", std::move(*problem));
  }
  if (!table.Empty()) return table;
  for (const DriveMapping& mapping : discover()) {
    auto problem = table.Add(mapping.letter, mapping.hostRoot, mapping.label, mapping.source);
    if (problem) reportFrom("found drive", std::move(*problem));
  }
  return table;
}

const DriveMapping* DriveTable::Find(char letter) const {
  const char upper = ToUpperAscii(letter);
  for (const DriveMapping& mapping : drives_) {
    if (mapping.letter == upper) return &mapping;
  }
  return nullptr;
}

namespace {

bool LiesAtOrBelow(const std::string& path, const std::string& root) {
  if (IsHostRoot(root)) return path.compare(0, root.size(), root) == 0;
  return path == root || (path.size() > root.size() && path.compare(0, root.size(), root) == 0 &&
                          path[root.size()] == '/');
}

// The virtual folder of `path` below `root` (which it lies at or below) on
// drive `letter`; nullopt when a component holds "" or is "..".
std::optional<std::string> Translated(char letter, const std::string& path, const std::string& root) {
  std::string result = std::string(1, letter) + ":\\";
  std::string_view rest = std::string_view(path).substr(root.size());
  while (!rest.empty()) {
    if (rest.front() == '/') {
      rest.remove_prefix(1);
      continue;
    }
    const std::size_t end = std::min(rest.find('/'), rest.size());
    const std::string_view name = rest.substr(0, end);
    // ".." may climb out of the root: the text alone cannot say where it
    // lands, so such a path counts as lying on no drive.
    if (name == ".." || name.find('\\') != std::string_view::npos) return std::nullopt;
    if (name != ".") result.append(name).push_back('\\');
    rest.remove_prefix(end);
  }
  return result;
}

}  // namespace

std::optional<std::string> DriveTable::HostToVirtual(std::string_view hostPath) const {
  const std::string path = Normalised(hostPath);
  const DriveMapping* best = nullptr;
  for (const DriveMapping& mapping : drives_) {
    if (LiesAtOrBelow(path, mapping.hostRoot) &&
        (best == nullptr || mapping.hostRoot.size() > best->hostRoot.size())) {
      best = &mapping;
    }
  }
  if (best == nullptr) return std::nullopt;
  return Translated(best->letter, path, best->hostRoot);
}

std::optional<std::string> DriveTable::HostToVirtualOn(char letter, std::string_view hostPath) const {
  const DriveMapping* mapping = Find(letter);
  if (mapping == nullptr || hostPath.empty()) return std::nullopt;
  const std::string path = RealPathOr(Normalised(hostPath));
  // The root was resolved when the mapping was added, and a root that leads
  // through a link now is never opened (its drive is not cleaned at all):
  // resolving it again could only give the same path.
  const std::string& root = mapping->hostRoot;
  if (!LiesAtOrBelow(path, root)) return std::nullopt;
  return Translated(mapping->letter, path, root);
}

std::vector<DriveTable::NestedDrive> DriveTable::NestedDrives() const {
  std::vector<NestedDrive> nested;
  for (const DriveMapping& outer : drives_) {
    for (const DriveMapping& inner : drives_) {
      // Two letters never share a root (Add refuses the second).
      if (&outer == &inner || !LiesAtOrBelow(inner.hostRoot, outer.hostRoot)) continue;
      if (std::optional<std::string> folder = Translated(outer.letter, inner.hostRoot, outer.hostRoot)) {
        nested.push_back({outer.letter, inner.letter, std::move(*folder)});
      }
    }
  }
  return nested;
}

}  // namespace tidewell::platform
