// The record viewer ("Form3"): a sizable window with one read-only text box
// that shows the deletion log or the run report.
//
// The window is made on the first ShowRecord and again after the user has
// closed it (closing discards it). A record that holds rich text is shown
// formatted, any other as plain text (see ui/rich_text.h). On every resize,
// the first show included, and whenever the window's frame turns up or
// changes later, the text box sits at 0,0 and is 100 twips narrower and 350
// twips lower than the window's outer size (frame included), never less
// than nothing.
//
// What is shown of a large record, and how a FIFO is refused:
// ui/record_text.h.
#pragma once

#include <cstddef>

#include <QPointer>

#include "engine/record_actions.h"
#include "ui/record_text.h"

class QTextEdit;
class QWidget;

namespace tidewell::ui {

class RecordViewerHost : public RecordViewer {
 public:
  RecordViewerHost() = default;
  RecordViewerHost(const RecordViewerHost&) = delete;
  RecordViewerHost& operator=(const RecordViewerHost&) = delete;
  ~RecordViewerHost() override;

  // The most of a record the viewer loads: its last 16 MiB.
  static constexpr std::size_t kShownBytes = kRecordShownBytes;

  bool ShowRecord(const std::string& hostPath, const std::string& caption, std::string* problem) override;

  // The open viewer and its text box; nullptr when the viewer is not open.
  QWidget* Window() const;
  QTextEdit* TextBox() const;

 private:
  void CreateWindow();

  QPointer<QWidget> window_;
  QPointer<QTextEdit> textBox_;
};

}  // namespace tidewell::ui
