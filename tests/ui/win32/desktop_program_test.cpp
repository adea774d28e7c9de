// The Win32 front end wired end to end, under Wine or on Windows: the real
// windows are created and driven with window messages (button clicks,
// WM_COMMAND from the menus and the drive list, shortcut keys through the
// program's own message dispatch), and the tests read back control texts
// and states, the store, the log and the report. Drives are folders in the
// user's temporary folder, mapped with TIDEWELL_DRIVES.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/preferences_store.h"
#include "platform/text_file.h"
#include "platform/win32/wide_text.h"
#include "settings/category_catalogue.h"
#include "settings/check_value.h"
#include "settings/main_options.h"
#include "tests/support/message_recorder.h"
#include "tests/support/recording_feedback.h"
#include "tests/support/scoped_variable.h"
#include "tests/support/temp_drive.h"
#include "tools/demo_drive.h"
#include "ui/win32/desktop_program.h"
#include "ui/record_text.h"
#include "ui/caption_fit.h"
#include "ui/win32/caption_fit.h"
#include "ui/win32/top_window.h"
#include "ui/window_texts.h"

namespace fs = std::filesystem;
using namespace tidewell;
using namespace tidewell::ui;
using namespace tidewell::ui::win32;
using tidewell::testing::HostPathOf;
using tidewell::testing::ProgramEnded;
using RecordingBoxes = tidewell::testing::RecordingMessageBoxes;

namespace {

// A fresh world for one program: drives C and D in a temporary folder, the
// store, the records and the program's folder beside them.
struct World {
  World() {
    for (const char* folder : {"drive_c", "drive_d", "program", "records", "runtime", "config"}) {
      fs::create_directories(HostPathOf(Path(folder)));
    }
    drives.Set(("C=" + Path("drive_c") + ";D=" + Path("drive_d")).c_str());
  }
  std::string Path(std::string_view relative) const { return base.Path() + "\\" + std::string(relative); }
  void File(const std::string& relative, std::size_t size = 10) {
    const fs::path path = HostPathOf(Path("drive_c\\" + relative));
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << std::string(size, 'x');
  }
  bool Exists(const std::string& relative) const { return fs::exists(HostPathOf(Path("drive_c\\" + relative))); }
  DesktopEnvironment Environment(std::string commandLine = {}) {
    DesktopEnvironment environment;
    environment.commandLine = std::move(commandLine);
    environment.programFolder = Path("program");
    environment.recordsFolder = Path("records");
    environment.storePath = Path("config\\Tidewell.ini");
    environment.instanceLockPath = Path("runtime\\Tidewell.lock");
    environment.endProgram = [](int status) { throw ProgramEnded{status}; };
    environment.openDocument = [this](const std::string& address) {
      opened.push_back(address);
      return true;
    };
    environment.locale = &platform::LocaleFormat::Classic();
    return environment;
  }
  std::string Stored(std::string_view section, std::string_view name) const {
    return platform::PreferencesFile(Path("config\\Tidewell.ini")).Read(section, name, "<none>");
  }
  // A Deepwash box's value as the store holds it.
  int Loaded(CategoryId id) const {
    platform::PreferencesFile reader(Path("config\\Tidewell.ini"));
    return LoadCheckValue(reader, Entry(id).settingsName, Entry(id).defaultValue);
  }
  std::string Record(const char* name) const {
    std::string text;
    static_cast<void>(platform::ReadTextFile(Path(std::string("records\\") + name), text));
    return text;
  }

  tidewell::testing::TempFolder base;
  tidewell::testing::ScopedVariable drives{"TIDEWELL_DRIVES", nullptr};
  RecordingBoxes boxes;
  std::vector<std::string> opened;
};

std::string StatusBarText(HWND statusBar) {
  const auto length = LOWORD(SendMessageW(statusBar, SB_GETTEXTLENGTHW, 0, 0));
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(statusBar, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text.data()));
  text.resize(length);
  return platform::win32::Narrow(text);
}

std::string ComboText(HWND combo, LRESULT index) {
  std::wstring text(static_cast<std::size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, index, 0)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()))));
  return platform::win32::Narrow(text);
}

std::vector<std::string> ComboEntries(HWND combo) {
  std::vector<std::string> entries;
  const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) entries.push_back(ComboText(combo, i));
  return entries;
}

std::string ComboCurrent(HWND combo) { return ComboText(combo, SendMessageW(combo, CB_GETCURSEL, 0, 0)); }

int BoxState(HWND box) { return static_cast<int>(SendMessageW(box, BM_GETCHECK, 0, 0)); }

void Click(HWND button) { SendMessageW(button, BM_CLICK, 0, 0); }

// A menu entry chosen with the mouse: WM_COMMAND with the entry's id.
void ChooseMenu(DesktopProgram& program, MenuCommand command) {
  SendMessageW(program.Main().Handle(), WM_COMMAND, MAKEWPARAM(MenuId(command), 0), 0);
}

