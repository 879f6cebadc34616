// Lists the shown top-level windows of other processes, one a line:
//   HANDLE|CLASS|TITLE|CLIENT_WxH|WINDOW_WxH|BOX_TEXT
// BOX_TEXT is the text of a message box (its static control 0xFFFF),
// empty for any other window; titles and texts are the system's bytes
// (code page 932). The system keeps every window's text and place, so
// they can be read across processes without the window's own help. For
// tarnel_exe_test.sh, which sees TARNEL.EXE's windows from outside.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr int kBoxTextId = 0xFFFF;

std::string TextOf(HWND window) {
  char text[512] = {};
  ::GetWindowTextA(window, text, sizeof text);
  return text;
}

BOOL CALLBACK PrintWindow(HWND window, LPARAM) {
  DWORD process = 0;
  ::GetWindowThreadProcessId(window, &process);
  if (process == ::GetCurrentProcessId() || !::IsWindowVisible(window)) {
    return TRUE;
  }
  char name[64] = {};
  ::GetClassNameA(window, name, sizeof name);
  RECT client{};
  ::GetClientRect(window, &client);
  RECT frame{};
  ::GetWindowRect(window, &frame);
  const HWND box_text = ::GetDlgItem(window, kBoxTextId);
  std::printf("%p|%s|%s|%ldx%ld|%ldx%ld|%s\n", static_cast<void*>(window), name,
              TextOf(window).c_str(), client.right, client.bottom,
              frame.right - frame.left, frame.bottom - frame.top,
              box_text ? TextOf(box_text).c_str() : "");
  return TRUE;
}

}  // namespace

int main() {
  ::EnumWindows(&PrintWindow, 0);
  return 0;
}
