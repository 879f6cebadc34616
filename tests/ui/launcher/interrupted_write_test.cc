// The built program interrupted while it writes a file: the signal comes at
// several points of the write, and the program must leave the old file as it
// was, no temporary file beside it, and exit with 128 plus the signal.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_descriptor.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wait.h"

namespace tarnel {
namespace {

using testing_support::BackgroundChild;
using testing_support::TempDir;
using testing_support::WaitUntil;

constexpr char kProgram[] = TARNEL_PROGRAM_PATH;
constexpr char kOldText[] = "the old contents\n";

// Where in the write the signal comes.
enum class Point {
  kCreated,     // the temporary file is there, still empty
  kFirstPiece,  // the first piece of the text reached it
  kMegabytes,   // several megabytes reached it
};

struct InterruptCase {
  const char* name;
  int signal_number;
  Point point;
};

void PrintTo(const InterruptCase& c, std::ostream* out) { *out << c.name; }

// The size of the temporary file in |folder|; none while there is none.
std::optional<std::uintmax_t> TemporarySize(const TempDir& folder) {
  for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
    if (entry.path().filename().string().starts_with(".out.txt.tarnel-")) {
      std::error_code error;
      const std::uintmax_t size = entry.file_size(error);
      return error ? 0 : size;
    }
  }
  return std::nullopt;
}

bool Reached(const TempDir& folder, Point point) {
  const std::optional<std::uintmax_t> size = TemporarySize(folder);
  if (!size) return false;
  switch (point) {
    case Point::kCreated:
      return true;
    case Point::kFirstPiece:
      return *size > 0;
    case Point::kMegabytes:
      return *size >= (8u << 20);
  }
  return false;
}

class InterruptedWriteTest : public ::testing::TestWithParam<InterruptCase> {
 protected:
  static void SetUpTestSuite() {
    // About 60 MB of lines in no order, so that writing the result takes
    // many pieces.
    input_ = new TempDir;
    std::string text;
    text.reserve(64u << 20);
    std::uint64_t state = 88172645463325252u;
    for (int i = 0; i < 2000000; ++i) {
      state ^= state << 13;
      state ^= state >> 7;
      state ^= state << 17;
      text += std::to_string(state) + ",some text of the line," +
              std::to_string(i) + "\n";
    }
    input_->Write("in.txt", text);
  }
  static void TearDownTestSuite() {
    delete input_;
    input_ = nullptr;
  }

  static TempDir* input_;
};

TempDir* InterruptedWriteTest::input_ = nullptr;

TEST_P(InterruptedWriteTest, LeavesTheOldFileAndNoTemporaryFile) {
  const InterruptCase& c = GetParam();
  TempDir folder;
  folder.Write("out.txt", kOldText);
  FileDescriptor changes(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
  ASSERT_GE(changes.get(), 0);
  ASSERT_GE(::inotify_add_watch(changes.get(), folder.path().c_str(),
                                IN_CREATE | IN_MODIFY),
            0);
  BackgroundChild program(
      {kProgram, "-a+", "-f", input_->path() + "/in.txt", "-o",
       folder.path() + "/out.txt"},
      {std::nullopt,
       {{"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt}},
       folder.path()});
  ASSERT_TRUE(program.Started());
  const testing_support::WakeUp changed{
      changes.get(), [&] {
        char events[4096];
        bool any = false;
        while (::read(changes.get(), events, sizeof events) > 0) {
          any = true;
        }
        return any;
      }};
  ASSERT_TRUE(
      WaitUntil([&] { return Reached(folder, c.point) || !program.Running(); },
                {changed, program.Ended()}, std::chrono::seconds(60)));
  ASSERT_TRUE(program.Running()) << "the run ended before the signal";
  ASSERT_EQ(::kill(program.pid(), c.signal_number), 0);
  const std::optional<int> status = program.Wait(std::chrono::seconds(30));
  ASSERT_TRUE(status.has_value());
  ASSERT_TRUE(WIFEXITED(*status)) << "ended by signal " << WTERMSIG(*status);
  EXPECT_EQ(WEXITSTATUS(*status), 128 + c.signal_number);
  EXPECT_EQ(folder.Read("out.txt"), kOldText);
  EXPECT_EQ(TemporarySize(folder), std::nullopt) << "temporary file left";
}

INSTANTIATE_TEST_SUITE_P(
    Signals, InterruptedWriteTest,
    ::testing::Values(
        InterruptCase{"IntOnCreation", SIGINT, Point::kCreated},
        InterruptCase{"TermOnFirstPiece", SIGTERM, Point::kFirstPiece},
        InterruptCase{"HupOnFirstPiece", SIGHUP, Point::kFirstPiece},
        InterruptCase{"IntAfterMegabytes", SIGINT, Point::kMegabytes},
        InterruptCase{"TermAfterMegabytes", SIGTERM, Point::kMegabytes},
        InterruptCase{"HupOnCreation", SIGHUP, Point::kCreated}),
    [](const auto& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace tarnel
