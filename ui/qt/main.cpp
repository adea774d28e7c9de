// tidewell: the desktop program. Its entry only creates the application and
// the program; the start-up sequence does the rest (see desktop_program.h).
#include <QApplication>
#include <QIcon>

#include "platform/process_facts.h"
#include "ui/qt/desktop_program.h"
#include "ui/qt/qt_message_boxes.h"

int main(int argc, char** argv) {
  // First, while the program is one thread, before Qt starts its own
  // (process_facts.h).
  tidewell::platform::RaiseOpenFileLimit();
  QApplication application(argc, argv);
  application.setApplicationName(QStringLiteral("Tidewell"));
  // The installed desktop entry and icon share this name: the desktop ties
  // the running window to its menu entry, and the windows take the icon
  // from the theme (none when the program runs uninstalled).
  application.setDesktopFileName(QStringLiteral("org.tidewell.Tidewell"));
  application.setWindowIcon(QIcon::fromTheme(QStringLiteral("org.tidewell.Tidewell")));
  tidewell::ui::QtMessageBoxes boxes;
  tidewell::ui::DesktopEnvironment environment;
  environment.commandLine =
      tidewell::platform::CommandLineText(tidewell::platform::ProgramArguments(argc, argv));
  tidewell::ui::DesktopProgram program(boxes, std::move(environment));
  if (!program.Start()) return 0;  // another copy is running
  return application.exec();
}