// A key pressed in the main window, with Ctrl or Shift held as asked,
// dispatched as the program's message loop dispatches it.
void PressKey(DesktopProgram& program, WORD key, bool ctrl = false, bool shift = false) {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_CONTROL] = ctrl ? 0x80 : 0;
  keys[VK_SHIFT] = shift ? 0x80 : 0;
  SetKeyboardState(keys);
  MSG message{program.Main().Handle(), WM_KEYDOWN, key, 1, static_cast<DWORD>(GetMessageTime()), {}};
  program.Dispatch(message);
  keys[VK_CONTROL] = 0;
  keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
}

// The drive list's entry for `letter` picked by the user.
void PickDrive(DesktopProgram& program, char letter) {
  HWND list = program.Main().driveList;
  const std::vector<std::string> entries = ComboEntries(list);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(entries[i][0])) != letter) continue;
    SendMessageW(list, CB_SETCURSEL, i, 0);
    SendMessageW(program.Main().Handle(), WM_COMMAND, MAKEWPARAM(kDriveListId, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
    return;
  }
  FAIL() << "no drive " << letter << " in the list";
}

// Every control a run disables, by name, with its enabled state.
std::map<std::string, bool> LockableStates(DesktopProgram& program) {
  MainWindow& w = program.Main();
  std::map<std::string, bool> states = {{"Command1", IsWindowEnabled(w.cleanButton) != 0},
                                        {"Command3", IsWindowEnabled(w.deepwashButton) != 0},
                                        {"Frame1", IsWindowEnabled(w.frame) != 0},
                                        {"Drive1", IsWindowEnabled(w.driveList) != 0}};
  for (int i = 1; i <= 6; ++i) states["Check1_" + std::to_string(i)] = IsWindowEnabled(w.check1[i]) != 0;
  for (int i = 0; i < GetMenuItemCount(w.menuBar); ++i) {
    states["menu " + std::to_string(i)] = (GetMenuState(w.menuBar, i, MF_BYPOSITION) & MF_GRAYED) == 0;
  }
  return states;
}

// One column of the drives window's list, top to bottom.
std::vector<std::string> DrivesColumn(DrivesWindow& drives, int column) {
  std::vector<std::string> cells;
  const auto rows = static_cast<int>(SendMessageW(drives.list, LVM_GETITEMCOUNT, 0, 0));
  for (int r = 0; r < rows; ++r) cells.push_back(drives.CellText(r, column));
  return cells;
}

// Whether a label's text, wrapped at its width in its font, fits its height.
bool WrappedTextFits(HWND label) {
  RECT client{};
  GetClientRect(label, &client);
  const std::wstring text = platform::win32::Widen(WindowText(label));
  HDC dc = GetDC(label);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
  RECT needed{0, 0, client.right, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &needed, DT_CALCRECT | DT_WORDBREAK);
  SelectObject(dc, old);
  ReleaseDC(label, dc);
  return needed.right <= client.right && needed.bottom <= client.bottom;
}

// Where a control is on the screen.
RECT ScreenRect(HWND control) {
  RECT rect{};
  GetWindowRect(control, &rect);
  return rect;
}

// A row of a report list picked by the user.
void SelectRow(HWND list, int row) {
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

template <typename Action>
std::optional<int> EndStatus(Action action) {
  try {
    action();
  } catch (const ProgramEnded& end) {
    return end.exitStatus;
  }
  return std::nullopt;
}

}  // namespace

