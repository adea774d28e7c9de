#include "ui/win32/deepwash_window.h"

#include <commctrl.h>

#include "i18n/translation.h"
#include "platform/win32/wide_text.h"

namespace tidewell::ui::win32 {
namespace {

// The layout gives the check boxes 13 pixels of height and the captions
// the width of a small dialog font: 8.25 points (11 pixels at 96 dpi).
constexpr FontChoice kDialogFont{L"Microsoft Sans Serif", 8.25};

// The status bar fills the strip below the options, across the whole window.
constexpr int kStatusBarHeightTwips = 375;

WPARAM CheckState(int value) {
  switch (value) {
    case 0: return BST_UNCHECKED;
    case 2: return BST_INDETERMINATE;
    default: return BST_CHECKED;
  }
}

}  // namespace

DeepwashWindow::DeepwashWindow(MessageBoxes& boxes) : messageBoxes_(boxes) {
  CreateTopWindow(L"TidewellForm2", kDeepwashCaption, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, nullptr,
                  kDeepwashClientWidth, kDeepwashClientHeight);
  BuildControls();
  Layout();
}

void DeepwashWindow::BuildControls() {
  MakeControl(L"STATIC", kDeepwashLabelText, SS_LEFT | SS_NOTIFY, -1, kDeepwashLabelRect, kDialogFont,
              CaptionKind::Label, kDeepwashLabelTooltip);
  // The controls in tab order (creation order is tab order): the
  // categories, the presets, the options and Done.
  for (const std::string_view name : DeepwashTabOrder()) {
    for (const Category& entry : CatalogueEntries()) {
      if (entry.controlName != name) continue;
      boxes_[static_cast<std::size_t>(entry.id)] =
          MakeControl(L"BUTTON", entry.caption, BS_3STATE | WS_TABSTOP,
                      kDeepwashBoxIdBase + static_cast<int>(entry.id), CheckBoxRect(entry.id), kDialogFont,
                      CaptionKind::CheckBox, entry.tooltip);
    }
    for (const DeepwashButton& entry : DeepwashButtons()) {
      if (entry.controlName != name) continue;
      buttons_[static_cast<std::size_t>(entry.command)] =
          MakeControl(L"BUTTON", entry.caption, BS_PUSHBUTTON | WS_TABSTOP,
                      kDeepwashButtonIdBase + static_cast<int>(entry.command), entry.rect, kDialogFont,
                      std::nullopt, entry.tooltip);
    }
  }
  // The frame last, lowest of all, so that the boxes over it stay visible.
  MakeControl(L"BUTTON", "", BS_GROUPBOX, -1, kDeepwashFrameRect, kDialogFont);
  statusBar_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, Handle(), nullptr,
                               GetModuleHandleW(nullptr), nullptr);
}

void DeepwashWindow::AfterLayout() {
  SendMessageW(statusBar_, WM_SETFONT, reinterpret_cast<WPARAM>(Fonts().Get(kDialogFont, Dpi())), FALSE);
  SendMessageW(statusBar_, SB_SETMINHEIGHT, Scaled(Pixels(kStatusBarHeightTwips), Dpi()) - 2, 0);
  SendMessageW(statusBar_, WM_SIZE, 0, 0);
}

void DeepwashWindow::Bind(DeepwashSelection& selection) {
  selection_ = &selection;
  for (const Category& entry : CatalogueEntries()) ShowValue(entry.id, selection.CheckValue(entry.id));
}

void DeepwashWindow::Show() {
  if (!shownBefore_) CentreOnMonitor(Handle());
  shownBefore_ = true;
  ShowWindow(Handle(), SW_SHOW);
  SetForegroundWindow(Handle());
}

void DeepwashWindow::OnBoxClicked(CategoryId id) {
  if (selection_ == nullptr) {
    ShowValue(id, 0);
    return;
  }
  const int value = selection_->CheckValue(id) == 1 ? 0 : 1;
  selection_->SetValue(id, value);
  ShowValue(id, selection_->CheckValue(id));
}

void DeepwashWindow::OnCommand(DeepwashCommand command) {
  if (command != DeepwashCommand::Done && selection_ == nullptr) return;
  switch (command) {
    case DeepwashCommand::SelectAll: selection_->SelectAll(); break;
    case DeepwashCommand::Safest: selection_->Safest(); break;
    case DeepwashCommand::SelectNone: selection_->SelectNone(); break;
    case DeepwashCommand::Done: Finish(); break;
  }
}

void DeepwashWindow::ShowValue(CategoryId id, int value) {
  SendMessageW(CheckBox(id), BM_SETCHECK, CheckState(value), 0);
}

void DeepwashWindow::CheckValueChanged(CategoryId id, int value) { ShowValue(id, value); }

void DeepwashWindow::SetStatusText(std::string_view text) {
  // The warnings break their paragraphs with carriage returns; on one line
  // each line break shows as a blank. Only a whole line the catalogue holds
  // is translated: a warning cut short stays as it is.
  std::string line(i18n::Translated(text));
  for (char& c : line) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  SendMessageW(statusBar_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(platform::win32::Widen(line).c_str()));
}

std::string DeepwashWindow::StatusText() const {
  const auto length = LOWORD(SendMessageW(statusBar_, SB_GETTEXTLENGTHW, 0, 0));
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(statusBar_, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text.data()));
  text.resize(length);
  return platform::win32::Narrow(text);
}

MessageAnswer DeepwashWindow::ShowMessage(const Message& message) { return messageBoxes_.ShowMessage(message); }

void DeepwashWindow::Finish() {
  // The window onDone shows comes up before this one goes.
  if (onDone) onDone();
  ShowWindow(Handle(), SW_HIDE);
}

LRESULT DeepwashWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (HIWORD(wParam) != BN_CLICKED) break;
      if (id >= kDeepwashBoxIdBase && id < kDeepwashBoxIdBase + static_cast<int>(kEntryCount)) {
        OnBoxClicked(static_cast<CategoryId>(id - kDeepwashBoxIdBase));
        return 0;
      }
      if (id >= kDeepwashButtonIdBase && id < kDeepwashButtonIdBase + 4) {
        OnCommand(static_cast<DeepwashCommand>(id - kDeepwashButtonIdBase));
        return 0;
      }
      break;
    }
    case WM_CLOSE:
      Finish();
      return 0;
    default:
      break;
  }
  return TopWindow::HandleMessage(message, wParam, lParam);
}

}  // namespace tidewell::ui::win32
