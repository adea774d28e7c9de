#include "ui/qt/record_viewer.h"

#include <algorithm>

#include <QFont>
#include <QMoveEvent>
#include <QResizeEvent>
#include <QShowEvent>
#include <QTextEdit>
#include <QWidget>

#include "ui/qt/layout_fonts.h"
#include "ui/rich_text.h"
#include "ui/qt/translated_text.h"
#include "ui/qt/twips.h"
#include "ui/record_text.h"

namespace tidewell::ui {
namespace {

constexpr int kInitialClientWidthTwips = 4695;
constexpr int kInitialClientHeightTwips = 3255;
constexpr int kTextBoxWidthMarginTwips = 100;
constexpr int kTextBoxHeightMarginTwips = 350;

// The viewer's window: keeps its text box fitted to its outer size.
class ViewerWindow : public QWidget {
 public:
  ViewerWindow() {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(Shown("Tidewell Viewer"));
    setAttribute(Qt::WA_DeleteOnClose);
    textBox_ = new QTextEdit(this);
    textBox_->setObjectName(QStringLiteral("RichTextBox1"));
    textBox_->setReadOnly(true);
    textBox_->setFont(LayoutFont(QStringLiteral("Times New Roman"), 12));
    resize(ToPixels(kInitialClientWidthTwips, kInitialClientHeightTwips));
  }

  QTextEdit* TextBox() const { return textBox_; }

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    FitTextBox();
  }

  // The frame is known only once the window is on screen, and under a
  // window manager only after it has framed the window, which moves the
  // window's client area: a move may come with a new outer size.
  void showEvent(QShowEvent* event) override {
    QWidget::showEvent(event);
    FitTextBox();
  }

  void moveEvent(QMoveEvent* event) override {
    QWidget::moveEvent(event);
    FitTextBox();
  }

 private:
  void FitTextBox() {
    const QSize outer = frameGeometry().size();
    textBox_->setGeometry(0, 0, std::max(0, outer.width() - Pixels(kTextBoxWidthMarginTwips)),
                          std::max(0, outer.height() - Pixels(kTextBoxHeightMarginTwips)));
  }

  QTextEdit* textBox_ = nullptr;
};

void ShowContent(QTextEdit& textBox, const std::string& bytes) {
  if (LooksLikeRtf(bytes)) {
    textBox.setHtml(QString::fromStdString(RtfToHtml(bytes)));
  } else {
    textBox.setPlainText(QString::fromStdString(PlainTextToUtf8(bytes)));
  }
}

}  // namespace

RecordViewerHost::~RecordViewerHost() { delete window_.data(); }

QWidget* RecordViewerHost::Window() const {
  // A closed viewer is hidden and waits to be discarded: it counts as gone.
  return window_ != nullptr && !window_->isHidden() ? window_.data() : nullptr;
}

QTextEdit* RecordViewerHost::TextBox() const { return Window() != nullptr ? textBox_.data() : nullptr; }

void RecordViewerHost::CreateWindow() {
  if (window_ != nullptr) window_->deleteLater();  // closed, not yet discarded
  auto* window = new ViewerWindow;
  window_ = window;
  textBox_ = window->TextBox();
}

bool RecordViewerHost::ShowRecord(const std::string& hostPath, const std::string& caption,
                                  std::string* problem) {
  std::string bytes;
  if (const std::error_code error = ReadShownRecord(hostPath, bytes)) {
    if (problem != nullptr) *problem = error.message();
    return false;
  }
  if (Window() == nullptr) CreateWindow();
  ShowContent(*textBox_, bytes);
  window_->setWindowTitle(ShownLines(caption));
  if (window_->isMinimized()) {
    window_->showNormal();
  } else {
    window_->show();
  }
  window_->raise();
  window_->activateWindow();
  return true;
}

}  // namespace tidewell::ui
