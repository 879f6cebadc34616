// The built clipboard holder refusing what is not a whole message: it ends
// with status 1 and says why, before it looks for a display, and it does not
// wait for ever on a launcher that has gone silent.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "tests/support/process.h"

namespace tarnel {
namespace {

using testing_support::ChildResult;
using testing_support::ChildSetup;
using testing_support::RunChild;

constexpr char kHolder[] = TARNEL_HOLDER_PATH;

ChildResult RunHolder(const std::string& input) {
  ChildSetup setup;
  setup.input = input;
  // A display would make no difference: refusals come before it is used.
  setup.env["DISPLAY"] = std::nullopt;
  setup.env["WAYLAND_DISPLAY"] = std::nullopt;
  return RunChild({kHolder}, setup, std::chrono::seconds(60));
}

TEST(ClipboardHolderTest, GarbageIsRefusedWithItsReason) {
  const ChildResult run = RunHolder("just some text\n");
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("message refused: no length line at the start"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(run.out, "");
}

TEST(ClipboardHolderTest, TextCutShortIsRefused) {
  const ChildResult run = RunHolder("100\nonly part of the text");
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("the text is cut short"), std::string::npos)
      << run.err;
}

TEST(ClipboardHolderTest, InvalidUtf8IsRefused) {
  const ChildResult run = RunHolder("2\n\x82\xa0");
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("not UTF-8"), std::string::npos) << run.err;
}

// The launcher keeps its end open and sends nothing after half a message:
// the holder gives up on its own (after kHolderReadTimeout) and never reports
// ownership.
TEST(ClipboardHolderTest, SilentLauncherIsGivenUpOn) {
  int channel[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, channel), 0);
  const int null_fd = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  ASSERT_GE(null_fd, 0);
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    ::dup2(channel[1], STDIN_FILENO);
    ::dup2(channel[1], STDOUT_FILENO);
    ::dup2(null_fd, STDERR_FILENO);
    ::execl(kHolder, kHolder, static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(channel[1]);
  ::close(null_fd);
  const std::string half = "10\nabc";
  ASSERT_EQ(::send(channel[0], half.data(), half.size(), MSG_NOSIGNAL),
            static_cast<ssize_t>(half.size()));

  const std::optional<int> status =
      testing_support::WaitForExit(pid, std::chrono::seconds(60));
  if (!status) ::kill(pid, SIGKILL);
  ASSERT_TRUE(status.has_value()) << "the holder is still waiting";
  EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 1) << *status;
  char report[16];
  EXPECT_EQ(::recv(channel[0], report, sizeof report, MSG_DONTWAIT), 0)
      << "the holder reported in";
  ::close(channel[0]);
}

}  // namespace
}  // namespace tarnel
