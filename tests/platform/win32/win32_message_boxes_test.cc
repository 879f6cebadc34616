// The system's message boxes, shown for real in the test's own windows. A
// CBT hook on the thread sees each box as it is activated, its texts set
// but not yet shown, reads it and presses OK.
#include "platform/win32/win32_message_boxes.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "core/show_error.h"
#include "platform/service.h"
#include "tests/platform/win32/test_window.h"

namespace tarnel {
namespace {

constexpr int kTextId = 0xFFFF;  // the static control with the message
constexpr int kIconId = 0x0440;  // the static control with the icon

struct SeenBox {
  std::string caption;
  std::string text;
  bool icon = false;
  HWND owner = nullptr;
  std::vector<bool> enabled;  ///< the watched windows' states meanwhile
};

std::string TextOf(HWND window) {
  char text[1024] = {};
  ::GetWindowTextA(window, text, sizeof text);
  return text;
}

class BoxPresser {
 public:
  /// Watches the boxes of this thread; |watched| windows have their
  /// enabled state noted while each box is open.
  explicit BoxPresser(std::vector<HWND> watched = {})
      : watched_(std::move(watched)) {
    current_ = this;
    hook_ = ::SetWindowsHookExA(WH_CBT, &BoxPresser::Hook, nullptr,
                                ::GetCurrentThreadId());
  }
  ~BoxPresser() {
    if (hook_) ::UnhookWindowsHookEx(hook_);
    current_ = nullptr;
  }
  BoxPresser(const BoxPresser&) = delete;
  BoxPresser& operator=(const BoxPresser&) = delete;

  bool installed() const { return hook_ != nullptr; }
  const std::vector<SeenBox>& seen() const { return seen_; }

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HCBT_ACTIVATE && current_) {
      const HWND window = reinterpret_cast<HWND>(wparam);
      char name[16] = {};
      ::GetClassNameA(window, name, sizeof name);
      if (std::string(name) == "#32770") current_->Press(window);
    }
    return ::CallNextHookEx(nullptr, code, wparam, lparam);
  }

  void Press(HWND box) {
    SeenBox seen;
    seen.caption = TextOf(box);
    seen.text = TextOf(::GetDlgItem(box, kTextId));
    // The box is not visible yet, and so neither are its controls: the
    // icon's own style and image say whether it will show.
    if (const HWND icon = ::GetDlgItem(box, kIconId)) {
      seen.icon = (::GetWindowLongA(icon, GWL_STYLE) & WS_VISIBLE) != 0 &&
                  ::SendMessageA(icon, STM_GETICON, 0, 0) != 0;
    }
    seen.owner = ::GetWindow(box, GW_OWNER);
    for (const HWND window : watched_) {
      seen.enabled.push_back(::IsWindowEnabled(window) != 0);
    }
    seen_.push_back(seen);
    // Handled once the box's own message loop runs.
    ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  }

  static inline BoxPresser* current_ = nullptr;
  HHOOK hook_ = nullptr;
  std::vector<HWND> watched_;
  std::vector<SeenBox> seen_;
};

HWND Hwnd(const TestWindow& window) {
  return static_cast<HWND>(window.handle());
}

// "ファイルがありません。" in Shift-JIS.
constexpr char kJapaneseText[] =
    "\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xaa\x82\xa0\x82\xe8\x82\xdc\x82\xb9"
    "\x82\xf1\x81\x42";

TEST(Win32MessageBoxesTest, ErrorBoxShowsItsTextCaptionAndIconOnItsOwner) {
  const TestWindow owner(true);
  ASSERT_NE(owner.handle(), nullptr);
  BoxPresser presser({Hwnd(owner)});
  ASSERT_TRUE(presser.installed());
  Win32MessageBoxes boxes;

  EXPECT_EQ(
      boxes.Show(owner.handle(), kJapaneseText, "TARNEL-ERROR", kBoxIconError),
      kBoxOk);

  ASSERT_EQ(presser.seen().size(), 1u);
  const SeenBox& box = presser.seen()[0];
  EXPECT_EQ(box.caption, "TARNEL-ERROR");
  EXPECT_EQ(box.text, kJapaneseText);
  EXPECT_TRUE(box.icon);
  EXPECT_EQ(box.owner, Hwnd(owner));
  // The owner waits while the box is open, and works again after.
  EXPECT_EQ(box.enabled, std::vector<bool>{false});
  EXPECT_TRUE(::IsWindowEnabled(Hwnd(owner)));
}

TEST(Win32MessageBoxesTest, PlainBoxHasNoIcon) {
  BoxPresser presser;
  Win32MessageBoxes boxes;
  EXPECT_EQ(boxes.Show(nullptr, "Finish!", "TARNEL", kBoxPlain), kBoxOk);
  ASSERT_EQ(presser.seen().size(), 1u);
  EXPECT_EQ(presser.seen()[0].caption, "TARNEL");
  EXPECT_EQ(presser.seen()[0].text, "Finish!");
  EXPECT_FALSE(presser.seen()[0].icon);
  EXPECT_EQ(presser.seen()[0].owner, nullptr);
}