// First start on an empty store, in test mode: the notice, the defaults,
// the texts of the window and its menus; a second copy ends silently.
TEST(Win32DesktopProgram, FirstStartShowsTheTestModeNoticeAndTheDefaults) {
  World world;
  DesktopProgram program(world.boxes, world.Environment());
  ASSERT_TRUE(program.Start());
  MainWindow& w = program.Main();

  EXPECT_EQ(world.boxes.Titles(), std::vector<std::string>{"TEST MODE is ON ... Tidewell is SAFE AS MILK"});
  EXPECT_TRUE(IsWindowVisible(w.Handle()));
  const int expected[] = {BST_UNCHECKED, BST_UNCHECKED, BST_UNCHECKED, BST_CHECKED, BST_UNCHECKED, BST_CHECKED};
  for (int i = 1; i <= 6; ++i) EXPECT_EQ(BoxState(w.check1[i]), expected[i - 1]) << "Check1_" << i;
  EXPECT_EQ(StatusBarText(w.statusBar), "Ready to clean drive C: [DRIVE_C]");
  EXPECT_EQ(WindowText(w.Handle()), "Tidewell");
  EXPECT_EQ(WindowText(w.title), "Tidewell III");
  EXPECT_EQ(WindowText(w.label4), "Automatic Win95/98/NT4/2K HD Cleanup");
  EXPECT_TRUE(WindowText(w.label5).ends_with("\r\nCLICK HERE for TECH SUPPORT"));
  EXPECT_EQ(WindowText(w.label6), std::to_string(BuildNumber()));
  EXPECT_EQ(WindowText(w.cleanButton), "&Clean HD");
  EXPECT_EQ(WindowText(w.check1[6]), "&Test run only");
  EXPECT_EQ(world.Stored("Preferences", "Reporting"), "1");
  EXPECT_EQ(world.Stored("Preferences", "TestRun"), "<none>");
  EXPECT_EQ(ComboCurrent(w.driveList), "c: [DRIVE_C]");
  const std::vector<std::string> entries = ComboEntries(w.driveList);
  EXPECT_NE(std::find(entries.begin(), entries.end(), "d: [DRIVE_D]"), entries.end());

  // The menus as the shared table has them, each entry with its key.
  wchar_t caption[128];
  for (int i = 0; i < static_cast<int>(MainMenus().size()); ++i) {
    GetMenuStringW(w.menuBar, static_cast<UINT>(i), caption, 128, MF_BYPOSITION);
    EXPECT_EQ(platform::win32::Narrow(caption), MainMenus()[static_cast<std::size_t>(i)].caption);
    for (const MenuEntry& entry : MainMenus()[static_cast<std::size_t>(i)].entries) {
      if (!entry.command) continue;
      GetMenuStringW(w.menuBar, static_cast<UINT>(MenuId(*entry.command)), caption, 128, MF_BYCOMMAND);
      EXPECT_EQ(platform::win32::Narrow(caption), std::string(entry.caption) + "\t" + std::string(entry.shortcut.text));
    }
  }

  // A second copy ends silently, before it reads or shows anything.
  RecordingBoxes otherBoxes;
  DesktopProgram second(otherBoxes, world.Environment());
  EXPECT_FALSE(second.Start());
  EXPECT_TRUE(otherBoxes.messages.empty());
  EXPECT_FALSE(IsWindowVisible(second.Main().Handle()));
}

// A test run from "&Clean HD": every control but Exit locked while it runs,
// the busy pointer, then the results, the status line, the log in the
// viewer and nothing deleted.
TEST(Win32DesktopProgram, ATestRunLocksEverythingButExitAndShowsItsResults) {
  World world;
  world.File("DATA\\scratch.tmp", 100);
  DesktopEnvironment environment = world.Environment();
  std::map<std::string, bool> duringRun;
  bool exitEnabled = false;
  bool busyDuringRun = false;
  int analysingYields = 0;
  int marqueeWhileAnalysing = 0;
  DesktopProgram* running = nullptr;
  environment.onYield = [&] {
    if (running != nullptr && running->StatusText().starts_with("Analyzing HD")) {
      ++analysingYields;
      if ((GetWindowLongPtrW(running->Main().progressBar, GWL_STYLE) & PBS_MARQUEE) != 0) ++marqueeWhileAnalysing;
    }
    if (!duringRun.empty() || running == nullptr) return;
    duringRun = LockableStates(*running);
    exitEnabled = IsWindowEnabled(running->Main().exitButton) != 0;
    busyDuringRun = running->BusyPointer();
  };
  DesktopProgram program(world.boxes, std::move(environment));
  running = &program;
  ASSERT_TRUE(program.Start());
  world.boxes.messages.clear();

  Click(program.Main().cleanButton);

  ASSERT_FALSE(duringRun.empty());
  for (const auto& [name, enabled] : duringRun) EXPECT_FALSE(enabled) << name;
  EXPECT_TRUE(exitEnabled);
  EXPECT_TRUE(busyDuringRun);
  EXPECT_FALSE(program.BusyPointer());
  for (const auto& [name, enabled] : LockableStates(program)) EXPECT_TRUE(enabled) << name;
  EXPECT_TRUE(world.Exists("DATA\\scratch.tmp"));
  EXPECT_EQ(StatusBarText(program.Main().statusBar), "Done: 100 bytes, 1 files cleaned (TEST)");
  EXPECT_EQ(SendMessageW(program.Main().progressBar, PBM_GETPOS, 0, 0), 100);
  // A marquee while the drive was analysed; its style and range back for
  // the steps after.
  ASSERT_GT(analysingYields, 0);
  EXPECT_EQ(marqueeWhileAnalysing, analysingYields);
  EXPECT_EQ(GetWindowLongPtrW(program.Main().progressBar, GWL_STYLE) & PBS_MARQUEE, 0);
  EXPECT_EQ(SendMessageW(program.Main().progressBar, PBM_GETRANGE, FALSE, 0), 100);
  EXPECT_EQ(world.boxes.Titles(), std::vector<std::string>{"TEST MODE RESULTS"});
  ASSERT_NE(program.Viewer().Window(), nullptr);
  EXPECT_TRUE(WindowText(program.Viewer().Window()).ends_with("TIDEWELL.LOG]"));
  EXPECT_NE(program.Viewer().Text().find("Delete file: c:\\DATA\\scratch.tmp"), std::string::npos);
  EXPECT_NE(world.Record("Tidewell.log").find("Delete file: c:\\DATA\\scratch.tmp"), std::string::npos);
  EXPECT_NE(world.Record("Tidewell.txt").find("100 bytes SAVED"), std::string::npos) << world.Record("Tidewell.txt");
}

