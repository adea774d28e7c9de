// The main window Form1 of the Win32 front end: the banner, the six run
// options, the drive list, the three buttons, the feedback controls (status
// bar, progress bar, the Animate control playing the working clip) and the
// menu bar with its shortcut keys, laid out in twips as the Qt window is.
// This class only builds the controls and hands them out; what they do is
// wired by DesktopProgram, which gets every command through `onCommand`.
//
// Control identifiers: the buttons, boxes and list have the ids below; a
// menu entry's id is kMenuIdBase plus its MenuCommand.
#pragma once

#include <windows.h>

#include <array>
#include <functional>

#include "settings/run_options.h"
#include "ui/win32/top_window.h"
#include "ui/window_texts.h"

namespace tidewell::ui::win32 {

enum ControlId : int {
  kTitleId = 100,
  kLabel4Id,
  kLabel5Id,
  kLabel6Id,
  kAnimationId,
  kProgressId,
  kCleanId,
  kExitId,
  kDeepwashId,
  kFrameId,
  kDriveListId,
  kStatusBarId,
  kCheck1Id = 120,  // Check1(n) is kCheck1Id + n, n from 1 to 6
  kMenuIdBase = 1000,
};

constexpr int MenuId(MenuCommand command) { return kMenuIdBase + static_cast<int>(command); }

class MainWindow : public TopWindow {
 public:
  MainWindow();
  ~MainWindow() override;

  // The client area above the status bar, and the status bar's height.
  static constexpr int kClientWidthTwips = 4095;
  static constexpr int kClientHeightTwips = 5670;
  static constexpr int kStatusBarTopTwips = 5295;

  HWND title = nullptr;   // Label1 to Label3: one control drawing the three layers
  HWND label4 = nullptr;  // the banner line
  HWND label5 = nullptr;  // the support notice, clickable
  HWND label6 = nullptr;  // the build number
  HWND animation = nullptr;
  HWND progressBar = nullptr;
  HWND cleanButton = nullptr;     // Command1
  HWND exitButton = nullptr;      // Command2
  HWND deepwashButton = nullptr;  // Command3
  HWND frame = nullptr;           // Frame1 "Controls"
  std::array<HWND, 7> check1{};   // index 1 to 6
  HWND driveList = nullptr;       // Drive1
  HWND statusBar = nullptr;       // StatusBar1
  HMENU menuBar = nullptr;
  HACCEL accelerators = nullptr;  // the menus' shortcut keys

  HWND BoxOf(RunOption option) const { return check1.at(static_cast<std::size_t>(option)); }

  // Lays the captions out again (after the texts are set): a caption that
  // does not fit is drawn smaller.
  void FitCaptions() { Layout(); }

  // WM_COMMAND from a control or a menu entry (id, notification code).
  std::function<void(int id, int notification)> onCommand;
  // The close box; the program ends there. Without it the window hides.
  std::function<void()> onCloseRequested;
  // WM_SETCURSOR over the window: true when the handler set the pointer.
  std::function<bool()> onSetCursor;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void AfterLayout() override;

 private:
  void BuildControls();
  void BuildMenus();
  void DrawTitle(const DRAWITEMSTRUCT& item);
};

}  // namespace tidewell::ui::win32
