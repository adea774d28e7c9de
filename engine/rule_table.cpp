// The rule table's data. Every row, its order and its target decide what a
// run removes: change nothing here without a test that shows why.
#include "engine/rule_table.h"

#include <array>
#include <vector>

#include "platform/text_case.h"

namespace tidewell {
namespace {

using enum RuleAction;

constexpr CategoryRule Delete(std::string_view pattern) { return {DeleteMatching, pattern}; }
constexpr CategoryRule Empty(std::string_view name, std::string_view marker = {}) {
  return {EmptyNamed, name, marker};
}
constexpr CategoryRule Purge(std::string_view name, std::string_view marker = {}) {
  return {PurgeNamed, name, marker};
}
template <typename Row>
constexpr CategoryRule Inert(Row row) {
  row.inert = true;
  return row;
}

constexpr std::array kAdobe{Delete("*.PDF")};
constexpr std::array kArchives{Delete("*.ARC"), Delete("*.CAB"), Delete("*.LHA"),
                               Delete("*.PAK"), Delete("*.ZOO"), Delete("*.ZIP")};
constexpr std::array kBackups{Delete("*.BAK"), Delete("*.BUP"), Delete("*.OLD")};
constexpr std::array kBizCards{Delete("Winmail*.DAT"), Delete("*.VCF")};
constexpr std::array kBookmarks{Delete("*.URL"), Delete("Bookmark.HTM")};
constexpr std::array kCookies{Inert(Delete("Cookie:*.*")), Delete("Cookies.TXT"),
                              Empty("Cookies", "*.DAT"), Purge("Temporary Internet Files")};
constexpr std::array kCopies{Delete("Copy of*.*"), Delete("Copy (*.*"), Purge("Copy of"),
                             Purge("Copy (")};
constexpr std::array kCursors{Delete("*.CUR")};
constexpr std::array kDownloads{Empty("Downloaded Program Files"), Purge("MsDownld.TMP")};
constexpr std::array kEudora{Empty("Eudora\\Attach"), Empty("Eudora\\Embedded")};
constexpr std::array kExtraScrubbing{
    Delete("Active Setup Log.*"), Delete("Activity.LOG"),   Delete("AllMSKB.TXT"),
    Delete("Bind List Log.TXT"),  Delete("BrndLog.TXT"),    Delete("Error.LOG"),
    Delete("End-User.TXT"),       Delete("EULA*.TXT"),      Delete("FrmCache.DAT"),
    Delete("JavaInst.TXT"),       Delete("License.DOC"),    Delete("License.TXT"),
    Delete("MDAcSet.LOG"),        Delete("ModemDet.TXT"),   Delete("OEWABLog.TXT"),
    Delete("Order*.TXT"),         Delete("PPSetup.LOG"),    Delete("Soft Boot Log.TXT"),
    Delete("SQLODBCI.LOG"),       Delete("SQLStp.LOG"),     Delete("WPLog.TXT")};
constexpr std::array kGraphics{Delete("*.BMP"), Delete("*.DIB"), Delete("*.FPX"), Delete("*.GIF"),
                               Delete("*.JPG"), Delete("*.TIF"), Delete("*.TGA"), Delete("*.WMF")};
constexpr std::array kGroups{Delete("*.GRP")};
constexpr std::array kHelp{Delete("*.CHM"), Delete("*.CNT"), Delete("*.HLP")};
constexpr std::array kHistories{Delete("Netscape.HST"),   Delete("*.NMD"),
                                Empty("Cache", "fat.DB"), Empty("Cache1"),
                                Empty("Cache2"),          Empty("Cache3"),
                                Empty("Cache4"),          Purge("History", "*.DAT"),
                                Purge("Offline Web Pages"), Purge("Temporary Internet Files")};
constexpr std::array kInstallers{Delete("*.??_"), Delete("_MsSetup.EXE")};
constexpr std::array kInstallerUndo{
    Delete("*.ISS"),           Delete("IE Setup Log.TXT"),    Delete("IE Uninstall Log.TXT"),
    Delete("IE4Bak.*"),        Delete("IE4 Setup Log.TXT"),   Delete("IIS4ActiveSetup.LOG"),
    Delete("Setup.LOG"),       Delete("SetupLog.TXT"),        Delete("VMinst.LOG"),
    Delete("W95Undo.*"),       Delete("WFXinst.LOG"),         Delete("WFXpatch.LOG"),
    Inert(Purge("PFT*.", "*.CAB")),
    Purge("$NtServicePackUninstall$"), Purge("$Win_NT$.~"),   Purge("$Win_NT$.~BT"),
    Purge("~MsSetup.T"),       Inert(Purge("~WKS*.*"))};
constexpr std::array kList{Delete("*.LST")};
constexpr std::array kLog{Delete("*.LOG")};
constexpr std::array kText{Delete("*.TXT")};
constexpr std::array kMusic{Delete("*.MID"), Delete("*.RMI")};
constexpr std::array kOfficeWorks{Delete("*.BPS"), Delete("*.BDB"), Delete("*.BKS"),
                                  Delete("Backup of*.*")};
constexpr std::array kReadMe{Delete("README*.*"), Delete("READ ME*.*"), Delete("READ_ME*.*"),
                             Delete("READ-ME*.*"), Delete("READ.ME"),   Delete("READ*.DOC"),
                             Delete("READ*.TXT")};
constexpr std::array kRecent{Empty("Recent")};
constexpr std::array kRecycled{Purge("Recycled"), Purge("Recycler")};
constexpr std::array kScreenSavers{Delete("*.SCR")};
constexpr std::array kSetup{Delete("Setup.*")};
constexpr std::array kSounds{Delete("*.AIF"), Delete("*.AU"),  Delete("*.MP3"), Delete("*.RA"),
                             Delete("*.RAM"), Delete("*.RM"),  Delete("*.SND"), Delete("*.WAV")};
constexpr std::array kSysBckup{Empty("SysBckup")};
constexpr std::array kTemp{Purge("Temp", "*.TMP"), Purge("Tmp", "*.TMP")};
constexpr std::array kThumbnails{Delete("Thumbs.DB")};
constexpr std::array kUninstallers{Delete("*.ISU"), Delete("Install.LOG"), Delete("ST?UNST.*"),
                                   Delete("Uninst.LOG"), Purge("Uninstall Information")};
constexpr std::array kVB{Delete("VB????~?."), Delete("VB???~??.")};
constexpr std::array kVideos{Delete("*.AVI"), Delete("*.MOV"), Delete("*.MPE*"), Delete("*.MPEG"),
                             Delete("*.MPG"), Delete("*.RAM"), Delete("*.RM"),   Delete("*.SMI")};

constexpr std::array<std::string_view, 0> kNoGuard{};
constexpr std::array<std::string_view, 1> kRepairGuard{"Repair"};
constexpr std::array<std::string_view, 2> kUninstallOrSetupGuard{"Un", "Setup"};
constexpr std::array<std::string_view, 3> kTextGuard{"Un", "Setup", "Eudora"};
constexpr std::array<std::string_view, 1> kScriptsGuard{"Scripts"};

using enum CategoryId;

const std::array kSections{
    RuleSection{Adobe, kNoGuard, kAdobe},
    RuleSection{Archives, kNoGuard, kArchives},
    RuleSection{Backups, kNoGuard, kBackups},
    RuleSection{BizCards, kNoGuard, kBizCards},
    RuleSection{Bookmarks, kNoGuard, kBookmarks},
    RuleSection{Cookies, kNoGuard, kCookies},
    RuleSection{Copies, kNoGuard, kCopies},
    RuleSection{Cursors, kNoGuard, kCursors},
    RuleSection{Downloads, kNoGuard, kDownloads},
    RuleSection{Eudora, kNoGuard, kEudora},
    RuleSection{ExtraScrubbing, kNoGuard, kExtraScrubbing},
    RuleSection{Graphics, kNoGuard, kGraphics},
    RuleSection{Groups, kNoGuard, kGroups},
    RuleSection{Help, kNoGuard, kHelp},
    RuleSection{Histories, kNoGuard, kHistories},
    RuleSection{Installers, kRepairGuard, kInstallers},
    RuleSection{InstallerUndo, kNoGuard, kInstallerUndo, true},
    RuleSection{List, kUninstallOrSetupGuard, kList},
    RuleSection{Log, kUninstallOrSetupGuard, kLog},
    RuleSection{Text, kTextGuard, kText},
    RuleSection{Music, kNoGuard, kMusic},
    RuleSection{OfficeWorks, kNoGuard, kOfficeWorks},
    RuleSection{ReadMe, kNoGuard, kReadMe},
    RuleSection{Recent, kNoGuard, kRecent},
    RuleSection{Recycled, kNoGuard, kRecycled},
    RuleSection{ScreenSavers, kScriptsGuard, kScreenSavers},
    RuleSection{Setup, kNoGuard, kSetup},
    RuleSection{Sounds, kNoGuard, kSounds},
    RuleSection{SysBckup, kNoGuard, kSysBckup},
    RuleSection{Temp, kNoGuard, kTemp},
    RuleSection{Thumbnails, kNoGuard, kThumbnails},
    RuleSection{Uninstallers, kNoGuard, kUninstallers},
    RuleSection{VB, kNoGuard, kVB},
    RuleSection{Videos, kNoGuard, kVideos},
};

constexpr std::array kBaseRows{
    Delete("*.---"),          Delete("*.~??"),          Delete("*.GID"),
    Delete("*.FTS"),          Delete("*.MTX"),          Delete("*.SFK"),
    Delete("*.TMP"),          Delete("*.QTW"),          Delete("File*.CHK"),
    Delete("DirCon.TXT"),     Delete("DrWatson.LOG"),   Delete("DrWtsn32.LOG"),
    Delete("MsCreate.DIR"),   Delete("Reg Save Log.TXT"), Delete("RunOnceEx Log.TXT"),
    Delete("SchedLog.TXT"),   Delete("Twain.LOG"),      Delete("User.DMP"),
    Delete("?."),             Delete("ShellIconCache"), Delete("System.1ST"),
    Delete("TTFcache"),
    Empty("Spool\\Fax"),      Empty("Spool\\Printers"), Empty("System32\\Spool\\Printers"),
    Empty("Windows Update Setup Files")};

using Where = SystemFileGroup::Folder;
constexpr std::array kSystemFileGroups{
    SystemFileGroup{Where::DriveRoot, "Autoexec"},      SystemFileGroup{Where::DriveRoot, "Boot"},
    SystemFileGroup{Where::DriveRoot, "Config"},        SystemFileGroup{Where::DriveRoot, "MsDos"},
    SystemFileGroup{Where::WindowsFolder, "Control"},   SystemFileGroup{Where::WindowsFolder, "DosStart"},
    SystemFileGroup{Where::WindowsFolder, "Win"},       SystemFileGroup{Where::WindowsFolder, "System"},
    SystemFileGroup{Where::WindowsSystemFolder, "Temp"}};

constexpr std::array<std::string_view, 34> kProtectedThreeLetterEndings{
    "ACM", "BAS", "BAT", "BIN", "CFG", "COM", "CPL", "DA0", "DAT", "DEP", "DLL", "DOS",
    "DRV", "EXE", "FNT", "FUA", "INF", "INI", "LCI", "NLS", "OCA", "OCX", "OVL", "REG",
    "SCR", "SEP", "SYS", "TLB", "TRN", "TSK", "TSP", "VBX", "VXD", "WIN"};

// The names are built once and live as long as the program, so the rows'
// views into them stay valid.
struct NumberedFolders {
  NumberedFolders() {
    names.reserve(297);
    rows.reserve(297);
    for (int n = 1; n <= 99; ++n) {
      const std::string t = std::to_string(n);
      names.push_back("FULSES" + t);
      names.push_back("_IStmp" + t + ".DIR");
      names.push_back("~PFTW0" + t);
    }
    for (const std::string& name : names) rows.push_back(Purge(name));
  }
  std::vector<std::string> names;
  std::vector<CategoryRule> rows;
};

}  // namespace

std::span<const RuleSection> CategorySections() { return kSections; }

std::span<const CategoryRule> NumberedInstallerFolders() {
  static const NumberedFolders folders;
  return folders.rows;
}

std::span<const CategoryRule> BaseRows() { return kBaseRows; }

std::span<const SystemFileGroup> SystemFileGroups() { return kSystemFileGroups; }

bool HasProtectedExtension(std::string_view fileName) {
  const std::string ending = UpperCased(fileName.substr(fileName.size() < 3 ? 0 : fileName.size() - 3));
  if (ending == ".AX") return true;
  for (std::string_view protectedEnding : kProtectedThreeLetterEndings) {
    if (ending == protectedEnding) return true;
  }
  return false;
}

}  // namespace tidewell
