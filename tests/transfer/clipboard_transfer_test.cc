// ReadClipboardText and WriteClipboardText against the in-memory clipboard,
// which can refuse on demand what the system clipboard will not.
#include "transfer/clipboard_transfer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "core/result_block.h"
#include "core/show_error.h"
#include "platform/memory.h"
#include "platform/testing/fake_clipboard.h"
#include "platform/testing/recording_message_boxes.h"
#include "tests/transfer/test_files.h"

namespace tarnel {
namespace {

int owner_token;
WindowHandle const kOwner = &owner_token;

AllocationSite failing_site;
bool FailAt(AllocationSite site, std::size_t) { return site != failing_site; }

class ClipboardTransferTest : public ::testing::Test {
 protected:
  void SetUp() override {
    OwnerWindow = kOwner;
    boxes_.on_show = [this](const RecordedBox&) {
      open_during_box_.push_back(clipboard_.is_open());
    };
  }
  void TearDown() override {
    SetAllocationFilter(nullptr);
    result_.reset();
    OwnerWindow = nullptr;
    EXPECT_FALSE(clipboard_.is_open());
    EXPECT_EQ(clipboard_.open_count, clipboard_.close_count);
    EXPECT_EQ(clipboard_.misuse_count, 0);
  }

  // A result block as the run leaves it: locked, text plus its NUL.
  void PutResult(std::string_view text) { result_.emplace(text); }

  void ExpectOneErrorBox(const std::string& text) {
    ASSERT_EQ(boxes_.boxes.size(), 1u);
    EXPECT_EQ(boxes_.boxes[0],
              (RecordedBox{kOwner, text, "TARNEL-ERROR", kBoxIconError}));
  }

