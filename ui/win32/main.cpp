// tidewell.exe: the desktop program's Win32 front end. Its entry only
// prepares the common controls and creates the program; the start-up
// sequence does the rest (see desktop_program.h).
#include <windows.h>
#include <commctrl.h>

#include "engine/run_context.h"
#include "platform/process_facts.h"
#include "ui/win32/desktop_program.h"
#include "ui/win32/message_boxes.h"

int main(int argc, char** argv) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_ANIMATE_CLASS |
                                                     ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  tidewell::ui::win32::Win32MessageBoxes boxes;
  tidewell::ui::win32::DesktopEnvironment environment;
  environment.commandLine =
      tidewell::platform::CommandLineText(tidewell::platform::ProgramArguments(argc, argv));
  tidewell::ui::win32::DesktopProgram program(boxes, std::move(environment));
  boxes.SetOwner(program.Main().Handle());
  if (!program.Start()) return 0;  // another copy is running
  return program.Run();
}
