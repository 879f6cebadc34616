#include "platform/win32/dialog_keys.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace tarnel {

namespace {

struct DialogWindow {
  HWND window;
  unsigned options;
};

// The window thread's windows; only that thread touches the list.
std::vector<DialogWindow>& Windows() {
  static std::vector<DialogWindow> windows;
  return windows;
}

bool IsKey(UINT message) {
  return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_CHAR ||
         message == WM_SYSKEYDOWN || message == WM_SYSKEYUP ||
         message == WM_SYSCHAR;
}

bool AsDialogKey(MSG& message) {
  for (const DialogWindow& dialog : Windows()) {
    if (message.hwnd != dialog.window &&
        !::IsChild(dialog.window, message.hwnd)) {
      continue;
    }
    if ((dialog.options & kOwnTabOrder) && message.message == WM_KEYDOWN &&
        message.wParam == VK_TAB &&
        !(::SendMessageA(message.hwnd, WM_GETDLGCODE, message.wParam,
                         reinterpret_cast<LPARAM>(&message)) &
          DLGC_WANTTAB)) {
      const bool back = (::GetKeyState(VK_SHIFT) & 0x8000) != 0;
      ::SendMessageA(dialog.window, WM_NEXTDLGCTL, back, 0);
      return true;
    }
    if ((dialog.options & kOwnKeysToWindow) && message.hwnd == dialog.window &&
        IsKey(message.message)) {
      return false;
    }
    return ::IsDialogMessageW(dialog.window, &message) != 0;
  }
  return false;
}

}  // namespace

void AddDialogWindow(WindowHandle window, unsigned options) {
  RemoveDialogWindow(window);
  Windows().push_back({static_cast<HWND>(window), options});
}

void RemoveDialogWindow(WindowHandle window) {
  std::erase_if(Windows(), [window](const DialogWindow& dialog) {
    return dialog.window == static_cast<HWND>(window);
  });
}

void DispatchWithDialogKeys(MSG& message) {
  if (AsDialogKey(message)) return;
  ::TranslateMessage(&message);
  ::DispatchMessageW(&message);
}

}  // namespace tarnel
