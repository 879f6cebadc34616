#include "ui/win32/browse_panel_win32.h"

#include <string>

#include "ui/win32/controls_win32.h"

namespace tarnel {

namespace {

// Slots of a browse panel's window memory.
constexpr int kPanelFontSlot = 0;
constexpr int kPanelPressedSlot = sizeof(LONG_PTR);

void NotifyParent(HWND panel, int code) {
  ::SendMessageA(::GetParent(panel), WM_COMMAND,
                 MAKEWPARAM(::GetDlgCtrlID(panel), code),
                 reinterpret_cast<LPARAM>(panel));
}

// The browse panels: a small raised panel with a centred caption that works
// as a button. A tab stop, but a click does not move the focus: only Tab
// does.
LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wparam,
                           LPARAM lparam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      const HDC dc = ::BeginPaint(window, &paint);
      RECT area;
      ::GetClientRect(window, &area);
      ::FillRect(dc, &area, ::GetSysColorBrush(COLOR_BTNFACE));
      ::DrawEdge(dc, &area, BDR_RAISEDINNER, BF_RECT);
      const auto font =
          reinterpret_cast<HFONT>(::GetWindowLongPtrA(window, kPanelFontSlot));
      const HGDIOBJ old = font ? ::SelectObject(dc, font) : nullptr;
      ::SetBkMode(dc, TRANSPARENT);
      ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
      std::string text = WindowTextOf(window);
      ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &area,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
      if (::GetFocus() == window) {
        ::InflateRect(&area, -2, -2);
        ::DrawFocusRect(dc, &area);
      }
      if (old) ::SelectObject(dc, old);
      ::EndPaint(window, &paint);
      return 0;
    }
    case WM_SETFONT:
      ::SetWindowLongPtrA(window, kPanelFontSlot,
                          static_cast<LONG_PTR>(wparam));
      if (lparam) ::InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return ::GetWindowLongPtrA(window, kPanelFontSlot);
    case WM_LBUTTONDOWN:
      ::SetCapture(window);
      ::SetWindowLongPtrA(window, kPanelPressedSlot, 1);
      return 0;
    case WM_LBUTTONUP: {
      const bool pressed = ::GetWindowLongPtrA(window, kPanelPressedSlot) != 0;
      ::SetWindowLongPtrA(window, kPanelPressedSlot, 0);
      if (::GetCapture() == window) ::ReleaseCapture();
      RECT area;
      ::GetClientRect(window, &area);
      const POINT point{static_cast<short>(LOWORD(lparam)),
                        static_cast<short>(HIWORD(lparam))};
      if (pressed && ::PtInRect(&area, point)) NotifyParent(window, BN_CLICKED);
      return 0;
    }
    case WM_CAPTURECHANGED:
      ::SetWindowLongPtrA(window, kPanelPressedSlot, 0);
      return 0;
    case WM_SETFOCUS:
      ::InvalidateRect(window, nullptr, TRUE);
      NotifyParent(window, BN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      ::InvalidateRect(window, nullptr, TRUE);
      return 0;
  }
  return ::DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace

void RegisterBrowsePanelClass(HINSTANCE instance) {
  WNDCLASSEXA panel_class{};
  panel_class.cbSize = sizeof panel_class;
  panel_class.lpfnWndProc = &PanelProc;
  panel_class.cbWndExtra = 2 * sizeof(LONG_PTR);
  panel_class.hInstance = instance;
  panel_class.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  panel_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  panel_class.lpszClassName = kBrowsePanelClass;
  ::RegisterClassExA(&panel_class);  // fails harmlessly the second time
}

}  // namespace tarnel