  RecordingMessageBoxes boxes_;
  FakeClipboard clipboard_;
  std::vector<bool> open_during_box_;
  std::optional<ScopedResultText> result_;
};

TEST_F(ClipboardTransferTest, ReadReturnsOwnCopyAndLeavesClipboardText) {
  clipboard_.HoldText("pear\r\napple\n");
  ZeroedBuffer copy = ReadClipboardText();
  ASSERT_TRUE(copy.valid());
  EXPECT_STREQ(copy.data(), "pear\r\napple\n");
  EXPECT_EQ(copy.size(), std::strlen("pear\r\napple\n") + 1);
  // The copy is the run's to cut into lines; the clipboard must not notice.
  copy.data()[4] = '\0';
  EXPECT_EQ(clipboard_.text(), "pear\r\napple\n");
  EXPECT_TRUE(boxes_.boxes.empty());
  EXPECT_EQ(clipboard_.open_count, 1);
  EXPECT_EQ(clipboard_.last_owner, kOwner);
}

TEST_F(ClipboardTransferTest, ReadTextEndsAtFirstNul) {
  clipboard_.HoldText(std::string_view("kept\n\0dropped\n", 14));
  ZeroedBuffer copy = ReadClipboardText();
  ASSERT_TRUE(copy.valid());
  EXPECT_EQ(std::string(copy.data(), copy.size()), std::string("kept\n\0", 6));
}

struct ReadFailure {
  const char* name;
  void (*arrange)(FakeClipboard&);
  const char* box;
  bool box_while_open;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const ReadFailure& c, std::ostream* os) { *os << c.name; }

class ClipboardReadFailureTest
    : public ClipboardTransferTest,
      public ::testing::WithParamInterface<ReadFailure> {};

TEST_P(ClipboardReadFailureTest, ShowsItsBoxAndReturnsNothing) {
  const ReadFailure& c = GetParam();
  c.arrange(clipboard_);
  ZeroedBuffer copy = ReadClipboardText();
  EXPECT_FALSE(copy.valid());
  ExpectOneErrorBox(c.box);
  EXPECT_EQ(open_during_box_, std::vector<bool>{c.box_while_open});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ClipboardReadFailureTest,
    ::testing::Values(
        ReadFailure{"OpenRefused",
                    [](FakeClipboard& c) {
                      c.HoldText("a\n");
                      c.fail_open = true;
                    },
                    "ClipBoard Open Error!", false},
        ReadFailure{"NothingHeld", [](FakeClipboard& c) { c.HoldNothing(); },
                    "No Text in ClipBoard!", true},
        ReadFailure{"PictureOnly", [](FakeClipboard& c) { c.HoldPicture(); },
                    "No Text in ClipBoard!", true},
        ReadFailure{"CopyNotAllocated",
                    [](FakeClipboard& c) {
                      c.HoldText("a\n");
                      failing_site = AllocationSite::kClipboardRead;
                      SetAllocationFilter(FailAt);
                    },
                    "No Text in ClipBoard!", true}),
    [](const auto& case_info) { return std::string(case_info.param.name); });

TEST_F(ClipboardTransferTest, WriteHandsClipboardACopyOfTheWholeResultBlock) {
  clipboard_.HoldText("old\n");
  PutResult("apple\r\npear\r\n");
  const char* const result_bytes = lpMem;
  const std::size_t result_size = hMem.Size();
  bool handed_result_block = true;
  std::size_t handed_size = 0;
  clipboard_.on_set_text = [&](GlobalBlock& block) {
    handed_result_block = &block == &hMem || block.Lock() == result_bytes;
    block.Unlock();
    handed_size = block.Size();
  };

  EXPECT_EQ(WriteClipboardText(), 0);

  EXPECT_FALSE(handed_result_block);
  EXPECT_EQ(handed_size, result_size);
  EXPECT_EQ(clipboard_.text(), "apple\r\npear\r\n");
  // The run still owns its block, untouched, and frees it itself.
  ASSERT_TRUE(hMem.valid());
  EXPECT_EQ(lpMem, result_bytes);
  EXPECT_STREQ(lpMem, "apple\r\npear\r\n");
  EXPECT_TRUE(boxes_.boxes.empty());
  EXPECT_EQ(clipboard_.open_count, 1);
  EXPECT_EQ(clipboard_.last_owner, kOwner);
}

struct WriteFailure {
  const char* name;
  void (*arrange)(FakeClipboard&);
  const char* box;
  bool box_while_open;
  int opens;
  // What the clipboard holds afterwards: its old text, or nothing at all.
  std::optional<std::string> left_on_clipboard;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const WriteFailure& c, std::ostream* os) { *os << c.name; }

class ClipboardWriteFailureTest
    : public ClipboardTransferTest,
      public ::testing::WithParamInterface<WriteFailure> {};

TEST_P(ClipboardWriteFailureTest, ShowsItsBoxAndKeepsResultBlock) {
  const WriteFailure& c = GetParam();
  clipboard_.HoldText("old\n");
  PutResult("new\r\n");
  c.arrange(clipboard_);

  EXPECT_EQ(WriteClipboardText(), -1);

  ExpectOneErrorBox(c.box);
  EXPECT_EQ(open_during_box_, std::vector<bool>{c.box_while_open});
  EXPECT_EQ(clipboard_.open_count, c.opens);
  EXPECT_EQ(clipboard_.text(), c.left_on_clipboard);
  ASSERT_TRUE(hMem.valid());
  EXPECT_STREQ(lpMem, "new\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ClipboardWriteFailureTest,
    ::testing::Values(
        WriteFailure{"CopyNotAllocated",
                     [](FakeClipboard&) {
                       failing_site = AllocationSite::kClipboardCopy;
                       SetAllocationFilter(FailAt);
                     },
                     "hMem Error!", false, 0, "old\n"},
        WriteFailure{"OpenRefused",
                     [](FakeClipboard& c) { c.fail_open = true; },
                     "ClipBoard Open Error!", false, 0, "old\n"},
        WriteFailure{"EmptyRefused",
                     [](FakeClipboard& c) { c.fail_empty = true; },
                     "ClipBoard Empty Error!", true, 1, "old\n"},
        // Emptying worked, so the old text is gone although nothing new came.
        WriteFailure{"TextRefusedAfterEmptying",
                     [](FakeClipboard& c) { c.fail_set_text = true; },
                     "ClipBoard Write Error!", true, 1, std::nullopt}),
    [](const auto& case_info) { return std::string(case_info.param.name); });

}  // namespace
}  // namespace tarnel