// View > Figures by Category: greyed until a run has ended a drive, then
// the last run's table in a ListView, its captions whole, filled afresh
// after each run.
TEST(Win32DesktopProgram, FiguresByCategoryShowTheLastRunsTable) {
  World world;
  world.File("DATA\\scratch.tmp", 100);
  world.File("DATA\\letter.bak", 30);
  world.File("DATA\\keep.txt", 7);
  DesktopProgram program(world.boxes, world.Environment());
  ASSERT_TRUE(program.Start());
  MainWindow& w = program.Main();
  const UINT figuresId = static_cast<UINT>(MenuId(MenuCommand::Figures));
  EXPECT_NE(GetMenuState(w.menuBar, figuresId, MF_BYCOMMAND) & MF_GRAYED, 0u);
  ChooseMenu(program, MenuCommand::Figures);
  PressKey(program, 'F', true);
  EXPECT_EQ(program.Figures(), nullptr);

  Click(w.cleanButton);
  EXPECT_EQ(GetMenuState(w.menuBar, figuresId, MF_BYCOMMAND) & MF_GRAYED, 0u);
  PressKey(program, 'F', true);
  FiguresWindow* figures = program.Figures();
  ASSERT_NE(figures, nullptr);
  EXPECT_TRUE(IsWindowVisible(figures->Handle()));
  EXPECT_EQ(WindowText(figures->Handle()), "Figures by Category");
  HWND list = figures->List();
  // One row a category that chose files, biggest first; their files add up
  // to what the run counted.
  const auto& totals = program.Context().state.totals;
  const auto rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  EXPECT_EQ(static_cast<std::size_t>(rows), totals.byCategory.Biggest().size());
  ASSERT_GE(rows, 1);
  long files = 0;
  for (int r = 0; r < rows; ++r) {
    EXPECT_EQ(figures->CellText(r, 0), "C:");
    EXPECT_FALSE(figures->CellText(r, 1).empty());
    EXPECT_FALSE(figures->CellText(r, 2).empty());
    files += std::stol(figures->CellText(r, 3));
  }
  EXPECT_EQ(static_cast<double>(files), static_cast<double>(totals.totalFiles));
  EXPECT_EQ(figures->CellText(0, 4), "100 bytes");  // scratch.tmp's category, the biggest
  // The figures line up on the right; no heading or cell is cut (a
  // heading is drawn inside a raised edge and three edges of margin on
  // either side).
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  const int headingMargins = 2 * (1 + 3) * GetSystemMetrics(SM_CXEDGE);
  for (int c = 0; c < 5; ++c) {
    LVCOLUMNW column{};
    column.mask = LVCF_FMT;
    ASSERT_TRUE(SendMessageW(list, LVM_GETCOLUMNW, c, reinterpret_cast<LPARAM>(&column)));
    EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, c >= 3 ? LVCFMT_RIGHT : LVCFMT_LEFT) << "column " << c;
    const auto width = static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, c, 0));
    wchar_t heading[64] = {};
    HDITEMW item{};
    item.mask = HDI_TEXT;
    item.pszText = heading;
    item.cchTextMax = 64;
    ASSERT_TRUE(SendMessageW(header, HDM_GETITEMW, c, reinterpret_cast<LPARAM>(&item)));
    EXPECT_GE(width, SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(heading)) + headingMargins)
        << "column " << c;
    for (int r = 0; r < rows; ++r) {
      const std::wstring cell = platform::win32::Widen(figures->CellText(r, c));
      EXPECT_GT(width, SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(cell.c_str())))
          << "row " << r << ", column " << c;
    }
  }
  Click(figures->OkButton());
  EXPECT_FALSE(IsWindowVisible(figures->Handle()));

  // The next run finds nothing: the same window says so instead of keeping
  // the first run's rows.
  fs::remove(HostPathOf(world.Path("drive_c\\DATA\\scratch.tmp")));
  fs::remove(HostPathOf(world.Path("drive_c\\DATA\\letter.bak")));
  Click(w.cleanButton);
  ChooseMenu(program, MenuCommand::Figures);
  EXPECT_EQ(program.Figures(), figures);
  EXPECT_TRUE(IsWindowVisible(figures->Handle()));
  ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 1);
  EXPECT_EQ(figures->CellText(0, 2), "(no category chose a file)");
}

