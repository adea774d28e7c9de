// The program's arguments and its command line as one text.
#include "platform/process_facts.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace tidewell::platform {
namespace {

TEST(ProgramArguments, LeaveOutTheProgramsNameAndKeepEachArgumentWhole) {
  char name[] = "tidewell";
  char unattended[] = "/U";
  char spaced[] = "a b";
  char empty[] = "";
  char* argv[] = {name, unattended, spaced, empty, nullptr};
  EXPECT_EQ(ProgramArguments(4, argv), (std::vector<std::string>{"/U", "a b", ""}));
  EXPECT_TRUE(ProgramArguments(1, argv).empty());
}

TEST(CommandLineText, JoinsTheArgumentsWithSingleBlanks) {
  EXPECT_EQ(CommandLineText({"/U", "/I"}), "/U /I");
  EXPECT_EQ(CommandLineText({"/U", "", "/I"}), "/U  /I");
  EXPECT_EQ(CommandLineText({}), "");
}

}  // namespace
}  // namespace tidewell::platform
