// The catalogue's data: the 38 entries, the Safest selection and the four
// fixed visiting orders, followed by the lookups over them.
#include "settings/category_catalogue.h"

#include <algorithm>

namespace tidewell {
namespace {

using enum CategoryId;

constexpr Category kEntries[] = {
    // Left column, top to bottom.
    {Adobe, EntryKind::Category, "ChkAdobe", "Adobe", "&Adobe PDF files (*.PDF)",
     "Click here to make Tidewell remove all Adobe Portable Document Files", 0},
    {Archives, EntryKind::Category, "ChkArchives", "Archives",
     "&Archives (*.ARC, *.CAB, *.PAK, *.ZIP, etc.)",
     "Click here to make Tidewell remove all archive files", 0},
    {Backups, EntryKind::Category, "ChkBackups", "Backups", "&Backups (*.BAK, *.BUP, *.OLD)",
     "Click here to make Tidewell remove common backup file types", 0},
    {Copies, EntryKind::Category, "ChkCopies", "Copies", "&Copies (Copy of*.*, Copy (n) of*.*)",
     "Click here to make Tidewell remove extra copies of files", 0},
    {BizCards, EntryKind::Category, "ChkBizCards", "BizCards",
     "&E-mail business cards (*.VCF, WinMail*.DAT)",
     "Click here to make Tidewell remove all electronic business cards attached to e-mails", 0},
    {Eudora, EntryKind::Category, "ChkEudora", "Eudora",
     "&Eudora e-mail attachments && embedded items",
     "Click here to make Tidewell remove all e-mail attachments and embedded items stored by "
     "Eudora",
     0},
    {Cursors, EntryKind::Category, "ChkCursors", "Cursors", "&Excess mouse cursors (*.CUR)",
     "Click here to make Tidewell remove custom mouse pointers and cursors", 0},
    {Thumbnails, EntryKind::Category, "ChkThumbnails", "Thumbnails",
     "&Explorer thumbnail databases (Thumbs.DB)",
     "Click here to make Tidewell remove Windows Explorer thumbnail databases", 1},
    {Graphics, EntryKind::Category, "ChkGraphics", "Graphics",
     "&Graphics files (*.BMP, *.GIF, *.JPG, *.TIF, etc.)",
     "Click here to make Tidewell remove graphics files", 0},
    {Groups, EntryKind::Category, "ChkGroups", "Groups", "&Group files from Windows 3.xx (*.GRP)",
     "Click here to make Tidewell remove old Windows 3.xx group files", 0},
    {Help, EntryKind::Category, "ChkHelp", "Help", "&Help files (*.CHM, *.CNT, *.HLP)",
     "Click here to make Tidewell remove all Help files", 0},
    {Installers, EntryKind::Category, "ChkInstallers", "Installers", "&Installation files (*.??_)",
     "Click here to make Tidewell remove leftover installation files", 0},
    {InstallerUndo, EntryKind::Category, "ChkInstallerUndo", "InstallerUndo",
     "&Installer undo files (Win95/98, IE, NTSP, etc.)",
     "Click here to make Tidewell remove backup undo files leftover from installation programs", 1},
    {Controls, EntryKind::Category, "ChkControls", "Controls",
     "&Internet ActiveX controls and Java applets",
     "Click here to make Tidewell remove excess Internet controls", 1},
    {Bookmarks, EntryKind::Category, "ChkBookmarks", "Bookmarks",
     "&Internet Bookmarks and Favorites",
     "Click here to make Tidewell purge Netscape Bookmarks and IE Favorites", 0},
    {Cookies, EntryKind::Category, "ChkCookies", "Cookies", "&Internet Cookies",
     "Click here to make Tidewell eat all Internet cookies", 0},
    {Downloads, EntryKind::Category, "ChkDownloads", "Downloads", "&Internet Downloads",
     "Click here to make Tidewell remove IE Internet downloads", 1},
    {Histories, EntryKind::Category, "ChkHistories", "Histories", "&Internet Histories and Caches",
     "Click here to make Tidewell purge Internet histories and caches", 1},
    // Right column, top to bottom.
    {List, EntryKind::Category, "ChkList", "List", "&List files (*.LST)",
     "Click here to make Tidewell remove all LIST files", 0},
    {Log, EntryKind::Category, "ChkLog", "Log", "&Log files (*.LOG)",
     "Click here to make Tidewell remove all LOG files", 0},
    {OfficeWorks, EntryKind::Category, "ChkOfficeWorks", "OfficeWorks",
     "&Microsoft Office and Works backup files",
     "Click here to make Tidewell remove Microsoft Office and Works backup files", 0},
    {Music, EntryKind::Category, "ChkMusic", "Music", "&Music files (*.MID, *.RMI)",
     "Click here to make Tidewell remove Windows music files", 0},
    {ReadMe, EntryKind::Category, "ChkReadMe", "ReadMe", "&Read Me files",
     "Click here to make Tidewell remove all README files", 0},
    {Recent, EntryKind::Category, "ChkRecent", "Recent", "&Recent documents listing",
     "Click here to make Tidewell clear the recent documents listing", 1},
    {Recycled, EntryKind::Category, "ChkRecycled", "Recycled", "&Recycle Bin trash",
     "Click here to make Tidewell empty the Recycle Bin", 1},
    {ScreenSavers, EntryKind::Category, "ChkScreenSavers", "ScreenSavers", "&Screen savers (*.SCR)",
     "Click here to make Tidewell remove all Windows screen savers", 0},
    {Setup, EntryKind::Category, "ChkSetup", "Setup", "&SETUP programs (Setup.EXE)",
     "Click here to make Tidewell remove all Setup programs", 0},
    {Sounds, EntryKind::Category, "ChkSounds", "Sounds", "&Sound files (*.WAV)",
     "Click here to make Tidewell remove all audio files", 0},
    {Temp, EntryKind::Category, "ChkTemp", "Temp", "&Temp folder contents (all in TEMP or TMP)",
     "Click here to make Tidewell purge all TEMP files and the contents of all temporary system "
     "folders",
     1},
    {Text, EntryKind::Category, "ChkText", "Text", "&Text files (*.TXT)",
     "Click here to make Tidewell remove all text files", 0},
    {Uninstallers, EntryKind::Category, "ChkUninstallers", "Uninstallers", "&Uninstaller files",
     "Click here to make Tidewell remove all files left behind for use by uninstallers", 0},
    {VB, EntryKind::Category, "ChkVB", "VB", "&VB temporary files",
     "Click here to make Tidewell remove leftover VB temp files", 0},
    {Videos, EntryKind::Category, "ChkVideos", "Videos", "&Videos (*.AVI, *.MOV, *.MPG)",
     "Click here to make Tidewell remove all video files", 0},
    {SysBckup, EntryKind::Category, "ChkSysBckup", "SysBckup",
     "&Windows system backups (SYSBCKUP folder)",
     "Click here to make Tidewell remove all files in the Windows\\SYSBCKUP folder", 1},
    {Wallpaper, EntryKind::Category, "ChkWallpaper", "Wallpaper",
     "&Windows wallpaper (*.BMP in Windows folder)",
     "Click here to make Tidewell remove all BMP files in the Windows folder", 0},
    // The options, below the right column.
    {ShowWarnings, EntryKind::Option, "ChkWarnings", "ShowWarnings", "&Show warnings",
     "Click here to enable/disable warning messages", 1},
    {ExtraScrubbing, EntryKind::Option, "ChkExtra", "ExtraScrubbing", "&Use aggressive scrubbing",
     "Click here to enable/disable a little extra scrubbing power", 1},
    {MaintainLog, EntryKind::Option, "ChkMaintainLog", "MaintainLog",
     "&Maintain log of all deleted files",
     "Click here to keep a log of all deleted files and folders", 0},
};

static_assert(std::size(kEntries) == kEntryCount);
static_assert(
    [] {
      for (std::size_t i = 0; i < kEntryCount; ++i) {
        if (static_cast<std::size_t>(kEntries[i].id) != i) return false;
        if ((kEntries[i].kind == EntryKind::Category) != (i < kCategoryCount)) return false;
      }
      return true;
    }(),
    "entry i must carry CategoryId i, categories first");

// What Safest turns on: the nine default-on categories, VB (which defaults
// to off) and aggressive scrubbing. Every other category it turns off.
constexpr CategoryId kSafestOn[] = {
    Thumbnails, InstallerUndo, Controls, Downloads, Histories,      Recent,
    Recycled,   Temp,          VB,       SysBckup,  ExtraScrubbing,
};

// The order in which creation loads the boxes from the store: the 26
// default-off categories, alphabetical by settings name; then the default-on
// categories and aggressive scrubbing, again alphabetical; last the two
// options that no preset touches.
constexpr CategoryId kCreationLoadOrder[] = {
    Adobe,         Archives,    Backups,  BizCards,  Bookmarks,      Cookies,
    Copies,        Cursors,     Eudora,   Graphics,  Groups,         Help,
    Installers,    List,        Log,      Music,     OfficeWorks,    ReadMe,
    ScreenSavers,  Setup,       Sounds,   Text,      Uninstallers,   VB,
    Videos,        Wallpaper,   Controls, Downloads, ExtraScrubbing, Histories,
    InstallerUndo, Recent,      Recycled, SysBckup,  Temp,           Thumbnails,
    ShowWarnings,  MaintainLog,
};

// Select All checks, and Select None unchecks, in this order: alphabetical by
// control name ignoring case, except that ChkExtra comes before ChkEudora.
constexpr CategoryId kSelectAllOrder[] = {
    Adobe,    Archives,     Backups,      BizCards,    Bookmarks,      Controls,
    Cookies,  Copies,       Cursors,      Downloads,   ExtraScrubbing, Eudora,
    Graphics, Groups,       Help,         Histories,   Installers,     InstallerUndo,
    List,     Log,          Music,        OfficeWorks, ReadMe,         Recent,
    Recycled, ScreenSavers, Setup,        Sounds,      SysBckup,       Temp,
    Text,     Thumbnails,   Uninstallers, VB,          Videos,         Wallpaper,
};

// Safest unchecks everything it turns off, then checks everything it turns on.
constexpr CategoryId kSafestUncheckOrder[] = {
    Adobe,   Archives,     Backups,     BizCards,  Bookmarks,    Cookies,    Copies,
    Cursors, Eudora,       Graphics,    Groups,    Help,         Installers, List,
    Log,     Music,        OfficeWorks, ReadMe,    ScreenSavers, Setup,      Sounds,
    Text,    Uninstallers, Videos,      Wallpaper,
};

constexpr CategoryId kSafestCheckOrder[] = {
    Controls, Downloads, ExtraScrubbing, Histories, InstallerUndo, Recent, Recycled,
    SysBckup, Temp,      Thumbnails,     VB,
};

static_assert(std::size(kCreationLoadOrder) == kEntryCount);
static_assert(std::size(kSelectAllOrder) == kCategoryCount + 1);
static_assert(std::size(kSafestUncheckOrder) + std::size(kSafestCheckOrder) == kCategoryCount + 1);

}  // namespace

std::span<const Category> CatalogueEntries() { return kEntries; }

std::span<const Category> Categories() { return std::span(kEntries).first(kCategoryCount); }

const Category& Entry(CategoryId id) { return kEntries[static_cast<std::size_t>(id)]; }

const Category* FindByControlName(std::string_view controlName) {
  for (const Category& entry : kEntries) {
    if (entry.controlName == controlName) return &entry;
  }
  return nullptr;
}

const Category* FindBySettingsName(std::string_view settingsName) {
  for (const Category& entry : kEntries) {
    if (entry.settingsName == settingsName) return &entry;
  }
  return nullptr;
}

std::optional<bool> PresetState(Preset preset, CategoryId id) {
  if (id == ShowWarnings || id == MaintainLog) return std::nullopt;
  switch (preset) {
    case Preset::SelectAll:
      return true;
    case Preset::SelectNone:
      return false;
    case Preset::Safest:
      return std::ranges::find(kSafestOn, id) != std::end(kSafestOn);
  }
  return std::nullopt;
}

std::span<const CategoryId> CreationLoadOrder() { return kCreationLoadOrder; }
std::span<const CategoryId> SelectAllOrder() { return kSelectAllOrder; }
std::span<const CategoryId> SafestUncheckOrder() { return kSafestUncheckOrder; }
std::span<const CategoryId> SafestCheckOrder() { return kSafestCheckOrder; }

FixedCategoryStates::FixedCategoryStates() {
  for (const Category& entry : kEntries) Set(entry.id, entry.defaultValue);
}

void FixedCategoryStates::Apply(Preset preset) {
  for (const Category& entry : kEntries) {
    if (const std::optional<bool> state = PresetState(preset, entry.id)) {
      Set(entry.id, *state ? 1 : 0);
    }
  }
}

}  // namespace tidewell
