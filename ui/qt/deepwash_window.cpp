#include "ui/qt/deepwash_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>

#include "settings/deepwash_layout.h"
#include "ui/qt/caption_fit.h"
#include "ui/qt/screen_centring.h"
#include "ui/qt/translated_text.h"
#include "ui/qt/twips.h"
#include "ui/qt/window_style.h"

namespace tidewell::ui {
namespace {

// The status bar fills the strip below the options, across the whole window.
constexpr int kStatusBarHeightTwips = 375;

constexpr int kDialogFontPixels = 11;

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The check state a stored value shows: 0 unchecked, 1 checked, 2 greyed.
Qt::CheckState CheckStateOf(int value) {
  switch (value) {
    case 0: return Qt::Unchecked;
    case 2: return Qt::PartiallyChecked;
    default: return Qt::Checked;
  }
}

}  // namespace

DeepwashWindow::DeepwashWindow(MessageBoxes& boxes, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      messageBoxes_(boxes) {
  setObjectName(Text("Form2"));
  setWindowTitle(Shown(kDeepwashCaption));
  setFixedSize(ToPixels(kDeepwashClientWidth, kDeepwashClientHeight));
  // The layout gives the check boxes 13 pixels of height and the captions
  // the width of a small dialog font: 11 pixels, condensed where the font
  // has such a face, keeps them whole.
  QFont dialogFont = font();
  dialogFont.setPixelSize(kDialogFontPixels);
  dialogFont.setStretch(QFont::Condensed);
  setFont(dialogFont);
  BuildWidgets();
  SetTabOrder();
  UseWindowStyle(*this);
  for (QCheckBox* box : boxes_) FitCaption(*box);
  // Centred on the screen the first time it opens; later it opens where
  // the user left it.
  CentreOnScreen(*this);
}

void DeepwashWindow::BuildWidgets() {
  // The frame holds the label and the 35 categories; the layout gives every
  // position in window coordinates, so the frame's children are moved by the
  // frame's own offset.
  frame_ = new QGroupBox(this);
  frame_->setObjectName(Text(kDeepwashFrameName));
  frame_->setGeometry(ToPixels(kDeepwashFrameRect));
  const QPoint frameOrigin = frame_->geometry().topLeft();

  auto* label = new QLabel(Shown(kDeepwashLabelText), frame_);
  label->setObjectName(Text(kDeepwashLabelName));
  label->setToolTip(Shown(kDeepwashLabelTooltip));
  label->setGeometry(ToPixels(kDeepwashLabelRect).translated(-frameOrigin));

  for (const Category& entry : CatalogueEntries()) {
    const bool inFrame = entry.kind == EntryKind::Category;
    auto* box = new QCheckBox(Shown(entry.caption), inFrame ? static_cast<QWidget*>(frame_) : this);
    box->setObjectName(Text(entry.controlName));
    box->setToolTip(Shown(entry.tooltip));
    const QRect rect = ToPixels(CheckBoxRect(entry.id));
    box->setGeometry(inFrame ? rect.translated(-frameOrigin) : rect);
    const CategoryId id = entry.id;
    // clicked() comes from the user only (mouse, space bar, access key),
    // never from setCheckState, so the model's own changes cause no clicks.
    connect(box, &QCheckBox::clicked, this, [this, id] { OnBoxClicked(id); });
    boxes_[static_cast<std::size_t>(id)] = box;
  }

  for (const DeepwashButton& entry : DeepwashButtons()) {
    auto* button = new QPushButton(Shown(entry.caption), this);
    button->setObjectName(Text(entry.controlName));
    button->setToolTip(Shown(entry.tooltip));
    button->setGeometry(ToPixels(entry.rect));
    button->setAutoDefault(false);
    const DeepwashCommand command = entry.command;
    connect(button, &QPushButton::clicked, this, [this, command] { OnCommand(command); });
  }

  statusBar_ = new QStatusBar(this);
  statusBar_->setObjectName(Text(kDeepwashStatusBarName));
  statusBar_->setToolTip(Shown(kDeepwashStatusBarTooltip));
  statusBar_->setSizeGripEnabled(false);
  const int statusHeight = Pixels(kStatusBarHeightTwips);
  statusBar_->setGeometry(0, height() - statusHeight, width(), statusHeight);
}

void DeepwashWindow::SetTabOrder() {
  QWidget* previous = nullptr;
  for (const std::string_view name : DeepwashTabOrder()) {
    auto* widget = findChild<QWidget*>(Text(name));
    if (widget == nullptr) continue;
    if (previous != nullptr) QWidget::setTabOrder(previous, widget);
    previous = widget;
  }
}

void DeepwashWindow::Bind(DeepwashSelection& selection) {
  selection_ = &selection;
  for (const Category& entry : CatalogueEntries()) ShowValue(entry.id, selection.CheckValue(entry.id));
}

void DeepwashWindow::OnBoxClicked(CategoryId id) {
  if (selection_ == nullptr) {
    ShowValue(id, 0);
    return;
  }
  // A click checks a box that was unchecked or greyed and clears one that
  // was checked; Qt's own next state for a greyed box is not asked.
  const int value = selection_->CheckValue(id) == 1 ? 0 : 1;
  selection_->SetValue(id, value);
  ShowValue(id, selection_->CheckValue(id));
}

void DeepwashWindow::OnCommand(DeepwashCommand command) {
  // Done works before the window is bound; the presets need the selection.
  if (command != DeepwashCommand::Done && selection_ == nullptr) return;
  switch (command) {
    case DeepwashCommand::SelectAll:
      selection_->SelectAll();
      break;
    case DeepwashCommand::Safest:
      selection_->Safest();
      break;
    case DeepwashCommand::SelectNone:
      selection_->SelectNone();
      break;
    case DeepwashCommand::Done:
      Finish();
      break;
  }
}

void DeepwashWindow::ShowValue(CategoryId id, int value) {
  QCheckBox* box = CheckBox(id);
  const QSignalBlocker blocker(box);
  box->setTristate(value == 2);
  box->setCheckState(CheckStateOf(value));
}

void DeepwashWindow::CheckValueChanged(CategoryId id, int value) { ShowValue(id, value); }

void DeepwashWindow::SetStatusText(std::string_view text) {
  // The warning texts break their paragraphs with carriage returns, and the
  // status line keeps the first 90 characters of a warning as they are; on
  // one line each line break shows as a blank. Only a whole line the
  // catalogue holds is translated ("WARNINGS: None."): a cut warning stays
  // as it is rather than mix two languages.
  QString line = Shown(text);
  line.replace(QLatin1Char('\r'), QLatin1Char(' '));
  line.replace(QLatin1Char('\n'), QLatin1Char(' '));
  statusBar_->showMessage(line);
}

MessageAnswer DeepwashWindow::ShowMessage(const Message& message) {
  return messageBoxes_.ShowMessage(message);
}

void DeepwashWindow::Finish() {
  // The window onDone shows comes up before this one goes, so there is no
  // moment without a visible window.
  if (onDone) onDone();
  hide();
}

void DeepwashWindow::closeEvent(QCloseEvent* event) {
  // The close box works as Done. The event is accepted, which only hides a
  // window without WA_DeleteOnClose: the widgets and the selection stay.
  // Refusing it would also refuse the application's quit(), which closes
  // every window first. onDone runs before Qt hides this window, so the
  // window it shows keeps the application from counting as closed.
  QWidget::closeEvent(event);
  if (onDone) onDone();
}

}  // namespace tidewell::ui
