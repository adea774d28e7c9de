// A folder's listing under signals: the kernel ends a listing read early
// whenever a signal is pending for the reading thread, so a listing that took
// a read with room left for its end would lose most of a large folder to a
// stop and continue (Ctrl+Z then fg), a debugger or a timer. Each case lists
// a folder of many thousands of names while signals arrive, and checks that
// every name comes exactly once.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "platform/virtual_file_system.h"
#include "tests/support/temp_drive.h"

namespace tidewell::platform {
namespace {

using tidewell::testing::TestWorld;

constexpr int kNames = 60000;
// Each kind of signal gets this many listings: one listing in a storm is
// cut on old code nearly always; a few make it certain.
constexpr int kListings = 3;

void Ignore(int) {}

// Installs an empty handler with SA_RESTART for `signal` (or ignores it),
// and puts the old disposition back at the end.
class ScopedHandler {
 public:
  ScopedHandler(int signal, bool ignore) : signal_(signal) {
    struct sigaction action {};
    action.sa_handler = ignore ? SIG_IGN : Ignore;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(signal_, &action, &old_);
  }
  ~ScopedHandler() { sigaction(signal_, &old_, nullptr); }

 private:
  int signal_;
  struct sigaction old_ {};
};

class ListingUnderSignals : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    world_ = new TestWorld();
    // Names of the longest kind mixed in, so that reads end on entries of
    // every size.
    const std::string root = world_->Drive('C').Host("MANY");
    mkdir(root.c_str(), 0755);
    for (int i = 0; i < kNames; ++i) {
      char name[64];
      std::snprintf(name, sizeof name, i % 7 == 0 ? "/%06d-a-rather-longer-name-of-a-file.tmp" : "/%06d.tmp", i);
      const int fd = open((root + name).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
      ASSERT_GE(fd, 0) << name;
      close(fd);
    }
  }
  static void TearDownTestSuite() {
    delete world_;
    world_ = nullptr;
  }

  // Lists C:\MANY\ on this thread; every name read, in order.
  static std::vector<std::string> ListMany() {
    std::vector<std::string> names;
    names.reserve(kNames);
    FolderReader reader;
    EXPECT_FALSE(world_->files.OpenFolder("C:\\MANY\\", reader));
    FolderEntry entry;
    while (reader.Next(entry)) names.push_back(entry.name);
    return names;
  }

  // Every name exactly once.
  static void ExpectEachNameOnce(std::vector<std::string> names, const char* what) {
    const std::size_t read = names.size();
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    EXPECT_EQ(read, names.size()) << what << ": names listed more than once";
    EXPECT_EQ(names.size(), static_cast<std::size_t>(kNames)) << what << ": names missing";
  }

  // Lists the folder kListings times while another thread sends `signal` to
  // this one as fast as it can.
  static void ListInStormOf(int signal, const char* what) {
    const pthread_t reader = pthread_self();
    std::atomic<bool> done{false};
    std::atomic<long> sent{0};
    std::thread storm([&] {
      while (!done.load()) {
        pthread_kill(reader, signal);
        sent.fetch_add(1);
      }
    });
    for (int i = 0; i < kListings; ++i) ExpectEachNameOnce(ListMany(), what);
    done = true;
    storm.join();
    EXPECT_GT(sent.load(), 0);
  }

  static TestWorld* world_;
};

TestWorld* ListingUnderSignals::world_ = nullptr;

TEST_F(ListingUnderSignals, AListingWithoutSignalsHasEveryName) {
  ExpectEachNameOnce(ListMany(), "no signal");
}

TEST_F(ListingUnderSignals, AStormOfHandledSignalsLosesNoName) {
  const ScopedHandler handler(SIGUSR1, false);
  ListInStormOf(SIGUSR1, "SIGUSR1 storm");
}

TEST_F(ListingUnderSignals, TerminalStopsHandledOrIgnoredLoseNoName) {
  {
    const ScopedHandler handler(SIGTSTP, false);
    ListInStormOf(SIGTSTP, "SIGTSTP with a handler");
  }
  {
    const ScopedHandler ignored(SIGTSTP, true);
    ListInStormOf(SIGTSTP, "SIGTSTP ignored");
  }
}

TEST_F(ListingUnderSignals, ATimerSignalToTheReadingThreadLosesNoName) {
  const ScopedHandler handler(SIGALRM, false);
  sigevent event{};
  event.sigev_notify = SIGEV_THREAD_ID;
  event.sigev_signo = SIGALRM;
  event._sigev_un._tid = static_cast<pid_t>(syscall(SYS_gettid));
  timer_t timer{};
  ASSERT_EQ(timer_create(CLOCK_MONOTONIC, &event, &timer), 0);
  itimerspec every{};
  every.it_value.tv_nsec = 20000;
  every.it_interval.tv_nsec = 20000;  // 50,000 a second
  ASSERT_EQ(timer_settime(timer, 0, &every, nullptr), 0);
  for (int i = 0; i < kListings; ++i) ExpectEachNameOnce(ListMany(), "timer signal");
  timer_delete(timer);
}

// A child stops and continues this process over and over while it lists:
// what Ctrl+Z then fg, or a debugger attaching, does. The child always sends
// the last SIGCONT, ends with this process (PR_SET_PDEATHSIG) and is ended
// by SIGTERM.
TEST_F(ListingUnderSignals, StopAndContinueLoseNoName) {
  const pid_t self = getpid();
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    sigset_t terminate;
    sigemptyset(&terminate);
    sigaddset(&terminate, SIGTERM);
    sigprocmask(SIG_BLOCK, &terminate, nullptr);
    const timespec pause{0, 200000};
    for (;;) {
      kill(self, SIGSTOP);
      nanosleep(&pause, nullptr);
      kill(self, SIGCONT);
      sigset_t pending;
      sigpending(&pending);
      if (sigismember(&pending, SIGTERM) || getppid() != self) _exit(0);
      nanosleep(&pause, nullptr);
    }
  }
  for (int i = 0; i < kListings; ++i) ExpectEachNameOnce(ListMany(), "SIGSTOP and SIGCONT");
  kill(child, SIGTERM);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status)) << "the stopping child did not end by itself";
}

}  // namespace
}  // namespace tidewell::platform
