// The demo drive: the fixed layout as a table, the seeded filler, and the
// writer that lays both out on the host. Parts, in order:
//   - the text of the start-up and settings files;
//   - the fixed layout, each file with its size and its fate under a
//     destructive run with the default categories;
//   - dates, hashing and the seeded generator;
//   - the plan: every folder and file with name, size and time, worked out in
//     memory before anything is written;
//   - the writer: folders first, then each folder's files through one open
//     folder handle, folder times last (writing files changes them).
#include "tools/demo_drive.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <winioctl.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <string_view>
#include <unordered_map>

namespace tidewell {
namespace {

// ---- Text of the start-up and settings files ------------------------------

constexpr std::string_view kConfigSys =
    "DEVICE=C:\\WINDOWS\\HIMEM.SYS\r\n"
    "DEVICE=C:\\WINDOWS\\EMM386.EXE NOEMS\r\n"
    "DOS=HIGH,UMB\r\n"
    "FILES=40\r\n"
    "BUFFERS=30\r\n"
    "LASTDRIVE=Z\r\n";

constexpr std::string_view kAutoexecBat =
    "@ECHO OFF\r\n"
    "SET BLASTER=A220 I5 D1 H5 P330 T6\r\n"
    "SET TEMP=C:\\WINDOWS\\TEMP\r\n"
    "SET TMP=C:\\WINDOWS\\TEMP\r\n"
    "PATH C:\\WINDOWS;C:\\WINDOWS\\COMMAND\r\n"
    "LH C:\\WINDOWS\\COMMAND\\MSCDEX.EXE /D:MSCD001\r\n";

constexpr std::string_view kAutoexecDos =
    "@ECHO OFF\r\n"
    "PROMPT $P$G\r\n"
    "PATH C:\\DOS\r\n";

constexpr std::string_view kConfigDos =
    "DEVICE=C:\\DOS\\HIMEM.SYS\r\n"
    "FILES=30\r\n";

constexpr std::string_view kMsdosSys =
    "[Paths]\r\n"
    "WinDir=C:\\WINDOWS\r\n"
    "WinBootDir=C:\\WINDOWS\r\n"
    "HostWinBootDrv=C\r\n"
    "\r\n"
    "[Options]\r\n"
    "BootMulti=1\r\n"
    "BootGUI=1\r\n"
    "DoubleBuffer=1\r\n"
    "AutoScan=1\r\n"
    "WinVer=4.10.2222\r\n"
    ";\r\n"
    ";The following lines are required for compatibility with other programs.\r\n"
    ";Do not remove them (MSDOS.SYS needs to be >1024 bytes).\r\n"
    ";xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxa\r\n"
    ";xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxb\r\n"
    ";xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxc\r\n"
    ";xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxd\r\n"
    ";xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxe\r\n"
    ";xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxf\r\n"
    ";xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxg\r\n"
    ";xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxh\r\n"
    ";xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxi\r\n"
    ";xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxj\r\n"
    ";xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxk\r\n"
    ";xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxl\r\n"
    "BootMenu=0\r\n";

constexpr std::string_view kBootIni =
    "[boot loader]\r\n"
    "timeout=30\r\n"
    "default=multi(0)disk(0)rdisk(0)partition(1)\\WINNT\r\n"
    "[operating systems]\r\n"
    "multi(0)disk(0)rdisk(0)partition(1)\\WINNT=\"Microsoft Windows 2000 Professional\" /fastdetect\r\n"
    "C:\\=\"Microsoft Windows\"\r\n";

constexpr std::string_view kWinIni =
    "[windows]\r\n"
    "load=\r\n"
    "run=\r\n"
    "NullPort=None\r\n"
    "device=HP LaserJet 4,HPPCL5MS,LPT1:\r\n"
    "\r\n"
    "[Desktop]\r\n"
    "Wallpaper=C:\\WINDOWS\\Clouds.bmp\r\n"
    "TileWallpaper=0\r\n"
    "WallpaperStyle=2\r\n"
    "\r\n"
    "[intl]\r\n"
    "iCountry=1\r\n"
    "sShortDate=M/d/yy\r\n"
    "\r\n"
    "[fonts]\r\n"
    "\r\n"
    "[mci extensions]\r\n"
    "avi=AVIVideo\r\n"
    "mid=Sequencer\r\n"
    "wav=waveaudio\r\n";

constexpr std::string_view kSystemIni =
    "[boot]\r\n"
    "shell=Explorer.exe\r\n"
    "system.drv=system.drv\r\n"
    "drivers=mmsystem.dll power.drv\r\n"
    "user.exe=user.exe\r\n"
    "gdi.exe=gdi.exe\r\n"
    "keyboard.drv=keyboard.drv\r\n"
    "mouse.drv=mouse.drv\r\n"
    "display.drv=pnpdrvr.drv\r\n"
    "\r\n"
    "[386Enh]\r\n"
    "woafont=dosapp.fon\r\n"
    "mouse=*vmouse, msmouse.vxd\r\n"
    "keyboard=*vkd\r\n"
    "\r\n"
    "[drivers]\r\n"
    "wave=mmsndsnd.drv\r\n"
    "midi=mmsndsnd.drv\r\n";

constexpr std::string_view kControlIni =
    "[current]\r\n"
    "color schemes=Windows Standard\r\n"
    "\r\n"
    "[Patterns]\r\n"
    "(None)=(None)\r\n";

constexpr std::string_view kDosstartBat =
    "@ECHO OFF\r\n"
    "LH C:\\WINDOWS\\COMMAND\\MSCDEX.EXE /D:MSCD001\r\n"
    "LH C:\\WINDOWS\\COMMAND\\MOUSE.COM\r\n";

// ---- The fixed layout -------------------------------------------------------

// What a destructive run with the default categories does to a file.
enum class Fate : std::uint8_t {
  Keep,     // stays: documents, programs, system files, Vaultkeep
  Junk,     // removed
  Depends,  // stays by default; other selections may remove it
};

struct FixedFile {
  std::string_view path;  // relative, "\"-separated
  std::uint32_t size;     // ignored when text is given
  Fate fate;
  std::string_view text = {};
};

constexpr FixedFile Keep(std::string_view path, std::uint32_t size) { return {path, size, Fate::Keep}; }
constexpr FixedFile Junk(std::string_view path, std::uint32_t size) { return {path, size, Fate::Junk}; }
constexpr FixedFile Depends(std::string_view path, std::uint32_t size) {
  return {path, size, Fate::Depends};
}
constexpr FixedFile KeepText(std::string_view path, std::string_view text) {
  return {path, 0, Fate::Keep, text};
}
constexpr FixedFile JunkText(std::string_view path, std::string_view text) {
  return {path, 0, Fate::Junk, text};
}

// The comment before each group names the rows that decide the fate of its
// junk: the category sections on by default (Thumbnails, InstallerUndo,
// Downloads, Histories, Recent, Recycled, Temp, SysBckup, aggressive
// scrubbing), the base rows, and the sweep of start-up and system files in
// the root and the Windows folder.
constexpr FixedFile kFixedFiles[] = {
    // Root: boot and start-up files. The sweep spares the protected endings
    // (BAT, SYS, DOS, INI, COM) and removes the other copies.
    KeepText("AUTOEXEC.BAT", kAutoexecBat),
    KeepText("CONFIG.SYS", kConfigSys),
    KeepText("AUTOEXEC.DOS", kAutoexecDos),
    KeepText("CONFIG.DOS", kConfigDos),
    KeepText("MSDOS.SYS", kMsdosSys),
    KeepText("BOOT.INI", kBootIni),
    Keep("IO.SYS", 222390),
    Keep("COMMAND.COM", 93890),
    Keep("NTLDR", 214416),
    Keep("NTDETECT.COM", 34468),
    JunkText("AUTOEXEC.BAK", kAutoexecBat),
    JunkText("CONFIG.BAK", kConfigSys),
    JunkText("AUTOEXEC.SYD", kAutoexecDos),
    JunkText("CONFIG.SYD", kConfigDos),
    Junk("MSDOS.---", 1676),          // base row *.---
    Junk("SYSTEM.1ST", 311328),       // base row System.1ST
    Junk("SETUPLOG.TXT", 48211),      // InstallerUndo SetupLog.TXT
    Junk("W95UNDO.DAT", 286720),      // InstallerUndo W95Undo.*
    Junk("W95UNDO.INI", 412),
    Depends("BOOTLOG.TXT", 61874),    // Text
    Depends("BOOTLOG.PRV", 59102),
    Depends("DETLOG.TXT", 30245),     // Text
    Depends("SCANDISK.LOG", 1204),    // Log
    Depends("SUHDLOG.DAT", 5166),
    // ScanDisk's lost chains: base row File*.CHK.
    Junk("FOUND.000\\FILE0000.CHK", 32768),
    Junk("FOUND.000\\FILE0001.CHK", 4096),
    // Setup folders: InstallerUndo purges, base row Windows Update Setup Files.
    Junk("$WIN_NT$.~BT\\BOOTSECT.DAT", 512),
    Junk("$WIN_NT$.~BT\\TXTSETUP.SIF", 84312),
    Junk("$WIN_NT$.~BT\\SYSTEM32\\NTDLL.DLL", 347920),
    Junk("~MSSETUP.T\\~MSSTFQF.T\\_MSSETUP.EX_", 9216),
    Junk("~MSSETUP.T\\~MSSTFQF.T\\MSVCRT40.DL_", 151552),
    Junk("Windows Update Setup Files\\IE5SETUP.EXE", 473928),
    Junk("Windows Update Setup Files\\IE_S1.CAB", 262144),
    // The Recycle Bins: Recycled purges both.
    Junk("RECYCLED\\DESKTOP.INI", 65),
    Junk("RECYCLED\\INFO2", 2420),
    Junk("RECYCLED\\DC1.DOC", 24576),
    Junk("RECYCLED\\DC2.JPG", 48213),
    Junk("RECYCLED\\DC3.XLS", 13824),
    Junk("RECYCLED\\DC4\\Old notes.txt", 812),
    Junk("RECYCLED\\DC4\\Old plan.doc", 19456),
    Junk("RECYCLER\\S-1-5-21-1004336348-1177238915-682003330-1000\\desktop.ini", 65),
    Junk("RECYCLER\\S-1-5-21-1004336348-1177238915-682003330-1000\\INFO2", 820),
    Junk("RECYCLER\\S-1-5-21-1004336348-1177238915-682003330-1000\\Dc1.doc", 30720),

    // The Windows folder: its settings files stay, the sweep removes the
    // copies that do not end in a protected ending.
    KeepText("WINDOWS\\WIN.INI", kWinIni),
    KeepText("WINDOWS\\SYSTEM.INI", kSystemIni),
    KeepText("WINDOWS\\CONTROL.INI", kControlIni),
    KeepText("WINDOWS\\DOSSTART.BAT", kDosstartBat),
    Keep("WINDOWS\\WIN.COM", 24791),
    Keep("WINDOWS\\SYSTEM.DAT", 393248),
    Keep("WINDOWS\\SYSTEM.DA0", 393248),
    Keep("WINDOWS\\USER.DAT", 229408),
    Keep("WINDOWS\\USER.DA0", 229408),
    Keep("WINDOWS\\EXPLORER.EXE", 204288),
    Keep("WINDOWS\\NOTEPAD.EXE", 53248),
    Keep("WINDOWS\\REGEDIT.EXE", 123904),
    Keep("WINDOWS\\HIMEM.SYS", 33191),
    Keep("WINDOWS\\EMM386.EXE", 125495),
    Keep("WINDOWS\\COMMAND\\MSCDEX.EXE", 25473),
    Keep("WINDOWS\\COMMAND\\EDIT.COM", 69902),
    Keep("WINDOWS\\COMMAND\\MOUSE.COM", 56408),
    JunkText("WINDOWS\\WIN.BAK", kWinIni),
    JunkText("WINDOWS\\WIN.OLD", kWinIni),
    JunkText("WINDOWS\\WIN.SYD", kWinIni),
    JunkText("WINDOWS\\SYSTEM.BAK", kSystemIni),
    JunkText("WINDOWS\\SYSTEM.OLD", kSystemIni),
    JunkText("WINDOWS\\SYSTEM.SYD", kSystemIni),
    Junk("WINDOWS\\SYSTEM.CB", 612),
    JunkText("WINDOWS\\CONTROL.BAK", kControlIni),
    Depends("WINDOWS\\WININIT.BAK", 214),  // Backups; no sweep group is named WinInit
    // Wallpaper (off by default) and Graphics take the bitmaps.
    Depends("WINDOWS\\Clouds.bmp", 307514),
    Depends("WINDOWS\\Forest.bmp", 66146),
    Depends("WINDOWS\\Setup.bmp", 307514),
    Depends("WINDOWS\\Black Thatch.bmp", 182),
    Depends("WINDOWS\\Straw Mat.bmp", 190),
    Depends("WINDOWS\\ACCESSOR.GRP", 4217),  // Groups
    // Aggressive scrubbing.
    Junk("WINDOWS\\MODEMDET.TXT", 2911),
    Junk("WINDOWS\\FRMCACHE.DAT", 13648),
    Junk("WINDOWS\\Active Setup Log.txt", 21344),
    Junk("WINDOWS\\Active Setup Log.BAK", 19872),
    Junk("WINDOWS\\OEWABLOG.TXT", 904),
    Junk("WINDOWS\\BRNDLOG.TXT", 1372),
    // InstallerUndo.
    Junk("WINDOWS\\IE4 Setup Log.Txt", 17520),
    Junk("WINDOWS\\IE Uninstall Log.Txt", 3084),
    Junk("WINDOWS\\IE4BAK.DAT", 401408),
    Junk("WINDOWS\\IE4BAK.INI", 1833),
    // Base rows.
    Junk("WINDOWS\\ShellIconCache", 131072),
    Junk("WINDOWS\\TTFCACHE", 65536),
    Junk("WINDOWS\\SCHEDLOG.TXT", 4210),
    Junk("WINDOWS\\TWAIN.LOG", 733),
    Junk("WINDOWS\\DRWATSON.LOG", 8804),
    Junk("WINDOWS\\~GLC0A8F.TMP", 16384),
    Junk("WINDOWS\\HELP\\WINDOWS.GID", 28417),
    Junk("WINDOWS\\HELP\\WINDOWS.FTS", 110592),
    Junk("WINDOWS\\HELP\\NOTEPAD.GID", 3310),
    Depends("WINDOWS\\HELP\\WINDOWS.HLP", 269214),  // Help
    Depends("WINDOWS\\HELP\\WINDOWS.CNT", 7461),
    Depends("WINDOWS\\HELP\\NOTEPAD.HLP", 12734),
    Junk("WINDOWS\\SPOOL\\PRINTERS\\00001.SPL", 98304),
    Junk("WINDOWS\\SPOOL\\PRINTERS\\~EMF7A1.TMP", 45056),
    Junk("WINDOWS\\SPOOL\\FAX\\00001.EFX", 24312),
    // The system folder stays whole.
    Keep("WINDOWS\\SYSTEM\\KERNEL32.DLL", 471040),
    Keep("WINDOWS\\SYSTEM\\USER32.DLL", 45056),
    Keep("WINDOWS\\SYSTEM\\GDI32.DLL", 147456),
    Keep("WINDOWS\\SYSTEM\\SHELL32.DLL", 376832),
    Keep("WINDOWS\\SYSTEM\\COMCTL32.DLL", 237568),
    Keep("WINDOWS\\SYSTEM\\MFC42.DLL", 389120),
    Keep("WINDOWS\\SYSTEM\\MSVCRT.DLL", 278581),
    Keep("WINDOWS\\SYSTEM\\MMSYSTEM.DLL", 70768),
    Keep("WINDOWS\\SYSTEM\\VMM32.VXD", 375818),
    Keep("WINDOWS\\SYSTEM\\SYSTEM.DRV", 2272),
    Keep("WINDOWS\\SYSTEM\\KEYBOARD.DRV", 7568),
    Keep("WINDOWS\\SYSTEM\\MMSNDSND.DRV", 16384),
    Keep("WINDOWS\\SYSTEM\\IOSUBSYS\\ESDI_506.PDR", 24426),
    Keep("WINDOWS\\SYSTEM\\IOSUBSYS\\CDFS.VXD", 61424),
    Keep("WINDOWS\\SYSTEM\\VMM32\\IOS.VXD", 80862),
    // Temp purges TEMP (a *.TMP lies directly in it), installer folders and all.
    Junk("WINDOWS\\TEMP\\~DF1A2B.TMP", 16384),
    Junk("WINDOWS\\TEMP\\~DF3C4D.TMP", 2048),
    Junk("WINDOWS\\TEMP\\~WRS0003.tmp", 36352),
    Junk("WINDOWS\\TEMP\\GLF2A1.TMP", 512),
    Junk("WINDOWS\\TEMP\\Cleanup.log", 380),
    Junk("WINDOWS\\TEMP\\_ISTMP1.DIR\\_INS5576._MP", 56832),
    Junk("WINDOWS\\TEMP\\_ISTMP1.DIR\\_ISDEL.EXE", 8192),
    Junk("WINDOWS\\TEMP\\_ISTMP1.DIR\\_SETUP.DLL", 11264),
    Junk("WINDOWS\\TEMP\\FULSES1\\SETUP.INI", 97),
    Junk("WINDOWS\\TEMP\\IXP000.TMP\\ADVPACK.DLL", 91408),
    Junk("WINDOWS\\TEMP\\IXP000.TMP\\SETUP.INF", 2648),
    // SysBckup empties the registry backups.
    Junk("WINDOWS\\SYSBCKUP\\RB000.CAB", 301234),
    Junk("WINDOWS\\SYSBCKUP\\RB001.CAB", 300871),
    Junk("WINDOWS\\SYSBCKUP\\RB002.CAB", 302516),
    Junk("WINDOWS\\SYSBCKUP\\RB003.CAB", 303002),
    Junk("WINDOWS\\SYSBCKUP\\RB004.CAB", 303340),
    // Downloads.
    Junk("WINDOWS\\Downloaded Program Files\\SWFLASH.INF", 1208),
    Junk("WINDOWS\\Downloaded Program Files\\SWFLASH.OCX", 155648),
    Junk("WINDOWS\\Downloaded Program Files\\desktop.ini", 113),
    Junk("WINDOWS\\MSDOWNLD.TMP\\AS4C1E2D.CAB", 40960),
    // Histories purges the caches and the histories (index.dat in History).
    Junk("WINDOWS\\Temporary Internet Files\\Content.IE5\\index.dat", 245760),
    Junk("WINDOWS\\Temporary Internet Files\\Content.IE5\\desktop.ini", 67),
    Junk("WINDOWS\\Temporary Internet Files\\Content.IE5\\8XQ2M1ZC\\default[1].htm", 14233),
    Junk("WINDOWS\\Temporary Internet Files\\Content.IE5\\8XQ2M1ZC\\logo[1].gif", 3480),
    Junk("WINDOWS\\Temporary Internet Files\\Content.IE5\\K4J7P0AB\\style[1].css", 2915),
    Junk("WINDOWS\\Temporary Internet Files\\Content.IE5\\K4J7P0AB\\banner[1].jpg", 21866),
    Junk("WINDOWS\\Temporary Internet Files\\Content.IE5\\Z0WQ3RTE\\search[2].htm", 8821),
    Junk("WINDOWS\\Temporary Internet Files\\Content.IE5\\Z0WQ3RTE\\spacer[1].gif", 43),
    Junk("WINDOWS\\History\\index.dat", 16384),
    Junk("WINDOWS\\History\\History.IE5\\index.dat", 49152),
    Junk("WINDOWS\\History\\History.IE5\\MSHist012001031220010319\\index.dat", 32768),
    Depends("WINDOWS\\Cookies\\index.dat", 16384),  // Cookies
    Depends("WINDOWS\\Cookies\\alice@www.example[1].txt", 112),
    Depends("WINDOWS\\Cookies\\alice@news.example[2].txt", 287),
    // Recent.
    Junk("WINDOWS\\Recent\\Letter to Bob.lnk", 413),
    Junk("WINDOWS\\Recent\\Budget 2000.lnk", 409),
    Junk("WINDOWS\\Recent\\Beach.lnk", 396),
    Keep("WINDOWS\\Start Menu\\Programs\\Accessories\\Notepad.lnk", 367),
    Keep("WINDOWS\\Start Menu\\Programs\\Internet Explorer.lnk", 389),
    Depends("WINDOWS\\Favorites\\Weather.url", 84),  // Bookmarks
    // The Windows 98 profile.
    Keep("WINDOWS\\Profiles\\Alice\\USER.DAT", 204832),
    Keep("WINDOWS\\Profiles\\Alice\\Desktop\\Shopping list.doc", 9728),
    Keep("WINDOWS\\Profiles\\Alice\\Start Menu\\Programs\\WinZip.lnk", 402),
    Junk("WINDOWS\\Profiles\\Alice\\Temporary Internet Files\\Content.IE5\\index.dat", 131072),
    Junk("WINDOWS\\Profiles\\Alice\\Temporary Internet Files\\Content.IE5\\Q1W2E3R4\\index[1].htm", 11342),
    Junk("WINDOWS\\Profiles\\Alice\\Temporary Internet Files\\Content.IE5\\Q1W2E3R4\\photo[1].jpg", 35310),
    Junk("WINDOWS\\Profiles\\Alice\\History\\index.dat", 16384),
    Junk("WINDOWS\\Profiles\\Alice\\History\\History.IE5\\index.dat", 32768),
    Junk("WINDOWS\\Profiles\\Alice\\Recent\\Resume.lnk", 398),
    Depends("WINDOWS\\Profiles\\Alice\\Cookies\\index.dat", 16384),
    Depends("WINDOWS\\Profiles\\Alice\\Cookies\\alice@shop.example[1].txt", 164),
    Depends("WINDOWS\\Profiles\\Alice\\Favorites\\Weather.url", 84),

    // Windows 2000 on the same drive. WINNT is not the Windows folder the
    // sweep looks at; its files stay unless a row names them.
    Keep("WINNT\\win.ini", 403),
    Keep("WINNT\\system.ini", 269),
    Keep("WINNT\\explorer.exe", 237328),
    Keep("WINNT\\regedit.exe", 70416),
    Keep("WINNT\\system32\\kernel32.dll", 733968),
    Keep("WINNT\\system32\\ntoskrnl.exe", 398080),
    Keep("WINNT\\system32\\hal.dll", 72832),
    Keep("WINNT\\system32\\drivers\\atapi.sys", 86352),
    Keep("WINNT\\system32\\config\\SYSTEM", 393216),
    Depends("WINNT\\setupapi.log", 98321),  // Log
    Junk("WINNT\\setuplog.txt", 41290),     // InstallerUndo SetupLog.TXT
    Junk("WINNT\\system32\\spool\\PRINTERS\\00002.SPL", 65536),  // base row
    Junk("WINNT\\system32\\spool\\PRINTERS\\00002.SHD", 1320),
    Junk("WINNT\\$NtServicePackUninstall$\\ntoskrnl.exe", 396416),  // InstallerUndo
    Junk("WINNT\\$NtServicePackUninstall$\\kernel32.dll", 730384),
    Junk("WINNT\\$NtServicePackUninstall$\\spuninst\\spuninst.exe", 81168),

    // The Windows 2000 profile.
    Keep("Documents and Settings\\Alice\\NTUSER.DAT", 262144),
    Keep("Documents and Settings\\Alice\\My Documents\\Thesis draft.doc", 88576),
    Keep("Documents and Settings\\Alice\\My Documents\\My Pictures\\Graduation.jpg", 142731),
    Keep("Documents and Settings\\Alice\\Application Data\\Microsoft\\Templates\\Normal.dot", 26624),
    Junk("Documents and Settings\\Alice\\My Documents\\My Pictures\\Thumbs.db", 11264),
    Junk("Documents and Settings\\Alice\\Local Settings\\Temp\\~DFA1B2.tmp", 16384),
    Junk("Documents and Settings\\Alice\\Local Settings\\Temp\\~DF4E7F.tmp", 4096),
    Junk("Documents and Settings\\Alice\\Local Settings\\Temp\\~PFTW01\\SETUP.EXE", 52736),
    Junk("Documents and Settings\\Alice\\Local Settings\\Temp\\Msohtml1\\01\\clip_image002.jpg", 6120),
    Junk("Documents and Settings\\Alice\\Local Settings\\Temporary Internet Files\\Content.IE5\\index.dat",
         196608),
    Junk("Documents and Settings\\Alice\\Local Settings\\Temporary Internet Files\\Content.IE5\\AB12CD34\\"
         "home[1].htm",
         9120),
    Junk("Documents and Settings\\Alice\\Local Settings\\Temporary Internet Files\\Content.IE5\\AB12CD34\\"
         "news[1].htm",
         27413),
    Junk("Documents and Settings\\Alice\\Local Settings\\History\\index.dat", 16384),
    Junk("Documents and Settings\\Alice\\Local Settings\\History\\History.IE5\\index.dat", 32768),
    Junk("Documents and Settings\\Alice\\Recent\\Thesis draft.doc.lnk", 521),
    Junk("Documents and Settings\\Alice\\Recent\\Graduation.jpg.lnk", 534),
    Depends("Documents and Settings\\Alice\\Cookies\\index.dat", 16384),
    Depends("Documents and Settings\\Alice\\Cookies\\alice@www.example[1].txt", 118),
    // Dr Watson's crash log and dump: base rows.
    Junk("Documents and Settings\\All Users\\Documents\\DrWatson\\drwtsn32.log", 12873),
    Junk("Documents and Settings\\All Users\\Documents\\DrWatson\\user.dmp", 262144),

    // Documents.
    Keep("My Documents\\Letter to Bob.doc", 19968),
    Keep("My Documents\\Budget 2000.xls", 23552),
    Keep("My Documents\\Resume.doc", 31744),
    Keep("My Documents\\Recipes.wri", 5632),
    Keep("My Documents\\My Pictures\\Beach.jpg", 84211),
    Keep("My Documents\\My Pictures\\Cat.gif", 12877),
    Keep("My Documents\\My Pictures\\Holiday 2000\\IMG0001.JPG", 214533),
    Keep("My Documents\\My Pictures\\Holiday 2000\\IMG0002.JPG", 198412),
    Keep("My Documents\\My Pictures\\Holiday 2000\\IMG0003.JPG", 231907),
    Keep("My Documents\\Audio\\Greeting.wav", 176444),
    Junk("My Documents\\~WRL0003.tmp", 19968),                         // base row *.TMP
    Junk("My Documents\\My Pictures\\Thumbs.db", 15360),               // Thumbnails
    Junk("My Documents\\My Pictures\\Holiday 2000\\Thumbs.db", 22528),
    Junk("My Documents\\Audio\\Greeting.sfk", 2106),                   // base row *.SFK
    Depends("My Documents\\Letter to Bob.bak", 19456),                  // Backups
    Depends("My Documents\\Copy of Budget 2000.xls", 23040),            // Copies

    // Programs.
    Keep("Program Files\\Internet Explorer\\IEXPLORE.EXE", 93184),
    Keep("Program Files\\Accessories\\WORDPAD.EXE", 204800),
    Junk("Program Files\\Accessories\\MSCREATE.DIR", 0),  // base row MsCreate.DIR
    Keep("Program Files\\Microsoft Office\\Office\\WINWORD.EXE", 491520),
    Keep("Program Files\\Microsoft Office\\Office\\EXCEL.EXE", 487424),
    Keep("Program Files\\Microsoft Office\\Office\\MSO9.DLL", 463872),
    Keep("Program Files\\WinZip\\WINZIP32.EXE", 495616),
    Keep("Program Files\\WinZip\\WZ32.DLL", 81920),
    Junk("Program Files\\WinZip\\LICENSE.TXT", 6321),   // aggressive scrubbing
    Junk("Program Files\\WinZip\\ORDER.TXT", 2710),
    Junk("Program Files\\WinZip\\SETUP.LOG", 3122),     // InstallerUndo Setup.LOG
    Depends("Program Files\\WinZip\\README.TXT", 5521),  // ReadMe
    Depends("Program Files\\WinZip\\WHATSNEW.TXT", 9902),
    Depends("Program Files\\WinZip\\WINZIP.CHM", 238011),
    Depends("Program Files\\WinZip\\INSTALL.LOG", 1533),  // Uninstallers
    Keep("Program Files\\Acme Scanner\\SCANNER.EXE", 311296),
    Keep("Program Files\\Acme Scanner\\ACMETWN.DLL", 139264),
    Junk("Program Files\\Acme Scanner\\EULA.TXT", 7702),  // aggressive scrubbing
    Junk("Program Files\\Acme Scanner\\setup.iss", 517),  // InstallerUndo *.ISS
    Depends("Program Files\\Acme Scanner\\UNINST.ISU", 4811),
    Keep("Program Files\\Delphi\\Projects\\Unit1.pas", 1840),
    Keep("Program Files\\Delphi\\Projects\\Project1.dpr", 301),
    Junk("Program Files\\Delphi\\Projects\\Unit1.~pa", 1792),  // base row *.~??
    Junk("Program Files\\Delphi\\Projects\\Project1.~dp", 296),
    Keep("Program Files\\Common Files\\System\\MSADC\\MSADCE.DLL", 307472),
    // Vaultkeep's folders are spared by every row, the base rows included.
    Keep("Program Files\\Vaultkeep\\VAULTKEEP.EXE", 348160),
    Keep("Program Files\\Vaultkeep\\VKENGINE.DLL", 172032),
    Keep("Program Files\\Vaultkeep\\License.txt", 4410),
    Keep("Program Files\\Vaultkeep\\Thumbs.db", 5120),
    Keep("Program Files\\Vaultkeep\\VAULT.TMP", 8192),
    Keep("Program Files\\Vaultkeep\\Temp\\SNAP0001.TMP", 65536),
    Keep("Program Files\\Vaultkeep\\Temp\\SNAP0001.IDX", 1024),
    Keep("Program Files\\Vaultkeep\\Logs\\Error.log", 2210),
    Keep("Program Files\\Vaultkeep\\Logs\\Activity.log", 15021),
    Keep("Program Files\\Vaultkeep\\Sets\\Monday.vks", 183296),
    Keep("Program Files\\Vaultkeep\\Sets\\Monday.BAK", 182784),
};

// The fixed folders below which the filler grows. None of them is a folder
// that a row purges or empties.
constexpr std::string_view kFillerAnchors[] = {
    "My Documents",
    "Program Files",
    "Documents and Settings\\Alice\\My Documents",
};

// ---- Dates, hashing and the seeded generator --------------------------------

// Seconds since 1970-01-01 UTC of a civil date and time (proleptic Gregorian).
constexpr std::int64_t EpochSeconds(int year, int month, int day, int hour = 0, int minute = 0,
                                    int second = 0) {
  year -= month <= 2 ? 1 : 0;
  const int era = (year >= 0 ? year : year - 399) / 400;
  const int yearOfEra = year - era * 400;
  const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  const std::int64_t days = static_cast<std::int64_t>(era) * 146097 + dayOfEra - 719468;
  return days * 86400 + hour * 3600 + minute * 60 + second;
}

constexpr std::int64_t kFirstTime = EpochSeconds(1999, 1, 1);
constexpr std::int64_t kLastTime = EpochSeconds(2001, 12, 31, 23, 59, 58);
// The date the system files of the Windows folder carry.
constexpr std::int64_t kSystemFileTime = EpochSeconds(1999, 4, 23, 22, 22);
static_assert(kFirstTime == 915148800);

// FAT keeps times to two seconds; so do these.
std::int64_t TimeInRange(std::uint64_t draw) {
  const std::uint64_t span = static_cast<std::uint64_t>(kLastTime - kFirstTime) / 2 + 1;
  return kFirstTime + static_cast<std::int64_t>(draw % span) * 2;
}

std::uint64_t HashText(std::string_view text) {
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  return hash;
}

// SplitMix64: fixed output for a seed on every platform, unlike the
// standard distributions.
class SeededDraws {
 public:
  explicit SeededDraws(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // 0 to bound - 1; bound > 0.
  std::uint64_t Below(std::uint64_t bound) { return Next() % bound; }

 private:
  std::uint64_t state_;
};

std::string_view ExtensionOf(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string_view{} : name.substr(dot + 1);
}

bool EqualsUpper(std::string_view text, std::string_view upper) {
  if (text.size() != upper.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i] >= 'a' && text[i] <= 'z' ? static_cast<char>(text[i] - 32) : text[i];
    if (c != upper[i]) return false;
  }
  return true;
}

bool OneOf(std::string_view extension, std::initializer_list<std::string_view> uppers) {
  for (std::string_view upper : uppers) {
    if (EqualsUpper(extension, upper)) return true;
  }
  return false;
}

// Files that read as text get text; all others get bytes that look binary.
bool LooksLikeText(std::string_view name) {
  return OneOf(ExtensionOf(name), {"TXT", "LOG", "INI", "INF", "HTM", "CSS", "SIF", "URL", "BAT",
                                   "SYD", "BAK", "OLD", "PAS", "DPR", "~PA", "~DP", "CSV"});
}

// ---- The plan -----------------------------------------------------------------

struct PlannedFolder {
  std::string hostPath;  // relative, "/"-separated; "" for the root
  std::int64_t time;
};

struct PlannedFile {
  std::uint32_t folder;
  std::string name;
  std::uint32_t size;
  std::int64_t time;
  std::string_view text;  // exact content, when not empty
  bool textLike;
};

class Plan {
 public:
  Plan() { folders_.push_back({"", TimeInRange(HashText(""))}); }

