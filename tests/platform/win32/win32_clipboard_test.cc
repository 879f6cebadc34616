// The system clipboard through Win32Clipboard, for real: under Wine it is
// the session's X clipboard, which win32_clipboard_xclip_test.sh checks
// from the other side with xclip. The refusals that only the fake can make
// on demand (emptying, taking the text) are in the transfer suites.
#include "platform/win32/win32_clipboard.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "core/show_error.h"
#include "engine/run_sort.h"
#include "platform/service.h"
#include "platform/testing/recording_message_boxes.h"
#include "tests/platform/win32/test_window.h"

namespace tarnel {
namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

// "いろは" and CR LF in Shift-JIS.
const std::string kIroha = "\x82\xa2\x82\xeb\x82\xcd\r\n";

GlobalBlock BlockOf(const std::string& text) {
  GlobalBlock block =
      GlobalBlock::Allocate(text.size() + 1, AllocationSite::kClipboardCopy);
  if (char* bytes = block.Lock()) {
    std::memcpy(bytes, text.data(), text.size());
    block.Unlock();
  }
  return block;
}

std::string TextOf(GlobalBlock* block) {
  if (!block) return "<none>";
  const char* bytes = block->Lock();
  if (!bytes) return "<unlockable>";
  std::string text(bytes, strnlen(bytes, block->Size()));
  block->Unlock();
  return text;
}

class Win32ClipboardTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(window_.handle(), nullptr); }

  // Puts |text| on the clipboard as a run does: open, empty, set, close.
  void Put(const std::string& text) {
    GlobalBlock block = BlockOf(text);
    ASSERT_TRUE(clipboard_.Open(window_.handle()));
    EXPECT_TRUE(clipboard_.Empty());
    EXPECT_TRUE(clipboard_.SetText(block));
    clipboard_.Close();
    // Taken over by the system.
    EXPECT_FALSE(block.valid());
  }

  // The clipboard's text as the service gives it; "<none>" without text.
  std::string Take() {
    if (!clipboard_.Open(window_.handle())) return "<not opened>";
    std::string text = clipboard_.IsTextAvailable()
                           ? TextOf(clipboard_.GetText())
                           : std::string("<none>");
    clipboard_.Close();
    return text;
  }

  TestWindow window_;
  Win32Clipboard clipboard_;
};

TEST_F(Win32ClipboardTest, TextRoundTripsAsShiftJisBytes) {
  Put(kIroha);
  EXPECT_EQ(Take(), kIroha);
}

// The block GetText gives is the clipboard's own: closing lets go of it
// without freeing it, and it is there for the next reader.
TEST_F(Win32ClipboardTest, TextBlockStaysTheClipboards) {
  Put("kept\r\n");
  ASSERT_TRUE(clipboard_.Open(window_.handle()));
  GlobalBlock* block = clipboard_.GetText();
  ASSERT_NE(block, nullptr);
  const HGLOBAL handle = block->handle();
  EXPECT_EQ(handle, ::GetClipboardData(CF_TEXT));
  EXPECT_EQ(TextOf(block), "kept\r\n");
  clipboard_.Close();

  EXPECT_NE(::GlobalSize(handle), 0u);
  EXPECT_EQ(Take(), "kept\r\n");
}

TEST_F(Win32ClipboardTest, EmptiedClipboardHasNoText) {
  Put("a\r\n");
  ASSERT_TRUE(clipboard_.Open(window_.handle()));
  EXPECT_TRUE(clipboard_.Empty());
  EXPECT_FALSE(clipboard_.IsTextAvailable());
  EXPECT_EQ(clipboard_.GetText(), nullptr);
  clipboard_.Close();
}

TEST_F(Win32ClipboardTest, PictureOnlyIsNoText) {
  const HDC screen = ::GetDC(nullptr);
  const HBITMAP picture = ::CreateCompatibleBitmap(screen, 4, 4);
  ::ReleaseDC(nullptr, screen);
  ASSERT_NE(picture, nullptr);
  ASSERT_TRUE(::OpenClipboard(static_cast<HWND>(window_.handle())));
  ::EmptyClipboard();
  ASSERT_NE(::SetClipboardData(CF_BITMAP, picture), nullptr);
  ::CloseClipboard();

  EXPECT_EQ(Take(), "<none>");
}

