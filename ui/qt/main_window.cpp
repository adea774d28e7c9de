#include "ui/qt/main_window.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

#include <cstdlib>

#include "settings/main_options.h"
#include "ui/qt/animation_player.h"
#include "ui/qt/caption_fit.h"
#include "ui/qt/layout_fonts.h"
#include "ui/qt/title_layer.h"
#include "ui/qt/translated_text.h"
#include "ui/qt/twips.h"
#include "ui/qt/window_style.h"

namespace tidewell::ui {
namespace {

QRect Place(int left, int top, int width, int height) { return ToPixels(TwipsRect{left, top, width, height}); }

QFont Font(const char* face, double points, bool bold = false, bool italic = false) {
  return LayoutFont(QString::fromLatin1(face), points, bold, italic);
}

// The title's highlight layer: the button-highlight colour, or, where that
// colour is too close to the window's background to be seen (a light theme
// whose highlight is white on near-white), the theme's selection highlight.
QColor TitleHighlightColour(const QPalette& system) {
  constexpr int kLeastVisibleDifference = 32;  // of 255 levels of lightness
  const QColor light = system.color(QPalette::Light);
  if (std::abs(light.lightness() - system.color(QPalette::Window).lightness()) >= kLeastVisibleDifference) return light;
  return system.color(QPalette::Highlight);
}

template <typename Widget>
Widget* Make(QWidget* parent, const char* name, const QRect& place, const char* tooltip = nullptr) {
  auto* widget = new Widget(parent);
  widget->setObjectName(QString::fromLatin1(name));
  widget->setGeometry(place);
  if (tooltip != nullptr) widget->setToolTip(Shown(tooltip));
  return widget;
}

QAction* AddEntry(QMenu* menu, const char* name, const char* caption, const QKeySequence& shortcut) {
  QAction* action = menu->addAction(Shown(caption));
  action->setObjectName(QString::fromLatin1(name));
  if (!shortcut.isEmpty()) action->setShortcut(shortcut);
  // Shortcuts work while the window has the focus, menus closed or open.
  action->setShortcutContext(Qt::WindowShortcut);
  return action;
}

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Tidewell"));
  // The classic dialog font at 8.25 pt where the layout names none: the
  // captions' widths were measured with it; a larger font would cut them.
  setFont(LayoutFont(QStringLiteral("MS Sans Serif"), 8.25));
  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("client"));
  client->setFixedSize(ToPixels(kClientWidthTwips, kStatusBarTopTwips));
  setCentralWidget(client);
  BuildControls(client);
  BuildMenus();
  UseWindowStyle(*this);
  // A fixed single border: the user cannot resize the window.
  layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void MainWindow::BuildControls(QWidget* client) {
  const QPalette system = palette();
  auto* line1 = Make<QFrame>(client, "Line1", Place(0, 0, 4200, 15));
  line1->setFrameShape(QFrame::HLine);
  line1->setStyleSheet(QStringLiteral("color: %1").arg(system.color(QPalette::Dark).name()));
  auto* line2 = Make<QFrame>(client, "Line2", Place(0, 15, 4200, 15));
  line2->setFrameShape(QFrame::HLine);
  line2->setStyleSheet(QStringLiteral("color: %1").arg(system.color(QPalette::Light).name()));

  // Three stacked labels make one shadowed title: the highlight (Label1)
  // lowest, then the bold one, and Label3 on top, offset by one pixel each.
  // Each layer places its letters where the regular face puts them, so the
  // bold layer's letters stay under the others'.
  const char* names[3] = {"Label1", "Label2", "Label3"};
  for (int i = 0; i < 3; ++i) {
    title[i] = Make<TitleLayer>(client, names[i], Place(105 + 15 * i, 105 + 15 * i, 3855, 705),
                                "Thank you for using Tidewell");
    title[i]->setText(QString::fromLatin1(names[i]));
    title[i]->setFont(Font("Times New Roman", 27.75, i == 1, true));
  }
  QPalette highlight = title[0]->palette();
  highlight.setColor(QPalette::WindowText, TitleHighlightColour(system));
  title[0]->setPalette(highlight);
  QPalette shadow = title[1]->palette();
  shadow.setColor(QPalette::WindowText, system.color(QPalette::Dark));
  title[1]->setPalette(shadow);

  label6 = Make<QLabel>(client, "Label6", Place(2730, 645, 510, 210));
  label6->setText(QStringLiteral("Label6"));
  label6->setFont(Font("Arial", 8.25, false, true));
  QPalette grey = label6->palette();
  grey.setColor(QPalette::WindowText, system.color(QPalette::Disabled, QPalette::WindowText));
  label6->setPalette(grey);

  label4 = Make<QLabel>(client, "Label4", Place(120, 840, 3855, 255), "Don't waste space! Use Tidewell!");
  label4->setText(QStringLiteral("Label4"));
  label4->setFont(Font("Arial", 9.75, true));
  label5 = Make<QLabel>(client, "Label5", Place(120, 1200, 3855, 615));
  label5->setText(QStringLiteral("Label5"));
  label5->setFont(Font("Arial", 8.25));
  label5->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label5->setCursor(Qt::PointingHandCursor);
  label5->installEventFilter(this);

  animation = Make<AnimationPlayer>(client, "Animation1", Place(120, 1980, 735, 615),
                                    "Cool animation to let you know Tidewell is working");
  progressBar = Make<QProgressBar>(client, "ProgressBar1", Place(840, 2040, 3015, 495),
                                   "Tidewell's progress is shown here");
  progressBar->setRange(0, 100);
  progressBar->setValue(0);
  progressBar->setTextVisible(false);

  cleanButton = Make<QPushButton>(client, "Command1", Place(240, 2760, 1695, 675),
                                  "Click here to reclaim wasted hard disk space");
  cleanButton->setText(Shown("&Clean HD"));
  exitButton = Make<QPushButton>(client, "Command2", Place(2160, 2760, 1695, 675),
                                 "Click here to EXIT Tidewell and return to Windows");
  exitButton->setText(Shown("E&xit"));

  frame = Make<QGroupBox>(client, "Frame1", Place(240, 3600, 3615, 1575));
  frame->setTitle(Shown("Controls"));

  struct BoxPlace {
    int index;
    bool inFrame;
    QRect place;
    const char* tooltip;
  };
  const BoxPlace boxes[] = {
      {1, true, Place(120, 240, 1815, 195), "Click here to make Tidewell automatically exit when done"},
      {2, true, Place(2040, 240, 1455, 195),
       "Click here to make Tidewell invisible until it's finished cleaning your HD"},
      {3, true, Place(120, 480, 1935, 195),
       "Click here to run Tidewell fastest (may prevent other programs from running until Tidewell is finished)"},
      {4, false, Place(2280, 4080, 1455, 195), "Click here to have Tidewell track space gains"},
      {5, true, Place(120, 720, 1695, 195), "Click here to automatically clean all disk drives in your system"},
      {6, false, Place(2280, 4320, 1455, 195),
       "Click here to have Tidewell create a report that shows which files will be deleted"},
  };
  for (const BoxPlace& box : boxes) {
    const std::string name = "Check1_" + std::to_string(box.index);
    QCheckBox* check = Make<QCheckBox>(box.inFrame ? static_cast<QWidget*>(frame) : client, name.c_str(),
                                       box.place, box.tooltip);
    const std::string_view caption = MainOptionEntries()[static_cast<std::size_t>(box.index - 1)].caption;
    check->setText(Shown(caption));
    check1[static_cast<std::size_t>(box.index)] = check;
  }
  // The two boxes of the frame's second column lie over the frame.
  check1[4]->raise();
  check1[6]->raise();

  driveList = Make<QComboBox>(frame, "Drive1", Place(120, 1080, 1815, 315),
                              "Click here to select a different disk drive");
  deepwashButton = Make<QPushButton>(frame, "Command3", Place(2040, 960, 1455, 495),
                                     "Click here to increase Tidewell's scrubbing power");
  deepwashButton->setText(Shown("&Deepwash"));

  statusLine = new QStatusBar(this);
  statusLine->setObjectName(QStringLiteral("StatusBar1"));
  statusLine->setToolTip(Shown("Status messages are displayed here"));
  statusLine->setFixedHeight(Pixels(kClientHeightTwips - kStatusBarTopTwips));
  statusLine->setSizeGripEnabled(false);
  statusText = new QLabel(statusLine);
  statusText->setObjectName(QStringLiteral("StatusText"));
  statusLine->addWidget(statusText, 1);
  setStatusBar(statusLine);

  // Command1, Command2, Check1 1 to 6, Drive1, Command3.
  QWidget* order[] = {cleanButton, exitButton, check1[1], check1[2], check1[3], check1[4],
                      check1[5], check1[6], driveList, deepwashButton};
  for (std::size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
  cleanButton->setFocus();
}

void MainWindow::FitCaptions() {
  // The title's layers shrink together, as far as the widest (bold) one
  // needs, so their letters stay over each other.
  FitCaption(*title[1]);
  for (QLabel* layer : {title[0], title[2]}) {
    QFont font = layer->font();
    font.setPointSizeF(title[1]->font().pointSizeF());
    layer->setFont(font);
  }
  for (QWidget* caption : {static_cast<QWidget*>(label4), static_cast<QWidget*>(label5),
                           static_cast<QWidget*>(label6)}) {
    FitCaption(*caption);
  }
  for (const RunOption option : kMainWindowOptions) FitCaption(*BoxOf(option));
}

void MainWindow::BuildMenus() {
  QMenuBar* bar = menuBar();
  fileMenu = bar->addMenu(Shown("&File"));
  fileMenu->setObjectName(QStringLiteral("FileMenu"));
  cleanAction = AddEntry(fileMenu, "CleanHDmenu", "&Clean HD", QKeySequence(Qt::CTRL | Qt::Key_C));
  fileMenu->addSeparator();
  deleteReportAction = AddEntry(fileMenu, "DeleteReportMenu", "Delete &Report", QKeySequence(Qt::Key_Delete));
  deleteLogAction = AddEntry(fileMenu, "DeleteLogMenu", "Delete &Log", QKeySequence(Qt::SHIFT | Qt::Key_Delete));
  fileMenu->addSeparator();
  exitAction = AddEntry(fileMenu, "ExitMenu", "E&xit", QKeySequence(Qt::CTRL | Qt::Key_Q));

  viewMenu = bar->addMenu(Shown("&View"));
  viewMenu->setObjectName(QStringLiteral("ViewMenu"));
  infoAction = AddEntry(viewMenu, "InfoMenu", "&Info", QKeySequence(Qt::CTRL | Qt::Key_I));
  reportAction = AddEntry(viewMenu, "ReportMenu", "&Report", QKeySequence(Qt::CTRL | Qt::Key_R));
  logAction = AddEntry(viewMenu, "LogMenu", "&Log", QKeySequence(Qt::CTRL | Qt::Key_L));
  viewMenu->addSeparator();
  figuresAction =
      AddEntry(viewMenu, "FiguresMenu", "&Figures by Category", QKeySequence(Qt::CTRL | Qt::Key_F));
  figuresAction->setEnabled(false);

  optionsMenu = bar->addMenu(Shown("&Options"));
  optionsMenu->setObjectName(QStringLiteral("OptionsMenu"));
  deepwashAction = AddEntry(optionsMenu, "DeepwashMenu", "&Deepwash ...", QKeySequence(Qt::CTRL | Qt::Key_G));
  drivesAction = AddEntry(optionsMenu, "DrivesMenu", "D&rives...", QKeySequence(Qt::CTRL | Qt::Key_D));

  helpMenu = bar->addMenu(Shown("&Help"));
  helpMenu->setObjectName(QStringLiteral("HelpMenu"));
  aboutAction = AddEntry(helpMenu, "AboutMenu", "&About Tidewell", QKeySequence(Qt::Key_F1));
  helpMenu->addSeparator()->setObjectName(QStringLiteral("D"));
  documentationAction = AddEntry(helpMenu, "DocumentationMenu", "&Documentation", QKeySequence(Qt::Key_F4));
  techSupportAction = AddEntry(helpMenu, "TechSupportMenu", "&Tech Support", QKeySequence(Qt::Key_F5));
  tipsAction = AddEntry(helpMenu, "TipsMenu", "T&ips", QKeySequence(Qt::Key_F6));
  updateHistoryAction = AddEntry(helpMenu, "UpdateHistoryMenu", "&Update History", QKeySequence(Qt::Key_F7));
  helpMenu->addSeparator()->setObjectName(QStringLiteral("E"));
  webUpdateAction = AddEntry(helpMenu, "WebUpdateMenu", "&WEB UPDATE", QKeySequence(Qt::Key_F8));
  helpMenu->addSeparator()->setObjectName(QStringLiteral("F"));
  uninstallAction = AddEntry(helpMenu, "UninstallTidewellMenu", "&Uninstall Tidewell", QKeySequence(Qt::Key_F12));
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (onCloseRequested) {
    event->ignore();
    onCloseRequested();
    return;
  }
  QMainWindow::closeEvent(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == label5 && event->type() == QEvent::MouseButtonRelease && onSupportLabelClicked) {
    onSupportLabelClicked();
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace tidewell::ui