  // The folder's index, adding it and its missing parents first.
  std::uint32_t Folder(std::string_view hostPath) {
    if (hostPath.empty()) return 0;
    if (auto found = index_.find(std::string(hostPath)); found != index_.end()) return found->second;
    const std::size_t slash = hostPath.rfind('/');
    if (slash != std::string_view::npos) Folder(hostPath.substr(0, slash));
    return AddFolder(std::string(hostPath), TimeInRange(HashText(hostPath)));
  }

  std::uint32_t AddFolder(std::string hostPath, std::int64_t time) {
    const auto index = static_cast<std::uint32_t>(folders_.size());
    index_.emplace(hostPath, index);
    folders_.push_back({std::move(hostPath), time});
    return index;
  }

  void AddFile(PlannedFile file) {
    bytes_ += file.text.empty() ? file.size : file.text.size();
    files_.push_back(std::move(file));
  }

  std::vector<PlannedFolder>& Folders() { return folders_; }
  std::vector<PlannedFile>& Files() { return files_; }
  long FolderCount() const { return static_cast<long>(folders_.size()) - 1; }
  long FileCount() const { return static_cast<long>(files_.size()); }
  long long Bytes() const { return bytes_; }

 private:
  std::vector<PlannedFolder> folders_;
  std::vector<PlannedFile> files_;
  std::unordered_map<std::string, std::uint32_t> index_;
  long long bytes_ = 0;
};

std::string HostPathOf(std::string_view relative) {
  std::string out(relative);
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
  return out;
}

// The programs and drivers of the Windows folder that stay carry the date of
// the release they came with.
bool IsWindowsSystemFile(const FixedFile& file) {
  return file.fate == Fate::Keep && file.path.starts_with("WINDOWS\\") &&
         OneOf(ExtensionOf(file.path), {"DLL", "EXE", "COM", "SYS", "VXD", "DRV", "PDR"});
}

void PlanFixedLayout(Plan& plan) {
  for (const FixedFile& file : kFixedFiles) {
    const std::string host = HostPathOf(file.path);
    const std::size_t slash = host.rfind('/');
    const std::uint32_t folder = plan.Folder(slash == std::string::npos ? "" : host.substr(0, slash));
    const std::string name = slash == std::string::npos ? host : host.substr(slash + 1);
    const std::int64_t time =
        IsWindowsSystemFile(file) ? kSystemFileTime : TimeInRange(HashText(file.path));
    plan.AddFile({folder, name, file.size, time, file.text, LooksLikeText(name)});
  }
}

constexpr std::array<std::string_view, 20> kFolderWords{
    "Projects", "Reports", "Letters", "Invoices", "Photos", "Drafts",  "Archive",
    "Clients",  "Scans",   "Samples", "Templates", "Ledgers", "School", "Work",
    "Personal", "Data",    "Source",  "Notes",    "Plans",  "Misc"};
constexpr std::array<std::string_view, 15> kFileWords{
    "Report", "Letter", "Invoice", "Photo", "Draft", "Notes", "Summary", "Budget",
    "Minutes", "Chart", "Table",   "Page",  "Module", "Form", "List"};
constexpr std::array<std::string_view, 15> kOrdinaryExtensions{
    "doc", "xls", "ppt", "jpg", "gif", "htm", "txt", "wri", "pdf", "dll", "exe", "ini", "dat", "csv", "mdb"};

// A size from 1 byte to 8 KB, each doubling as likely as the next; one file
// in a hundred may reach 128 KB.
std::uint32_t FillerSize(SeededDraws& draws) {
  const unsigned octaves = draws.Below(100) == 0 ? 17 : 13;
  const unsigned octave = static_cast<unsigned>(draws.Below(octaves));
  return (1u << octave) + static_cast<std::uint32_t>(draws.Below(1u << octave));
}

// One filler file's name; `junkPercent` in a hundred are junk of some
// category. `counter` makes every name unique within its folder.
std::string FillerName(SeededDraws& draws, unsigned long counter, int junkPercent, bool& thumbsTaken) {
  const std::string number = std::to_string(counter);
  const std::string word(kFileWords[draws.Below(kFileWords.size())]);
  if (static_cast<int>(draws.Below(100)) >= junkPercent) {
    return word + " " + number + "." + std::string(kOrdinaryExtensions[draws.Below(kOrdinaryExtensions.size())]);
  }
  switch (draws.Below(8)) {
    case 0: {
      char hex[24];
      std::snprintf(hex, sizeof hex, "%05lX", counter);
      return "~DF" + std::string(hex) + ".TMP";  // base row *.TMP
    }
    case 1:
      if (!thumbsTaken) {
        thumbsTaken = true;
        return "Thumbs.db";  // Thumbnails
      }
      return word + " " + number + ".tmp";
    case 2: {
      char chk[32];
      std::snprintf(chk, sizeof chk, "FILE%04lu.CHK", counter);  // base row File*.CHK
      return chk;
    }
    case 3:
      return word + " " + number + ".bak";  // Backups
    case 4:
      return word + " " + number + ".old";  // Backups
    case 5:
      return word + " " + number + ".log";  // Log
    case 6:
      return "Copy of " + word + " " + number + ".doc";  // Copies
    default:
      return word + " " + number + ".gid";  // base row *.GID
  }
}

void PlanFiller(Plan& plan, long totalFolders, long totalFiles, const DemoDriveRequest& request) {
  SeededDraws draws(0x7469646577656C6Cull ^ request.seed);
  std::vector<std::uint32_t> anchors;
  for (std::string_view anchor : kFillerAnchors) anchors.push_back(plan.Folder(HostPathOf(anchor)));

  const long fillerFolders = totalFolders - plan.FolderCount();
  const auto firstFiller = static_cast<std::uint32_t>(plan.Folders().size());
  std::vector<int> depth;  // of filler folder i, 1 directly below an anchor
  depth.reserve(static_cast<std::size_t>(fillerFolders));
  for (long i = 0; i < fillerFolders; ++i) {
    const std::uint64_t pick = draws.Below(anchors.size() + static_cast<std::uint64_t>(i));
    std::uint32_t parent;
    int level = 1;
    if (pick < anchors.size()) {
      parent = anchors[pick];
    } else if (const std::size_t j = pick - anchors.size(); depth[j] < request.maxDepth) {
      parent = firstFiller + static_cast<std::uint32_t>(j);
      level = depth[j] + 1;
    } else {
      parent = anchors[j % anchors.size()];
    }
    depth.push_back(level);
    std::string path = plan.Folders()[parent].hostPath + "/" +
                       std::string(kFolderWords[draws.Below(kFolderWords.size())]) + " " +
                       std::to_string(i + 1);
    plan.AddFolder(std::move(path), TimeInRange(draws.Next()));
  }

  // Folders that already hold a Thumbs.db take no second one.
  std::vector<bool> thumbsTaken(plan.Folders().size(), false);
  for (const PlannedFile& file : plan.Files()) {
    if (EqualsUpper(file.name, "THUMBS.DB")) thumbsTaken[file.folder] = true;
  }
  const long fillerFiles = totalFiles - plan.FileCount();
  for (long k = 0; k < fillerFiles; ++k) {
    const std::uint32_t folder =
        fillerFolders > 0 ? firstFiller + static_cast<std::uint32_t>(draws.Below(fillerFolders))
                          : anchors[draws.Below(anchors.size())];
    bool taken = thumbsTaken[folder];
    std::string name = FillerName(draws, static_cast<unsigned long>(k + 1), request.junkPercent, taken);
    thumbsTaken[folder] = taken;
    const std::uint32_t size = FillerSize(draws);
    const std::int64_t time = TimeInRange(draws.Next());
    const bool textLike = LooksLikeText(name);
    plan.AddFile({folder, std::move(name), size, time, {}, textLike});
  }
}

// ---- The writer -------------------------------------------------------------------

constexpr std::size_t kContentBlock = 64 * 1024;

// Shared content: files are cut from these blocks, so writing costs no
// generation per file.
struct ContentBlocks {
  ContentBlocks() : text(kContentBlock, ' '), binary(kContentBlock, '\0') {
    constexpr std::string_view line = "Demo drive contents; the words mean nothing.\r\n";
    for (std::size_t i = 0; i < text.size(); ++i) text[i] = line[i % line.size()];
    SeededDraws draws(0x62797465ull);
    for (std::size_t i = 0; i < binary.size(); i += 8) {
      const std::uint64_t value = draws.Next();
      for (std::size_t b = 0; b < 8; ++b) binary[i + b] = static_cast<char>(value >> (8 * b));
    }
  }
  std::string text;
  std::string binary;
};

#ifdef _WIN32
// Windows hosts: the same writing through wide paths and file handles; a
// file's and a folder's times are set through a handle opened for them.

std::error_code LastError() { return {static_cast<int>(GetLastError()), std::system_category()}; }

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
  return wide;
}

FILETIME FileTimeOf(std::int64_t unixSeconds) {
  // 100-nanosecond steps since 1601-01-01.
  const std::uint64_t ticks = static_cast<std::uint64_t>(unixSeconds + 11644473600ll) * 10000000ull;
  return {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

std::error_code WriteAll(HANDLE file, const char* data, std::size_t size) {
  while (size > 0) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    DWORD written = 0;
    if (!::WriteFile(file, data, chunk, &written, nullptr)) return LastError();
    data += written;
    size -= written;
  }
  return {};
}

std::error_code SetFolderTime(const std::string& path, std::int64_t time) {
  const HANDLE folder = CreateFileW(Wide(path).c_str(), FILE_WRITE_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (folder == INVALID_HANDLE_VALUE) return LastError();
  const FILETIME when = FileTimeOf(time);
  std::error_code error;
  if (!SetFileTime(folder, nullptr, &when, &when)) error = LastError();
  CloseHandle(folder);
  return error;
}

std::error_code WriteFile(const std::string& folderPath, const PlannedFile& file, const ContentBlocks& blocks,
                          bool sparse) {
  const HANDLE handle = CreateFileW(Wide(folderPath + "/" + file.name).c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return LastError();
  std::error_code error;
  if (!file.text.empty()) {
    error = WriteAll(handle, file.text.data(), file.text.size());
  } else if (sparse) {
    // Best effort: a file system without sparse files stores the zeros.
    DWORD ignored = 0;
    DeviceIoControl(handle, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
    LARGE_INTEGER length;
    length.QuadPart = static_cast<LONGLONG>(file.size);
    if (!SetFilePointerEx(handle, length, nullptr, FILE_BEGIN) || !SetEndOfFile(handle)) error = LastError();
  } else {
    const std::string& block = file.textLike ? blocks.text : blocks.binary;
    for (std::size_t left = file.size; !error && left > 0;) {
      const std::size_t chunk = std::min(left, block.size());
      error = WriteAll(handle, block.data(), chunk);
      left -= chunk;
    }
  }
  const FILETIME when = FileTimeOf(file.time);
  if (!error && !SetFileTime(handle, nullptr, &when, &when)) error = LastError();
  if (!CloseHandle(handle) && !error) error = LastError();
  return error;
}

std::error_code MakeFolder(const std::string& path) {
  return CreateDirectoryW(Wide(path).c_str(), nullptr) ? std::error_code{} : LastError();
}

// A folder is named by its path here; nothing stays open between files.
using OpenedFolder = std::string;
std::error_code OpenFolder(const std::string& path, OpenedFolder& folder) {
  folder = path;
  return {};
}
void CloseFolder(const OpenedFolder&) {}

#else
std::error_code LastError() { return {errno, std::system_category()}; }

std::error_code WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return LastError();
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return {};
}

std::error_code SetFolderTime(const std::string& path, std::int64_t time) {
  const timespec times[2] = {{static_cast<time_t>(time), 0}, {static_cast<time_t>(time), 0}};
  return ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0 ? std::error_code{} : LastError();
}

std::error_code WriteFile(int dirFd, const PlannedFile& file, const ContentBlocks& blocks, bool sparse) {
  const int fd = ::openat(dirFd, file.name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return LastError();
  std::error_code error;
  if (!file.text.empty()) {
    error = WriteAll(fd, file.text.data(), file.text.size());
  } else if (sparse) {
    if (::ftruncate(fd, static_cast<off_t>(file.size)) != 0) error = LastError();
  } else {
    const std::string& block = file.textLike ? blocks.text : blocks.binary;
    for (std::size_t left = file.size; !error && left > 0;) {
      const std::size_t chunk = std::min(left, block.size());
      error = WriteAll(fd, block.data(), chunk);
      left -= chunk;
    }
  }
  const timespec times[2] = {{static_cast<time_t>(file.time), 0}, {static_cast<time_t>(file.time), 0}};
  if (!error && ::futimens(fd, times) != 0) error = LastError();
  if (::close(fd) != 0 && !error) error = LastError();
  return error;
}

std::error_code MakeFolder(const std::string& path) {
  return ::mkdir(path.c_str(), 0755) == 0 ? std::error_code{} : LastError();
}

// A folder's files are made through one open handle of it.
using OpenedFolder = int;
std::error_code OpenFolder(const std::string& path, OpenedFolder& folder) {
  folder = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  return folder < 0 ? LastError() : std::error_code{};
}
void CloseFolder(OpenedFolder folder) { ::close(folder); }
#endif

std::string Joined(const std::string& root, const std::string& relative) {
  return relative.empty() ? root : root + "/" + relative;
}

std::error_code WritePlan(const std::string& root, Plan& plan, bool sparse, std::string& failedPath) {
  std::vector<PlannedFolder>& folders = plan.Folders();
  for (std::size_t i = 1; i < folders.size(); ++i) {
    const std::string path = Joined(root, folders[i].hostPath);
    if (std::error_code error = MakeFolder(path)) {
      failedPath = path;
      return error;
    }
  }

  // The files grouped by folder, keeping their order within each.
  std::vector<std::uint32_t> start(folders.size() + 1, 0);
  for (const PlannedFile& file : plan.Files()) ++start[file.folder + 1];
  for (std::size_t i = 1; i < start.size(); ++i) start[i] += start[i - 1];
  std::vector<std::uint32_t> order(plan.Files().size());
  std::vector<std::uint32_t> next(start.begin(), start.end() - 1);
  for (std::uint32_t k = 0; k < order.size(); ++k) order[next[plan.Files()[k].folder]++] = k;

  const ContentBlocks blocks;
  for (std::size_t i = 0; i < folders.size(); ++i) {
    if (start[i] == start[i + 1]) continue;
    const std::string path = Joined(root, folders[i].hostPath);
    OpenedFolder folder{};
    if (std::error_code error = OpenFolder(path, folder)) {
      failedPath = path;
      return error;
    }
    for (std::uint32_t k = start[i]; k < start[i + 1]; ++k) {
      const PlannedFile& file = plan.Files()[order[k]];
      if (std::error_code error = WriteFile(folder, file, blocks, sparse)) {
        failedPath = path + "/" + file.name;
        CloseFolder(folder);
        return error;
      }
    }
    CloseFolder(folder);
  }

  // Last, because creating entries changed every folder's time.
  for (const PlannedFolder& folder : folders) {
    const std::string path = Joined(root, folder.hostPath);
    if (std::error_code error = SetFolderTime(path, folder.time)) {
      failedPath = path;
      return error;
    }
  }
  return {};
}

// An existing folder must be empty; a missing one is created.
std::error_code PrepareRoot(const std::string& root) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::file_status status = fs::status(root, error);
  if (status.type() == fs::file_type::not_found) {
    fs::create_directories(root, error);
    return error;
  }
  if (error) return error;
  if (status.type() != fs::file_type::directory) return std::make_error_code(std::errc::not_a_directory);
  const fs::directory_iterator first(root, error);
  if (error) return error;
  if (first != fs::directory_iterator()) return std::make_error_code(std::errc::directory_not_empty);
  return {};
}

std::vector<std::string> FixedPaths(Fate fate) {
  std::vector<std::string> paths;
  for (const FixedFile& file : kFixedFiles) {
    if (file.fate == fate) paths.emplace_back(file.path);
  }
  return paths;
}

}  // namespace

DemoDriveReport DemoFixedLayoutCounts() {
  Plan plan;
  PlanFixedLayout(plan);
  return {plan.FolderCount(), plan.FileCount(), plan.Bytes(), {}};
}

std::error_code WriteDemoDrive(const std::string& hostRoot, const DemoDriveRequest& request,
                               DemoDriveReport* report) {
  DemoDriveReport ignored;
  DemoDriveReport& out = report != nullptr ? *report : ignored;
  out = {};

  Plan plan;
  PlanFixedLayout(plan);
  const long folders = request.folders == 0 ? plan.FolderCount() : request.folders;
  const long files = request.files == 0 ? plan.FileCount() : request.files;
  if (folders < plan.FolderCount() || files < plan.FileCount()) {
    return std::make_error_code(std::errc::invalid_argument);
  }
  PlanFiller(plan, folders, files, request);

  if (std::error_code error = PrepareRoot(hostRoot)) {
    out.failedPath = hostRoot;
    return error;
  }
  if (std::error_code error = WritePlan(hostRoot, plan, request.sparse, out.failedPath)) return error;
  out.folders = plan.FolderCount();
  out.files = plan.FileCount();
  out.bytes = plan.Bytes();
  return {};
}

std::vector<std::string> DemoKeepers() { return FixedPaths(Fate::Keep); }

std::vector<std::string> DemoDefaultJunk() { return FixedPaths(Fate::Junk); }

}  // namespace tidewell
