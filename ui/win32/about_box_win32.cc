#include "ui/win32/about_box_win32.h"

#include "platform/local_text.h"
#include "platform/win32/dialog_keys.h"
#include "ui/logic/tarnel_version.h"
#include "ui/logic/window_texts.h"
#include "ui/win32/application_win32.h"
#include "ui/win32/controls_win32.h"

namespace tarnel {

namespace {

namespace text = about_box_text;

constexpr char kClassName[] = "TAboutBox";
constexpr char kPanelClassName[] = "TarnelBevelPanel";

constexpr int kClientWidth = 298;
constexpr int kClientHeight = 154;
constexpr int kLabelHeight = 12;
constexpr int kOkId = IDOK;

LRESULT CALLBACK AboutProc(HWND window, UINT message, WPARAM wparam,
                           LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lparam);
    ::SetWindowLongPtrA(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* box = reinterpret_cast<Win32AboutBox*>(
      ::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (box && box->Window == window) {
    LRESULT result = 0;
    Guarded([&] { result = box->HandleMessage(message, wparam, lparam); });
    return result;
  }
  return ::DefWindowProcA(window, message, wparam, lparam);
}

// Two bevels: lowered outside, raised inside.
LRESULT CALLBACK BevelProc(HWND window, UINT message, WPARAM wparam,
                           LPARAM lparam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    const HDC dc = ::BeginPaint(window, &paint);
    RECT area;
    ::GetClientRect(window, &area);
    ::DrawEdge(dc, &area, BDR_SUNKENOUTER | BDR_RAISEDINNER, BF_RECT);
    ::EndPaint(window, &paint);
    return 0;
  }
  return ::DefWindowProcA(window, message, wparam, lparam);
}

HWND Make(HWND parent, const char* window_class, const std::string& text,
          DWORD style, int id, int x, int y, int width, int height) {
  const HWND control = ::CreateWindowExA(
      0, window_class, text.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, width,
      height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
      ::GetModuleHandleA(nullptr), nullptr);
  ::SendMessageA(control, WM_SETFONT,
                 reinterpret_cast<WPARAM>(DefaultCharsetFontHandle()), FALSE);
  return control;
}

// Keeps the label's place and fits its width to its text.
void FitToText(HWND label) {
  const std::string text = WindowTextOf(label);
  const HDC dc = ::GetDC(label);
  const HGDIOBJ old = ::SelectObject(dc, DefaultCharsetFontHandle());
  SIZE size{};
  ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()),
                          &size);
  ::SelectObject(dc, old);
  ::ReleaseDC(label, dc);
  ::SetWindowPos(label, nullptr, 0, 0, size.cx, kLabelHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

Win32AboutBox::Win32AboutBox(HWND owner) {
  const HINSTANCE instance = ::GetModuleHandleA(nullptr);
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = &AboutProc;
  window_class.hInstance = instance;
  window_class.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kClassName;
  ::RegisterClassA(&window_class);
  WNDCLASSA panel_class = window_class;
  panel_class.lpfnWndProc = &BevelProc;
  panel_class.lpszClassName = kPanelClassName;
  ::RegisterClassA(&panel_class);

  // A dialog frame: a close button, nothing to minimise or maximise.
  constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;
  RECT frame{0, 0, kClientWidth, kClientHeight};
  ::AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  Window = ::CreateWindowExA(kExStyle, kClassName, text::kTitle, kStyle, 0, 0,
                             frame.right - frame.left, frame.bottom - frame.top,
                             owner, nullptr, instance, this);
  if (!Window) return;

  Panel1 = Make(Window, kPanelClassName, "", 0, 0, 8, 0, 281, 113);
  ProgramIcon = Make(Panel1, "STATIC", "", SS_ICON | SS_REALSIZECONTROL, 0, 16,
                     16, 33, 33);
  if (const HICON icon = ::LoadIconA(instance, MAKEINTRESOURCEA(1))) {
    ::SendMessageA(ProgramIcon, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
  }
  // The icon stretched over the control, whatever size the image is.
  ::SetWindowPos(ProgramIcon, nullptr, 16, 16, 33, 33,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  ProductName = Make(Panel1, "STATIC", text::kProductName, SS_LEFT, 0, 88, 16,
                     72, kLabelHeight);
  FitToText(ProductName);
  Version = Make(Panel1, "STATIC", text::kVersionLabel, SS_LEFT, 0, 88, 40, 39,
                 kLabelHeight);
  FitToText(Version);
  Copyright = Make(Panel1, "STATIC", LocalText(text::kCopyright),
                   SS_CENTER | SS_NOPREFIX, 0, 8, 64, 265, kLabelHeight);
  Comments = Make(Panel1, "STATIC", LocalText(text::kComments),
                  SS_CENTER | SS_NOPREFIX, 0, 8, 88, 265, kLabelHeight);
  OKButton = Make(Window, "BUTTON", text::kOkCaption,
                  WS_TABSTOP | BS_DEFPUSHBUTTON, kOkId, 111, 124, 75, 25);
  AddDialogWindow(Window);
}

Win32AboutBox::~Win32AboutBox() {
  if (!Window) return;
  RemoveDialogWindow(Window);
  ::DestroyWindow(Window);
}

void Win32AboutBox::SetVersionText(const std::string& text) {
  ::SetWindowTextA(Version, text.c_str());
  FitToText(Version);
}

bool Win32AboutBox::IsVisible() const { return ::IsWindowVisible(Window) != 0; }

void Win32AboutBox::Show() {
  if (!placed_) {
    placed_ = true;
    RECT frame;
    ::GetWindowRect(Window, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    ::SetWindowPos(Window, nullptr,
                   (::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                   (::GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ::ShowWindow(Window, SW_SHOW);
  ::SetForegroundWindow(Window);
  ::SetFocus(OKButton);
}

void Win32AboutBox::OKButtonClick() { ::ShowWindow(Window, SW_HIDE); }

LRESULT Win32AboutBox::HandleMessage(UINT message, WPARAM wparam,
                                     LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      // Escape arrives as IDCANCEL and does nothing: there is no cancel.
      if (LOWORD(wparam) == kOkId) OKButtonClick();
      return 0;
    case DM_GETDEFID:
      return MAKELRESULT(kOkId, DC_HASDEFID);
    case WM_CLOSE:
      OKButtonClick();
      return 0;
    case WM_SETCURSOR:
      if (Win32Application::WaitCursorShown()) {
        ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_NCDESTROY:
      ::SetWindowLongPtrA(Window, GWLP_USERDATA, 0);
      break;
  }
  return ::DefWindowProcA(Window, message, wparam, lparam);
}

}  // namespace tarnel
