#include "ui/win32/controls_win32.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <utility>

#include "platform/wide_text_win32.h"

namespace tarnel {

namespace {

constexpr wchar_t kFontFace[] = L"ＭＳ Ｐゴシック";
constexpr int kFontPixels = 12;

bool OwnFlagVisible(HWND window) {
  return (::GetWindowLongPtrA(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

void Show(HWND window, bool visible) {
  ::ShowWindow(window, visible ? SW_SHOWNA : SW_HIDE);
}

// A whole number when |text| is nothing but decimal digits, saturating.
std::optional<long long> DecimalValue(const std::string& text) {
  if (text.empty()) return std::nullopt;
  long long value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = std::min<long long>(value * 10 + (c - '0'), INT_MAX);
  }
  return value;
}

HFONT FontIn(BYTE charset) {
  return ::CreateFontW(-kFontPixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                       charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       DEFAULT_QUALITY, VARIABLE_PITCH | FF_DONTCARE,
                       kFontFace);
}

}  // namespace

HFONT TarnelFontHandle() {
  static const HFONT font = FontIn(SHIFTJIS_CHARSET);
  return font;
}

HFONT DefaultCharsetFontHandle() {
  static const HFONT font = FontIn(DEFAULT_CHARSET);
  return font;
}

std::string WindowTextOf(HWND window) {
  std::string text(static_cast<std::size_t>(::GetWindowTextLengthA(window)) + 1,
                   '\0');
  text.resize(static_cast<std::size_t>(
      ::GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

bool Win32VisibleControl::IsVisible() const { return OwnFlagVisible(window_); }

void Win32VisibleControl::SetVisible(bool visible) { Show(window_, visible); }

Win32CheckControl::Win32CheckControl(HWND button)
    : button_(button), known_(IsChecked()) {}

bool Win32CheckControl::IsChecked() const {
  return ::SendMessageA(button_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32CheckControl::SetChecked(bool checked) {
  if (checked == IsChecked()) return;
  ::SendMessageA(button_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED,
                 0);
  Refresh();
}

void Win32CheckControl::Refresh() {
  const bool now = IsChecked();
  if (now == known_) return;
  known_ = now;
  if (handler_) handler_();
}

bool Win32EditControl::IsVisible() const { return OwnFlagVisible(edit_); }

void Win32EditControl::SetVisible(bool visible) { Show(edit_, visible); }

void Win32EditControl::SetText(const std::string& text) {
  // The system reports even an unchanged text; the logic wants changes.
  if (text == Text()) {
    ::SendMessageA(edit_, EM_SETMODIFY, FALSE, 0);
    return;
  }
  ::SetWindowTextA(edit_, text.c_str());
}

bool Win32EditControl::IsModified() const {
  return ::SendMessageA(edit_, EM_GETMODIFY, 0, 0) != 0;
}

void Win32EditControl::SetCaret(std::size_t position) {
  const auto at = static_cast<WPARAM>(position);
  ::SendMessageA(edit_, EM_SETSEL, at, static_cast<LPARAM>(at));
}

void Win32EditControl::Changed() {
  std::string now = Text();
  const bool same = now == known_;
  known_ = std::move(now);
  if (!same && !quiet_ && handler_) handler_();
}

void Win32EditControl::Quietly(const std::function<void()>& work) {
  const bool was = quiet_;
  quiet_ = true;
  work();
  quiet_ = was;
}

std::string Win32StatusControl::Text() const {
  // Read as UTF-16 and converted here: Wine's status bar counts the A
  // text's length in characters and writes its bytes past any buffer
  // sized by that count.
  // Wine keeps the simple text as the first part's: either holds it.
  for (const WPARAM part : {WPARAM{SB_SIMPLEID}, WPARAM{0}}) {
    const LRESULT length =
        ::SendMessageW(status_bar_, SB_GETTEXTLENGTHW, part, 0);
    if (LOWORD(length) == 0) continue;
    std::wstring text(static_cast<std::size_t>(LOWORD(length)) + 1, L'\0');
    ::SendMessageW(status_bar_, SB_GETTEXTW, part,
                   reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(LOWORD(length)));
    return BytesFrom(text, CP_ACP);
  }
  return std::string();
}

void Win32StatusControl::SetText(const std::string& text) {
  ::SendMessageA(status_bar_, SB_SETTEXTA, SB_SIMPLEID,
                 reinterpret_cast<LPARAM>(text.c_str()));
  // Painted now: a long step may follow before the next message.
  ::UpdateWindow(status_bar_);
}

int Win32SpinControl::Position() const {
  return static_cast<int>(::SendMessageA(up_down_, UDM_GETPOS32, 0, 0));
}

void Win32SpinControl::SetPosition(int position) {
  int minimum = 0;
  int maximum = 0;
  ::SendMessageA(up_down_, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&minimum),
                 reinterpret_cast<LPARAM>(&maximum));
  const int clamped = std::clamp(position, minimum, maximum);
  if (!buddy_) {
    ::SendMessageA(up_down_, UDM_SETPOS32, 0, clamped);
    return;
  }
  // The control writes every position into its buddy; this one must not.
  const HWND edit = buddy_->Window();
  const std::string text = buddy_->Text();
  const bool modified = buddy_->IsModified();
  DWORD start = 0;
  DWORD end = 0;
  ::SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
  buddy_->Quietly([&] {
    ::SendMessageA(up_down_, UDM_SETPOS32, 0, clamped);
    if (buddy_->Text() != text) ::SetWindowTextA(edit, text.c_str());
  });
  ::SendMessageA(edit, EM_SETMODIFY, modified, 0);
  ::SendMessageA(edit, EM_SETSEL, start, static_cast<LPARAM>(end));
}

LRESULT Win32SpinControl::DeltaPos(const NMUPDOWN& step) {
  int minimum = 0;
  int maximum = 0;
  ::SendMessageA(up_down_, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&minimum),
                 reinterpret_cast<LPARAM>(&maximum));
  // The system would step on from its own position when the buddy holds a
  // number beyond the range.
  int start = std::clamp(step.iPos, minimum, maximum);
  if (buddy_) {
    if (const auto value = DecimalValue(buddy_->Text())) {
      start = static_cast<int>(std::clamp<long long>(*value, minimum, maximum));
    }
  }
  const int target = static_cast<int>(std::clamp<long long>(
      static_cast<long long>(start) + step.iDelta, minimum, maximum));
  if (target != start) {
    // With UDS_SETBUDDYINT this writes plain digits into the buddy.
    ::SendMessageA(up_down_, UDM_SETPOS32, 0, target);
    moved_ = true;
  }
  return TRUE;  // made here: the control itself moves no further
}

void Win32SpinControl::Scrolled() {
  if (!std::exchange(moved_, false)) return;
  if (handler_) handler_();
}

void Win32CheckControl::SetTabStop(bool tab_stop) {
  LONG_PTR style = ::GetWindowLongPtrA(button_, GWL_STYLE);
  style = tab_stop ? (style | WS_TABSTOP) : (style & ~LONG_PTR{WS_TABSTOP});
  ::SetWindowLongPtrA(button_, GWL_STYLE, style);
}

void Win32FormControl::RunLater(std::function<void()> work) {
  later_.push_back(std::move(work));
  ::PostMessageA(window_, kRunLaterMessage, 0, 0);
}

void Win32FormControl::RunPending() {
  if (later_.empty()) return;
  const std::function<void()> work = std::move(later_.front());
  later_.pop_front();
  work();
}

void Win32FormControl::Activate() {
  ::SetForegroundWindow(window_);
  ::SetActiveWindow(window_);
}

void Win32FormControl::SetWaitCursor(bool wait) {
  wait_ = wait;
  RefreshCursor();
}

void RefreshCursor() {
  POINT point{};
  if (!::GetCursorPos(&point)) return;
  const HWND under = ::WindowFromPoint(point);
  DWORD process = 0;
  if (!under || (::GetWindowThreadProcessId(under, &process),
                 process != ::GetCurrentProcessId())) {
    return;
  }
  ::SendMessageA(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

}  // namespace tarnel
