// Lists the shown top-level windows of other processes, one a line:
//   HANDLE|CLASS|TITLE|CLIENT_WxH|WINDOW_WxH|BOX_TEXT
// BOX_TEXT is the text of a message box (its static control 0xFFFF),
// empty for any other window; with an argument ID, the first line of the
// text of each window's control ID instead. Titles and texts are the
// system's bytes (code page 932), read across processes as any other
// program could. For
// tarnel_exe_test.sh, which sees TARNEL.EXE's windows from outside.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int text_id = 0xFFFF;

std::string TextOf(HWND window) {
  char text[512] = {};
  ::GetWindowTextA(window, text, sizeof text);
  return text;
}

// A control's own text, which for an edit the system does not keep: asked
// of its window, which the system lets cross processes.
std::string FirstLineOf(HWND control) {
  char text[512] = {};
  DWORD_PTR length = 0;
  ::SendMessageTimeoutA(control, WM_GETTEXT, sizeof text,
                        reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                        &length);
  const std::string whole(text);
  return whole.substr(0, whole.find_first_of("\r\n"));
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
  const HWND box_text = ::GetDlgItem(window, text_id);
  std::printf("%p|%s|%s|%ldx%ld|%ldx%ld|%s\n", static_cast<void*>(window), name,
              TextOf(window).c_str(), client.right, client.bottom,
              frame.right - frame.left, frame.bottom - frame.top,
              box_text ? FirstLineOf(box_text).c_str() : "");
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) text_id = std::atoi(argv[1]);
  ::EnumWindows(&PrintWindow, 0);
  return 0;
}