// Options > Drives... over drives the store names: a refused folder keeps
// the Add window open; a folder added under the first free letter from C
// on and removed again, with the store, the list and the main window's
// drive list following. The main window is disabled while it is open.
TEST(Win32DesktopProgram, TheDrivesWindowAddsAndRemovesAFolderOfTheStore) {
  World world;
  fs::create_directories(HostPathOf(world.Path("drive_e")));
  {
    platform::PreferencesFile store(world.Path("config\\Tidewell.ini"));
    ASSERT_FALSE(store.Write("Drives", "C", world.Path("drive_c")));
    ASSERT_FALSE(store.Write("Drives", "D", world.Path("drive_d")));
  }
  world.drives.Set(nullptr);
  DesktopProgram program(world.boxes, world.Environment());
  ASSERT_TRUE(program.Start());
  world.boxes.messages.clear();
  HWND mainWindow = program.Main().Handle();

  ChooseMenu(program, MenuCommand::Drives);
  DrivesWindow* drives = program.Drives();
  ASSERT_NE(drives, nullptr);
  EXPECT_TRUE(IsWindowVisible(drives->Handle()));
  EXPECT_FALSE(IsWindowEnabled(mainWindow));
  EXPECT_EQ(WindowText(drives->Handle()), "Drives");
  EXPECT_EQ(DrivesColumn(*drives, 0), (std::vector<std::string>{"C:", "D:"}));
  EXPECT_EQ(DrivesColumn(*drives, 3), (std::vector<std::string>{"store", "store"}));
  EXPECT_EQ(drives->BlockedNote(), "");
  // With nothing to say above it, the list takes the note's room.
  EXPECT_FALSE(IsWindowVisible(drives->BlockedNoteLabel()));
  EXPECT_LT(ScreenRect(drives->list).top, ScreenRect(drives->BlockedNoteLabel()).bottom);
  // The note wraps whole in the list's own font, not shrunk to one line.
  EXPECT_TRUE(WrappedTextFits(drives->NoteLabel())) << WindowText(drives->NoteLabel());
  EXPECT_EQ(SendMessageW(drives->NoteLabel(), WM_GETFONT, 0, 0), SendMessageW(drives->list, WM_GETFONT, 0, 0));
  EXPECT_TRUE(IsWindowEnabled(drives->addButton));
  EXPECT_FALSE(IsWindowEnabled(drives->removeButton));  // no row picked

  Click(drives->addButton);
  AddDriveWindow& add = drives->AddWindow();
  ASSERT_TRUE(add.IsOpen());
  EXPECT_FALSE(IsWindowEnabled(drives->Handle()));
  EXPECT_EQ(add.Letter(), 'E');
  SetWindowText(add.folderEdit, world.Path("nowhere"));
  Click(add.okButton);
  EXPECT_TRUE(add.IsOpen());
  ASSERT_EQ(world.boxes.messages.size(), 1u);
  EXPECT_EQ(world.boxes.messages[0].title, "Drives");
  EXPECT_EQ(world.Stored("Drives", "E"), "<none>");

  SetWindowText(add.folderEdit, "  " + world.Path("drive_e") + " ");
  Click(add.okButton);
  EXPECT_FALSE(add.IsOpen());
  EXPECT_TRUE(IsWindowEnabled(drives->Handle()));
  EXPECT_EQ(world.boxes.messages.size(), 1u);
  EXPECT_EQ(DrivesColumn(*drives, 0), (std::vector<std::string>{"C:", "D:", "E:"}));
  EXPECT_NE(world.Stored("Drives", "E"), "<none>");
  auto listed = [&](char letter) {
    for (const std::string& entry : ComboEntries(program.Main().driveList)) {
      if (std::toupper(static_cast<unsigned char>(entry[0])) == letter) return true;
    }
    return false;
  };
  EXPECT_TRUE(listed('E'));

  SelectRow(drives->list, 2);
  EXPECT_TRUE(IsWindowEnabled(drives->removeButton));
  Click(drives->removeButton);
  EXPECT_EQ(DrivesColumn(*drives, 0), (std::vector<std::string>{"C:", "D:"}));
  EXPECT_EQ(world.Stored("Drives", "E"), "<none>");
  EXPECT_NE(world.Stored("Drives", "D"), "<none>");
  EXPECT_FALSE(listed('E'));
  EXPECT_TRUE(listed('D'));

  Click(drives->closeButton);
  EXPECT_FALSE(IsWindowVisible(drives->Handle()));
  EXPECT_TRUE(IsWindowEnabled(mainWindow));
}

// With TIDEWELL_DRIVES set nothing written to the store would count: the
// window lists the drives it names and says why nothing can change.
TEST(Win32DesktopProgram, TheDrivesWindowChangesNothingTheEnvironmentNames) {
  World world;
  DesktopProgram program(world.boxes, world.Environment());
  ASSERT_TRUE(program.Start());
  ChooseMenu(program, MenuCommand::Drives);
  DrivesWindow* drives = program.Drives();
  ASSERT_NE(drives, nullptr);
  EXPECT_EQ(DrivesColumn(*drives, 0), (std::vector<std::string>{"C:", "D:"}));
  EXPECT_EQ(DrivesColumn(*drives, 3), (std::vector<std::string>{"environment", "environment"}));
  EXPECT_TRUE(drives->BlockedNote().starts_with("TIDEWELL_DRIVES names the drives")) << drives->BlockedNote();
  EXPECT_TRUE(WrappedTextFits(drives->BlockedNoteLabel())) << drives->BlockedNote();
  EXPECT_TRUE(IsWindowVisible(drives->BlockedNoteLabel()));
  EXPECT_GE(ScreenRect(drives->list).top, ScreenRect(drives->BlockedNoteLabel()).bottom);
  EXPECT_FALSE(IsWindowEnabled(drives->addButton));
  SelectRow(drives->list, 1);
  EXPECT_FALSE(IsWindowEnabled(drives->removeButton));
  SendMessageW(drives->Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindowVisible(drives->Handle()));
  EXPECT_TRUE(IsWindowEnabled(program.Main().Handle()));
}

