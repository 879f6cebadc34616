// The run handler's engine call: the engine works on a thread of its own,
// the window thread keeps serving events meanwhile, and every box and every
// clipboard call of the run happens on the window thread.
#include "ui/logic/off_thread_run.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "engine/run_sort.h"
#include "platform/memory.h"
#include "platform/service.h"
#include "platform/testing/fake_clipboard.h"
#include "platform/testing/recording_message_boxes.h"
#include "tests/support/temp_dir.h"

namespace tarnel {
namespace {

using testing_support::TempDir;

bool OnWindowThread() {
  return QThread::currentThread() == QApplication::instance()->thread();
}

// Where the engine allocated its line table: tells which thread ran it.
bool line_table_on_window_thread = true;
bool RecordLineTableThread(AllocationSite site, std::size_t) {
  if (site == AllocationSite::kLineTable) {
    line_table_on_window_thread = OnWindowThread();
  }
  return true;
}

// Passes every call on to the fake and notes whether it came on the window
// thread.
class ThreadCheckingClipboard : public Clipboard {
 public:
  explicit ThreadCheckingClipboard(Clipboard& inner) : inner_(inner) {}

  bool Open(WindowHandle owner) override { return Note(), inner_.Open(owner); }
  bool IsTextAvailable() override { return Note(), inner_.IsTextAvailable(); }
  GlobalBlock* GetText() override { return Note(), inner_.GetText(); }
  bool Empty() override { return Note(), inner_.Empty(); }
  bool SetText(GlobalBlock& block) override {
    return Note(), inner_.SetText(block);
  }
  void Close() override {
    Note();
    inner_.Close();
  }

  int calls = 0;
  int calls_off_window_thread = 0;

 private:
  void Note() {
    ++calls;
    if (!OnWindowThread()) ++calls_off_window_thread;
  }
  Clipboard& inner_;
  Installed<Clipboard> installed_{this};
};

class OffThreadRunTest : public testing::Test {
 protected:
  void SetUp() override {
    boxes_.on_show = [this](const RecordedBox&) {
      if (!OnWindowThread()) ++boxes_off_window_thread_;
    };
  }

  std::string Path(const char* name) const { return dir_ / name; }

  TempDir dir_;
  RecordingMessageBoxes boxes_;
  int boxes_off_window_thread_ = 0;
};

TEST_F(OffThreadRunTest, EngineRunsOffTheWindowThreadWhichKeepsServing) {
  // Enough lines for the run to take a while, so the timer gets its turns.
  std::mt19937 rng(7);
  std::vector<std::string> lines(300000);
  std::string text;
  for (std::string& line : lines) {
    line = std::to_string(rng()) + "," + std::to_string(rng() % 1000);
    text += line + "\n";
  }
  dir_.Write("in.txt", text);

  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
  timer.start(0);
  line_table_on_window_thread = true;
  const AllocationFilter previous = SetAllocationFilter(RecordLineTableThread);
  const std::string in = Path("in.txt");
  const std::string out = Path("out.txt");
  const std::int32_t result =
      RunSortOffThread({nullptr, 0, in.c_str(), out.c_str(), 0, kKeyColumn, 0});
  SetAllocationFilter(previous);
  timer.stop();

  EXPECT_EQ(result, 0);
  EXPECT_FALSE(line_table_on_window_thread);
  EXPECT_GT(ticks, 0) << "the window thread served no event during the run";
  EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"Finish!"});
  EXPECT_EQ(boxes_off_window_thread_, 0);

  std::sort(lines.begin(), lines.end());
  std::string expected;
  for (const std::string& line : lines) expected += line + "\r\n";
  EXPECT_EQ(dir_.Read("out.txt"), expected);
}

TEST_F(OffThreadRunTest, ErrorBoxesAreShownOnTheWindowThread) {
  const std::string missing = Path("missing.txt");
  const std::string out = Path("out.txt");
  const std::int32_t result = RunSortOffThread(
      {nullptr, 0, missing.c_str(), out.c_str(), 0, kKeyColumn, 0});
  EXPECT_EQ(result, -1);
  EXPECT_EQ(boxes_.Texts(),
            std::vector<std::string>{"File Open Error![" + missing + "]"});
  EXPECT_EQ(boxes_off_window_thread_, 0);
}

TEST_F(OffThreadRunTest, ClipboardIsUsedOnlyFromTheWindowThread) {
  FakeClipboard fake;
  fake.HoldText("b\na\n");
  ThreadCheckingClipboard checking(fake);
  const std::int32_t result =
      RunSortOffThread({nullptr, 0, nullptr, nullptr, 0, kKeyColumn, 1});
  EXPECT_EQ(result, 0);
  EXPECT_EQ(fake.text(), std::optional<std::string>("a\r\nb\r\n"));
  EXPECT_GT(checking.calls, 0);
  EXPECT_EQ(checking.calls_off_window_thread, 0);
  EXPECT_TRUE(boxes_.boxes.empty());
}

}  // namespace
}  // namespace tarnel