TEST_F(Win32ClipboardTest, NothingWorksWhileClosed) {
  Put("old\r\n");
  GlobalBlock block = BlockOf("new\r\n");
  EXPECT_FALSE(clipboard_.IsTextAvailable());
  EXPECT_EQ(clipboard_.GetText(), nullptr);
  EXPECT_FALSE(clipboard_.Empty());
  EXPECT_FALSE(clipboard_.SetText(block));
  // Refused, so still the caller's.
  EXPECT_TRUE(block.valid());
  EXPECT_EQ(Take(), "old\r\n");
}

// Another program's window holds the clipboard open (on Wine only an open
// for a window excludes others).
class HeldClipboard {
 public:
  explicit HeldClipboard(milliseconds hold) {
    opened_ = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = std::thread([this, hold] {
      const TestWindow holder;
      const bool held = ::OpenClipboard(static_cast<HWND>(holder.handle()));
      ::SetEvent(opened_);
      if (!held) return;
      std::this_thread::sleep_for(hold);
      ::CloseClipboard();
    });
    ::WaitForSingleObject(opened_, 5000);
  }
  ~HeldClipboard() {
    thread_.join();
    ::CloseHandle(opened_);
  }
  HeldClipboard(const HeldClipboard&) = delete;
  HeldClipboard& operator=(const HeldClipboard&) = delete;

 private:
  HANDLE opened_;
  std::thread thread_;
};

TEST_F(Win32ClipboardTest, OpenGivesUpOnAClipboardThatStaysHeld) {
  const Clock::time_point start = Clock::now();
  {
    const HeldClipboard held(milliseconds(1500));
    EXPECT_FALSE(clipboard_.Open(window_.handle()));
    EXPECT_GE(Clock::now() - start, milliseconds(450));
  }
  EXPECT_TRUE(clipboard_.Open(window_.handle()));
  clipboard_.Close();
}

TEST_F(Win32ClipboardTest, OpenWaitsForAClipboardHeldForAMoment) {
  const HeldClipboard held(milliseconds(100));
  EXPECT_TRUE(clipboard_.Open(window_.handle()));
  clipboard_.Close();
}

// Whole runs from the clipboard to the clipboard, on the system clipboard.
class Win32ClipboardRunTest : public Win32ClipboardTest {
 protected:
  void SetUp() override {
    Win32ClipboardTest::SetUp();
    OwnerWindow = window_.handle();
  }
  void TearDown() override { OwnerWindow = nullptr; }

  void SortClipboard(std::int32_t mode) {
    RunSort(window_.handle(), mode, nullptr, nullptr, 0, 1, 0);
  }

  Installed<Clipboard> installed_{&clipboard_};
  RecordingMessageBoxes boxes_;
};

TEST_F(Win32ClipboardRunTest, SortsTheClipboardOntoItself) {
  // Ａ (82 60) sorts before あ (82 A0), both after z; ａ (82 81) repeats Ａ
  // once case is ignored.
  Put("\x82\xa0\nz\r\n\x82\x81\n\x82\x60\n");
  SortClipboard(6);
  EXPECT_EQ(LastResult, 0);
  EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"Finish!"});
  EXPECT_EQ(Take(), "z\r\n\x82\x60\r\n\x82\xa0\r\n");
}

TEST_F(Win32ClipboardRunTest, ClipboardWithoutTextEndsTheRun) {
  ASSERT_TRUE(clipboard_.Open(window_.handle()));
  ASSERT_TRUE(clipboard_.Empty());
  clipboard_.Close();
  SortClipboard(0);
  EXPECT_EQ(LastResult, -1);
  // A source that gives nothing ends the run before any closing box.
  EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"No Text in ClipBoard!"});
}

}  // namespace
}  // namespace tarnel
