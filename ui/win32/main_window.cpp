#include "ui/win32/main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "i18n/translation.h"
#include "platform/win32/wide_text.h"
#include "settings/main_options.h"

namespace tidewell::ui::win32 {
namespace {

using platform::win32::Widen;

constexpr FontChoice kDialogFont{L"Microsoft Sans Serif", 8.25};
constexpr FontChoice kTitleFont{L"Times New Roman", 27.75, false, true};
constexpr FontChoice kTitleBoldFont{L"Times New Roman", 27.75, true, true};
constexpr FontChoice kBannerFont{L"Arial", 9.75, true};
constexpr FontChoice kNoticeFont{L"Arial", 8.25};
constexpr FontChoice kBuildFont{L"Arial", 8.25, false, true};

// Frame1's children are placed in the frame's own twips; the window's
// controls are all children of the window, so they are moved by its origin.
constexpr int kFrameLeft = 240;
constexpr int kFrameTop = 3600;
constexpr TwipsRect InFrame(int left, int top, int width, int height) {
  return {kFrameLeft + left, kFrameTop + top, width, height};
}

// The three title layers, each 705 twips high, one pixel apart: the
// highlight lowest, the bold shadow, then the title itself on top.
constexpr TwipsRect kTitlePlace{105, 105, 3855 + 30, 705 + 30};

// A drop-down list's window is as high as its open list; its closed field
// takes the height of its font.
constexpr int kDriveListOpenHeight = 315 * 8;

struct BoxPlace {
  int index;
  TwipsRect place;
};
constexpr BoxPlace kBoxes[] = {
    {1, InFrame(120, 240, 1815, 195)}, {2, InFrame(2040, 240, 1455, 195)}, {3, InFrame(120, 480, 1935, 195)},
    {4, {2280, 4080, 1455, 195}},      {5, InFrame(120, 720, 1695, 195)},  {6, {2280, 4320, 1455, 195}},
};

// The title's highlight layer: the button-highlight colour, or, where that
// colour is too close to the window's face to be seen, the selection colour.
COLORREF TitleHighlightColour() {
  constexpr int kLeastVisibleDifference = 32;
  auto lightness = [](COLORREF colour) {
    const int r = GetRValue(colour), g = GetGValue(colour), b = GetBValue(colour);
    return (std::max({r, g, b}) + std::min({r, g, b})) / 2;
  };
  const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
  if (std::abs(lightness(light) - lightness(GetSysColor(COLOR_BTNFACE))) >= kLeastVisibleDifference) return light;
  return GetSysColor(COLOR_HIGHLIGHT);
}

}  // namespace

MainWindow::MainWindow() {
  BuildMenus();
  CreateTopWindow(L"TidewellForm1", kMainWindowCaption, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                  menuBar, kClientWidthTwips, kClientHeightTwips);
  BuildControls();
  Layout();
}

MainWindow::~MainWindow() {
  if (accelerators != nullptr) DestroyAcceleratorTable(accelerators);
}

void MainWindow::BuildControls() {
  MakeControl(L"STATIC", "", SS_ETCHEDHORZ, -1, {0, 0, kClientWidthTwips, 30}, kDialogFont);
  title = MakeControl(L"STATIC", "Label3", SS_OWNERDRAW | SS_NOTIFY, kTitleId, kTitlePlace, kTitleFont, std::nullopt,
                      kTitleTooltip);
  label6 = MakeControl(L"STATIC", "Label6", SS_LEFT | SS_NOTIFY, kLabel6Id, {2730, 645, 510, 210}, kBuildFont,
                       CaptionKind::Label);
  label4 = MakeControl(L"STATIC", "Label4", SS_LEFT | SS_NOTIFY, kLabel4Id, {120, 840, 3855, 255}, kBannerFont,
                       CaptionKind::Label, kBannerTooltip);
  label5 = MakeControl(L"STATIC", "Label5", SS_LEFT | SS_NOTIFY, kLabel5Id, {120, 1200, 3855, 615}, kNoticeFont,
                       CaptionKind::Label);
  animation = MakeControl(ANIMATE_CLASSW, "", ACS_CENTER | ACS_TRANSPARENT, kAnimationId, {120, 1980, 735, 615},
                          kDialogFont, std::nullopt, kAnimationTooltip);
  progressBar = MakeControl(PROGRESS_CLASSW, "", 0, kProgressId, {840, 2040, 3015, 495}, kDialogFont, std::nullopt,
                            kProgressTooltip);
  SendMessageW(progressBar, PBM_SETRANGE32, 0, 100);
  cleanButton = MakeControl(L"BUTTON", kCleanCaption, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, kCleanId,
                            {240, 2760, 1695, 675}, kDialogFont, std::nullopt, kCleanTooltip);
  exitButton = MakeControl(L"BUTTON", kExitCaption, BS_PUSHBUTTON | WS_TABSTOP, kExitId, {2160, 2760, 1695, 675},
                           kDialogFont, std::nullopt, kExitTooltip);
  for (const BoxPlace& box : kBoxes) {
    const std::string_view caption = MainOptionEntries()[static_cast<std::size_t>(box.index - 1)].caption;
    check1[static_cast<std::size_t>(box.index)] =
        MakeControl(L"BUTTON", caption, BS_3STATE | WS_TABSTOP, kCheck1Id + box.index, box.place, kDialogFont,
                    CaptionKind::CheckBox, kOptionTooltips[static_cast<std::size_t>(box.index - 1)]);
  }
  driveList = MakeControl(WC_COMBOBOXW, "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, kDriveListId,
                          InFrame(120, 1080, 1815, kDriveListOpenHeight), kDialogFont, std::nullopt, kDriveListTooltip);
  deepwashButton = MakeControl(L"BUTTON", kDeepwashButtonCaption, BS_PUSHBUTTON | WS_TABSTOP, kDeepwashId,
                               InFrame(2040, 960, 1455, 495), kDialogFont, std::nullopt, kDeepwashButtonTooltip);
  // The frame comes last, lowest of all: the controls over it stay visible.
  frame = MakeControl(L"BUTTON", kFrameCaption, BS_GROUPBOX, kFrameId, {kFrameLeft, kFrameTop, 3615, 1575},
                      kDialogFont);
  statusBar = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, Handle(),
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStatusBarId)), GetModuleHandleW(nullptr),
                              nullptr);
}

