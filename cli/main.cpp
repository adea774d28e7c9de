// tidewell-cli: the console front end (see console_program.h).
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "cli/console_program.h"
#include "platform/process_facts.h"
#include "platform/terminal.h"

int main(int argc, char** argv) {
  // First, while the program is one thread (process_facts.h).
  tidewell::platform::RaiseOpenFileLimit();
  tidewell::platform::PrepareConsoleOutput();
  const std::vector<std::string> arguments = tidewell::platform::ProgramArguments(argc, argv);
  const std::vector<std::string_view> words(arguments.begin(), arguments.end());
  return tidewell::cli::RunConsole(words, stdout, stderr);
}
