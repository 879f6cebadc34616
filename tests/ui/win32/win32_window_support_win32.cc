#include "platform/win32/dialog_keys.h"
#include "tests/ui/win32/win32_window_support.h"
#include "ui/win32/controls_win32.h"

namespace tarnel {

namespace {
BoxCloser* current_closer = nullptr;
constexpr int kBoxTextId = 0xFFFF;
}  // namespace

void Pump() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    DispatchWithDialogKeys(message);
  }
}

void PressKey(WPARAM key) {
  for (const UINT type : {UINT{WM_KEYDOWN}, UINT{WM_KEYUP}}) {
    MSG message{};
    message.hwnd = ::GetFocus();
    message.message = type;
    message.wParam = key;
    message.lParam = type == WM_KEYUP ? LPARAM{1} | (LPARAM{3} << 30) : 1;
    DispatchWithDialogKeys(message);
  }
  Pump();
}

void ClickAt(HWND window, int x, int y) {
  const LPARAM at = MAKELPARAM(x, y);
  ::SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::SendMessageA(window, WM_LBUTTONUP, 0, at);
  Pump();
}

RECT PlaceIn(HWND window, HWND parent) {
  RECT place{};
  ::GetWindowRect(window, &place);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&place), 2);
  return place;
}

BoxCloser::BoxCloser(std::vector<HWND> watched) : watched_(std::move(watched)) {
  current_closer = this;
  hook_ = ::SetWindowsHookExA(WH_CBT, &BoxCloser::Hook, nullptr,
                              ::GetCurrentThreadId());
}

BoxCloser::~BoxCloser() {
  if (hook_) ::UnhookWindowsHookEx(hook_);
  current_closer = nullptr;
}

LRESULT CALLBACK BoxCloser::Hook(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HCBT_ACTIVATE && current_closer) {
    const HWND window = reinterpret_cast<HWND>(wparam);
    char name[16] = {};
    ::GetClassNameA(window, name, sizeof name);
    if (std::string(name) == "#32770" &&
        ::GetDlgItem(window, kBoxTextId) != nullptr) {
      current_closer->Close(window);
    }
  }
  return ::CallNextHookEx(nullptr, code, wparam, lparam);
}

void BoxCloser::Close(HWND box) {
  SeenBox seen;
  seen.caption = WindowTextOf(box);
  seen.text = WindowTextOf(::GetDlgItem(box, kBoxTextId));
  seen.owner = ::GetWindow(box, GW_OWNER);
  for (const HWND window : watched_) {
    seen.enabled.push_back(::IsWindowEnabled(window) != 0);
  }
  seen_.push_back(seen);
  ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

}  // namespace tarnel
