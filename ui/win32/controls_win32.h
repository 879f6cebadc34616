// The control interfaces of controls.h on Win32 controls, for the Windows
// window. Texts cross as bytes in the ANSI code page, which is what the
// controls' A messages take. Each control reports its changes when the
// window passes it the notification the system sent (BN_CLICKED, EN_CHANGE,
// UDN_DELTAPOS and WM_VSCROLL). Win32 view only.
#ifndef TARNEL_UI_WIN32_CONTROLS_WIN32_H_
#define TARNEL_UI_WIN32_CONTROLS_WIN32_H_

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <deque>
#include <functional>
#include <string>

#include "ui/logic/controls.h"

namespace tarnel {

/// The program's font: "ＭＳ Ｐゴシック", 12 pixels, Shift-JIS (Windows
/// substitutes one where it is missing). Made once, kept for the process.
HFONT TarnelFontHandle();
/// The same face and size in the default character set, the About box's.
HFONT DefaultCharsetFontHandle();

/// The text of |window| in the ANSI code page.
std::string WindowTextOf(HWND window);

class Win32VisibleControl : public VisibleControl {
 public:
  explicit Win32VisibleControl(HWND window) : window_(window) {}
  /// The control's own flag: a control on a hidden page is still "shown".
  bool IsVisible() const override;
  void SetVisible(bool visible) override;

 private:
  HWND window_;
};

/// A check box or radio button with the system's automatic check state. A
/// click of a radio button also clears its partner without telling, so the
/// window refreshes every such control after every click.
class Win32CheckControl : public CheckControl {
 public:
  explicit Win32CheckControl(HWND button);
  bool IsChecked() const override;
  void SetChecked(bool checked) override;
  void OnChange(std::function<void()> handler) override {
    handler_ = std::move(handler);
  }
  /// Adds or takes away the WS_TABSTOP style.
  void SetTabStop(bool tab_stop) override;
  /// Reports a change of state made behind the control's back (a click).
  void Refresh();
  HWND Window() const { return button_; }

 private:
  HWND button_;
  bool known_;
  std::function<void()> handler_;
};

/// A single-line edit. Its modified flag is the system's own: set by the
/// user's typing, cleared by WM_SETTEXT.
class Win32EditControl : public EditControl {
 public:
  explicit Win32EditControl(HWND edit) : edit_(edit), known_(Text()) {}
  bool IsVisible() const override;
  void SetVisible(bool visible) override;
  std::string Text() const override { return WindowTextOf(edit_); }
  void SetText(const std::string& text) override;
  bool IsModified() const override;
  void SetCaret(std::size_t position) override;
  void SetFocus() override { ::SetFocus(edit_); }
  void OnChange(std::function<void()> handler) override {
    handler_ = std::move(handler);
  }
  /// EN_CHANGE arrived. Reported only when the text differs from the one
  /// last seen: Wine also notifies a key that the length limit refused.
  void Changed();
  /// Runs |work| without reporting the changes of text it makes.
  void Quietly(const std::function<void()>& work);
  HWND Window() const { return edit_; }

 private:
  HWND edit_;
  std::string known_;
  bool quiet_ = false;
  std::function<void()> handler_;
};

/// A status bar in simple mode.
class Win32StatusControl : public StatusControl {
 public:
  explicit Win32StatusControl(HWND status_bar) : status_bar_(status_bar) {}
  std::string Text() const override;
  void SetText(const std::string& text) override;

 private:
  HWND status_bar_;
};

/// An up-down control, attached to |buddy| or to nothing. A step starts
/// from the buddy's number when it holds one (a number beyond the range
/// counts as the nearer end), else from the position, and stops at the
/// ends without wrapping; the step's size is the control's acceleration.
class Win32SpinControl : public SpinControl {
 public:
  Win32SpinControl(HWND up_down, Win32EditControl* buddy)
      : up_down_(up_down), buddy_(buddy) {}
  int Position() const override;
  /// Leaves the buddy's text, its modified flag and its caret as they are.
  void SetPosition(int position) override;
  void OnStep(std::function<void()> handler) override {
    handler_ = std::move(handler);
  }
  /// UDN_DELTAPOS: makes the step; the result is the notification's.
  LRESULT DeltaPos(const NMUPDOWN& step);
  /// WM_VSCROLL with SB_THUMBPOSITION, which follows every step.
  void Scrolled();
  HWND Window() const { return up_down_; }

 private:
  HWND up_down_;
  Win32EditControl* buddy_;
  bool moved_ = false;
  std::function<void()> handler_;
};

/// The main window as the logic sees it.
class Win32FormControl : public FormControl {
 public:
  void SetWindow(HWND window) { window_ = window; }
  WindowHandle Handle() const override { return window_; }
  bool IsActive() const override { return ::GetActiveWindow() == window_; }
  void Activate() override;
  void Close() override { ::SendMessageA(window_, WM_CLOSE, 0, 0); }
  void CloseLater() override { ::PostMessageA(window_, WM_CLOSE, 0, 0); }
  /// Posts kRunLaterMessage to the window, which answers it with RunPending.
  void RunLater(std::function<void()> work) override;
  /// Runs the oldest work RunLater put off.
  void RunPending();
  void SetWaitCursor(bool wait) override;
  bool WaitCursor() const { return wait_; }

 private:
  HWND window_ = nullptr;
  bool wait_ = false;
  std::deque<std::function<void()>> later_;
};

/// The message Win32FormControl::RunLater posts to its window.
inline constexpr UINT kRunLaterMessage = WM_APP + 21;

/// Has the pointer's window choose its cursor again, as a move would.
void RefreshCursor();

}  // namespace tarnel

#endif  // TARNEL_UI_WIN32_CONTROLS_WIN32_H_