// A box owned by one window leaves the program's other windows usable. A
// task-modal box stops them all, with an owner or without one (Windows
// alone would make MB_TASKMODAL with an owner the same as an owned box).
TEST(Win32MessageBoxesTest, TaskModalBoxDisablesEveryWindow) {
  const TestWindow main(true);
  const TestWindow other(true);
  BoxPresser presser({Hwnd(main), Hwnd(other)});
  Win32MessageBoxes boxes;

  boxes.Show(main.handle(), "owned", "A", kBoxIconError);
  boxes.Show(nullptr, "task modal", "B", kBoxTaskModal);
  boxes.Show(main.handle(), "task modal, owned", "C",
             kBoxIconError | kBoxTaskModal);
  boxes.Show(nullptr, "neither", "D", kBoxPlain);

  ASSERT_EQ(presser.seen().size(), 4u);
  EXPECT_EQ(presser.seen()[0].enabled, (std::vector<bool>{false, true}));
  EXPECT_EQ(presser.seen()[1].enabled, (std::vector<bool>{false, false}));
  EXPECT_EQ(presser.seen()[2].enabled, (std::vector<bool>{false, false}));
  EXPECT_EQ(presser.seen()[3].enabled, (std::vector<bool>{true, true}));
  EXPECT_TRUE(::IsWindowEnabled(Hwnd(main)));
  EXPECT_TRUE(::IsWindowEnabled(Hwnd(other)));
}

// The front end's boxes belong to the hidden application window: a window
// of another thread is stopped too, one already disabled stays so, and the
// window the user worked in is active again once the box is gone.
TEST(Win32MessageBoxesTest, OwnedTaskModalBoxReachesEveryThreadAndReturns) {
  const TestWindow hidden_owner(false);
  const TestWindow main(true);
  const TestWindow kept_disabled(true);
  ::EnableWindow(Hwnd(kept_disabled), FALSE);
  HWND other_thread_window = nullptr;
  HANDLE made = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE finish = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::thread other([&] {
    const TestWindow window(true);
    other_thread_window = Hwnd(window);
    ::SetEvent(made);
    // Enabling a window sends it a message: its thread must serve them.
    while (::MsgWaitForMultipleObjects(1, &finish, FALSE, INFINITE,
                                       QS_ALLINPUT) != WAIT_OBJECT_0) {
      MSG message;
      while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::DispatchMessageA(&message);
      }
    }
  });
  ::WaitForSingleObject(made, INFINITE);
  ::SetActiveWindow(Hwnd(main));
  ASSERT_EQ(::GetActiveWindow(), Hwnd(main));
  BoxPresser presser({Hwnd(main), other_thread_window, Hwnd(kept_disabled)});
  Win32MessageBoxes boxes;

  boxes.Show(hidden_owner.handle(), "task modal", "TARNEL-ERROR",
             kBoxPlain | kBoxTaskModal);

  ASSERT_EQ(presser.seen().size(), 1u);
  EXPECT_EQ(presser.seen()[0].owner, Hwnd(hidden_owner));
  EXPECT_EQ(presser.seen()[0].enabled,
            (std::vector<bool>{false, false, false}));
  EXPECT_TRUE(::IsWindowEnabled(Hwnd(main)));
  EXPECT_TRUE(::IsWindowEnabled(other_thread_window));
  EXPECT_FALSE(::IsWindowEnabled(Hwnd(kept_disabled)));
  EXPECT_EQ(::GetActiveWindow(), Hwnd(main));
  ::SetEvent(finish);
  other.join();
  ::CloseHandle(made);
  ::CloseHandle(finish);
}

TEST(Win32MessageBoxesTest, FlagsBecomeTheMessageBoxStyle) {
  EXPECT_EQ(Win32BoxStyle(kBoxPlain), unsigned{MB_OK});
  EXPECT_EQ(Win32BoxStyle(kBoxIconError), unsigned{MB_ICONERROR});
  EXPECT_EQ(Win32BoxStyle(kBoxIconQuestion), unsigned{MB_ICONQUESTION});
  EXPECT_EQ(Win32BoxStyle(kBoxIconWarning), unsigned{MB_ICONWARNING});
  EXPECT_EQ(Win32BoxStyle(kBoxIconInformation), unsigned{MB_ICONINFORMATION});
  EXPECT_EQ(Win32BoxStyle(kBoxIconError | kBoxTaskModal),
            unsigned{MB_ICONERROR | MB_TASKMODAL});
  // Bits the front end does not use never reach the box.
  EXPECT_EQ(Win32BoxStyle(0x80000u | kBoxIconError), unsigned{MB_ICONERROR});
}

// The engine's own error box, through the installed service.
TEST(Win32MessageBoxesTest, ShowErrorGoesToTheRunsOwnerWindow) {
  const TestWindow owner(true);
  BoxPresser presser({Hwnd(owner)});
  Win32MessageBoxes boxes;
  const Installed<MessageBoxes> installed(&boxes);
  OwnerWindow = owner.handle();

  ShowError("File Open Error![C:\\none.txt]");
  OwnerWindow = nullptr;

  ASSERT_EQ(presser.seen().size(), 1u);
  EXPECT_EQ(presser.seen()[0].caption, kErrorCaption);
  EXPECT_EQ(presser.seen()[0].text, "File Open Error![C:\\none.txt]");
  EXPECT_TRUE(presser.seen()[0].icon);
  EXPECT_EQ(presser.seen()[0].owner, Hwnd(owner));
}

}  // namespace
}  // namespace tarnel
