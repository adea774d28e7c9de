// Stop requests: the first sets the flag, the second ends the process. Each
// case runs in a child process of its own, since the flag and the handlers
// belong to the whole process.
#include "platform/interrupts.h"

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <gtest/gtest.h>

namespace tidewell::platform {
namespace {

// Exit codes of the child for what went wrong before the end it should reach.
constexpr int kFlagSetTooEarly = 3;
constexpr int kFirstRequestNotNoticed = 4;
constexpr int kSecondRequestSurvived = 5;

// Runs `body` in a child and returns its wait status.
template <typename Body>
int StatusOfChild(Body body) {
  const pid_t child = fork();
  if (child == 0) _exit(body());
  int status = 0;
  EXPECT_EQ(waitpid(child, &status, 0), child);
  return status;
}

TEST(Interrupts, AFirstRequestSetsTheFlagAndASecondEndsTheProcess) {
  for (const int signal : {SIGINT, SIGTERM}) {
    const int status = StatusOfChild([signal] {
      InstallInterruptHandlers();
      if (InterruptRequested()) return kFlagSetTooEarly;
      std::raise(signal);
      if (!InterruptRequested()) return kFirstRequestNotNoticed;
      std::raise(signal == SIGINT ? SIGTERM : SIGINT);  // either kind counts as the second
      return kSecondRequestSurvived;
    });
    ASSERT_TRUE(WIFSIGNALED(status)) << "signal " << signal << ": exited with " << WEXITSTATUS(status);
    EXPECT_EQ(WTERMSIG(status), signal == SIGINT ? SIGTERM : SIGINT);
  }
}

}  // namespace
}  // namespace tidewell::platform
