// The texts of the main window that both front ends show: the title, the
// banner, the buttons, the frame, the tooltips, the menus with their
// shortcut keys, the status lines of start-up and the refusals of
// "&Clean HD". The six options' captions come from settings/main_options.h,
// the Deepwash window's texts from settings/deepwash_layout.h, the Help
// menu's boxes from ui/help_menu.h.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "settings/message_box.h"

namespace tidewell::session {
class ProgramSession;
}

namespace tidewell::ui {

inline constexpr std::string_view kMainWindowCaption = "Tidewell";
inline constexpr std::string_view kTitleText = "Tidewell III";  // the three title layers
inline constexpr std::string_view kTitleTooltip = "Thank you for using Tidewell";
inline constexpr std::string_view kBannerText = "Automatic Win95/98/NT4/2K HD Cleanup";
inline constexpr std::string_view kBannerTooltip = "Don't waste space! Use Tidewell!";
inline constexpr std::string_view kSupportTooltip = "CLICK HERE for TECH SUPPORT";
inline constexpr std::string_view kBuildTooltipPrefix = "Build ";  // then the build number
inline constexpr std::string_view kAnimationTooltip = "Cool animation to let you know Tidewell is working";
inline constexpr std::string_view kProgressTooltip = "Tidewell's progress is shown here";
inline constexpr std::string_view kCleanCaption = "&Clean HD";
inline constexpr std::string_view kCleanTooltip = "Click here to reclaim wasted hard disk space";
inline constexpr std::string_view kExitCaption = "E&xit";
inline constexpr std::string_view kExitTooltip = "Click here to EXIT Tidewell and return to Windows";
inline constexpr std::string_view kDeepwashButtonCaption = "&Deepwash";
inline constexpr std::string_view kDeepwashButtonTooltip = "Click here to increase Tidewell's scrubbing power";
inline constexpr std::string_view kFrameCaption = "Controls";
inline constexpr std::string_view kDriveListTooltip = "Click here to select a different disk drive";
inline constexpr std::string_view kStatusBarTooltip = "Status messages are displayed here";
inline constexpr std::string_view kViewerCaption = "Tidewell Viewer";

// The tooltips of the six option boxes, Check1(1) to Check1(6).
inline constexpr std::array<std::string_view, 6> kOptionTooltips = {
    "Click here to make Tidewell automatically exit when done",
    "Click here to make Tidewell invisible until it's finished cleaning your HD",
    "Click here to run Tidewell fastest (may prevent other programs from running until Tidewell is finished)",
    "Click here to have Tidewell track space gains",
    "Click here to automatically clean all disk drives in your system",
    "Click here to have Tidewell create a report that shows which files will be deleted",
};

// The status line when start-up leaves nothing to clean.
inline constexpr std::string_view kNoDriveStatus = "No drive to clean";
inline constexpr std::string_view kStoreUnreadableStatus = "Settings file unreadable: nothing can be cleaned";

// What a menu entry does; each front end binds these to its handlers.
enum class MenuCommand {
  CleanHd, DeleteReport, DeleteLog, Exit,
  Info, Report, Log, Figures,
  Deepwash, Drives,
  About, Documentation, TechSupport, Tips, UpdateHistory, WebUpdate, Uninstall,
};

// A shortcut key: a letter with Ctrl, Delete (with or without Shift) or a
// function key. `text` is how the menu shows it.
enum class ShortcutKey { None, CtrlLetter, Delete, ShiftDelete, Function };
struct Shortcut {
  ShortcutKey key = ShortcutKey::None;
  int value = 0;  // the letter ('C') or the function key's number (1 for F1)
  std::string_view text{};
};

// One entry of a menu; an entry with no command is a separator.
struct MenuEntry {
  std::optional<MenuCommand> command;
  std::string_view name{};     // the entry's control name
  std::string_view caption{};
  Shortcut shortcut{};
};

struct Menu {
  std::string_view name;
  std::string_view caption;
  std::span<const MenuEntry> entries;
};

// The menu bar, File, View, Options and Help, in order.
std::span<const Menu> MainMenus();

// Why "&Clean HD" must not start a run now, as the box to show: a stored
// age limit or keep line that cannot be read (it was meant to protect
// something), or a destructive run of a drive that was only found on the
// host, not picked by the user. None: the run may start.
std::optional<Message> CleanRefusal(session::ProgramSession& session);

}  // namespace tidewell::ui
