#include "ui/win32/record_viewer.h"

#include <richedit.h>

#include <algorithm>

#include "platform/win32/wide_text.h"
#include "ui/record_text.h"
#include "ui/rich_text.h"
#include "ui/win32/top_window.h"
#include "ui/window_texts.h"

#ifndef MSFTEDIT_CLASS
#define MSFTEDIT_CLASS L"RICHEDIT50W"
#endif

namespace tidewell::ui::win32 {
namespace {

constexpr int kInitialClientWidthTwips = 4695;
constexpr int kInitialClientHeightTwips = 3255;
constexpr int kTextBoxWidthMarginTwips = 100;
constexpr int kTextBoxHeightMarginTwips = 350;
constexpr FontChoice kTextFont{L"Times New Roman", 12};

// Hands the RTF bytes to EM_STREAMIN a piece at a time.
struct RtfSource {
  const std::string* bytes;
  std::size_t offset = 0;
};

DWORD CALLBACK ReadRtf(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
  auto* source = reinterpret_cast<RtfSource*>(cookie);
  const std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(wanted), source->bytes->size() - source->offset);
  std::copy_n(source->bytes->data() + source->offset, count, buffer);
  source->offset += count;
  *given = static_cast<LONG>(count);
  return 0;
}

}  // namespace

class RecordViewerHost::ViewerWindow : public TopWindow {
 public:
  ViewerWindow() {
    static const HMODULE richEdit = LoadLibraryW(L"Msftedit.dll");
    static_cast<void>(richEdit);
    CreateTopWindow(L"TidewellForm3", kViewerCaption, WS_OVERLAPPEDWINDOW, nullptr, kInitialClientWidthTwips,
                    kInitialClientHeightTwips);
    textBox_ = MakeControl(MSFTEDIT_CLASS, "", ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL,
                           1, {0, 0, 0, 0}, kTextFont);
    SendMessageW(textBox_, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    Layout();
    FitTextBox();
  }

  HWND TextBox() const { return textBox_; }
  bool Closed() const { return closed_; }

  void ShowContent(const std::string& bytes) {
    if (LooksLikeRtf(bytes)) {
      RtfSource source{&bytes};
      EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, &ReadRtf};
      SendMessageW(textBox_, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
      return;
    }
    std::string text = PlainTextToUtf8(bytes);
    std::string lines;
    lines.reserve(text.size() + text.size() / 32);
    for (const char c : text) {
      if (c == '\n') lines += '\r';
      lines += c;
    }
    // Plain text in the layout's face: RTF brings its own.
    SendMessageW(textBox_, WM_SETFONT, reinterpret_cast<WPARAM>(Fonts().Get(kTextFont, Dpi())), FALSE);
    SetWindowTextW(textBox_, platform::win32::Widen(lines).c_str());
  }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_SIZE:
        FitTextBox();
        return 0;
      case WM_CLOSE:
        closed_ = true;
        ShowWindow(Handle(), SW_HIDE);
        return 0;
      case WM_DPICHANGED: {
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(Handle(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
      }
      default:
        return TopWindow::HandleMessage(message, wParam, lParam);
    }
  }

 private:
  void FitTextBox() {
    RECT outer{};
    GetWindowRect(Handle(), &outer);
    const int width = std::max(0, static_cast<int>(outer.right - outer.left) - Scaled(Pixels(kTextBoxWidthMarginTwips), Dpi()));
    const int height = std::max(0, static_cast<int>(outer.bottom - outer.top) - Scaled(Pixels(kTextBoxHeightMarginTwips), Dpi()));
    SetWindowPos(textBox_, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  }

  HWND textBox_ = nullptr;
  bool closed_ = false;
};

RecordViewerHost::RecordViewerHost(std::size_t shownBytes) : shownBytes_(shownBytes) {}
RecordViewerHost::~RecordViewerHost() = default;

HWND RecordViewerHost::Window() const {
  return window_ != nullptr && !window_->Closed() ? window_->Handle() : nullptr;
}

HWND RecordViewerHost::TextBox() const { return Window() != nullptr ? window_->TextBox() : nullptr; }

std::string RecordViewerHost::Text() const {
  HWND box = TextBox();
  if (box == nullptr) return {};
  GETTEXTLENGTHEX lengthOf{GTL_NUMCHARS | GTL_PRECISE, 1200};
  const LRESULT length = SendMessageW(box, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&lengthOf), 0);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  GETTEXTEX how{static_cast<DWORD>(text.size() * sizeof(wchar_t)), GT_DEFAULT, 1200, nullptr, nullptr};
  const LRESULT copied = SendMessageW(box, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&how), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(std::max<LRESULT>(0, copied)));
  return platform::win32::Narrow(text);
}

bool RecordViewerHost::ShowRecord(const std::string& hostPath, const std::string& caption, std::string* problem) {
  std::string bytes;
  if (const std::error_code error = ReadShownRecord(hostPath, bytes, shownBytes_)) {
    if (problem != nullptr) *problem = error.message();
    return false;
  }
  // A viewer the user closed is made afresh.
  if (window_ == nullptr || window_->Closed()) window_ = std::make_unique<ViewerWindow>();
  window_->ShowContent(bytes);
  SetWindowText(window_->Handle(), caption);
  ShowWindow(window_->Handle(), IsIconic(window_->Handle()) ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(window_->Handle());
  return true;
}

}  // namespace tidewell::ui::win32