void MainWindow::AfterLayout() {
  SendMessageW(statusBar, WM_SETFONT, reinterpret_cast<WPARAM>(Fonts().Get(kDialogFont, Dpi())), FALSE);
  SendMessageW(statusBar, SB_SETMINHEIGHT, Scaled(Pixels(kClientHeightTwips - kStatusBarTopTwips), Dpi()) - 2, 0);
  SendMessageW(statusBar, WM_SIZE, 0, 0);
}

void MainWindow::BuildMenus() {
  menuBar = CreateMenu();
  std::vector<ACCEL> keys;
  for (const Menu& menu : MainMenus()) {
    HMENU popup = CreatePopupMenu();
    for (const MenuEntry& entry : menu.entries) {
      if (!entry.command) {
        AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
        continue;
      }
      const int id = MenuId(*entry.command);
      std::string caption(i18n::Translated(entry.caption));
      if (!entry.shortcut.text.empty()) caption += "\t" + std::string(entry.shortcut.text);
      AppendMenuW(popup, MF_STRING, static_cast<UINT_PTR>(id), Widen(caption).c_str());
      ACCEL key{FVIRTKEY, 0, static_cast<WORD>(id)};
      switch (entry.shortcut.key) {
        case ShortcutKey::None: continue;
        case ShortcutKey::CtrlLetter:
          key.fVirt |= FCONTROL;
          key.key = static_cast<WORD>(entry.shortcut.value);
          break;
        case ShortcutKey::Delete: key.key = VK_DELETE; break;
        case ShortcutKey::ShiftDelete:
          key.fVirt |= FSHIFT;
          key.key = VK_DELETE;
          break;
        case ShortcutKey::Function: key.key = static_cast<WORD>(VK_F1 + entry.shortcut.value - 1); break;
      }
      keys.push_back(key);
    }
    AppendMenuW(menuBar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), Widen(i18n::Translated(menu.caption)).c_str());
  }
  accelerators = CreateAcceleratorTableW(keys.data(), static_cast<int>(keys.size()));
}

void MainWindow::DrawTitle(const DRAWITEMSTRUCT& item) {
  const std::wstring text = Widen(WindowText(item.hwndItem));
  HDC dc = item.hDC;
  FillRect(dc, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
  SetBkMode(dc, TRANSPARENT);
  const int step = Scaled(1, Dpi());
  const int layerHeight = Scaled(Pixels(705), Dpi());
  const struct {
    HFONT font;
    COLORREF colour;
  } layers[] = {{Fonts().Get(kTitleFont, Dpi()), TitleHighlightColour()},
                {Fonts().Get(kTitleBoldFont, Dpi()), GetSysColor(COLOR_BTNSHADOW)},
                {Fonts().Get(kTitleFont, Dpi()), GetSysColor(COLOR_BTNTEXT)}};
  // Each layer places its letters where the regular face puts them, so the
  // bold shadow's letters stay under the others'.
  HGDIOBJ old = SelectObject(dc, layers[0].font);
  std::vector<int> ends(text.size());
  SIZE whole{};
  GetTextExtentExPointW(dc, text.c_str(), static_cast<int>(text.size()), 0, nullptr, ends.data(), &whole);
  std::vector<INT> advances(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) advances[i] = ends[i] - (i == 0 ? 0 : ends[i - 1]);
  for (int i = 0; i < 3; ++i) {
    const int left = item.rcItem.left + i * step;
    const int top = item.rcItem.top + i * step + (layerHeight - whole.cy) / 2;
    SelectObject(dc, layers[i].font);
    SetTextColor(dc, layers[i].colour);
    ExtTextOutW(dc, left, top, 0, nullptr, text.c_str(), static_cast<UINT>(text.size()), advances.data());
  }
  SelectObject(dc, old);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (onCommand) onCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_CLOSE:
      if (onCloseRequested) {
        onCloseRequested();
      } else {
        ShowWindow(Handle(), SW_HIDE);
      }
      return 0;
    case WM_SETCURSOR:
      if (onSetCursor && onSetCursor()) return TRUE;
      if (reinterpret_cast<HWND>(wParam) == label5) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item->hwndItem == title) {
        DrawTitle(*item);
        return TRUE;
      }
      break;
    }
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, GetSysColor(reinterpret_cast<HWND>(lParam) == label6 ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    default:
      break;
  }
  return TopWindow::HandleMessage(message, wParam, lParam);
}

}  // namespace tidewell::ui::win32