// A destructive run of a demo drive mapped to D:, picked in the list: the
// default categories' junk goes, the keepers stay, and a folder beside the
// drive is untouched byte for byte.
TEST(Win32DesktopProgram, ADestructiveRunOfThePickedDemoDriveRemovesItsJunkOnly) {
  World world;
  const std::string drive = world.Path("drive_d");
  fs::remove(HostPathOf(drive));
  ASSERT_FALSE(WriteDemoDrive(drive, {}));
  const fs::path sentinel = HostPathOf(world.Path("victims\\WINDOWS\\TEMP\\~DF1.TMP"));
  fs::create_directories(sentinel.parent_path());
  std::ofstream(sentinel, std::ios::binary) << "sentinel bytes\r\n";

  DesktopProgram program(world.boxes, world.Environment());
  ASSERT_TRUE(program.Start());
  PickDrive(program, 'D');
  EXPECT_TRUE(ComboCurrent(program.Main().driveList).starts_with("d: [")) << ComboCurrent(program.Main().driveList);
  // Test mode off: the question is answered Yes.
  world.boxes.scriptedAnswers.assign(8, MessageAnswer::Yes);
  Click(program.Main().BoxOf(RunOption::TestRun));
  EXPECT_EQ(BoxState(program.Main().BoxOf(RunOption::TestRun)), BST_UNCHECKED);
  EXPECT_EQ(world.Stored("Preferences", "TestRun"), "0");
  world.boxes.messages.clear();

  Click(program.Main().cleanButton);

  for (const std::string& junk : DemoDefaultJunk()) {
    EXPECT_FALSE(fs::exists(HostPathOf(drive + "\\" + junk))) << junk;
  }
  for (const std::string& keeper : DemoKeepers()) EXPECT_TRUE(fs::exists(HostPathOf(drive + "\\" + keeper))) << keeper;
  std::string left;
  ASSERT_FALSE(platform::ReadTextFile(world.Path("victims\\WINDOWS\\TEMP\\~DF1.TMP"), left));
  EXPECT_EQ(left, "sentinel bytes\r\n");
  // The report counts what went; no log is kept ("Maintain log" is off).
  const std::string report = world.Record("Tidewell.txt");
  EXPECT_NE(report.find(std::to_string(DemoDefaultJunk().size()) + " files DELETED"), std::string::npos) << report;
  EXPECT_EQ(world.Record("Tidewell.log"), "");
  EXPECT_TRUE(StatusBarText(program.Main().statusBar).starts_with("Done: ")) << StatusBarText(program.Main().statusBar);
}

// The Deepwash window from the main window: a category click stores it and
// warns once, the presets set every box, closing brings the main window back.
TEST(Win32DesktopProgram, DeepwashPresetsAndWarnings) {
  World world;
  DesktopProgram program(world.boxes, world.Environment());
  ASSERT_TRUE(program.Start());
  world.boxes.messages.clear();
  DeepwashWindow& deepwash = program.Deepwash();

  Click(program.Main().deepwashButton);
  EXPECT_FALSE(IsWindowVisible(program.Main().Handle()));
  EXPECT_TRUE(IsWindowVisible(deepwash.Handle()));
  EXPECT_TRUE(program.CurrentSound().ends_with("Tidewell2.wav"));
  EXPECT_EQ(WindowText(deepwash.Handle()), "Deepwash Controls");

  Click(deepwash.CheckBox(CategoryId::Adobe));
  EXPECT_EQ(BoxState(deepwash.CheckBox(CategoryId::Adobe)), BST_CHECKED);
  EXPECT_EQ(world.Loaded(CategoryId::Adobe), 1);
  ASSERT_EQ(world.boxes.messages.size(), 1u);
  EXPECT_TRUE(world.boxes.messages[0].title.starts_with("WARNING about deleting "));
  EXPECT_EQ(deepwash.StatusText().find('\r'), std::string::npos);
  EXPECT_FALSE(deepwash.StatusText().empty());
  Click(deepwash.CheckBox(CategoryId::Adobe));
  EXPECT_EQ(BoxState(deepwash.CheckBox(CategoryId::Adobe)), BST_UNCHECKED);
  EXPECT_EQ(world.Loaded(CategoryId::Adobe), 0);
  EXPECT_EQ(deepwash.StatusText(), "WARNINGS: None.");
  EXPECT_EQ(world.boxes.messages.size(), 1u);  // warned once

  Click(deepwash.Button(DeepwashCommand::SelectAll));
  for (const Category& entry : Categories()) EXPECT_EQ(BoxState(deepwash.CheckBox(entry.id)), BST_CHECKED);
  Click(deepwash.Button(DeepwashCommand::Safest));
  for (const Category& entry : CatalogueEntries()) {
    if (const auto on = PresetState(Preset::Safest, entry.id)) {
      EXPECT_EQ(BoxState(deepwash.CheckBox(entry.id)), *on ? BST_CHECKED : BST_UNCHECKED) << entry.controlName;
    }
  }
  Click(deepwash.Button(DeepwashCommand::SelectNone));
  for (const Category& entry : Categories()) {
    EXPECT_EQ(BoxState(deepwash.CheckBox(entry.id)), BST_UNCHECKED);
    EXPECT_EQ(world.Loaded(entry.id), 0);
  }

  SendMessageW(deepwash.Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindowVisible(deepwash.Handle()));
  EXPECT_TRUE(IsWindowVisible(program.Main().Handle()));
}

