// The system's message boxes, shown for real in the test's own windows. A
// CBT hook on the thread sees each box as it is activated, its texts set
// but not yet shown, reads it and presses OK.
#include "platform/win32/win32_message_boxes.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>
#include <utility>
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
  // As the box is shown:
  int width = 0;  ///< the whole box's
  int client_width = 0;
  int ok_centre = 0;   ///< the OK button's, in the client area
  int text_right = 0;  ///< the message's right edge, in the client area
};

// |child|'s left and right in its parent's client area.
std::pair<int, int> Across(HWND child) {
  RECT place{};
  ::GetWindowRect(child, &place);
  ::MapWindowPoints(nullptr, ::GetParent(child),
                    reinterpret_cast<POINT*>(&place), 2);
  return {place.left, place.right};
}

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
    taken_hook_ = ::SetWindowsHookExA(WH_GETMESSAGE, &BoxPresser::TakenHook,
                                      nullptr, ::GetCurrentThreadId());
  }
  ~BoxPresser() {
    if (hook_) ::UnhookWindowsHookEx(hook_);
    if (taken_hook_) ::UnhookWindowsHookEx(taken_hook_);
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

  // The box's places as it is shown: when its loop takes the press.
  static LRESULT CALLBACK TakenHook(int code, WPARAM wparam, LPARAM lparam) {
    const auto* message = reinterpret_cast<const MSG*>(lparam);
    if (code == HC_ACTION && wparam == PM_REMOVE && current_ &&
        !current_->seen_.empty() && message->message == WM_COMMAND &&
        message->wParam == MAKEWPARAM(IDOK, BN_CLICKED)) {
      current_->Measure(message->hwnd, current_->seen_.back());
    }
    return ::CallNextHookEx(nullptr, code, wparam, lparam);
  }

  static void Measure(HWND box, SeenBox& seen) {
    RECT frame{};
    RECT client{};
    ::GetWindowRect(box, &frame);
    ::GetClientRect(box, &client);
    seen.width = frame.right - frame.left;
    seen.client_width = client.right;
    const auto [ok_left, ok_right] = Across(::GetDlgItem(box, IDOK));
    seen.ok_centre = (ok_left + ok_right) / 2;
    seen.text_right = Across(::GetDlgItem(box, kTextId)).second;
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
  HHOOK taken_hook_ = nullptr;
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

// What a caption takes across its box: its text in the system's caption
// font, the close button and the caption's icon beside it, and the frame.
int CaptionTakes(const std::string& caption, int frame) {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  ::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  const HFONT font = ::CreateFontIndirectA(&metrics.lfCaptionFont);
  const HDC dc = ::GetDC(nullptr);
  const HGDIOBJ previous = ::SelectObject(dc, font);
  SIZE extent{};
  ::GetTextExtentPoint32A(dc, caption.c_str(), static_cast<int>(caption.size()),
                          &extent);
  ::SelectObject(dc, previous);
  ::ReleaseDC(nullptr, dc);
  ::DeleteObject(font);
  return frame + extent.cx + ::GetSystemMetrics(SM_CXSIZE) +
         ::GetSystemMetrics(SM_CXSMICON);
}

// The program's boxes with the shortest texts they show: each is wide
// enough for its whole caption, its button still in the middle.
TEST(Win32MessageBoxesTest, EveryCaptionFitsBesideTheFramesButtons) {
  struct Case {
    const char* caption;
    const char* text;
    unsigned flags;
  };
  const Case kCases[] = {
      {"TARNEL", "Finish!", kBoxPlain},
      {"TARNEL", "Error-Finish!", kBoxPlain},
      {"TARNEL-ERROR", "No Line!", kBoxIconError},
      {"TARNEL-ERROR", "SortMode is out of Range!", kBoxIconError},
      // 読み込み元ファイルが未指定です
      {"TARNEL-ERROR",
       "\x93\xc7\x82\xdd\x8d\x9e\x82\xdd\x8c\xb3\x83\x74\x83\x40\x83"
       "\x43\x83\x8b\x82\xaa\x96\xa2\x8e\x77\x92\xe8\x82\xc5\x82\xb7",
       kBoxTaskModal},
      // 数値を入力してください
      {"ERROR",
       "\x90\x94\x92\x6c\x82\xf0\x93\xfc\x97\xcd\x82\xb5\x82\xc4\x82"
       "\xad\x82\xbe\x82\xb3\x82\xa2",
       kBoxTaskModal},
      {"SortPosEdit->Text", "1", kBoxTaskModal},
      {"SortPosEdit->Text", "12", kBoxTaskModal},
  };
  BoxPresser presser;
  Win32MessageBoxes boxes;
  for (const Case& c : kCases) boxes.Show(nullptr, c.text, c.caption, c.flags);
  ASSERT_EQ(presser.seen().size(), std::size(kCases));
  for (std::size_t i = 0; i < std::size(kCases); ++i) {
    const SeenBox& box = presser.seen()[i];
    SCOPED_TRACE(box.caption + ": " + box.text);
    EXPECT_GE(box.width,
              CaptionTakes(box.caption, box.width - box.client_width));
    // Wine centres the button on the whole box, not on its client area.
    EXPECT_NEAR(box.ok_centre, box.client_width / 2,
                (box.width - box.client_width) / 2 + 1);
    EXPECT_LE(box.text_right, box.client_width);
  }
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
