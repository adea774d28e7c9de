// The main window Form1: the banner, the six run options, the drive list,
// the three buttons, the feedback controls (status line, progress bar,
// working animation) and the menu bar, laid out in twips at 15 twips per
// pixel. This class only builds the widgets and hands them out; what they do
// is wired by DesktopProgram.
#pragma once

#include <QMainWindow>

#include <array>
#include <functional>

#include "settings/run_options.h"

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QStatusBar;

namespace tidewell::ui {

class AnimationPlayer;

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainWindow(QWidget* parent = nullptr);

  // The client area above the status bar, and the status bar's height.
  static constexpr int kClientWidthTwips = 4095;
  static constexpr int kClientHeightTwips = 5670;
  static constexpr int kStatusBarTopTwips = 5295;

  QLabel* title[3];       // Label1 (highlight), Label2 (bold shadow), Label3: TitleLayers
  QLabel* label4;         // the banner line
  QLabel* label5;         // the support notice, clickable
  QLabel* label6;         // the build number
  AnimationPlayer* animation;
  QProgressBar* progressBar;
  QPushButton* cleanButton;     // Command1
  QPushButton* exitButton;      // Command2
  QPushButton* deepwashButton;  // Command3
  QGroupBox* frame;             // Frame1 "Controls"
  std::array<QCheckBox*, 7> check1{};  // index 1 to 6
  // The box of one of the six main options: Check1(n), n being the option's
  // number.
  QCheckBox* BoxOf(RunOption option) const { return check1.at(static_cast<std::size_t>(option)); }
  QComboBox* driveList;         // Drive1
  QStatusBar* statusLine;       // StatusBar1
  QLabel* statusText;           // its one line of text (menus' tips never clear it)

  QMenu* fileMenu;
  QMenu* viewMenu;
  QMenu* optionsMenu;
  QMenu* helpMenu;
  QAction* cleanAction;         // CleanHDmenu
  QAction* deleteReportAction;  // DeleteReportMenu
  QAction* deleteLogAction;     // DeleteLogMenu
  QAction* exitAction;          // ExitMenu
  QAction* infoAction;          // InfoMenu
  QAction* reportAction;        // ReportMenu
  QAction* logAction;           // LogMenu
  QAction* figuresAction;       // FiguresMenu: greyed until a run has ended a drive
  QAction* deepwashAction;      // DeepwashMenu
  QAction* drivesAction;        // DrivesMenu: Options > Drives...
  QAction* aboutAction;         // AboutMenu
  QAction* documentationAction; // DocumentationMenu
  QAction* techSupportAction;   // TechSupportMenu
  QAction* tipsAction;          // TipsMenu
  QAction* updateHistoryAction; // UpdateHistoryMenu
  QAction* webUpdateAction;     // WebUpdateMenu
  QAction* uninstallAction;     // UninstallTidewellMenu

  // Shrinks the font of any caption that does not fit its control (a
  // substitute font wider than the one the layout was measured with); see
  // ui/caption_fit.h. Called once the captions are set.
  void FitCaptions();

  // Called when the user closes the window (the close box); the program
  // ends there. Without it the window just closes.
  std::function<void()> onCloseRequested;
  // Called when the support label is clicked.
  std::function<void()> onSupportLabelClicked;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls(QWidget* client);
  void BuildMenus();
};

}  // namespace tidewell::ui