// "/U /I" cleans at once, invisibly, and ends; "/I" alone shows nothing but
// the notice.
TEST(Win32DesktopProgram, TheUnattendedSwitchCleansAndEndsTheInvisibleOneShowsNothing) {
  World world;
  world.File("DATA\\scratch.tmp");
  {
    RecordingBoxes boxes;
    DesktopProgram program(boxes, world.Environment("/U /I"));
    EXPECT_EQ(EndStatus([&] { program.Start(); }), std::optional<int>(0));
    EXPECT_FALSE(IsWindowVisible(program.Main().Handle()));
    EXPECT_TRUE(world.Exists("DATA\\scratch.tmp"));  // test mode is on at a first start
    EXPECT_NE(world.Record("Tidewell.log").find("Delete file: c:\\DATA\\scratch.tmp"), std::string::npos);
  }
  {
    RecordingBoxes boxes;
    DesktopProgram program(boxes, world.Environment("/I"));
    ASSERT_TRUE(program.Start());
    EXPECT_FALSE(IsWindowVisible(program.Main().Handle()));
    EXPECT_EQ(boxes.Titles(), std::vector<std::string>{"TEST MODE is ON ... Tidewell is SAFE AS MILK"});
  }
}

// The shortcut keys reach their entries through the program's dispatch; a
// disabled entry does nothing.
TEST(Win32DesktopProgram, MenusAndTheirShortcutsDoWhatTheySay) {
  World world;
  DesktopProgram program(world.boxes, world.Environment());
  ASSERT_TRUE(program.Start());
  world.boxes.messages.clear();

  PressKey(program, 'I', true);
  ASSERT_EQ(world.boxes.messages.size(), 1u);
  EXPECT_TRUE(world.boxes.messages[0].text.starts_with("Last cleanup:\tNone\rBytes saved:\t0\rFiles deleted:\t0\r"));
  PressKey(program, 'L', true);
  EXPECT_EQ(world.boxes.messages.back().title, "View Log");
  PressKey(program, VK_F1);
  EXPECT_EQ(world.boxes.messages.back().title, "About Tidewell");
  PressKey(program, VK_F6);
  EXPECT_EQ(world.boxes.messages.back().title, "Tips");
  const std::size_t before = world.boxes.messages.size();
  PressKey(program, VK_F4);
  PressKey(program, VK_F8);
  PressKey(program, VK_F5);
  ASSERT_EQ(world.opened.size(), 3u);
  EXPECT_EQ(world.opened[0], world.opened[1]);
  EXPECT_EQ(world.opened[2], program.Addresses().techSupport);
  EXPECT_EQ(world.boxes.messages.size(), before);
  PressKey(program, VK_F12);  // no uninstaller here
  EXPECT_EQ(world.boxes.messages.back().text, "Uninstall not available.");

  // Delete Report (Del) asks first; No keeps the report.
  std::ofstream(HostPathOf(world.Path("records\\Tidewell.txt"))) << "report\r\n";
  world.boxes.scriptedAnswers = {MessageAnswer::No, MessageAnswer::Yes};
  PressKey(program, VK_DELETE);
  EXPECT_TRUE(fs::exists(HostPathOf(world.Path("records\\Tidewell.txt"))));
  EXPECT_EQ(program.StatusText(), "Nothing deleted");
  ChooseMenu(program, MenuCommand::DeleteReport);
  EXPECT_FALSE(fs::exists(HostPathOf(world.Path("records\\Tidewell.txt"))));
  EXPECT_EQ(StatusBarText(program.Main().statusBar), "Report deleted");

  // Locked, as during a run: neither the keys nor the entries do anything.
  program.LockControls();
  const std::size_t locked = world.boxes.messages.size();
  PressKey(program, VK_F1);
  ChooseMenu(program, MenuCommand::Info);
  EXPECT_EQ(world.boxes.messages.size(), locked);
  program.UnlockControls();

  PressKey(program, 'G', true);  // Deepwash
  EXPECT_FALSE(IsWindowVisible(program.Main().Handle()));
  EXPECT_TRUE(IsWindowVisible(program.Deepwash().Handle()));
}

