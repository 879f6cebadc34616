// Whole runs that take their text from the clipboard or deliver it there,
// with the in-memory clipboard standing in for the system one.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "core/result_block.h"
#include "engine/run_sort.h"
#include "platform/memory.h"
#include "platform/testing/fake_clipboard.h"
#include "platform/testing/recording_message_boxes.h"
#include "tests/support/temp_dir.h"

namespace tarnel {
namespace {

using testing_support::TempDir;

int owner_token;
WindowHandle const kOwner = &owner_token;

constexpr std::int32_t kAscending = 0;
constexpr std::int32_t kWholeLine = 0;
constexpr std::int32_t kColumnText = 1;

bool FailClipboardCopy(AllocationSite site, std::size_t) {
  return site != AllocationSite::kClipboardCopy;
}

class ClipboardRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    boxes_.on_show = [this](const RecordedBox&) {
      open_during_box_.push_back(clipboard_.is_open());
    };
  }
  void TearDown() override {
    SetAllocationFilter(nullptr);
    EXPECT_FALSE(clipboard_.is_open());
    EXPECT_EQ(clipboard_.open_count, clipboard_.close_count);
    EXPECT_EQ(clipboard_.misuse_count, 0);
    // The run releases its result block on every path.
    EXPECT_FALSE(hMem.valid());
    EXPECT_EQ(lpMem, nullptr);
  }

  void SortClipboard(std::uint8_t quiet = 0) {
    RunSort(kOwner, kAscending, nullptr, nullptr, kWholeLine, kColumnText,
            quiet);
  }

  RecordingMessageBoxes boxes_;
  FakeClipboard clipboard_;
  std::vector<bool> open_during_box_;
};

TEST_F(ClipboardRunTest, ClipboardToClipboardReplacesTextWithSortedLines) {
  clipboard_.HoldText("pear\r\napple\nfig\r\n");
  SortClipboard();
  EXPECT_EQ(clipboard_.text(), "apple\r\nfig\r\npear\r\n");
  EXPECT_EQ(LastResult, 0);
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0],
            (RecordedBox{kOwner, "Finish!", "TARNEL", kBoxPlain}));
  // One session to read, one to write, both for the run's owner window.
  EXPECT_EQ(clipboard_.open_count, 2);
  EXPECT_EQ(clipboard_.last_owner, kOwner);
}

TEST_F(ClipboardRunTest, LastLineWithoutLineBreakIsKeptAndGetsCrLf) {
  clipboard_.HoldText("b\na\nc");
  SortClipboard();
  EXPECT_EQ(clipboard_.text(), "a\r\nb\r\nc\r\n");
  EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"Finish!"});
}

TEST_F(ClipboardRunTest, QuietRunShowsNoBoxOnSuccess) {
  clipboard_.HoldText("2\n1\n");
  SortClipboard(/*quiet=*/1);
  EXPECT_EQ(clipboard_.text(), "1\r\n2\r\n");
  EXPECT_TRUE(boxes_.boxes.empty());
  EXPECT_EQ(LastResult, 0);
}

struct RunFailure {
  const char* name;
  void (*arrange)(FakeClipboard&);
  std::vector<std::string> boxes;
  // Whether the clipboard was open while each box was up.
  std::vector<bool> open_during_boxes;
  std::optional<std::string> left_on_clipboard;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const RunFailure& c, std::ostream* os) { *os << c.name; }

class ClipboardRunFailureTest
    : public ClipboardRunTest,
      public ::testing::WithParamInterface<RunFailure> {};

TEST_P(ClipboardRunFailureTest, EndsWithItsBoxesAndFailedResult) {
  const RunFailure& c = GetParam();
  c.arrange(clipboard_);
  SortClipboard();
  EXPECT_EQ(LastResult, -1);
  EXPECT_EQ(boxes_.Texts(), c.boxes);
  EXPECT_EQ(open_during_box_, c.open_during_boxes);
  EXPECT_EQ(clipboard_.text(), c.left_on_clipboard);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ClipboardRunFailureTest,
    ::testing::Values(RunFailure{"EmptyTextHasNoLine",
                                 [](FakeClipboard& c) { c.HoldText(""); },
                                 {"No Line!"},
                                 {false},
                                 ""},
                      RunFailure{"NothingOnClipboard",
                                 [](FakeClipboard& c) { c.HoldNothing(); },
                                 {"No Text in ClipBoard!"},
                                 {true},
                                 std::nullopt},
                      RunFailure{"PictureOnly",
                                 [](FakeClipboard& c) { c.HoldPicture(); },
                                 {"No Text in ClipBoard!"},
                                 {true},
                                 std::nullopt},
                      RunFailure{"OpenRefused",
                                 [](FakeClipboard& c) {
                                   c.HoldText("b\na\n");
                                   c.fail_open = true;
                                 },
                                 {"ClipBoard Open Error!"},
                                 {false},
                                 "b\na\n"},
                      RunFailure{"CopyNotAllocated",
                                 [](FakeClipboard& c) {
                                   c.HoldText("b\na\n");
                                   SetAllocationFilter(FailClipboardCopy);
                                 },
                                 {"hMem Error!", "Error-Finish!"},
                                 {false, false},
                                 "b\na\n"},
                      RunFailure{"EmptyRefused",
                                 [](FakeClipboard& c) {
                                   c.HoldText("b\na\n");
                                   c.fail_empty = true;
                                 },
                                 {"ClipBoard Empty Error!", "Error-Finish!"},
                                 {true, false},
                                 "b\na\n"},
                      RunFailure{"TextRefusedAfterEmptying",
                                 [](FakeClipboard& c) {
                                   c.HoldText("b\na\n");
                                   c.fail_set_text = true;
                                 },
                                 {"ClipBoard Write Error!", "Error-Finish!"},
                                 {true, false},
                                 std::nullopt}),
    [](const auto& case_info) { return std::string(case_info.param.name); });

// A file source lets the write meet a clipboard that refuses to open.
TEST_F(ClipboardRunTest, FileToClipboardWithClipboardRefusingShowsErrorFinish) {
  TempDir dir;
  const std::string input = dir.Write("in.txt", "b\na\n");
  clipboard_.HoldText("old\n");
  clipboard_.fail_open = true;

  RunSort(kOwner, kAscending, input.c_str(), nullptr, kWholeLine, kColumnText,
          0);

  EXPECT_EQ(LastResult, -1);
  EXPECT_EQ(boxes_.Texts(), (std::vector<std::string>{"ClipBoard Open Error!",
                                                      "Error-Finish!"}));
  EXPECT_EQ(clipboard_.text(), "old\n");
}

}  // namespace
}  // namespace tarnel
