// The record viewer ("Form3") of the Win32 front end: a sizable window with
// one read-only RichEdit box that shows the deletion log or the run report.
//
// The window is made on the first ShowRecord and again after the user has
// closed it (closing hides it; the next view makes a new one). A record that holds rich text is loaded
// into the box as RTF, as it is; any other is shown as plain text (UTF-8,
// or Windows-1252 when it is not valid UTF-8: ui/rich_text.h). On every
// resize the text box sits at 0,0, its lines wrapped at its width, and is
// 100 twips narrower and 350 twips lower than the window's outer size,
// never less than nothing. What is shown of a large record:
// ui/record_text.h.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>

#include "engine/record_actions.h"
#include "ui/record_text.h"

namespace tidewell::ui::win32 {

class RecordViewerHost : public RecordViewer {
 public:
  // Shows at most the last `shownBytes` of a record (ui/record_text.h).
  explicit RecordViewerHost(std::size_t shownBytes = kRecordShownBytes);
  RecordViewerHost(const RecordViewerHost&) = delete;
  RecordViewerHost& operator=(const RecordViewerHost&) = delete;
  ~RecordViewerHost() override;

  bool ShowRecord(const std::string& hostPath, const std::string& caption, std::string* problem) override;

  // The open viewer and its text box; nullptr when the viewer is not open.
  HWND Window() const;
  HWND TextBox() const;
  // The text box's text as UTF-8, lines ending in "\r" as RichEdit keeps them.
  std::string Text() const;

 private:
  class ViewerWindow;
  std::size_t shownBytes_;
  std::unique_ptr<ViewerWindow> window_;
};

}  // namespace tidewell::ui::win32