// The viewer on a log over the limit shows its newest part under a notice.
// (With a 64 KiB limit: RichEdit under Wine takes most of an hour to load
// the 16 MiB the program shows; what is cut is the same code either way.)
TEST(Win32DesktopProgram, TheViewerShowsTheNewestPartOfALargeLog) {
  constexpr std::size_t kShownBytes = 64u << 10;
  World world;
  {
    std::ofstream log(HostPathOf(world.Path("records\\Tidewell.log")), std::ios::binary);
    const std::string line(99, 'a');
    for (std::size_t written = 0; written < kShownBytes + 1000; written += 100) log << line << '\n';
    log << "the newest line\r\n";
  }
  DesktopEnvironment environment = world.Environment("/I");
  environment.recordShownBytes = kShownBytes;
  DesktopProgram program(world.boxes, std::move(environment));
  ASSERT_TRUE(program.Start());
  ChooseMenu(program, MenuCommand::Log);
  ASSERT_NE(program.Viewer().Window(), nullptr);
  const std::string text = program.Viewer().Text();
  EXPECT_TRUE(text.starts_with("[The first 1100 bytes of this file")) << text.substr(0, 120);
  EXPECT_NE(text.find("the viewer shows the last 64 KiB.]"), std::string::npos) << text.substr(0, 160);
  EXPECT_NE(text.find("the newest line"), std::string::npos);
  EXPECT_LE(text.size(), kShownBytes + 200);

  // Closed, it is made afresh on the next view.
  SendMessageW(program.Viewer().Window(), WM_CLOSE, 0, 0);
  EXPECT_EQ(program.Viewer().Window(), nullptr);
  ChooseMenu(program, MenuCommand::Log);
  EXPECT_NE(program.Viewer().Window(), nullptr);
}

// Exit in the middle of a run ends the program with the log closed on what
// it holds (no count line) and the sound device closed.
TEST(Win32DesktopProgram, ExitInTheMiddleOfARunClosesTheLogWithWhatItHolds) {
  World world;
  for (int i = 0; i < 40; ++i) world.File("F" + std::to_string(i) + "\\junk.tmp", 5);
  DesktopEnvironment environment = world.Environment();
  DesktopProgram* running = nullptr;
  int yields = 0;
  environment.onYield = [&] {
    if (running != nullptr && running->Context().state.totals.totalFiles >= 3 && ++yields == 1) {
      Click(running->Main().exitButton);
    }
  };
  DesktopProgram program(world.boxes, std::move(environment));
  running = &program;
  ASSERT_TRUE(program.Start());
  EXPECT_EQ(EndStatus([&] { Click(program.Main().cleanButton); }), std::optional<int>(0));
  EXPECT_FALSE(program.Context().state.log.IsOpen());
  const std::string log = world.Record("Tidewell.log");
  EXPECT_NE(log.find("TIDEWELL III LOG FILE"), std::string::npos);
  EXPECT_NE(log.find("Delete file: "), std::string::npos);
  EXPECT_EQ(log.find("files DELETED"), std::string::npos);  // cut short: no count line
  EXPECT_EQ(program.CurrentSound(), "");
}

// Every caption of the two windows is drawn whole in the font it got; one
// given a font a third wider is drawn smaller until it fits.
TEST(Win32DesktopProgram, EveryCaptionFitsItsControl) {
  World world;
  DesktopProgram program(world.boxes, world.Environment("/I"));
  ASSERT_TRUE(program.Start());
  MainWindow& w = program.Main();
  auto font = [](HWND control) { return reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)); };
  for (HWND label : {w.label4, w.label5, w.label6}) {
    EXPECT_TRUE(CaptionFits(label, font(label), CaptionKind::Label)) << WindowText(label);
  }
  for (const RunOption option : kMainWindowOptions) {
    EXPECT_TRUE(CaptionFits(w.BoxOf(option), font(w.BoxOf(option)), CaptionKind::CheckBox)) << WindowText(w.BoxOf(option));
  }
  for (const Category& entry : CatalogueEntries()) {
    HWND box = program.Deepwash().CheckBox(entry.id);
    EXPECT_TRUE(CaptionFits(box, font(box), CaptionKind::CheckBox)) << entry.controlName;
  }

  FontSet fonts;
  const FontChoice wide{L"Arial", 8.25 * 4 / 3};
  HWND box = w.BoxOf(RunOption::OptimisePerformance);
  ASSERT_FALSE(CaptionFits(box, fonts.Get(wide, program.Main().Dpi()), CaptionKind::CheckBox));
  const double points = FitCaption(box, wide, CaptionKind::CheckBox, fonts, program.Main().Dpi());
  EXPECT_LT(points, wide.points);
  EXPECT_GE(points, ui::kSmallestCaptionPoints);
  EXPECT_TRUE(CaptionFits(box, font(box), CaptionKind::CheckBox));
  w.FitCaptions();  // the window's own fonts again, before `fonts` goes
}

int main(int argc, char** argv) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_ANIMATE_CLASS |
                                                     ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
