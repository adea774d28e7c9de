// tidewell-cli: the console front end (see console_program.h).
#include <cstdio>
#include <string_view>
#include <vector>

#include "cli/console_program.h"

int main(int argc, char** argv) {
  std::vector<std::string_view> arguments(argv + 1, argv + argc);
  return tidewell::cli::RunConsole(arguments, stdout, stderr);
}
