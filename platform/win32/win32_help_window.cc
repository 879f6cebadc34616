#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>

#include <algorithm>
#include <map>
#include <utility>

#include "platform/wide_text_win32.h"
#include "platform/win32/dialog_keys.h"
#include "platform/win32/win32_help_window.h"

namespace tarnel {

namespace {

constexpr wchar_t kClassName[] = L"TarnelHelpWindow";
constexpr wchar_t kDefaultTitle[] = L"Help";
constexpr wchar_t kContentsPage[] = L"Contents";
constexpr wchar_t kIndexPage[] = L"Index";
constexpr wchar_t kSearchPrompt[] =
    L"Type the first few letters of the word you are looking for:";
constexpr wchar_t kDisplay[] = L"Display";
constexpr wchar_t kFontFace[] = L"\xFF2D\xFF33 \xFF30\x30B4\x30B7\x30C3\x30AF";
constexpr int kFontHeight = 12;

constexpr int kClientWidth = 680;
constexpr int kClientHeight = 440;
constexpr int kMargin = 8;
constexpr int kSideWidth = 228;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kEditHeight = 20;
constexpr int kPromptHeight = 28;

enum ControlId : int {
  kPagesId = 100,
  kContentsId,
  kPromptId,
  kSearchId,
  kIndexId,
  kDisplayId,
  kTopicId,
};

HWND Hwnd(WindowHandle handle) { return static_cast<HWND>(handle); }

std::wstring FromUtf8(std::string_view text) { return WideFrom(text, CP_UTF8); }

std::wstring WindowText(HWND window) {
  std::wstring text(
      static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

bool StartsWithIgnoringCase(const std::wstring& text,
                            const std::wstring& prefix) {
  if (prefix.size() > text.size()) return false;
  if (prefix.empty()) return true;
  const int length = static_cast<int>(prefix.size());
  return ::CompareStringOrdinal(text.data(), length, prefix.data(), length,
                                TRUE) == CSTR_EQUAL;
}

bool LessIgnoringCase(const std::wstring& a, const std::wstring& b) {
  return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()),
                                TRUE) == CSTR_LESS_THAN;
}

std::wstring Folded(std::wstring text) {
  if (!text.empty()) {
    ::CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
  }
  return text;
}

LRESULT CALLBACK HelpProc(HWND window, UINT message, WPARAM wparam,
                          LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    ::SetWindowLongPtrW(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* help = reinterpret_cast<Win32HelpWindow*>(
      ::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (help && help->Window == window) {
    return help->Handle(message, wparam, lparam);
  }
  return ::DefWindowProcW(window, message, wparam, lparam);
}

HWND Child(HWND parent, const wchar_t* window_class, const wchar_t* text,
           DWORD style, int id, const RECT& place, DWORD ex_style = 0) {
  return ::CreateWindowExW(ex_style, window_class, text, WS_CHILD | style,
                           place.left, place.top, place.right - place.left,
                           place.bottom - place.top, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           ::GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

std::string TopicText(const HelpTopic& topic) {
  std::string text = topic.title + "\r\n";
  HelpBlock::Kind previous = HelpBlock::Kind::kParagraph;
  bool first = true;
  for (const HelpBlock& block : topic.blocks) {
    // Items of one list stand on consecutive lines.
    const bool same_list = !first && block.kind == HelpBlock::Kind::kItem &&
                           previous == HelpBlock::Kind::kItem;
    if (!same_list) text += "\r\n";
    switch (block.kind) {
      case HelpBlock::Kind::kParagraph:
        text += block.text + "\r\n";
        break;
      case HelpBlock::Kind::kItem:
        text += "\xE3\x83\xBB " + block.text + "\r\n";  // "・ "
        break;
      case HelpBlock::Kind::kExample: {
        std::size_t start = 0;
        while (start <= block.text.size()) {
          const std::size_t end = block.text.find('\n', start);
          const std::size_t stop =
              end == std::string::npos ? block.text.size() : end;
          text += "    " + block.text.substr(start, stop - start) + "\r\n";
          if (end == std::string::npos) break;
          start = end + 1;
        }
        break;
      }
    }
    previous = block.kind;
    first = false;
  }
  return text;
}

Win32HelpWindow::Win32HelpWindow() {
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = &HelpProc;
  window_class.hInstance = instance;
  window_class.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kClassName;
  window_class.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
  ::RegisterClassExW(&window_class);  // fails harmlessly the second time

  constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU |
                           WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  RECT frame{0, 0, kClientWidth, kClientHeight};
  ::AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
  const HWND window = ::CreateWindowExW(
      0, kClassName, kDefaultTitle, kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
      frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
      instance, this);
  Window = window;
  if (!window) return;

  const int side_right = kMargin + kSideWidth;
  const HWND pages = Child(
      window, WC_TABCONTROLW, L"", WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS,
      kPagesId, {kMargin, kMargin, side_right, kClientHeight - kMargin});
  Pages = pages;
  font_ =
      ::CreateFontW(-kFontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                    SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                    DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, kFontFace);
  ::SendMessageW(pages, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<wchar_t*>(kContentsPage);
  ::SendMessageW(pages, TCM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  item.pszText = const_cast<wchar_t*>(kIndexPage);
  ::SendMessageW(pages, TCM_INSERTITEMW, 1, reinterpret_cast<LPARAM>(&item));
  RECT area{kMargin, kMargin, side_right, kClientHeight - kMargin};
  ::SendMessageW(pages, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
  ::InflateRect(&area, -2, -2);

  constexpr DWORD kList = WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY |
                          LBS_NOINTEGRALHEIGHT | WS_CLIPSIBLINGS;
  ContentsList = Child(window, L"LISTBOX", L"", kList, kContentsId, area,
                       WS_EX_CLIENTEDGE);
  RECT prompt = area;
  prompt.bottom = prompt.top + kPromptHeight;
  SearchPrompt = Child(window, L"STATIC", kSearchPrompt, WS_CLIPSIBLINGS,
                       kPromptId, prompt);
  RECT search = area;
  search.top = prompt.bottom + 4;
  search.bottom = search.top + kEditHeight;
  SearchEdit =
      Child(window, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL | WS_CLIPSIBLINGS,
            kSearchId, search, WS_EX_CLIENTEDGE);
  RECT display = area;
  display.top = area.bottom - kButtonHeight;
  display.left = area.right - kButtonWidth;
  RECT index = area;
  index.top = search.bottom + 4;
  index.bottom = display.top - 4;
  IndexList =
      Child(window, L"LISTBOX", L"", kList, kIndexId, index, WS_EX_CLIENTEDGE);
  DisplayButton =
      Child(window, L"BUTTON", kDisplay,
            WS_TABSTOP | BS_PUSHBUTTON | WS_CLIPSIBLINGS, kDisplayId, display);
  TopicView = Child(window, L"EDIT", L"",
                    WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE |
                        ES_READONLY | ES_AUTOVSCROLL,
                    kTopicId,
                    {side_right + kMargin, kMargin, kClientWidth - kMargin,
                     kClientHeight - kMargin},
                    WS_EX_CLIENTEDGE);
  for (const WindowHandle control : {ContentsList, SearchPrompt, SearchEdit,
                                     IndexList, DisplayButton, TopicView}) {
    ::SendMessageW(Hwnd(control), WM_SETFONT, reinterpret_cast<WPARAM>(font_),
                   FALSE);
  }
  // Last in the z-order and clipped by the rest, so that it never paints
  // over the page's controls; it is the last tab stop for that.
  ::SetWindowPos(pages, HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ShowPage(0);
  AddDialogWindow(Window);
}

Win32HelpWindow::~Win32HelpWindow() {
  if (Window) {
    RemoveDialogWindow(Window);
    ::DestroyWindow(Hwnd(Window));
  }
  if (font_) ::DeleteObject(static_cast<HFONT>(font_));
}

void Win32HelpWindow::SetDocument(HelpDocument document) {
  document_ = std::move(document);
  ::SetWindowTextW(Hwnd(Window), document_.title.empty()
                                     ? kDefaultTitle
                                     : FromUtf8(document_.title).c_str());
  current_topic_ = -1;
  ::SetWindowTextW(Hwnd(TopicView), L"");
  ::SendMessageW(Hwnd(ContentsList), LB_RESETCONTENT, 0, 0);
  for (const HelpTopic& topic : document_.topics) {
    const std::wstring title = FromUtf8(topic.title);
    ::SendMessageW(Hwnd(ContentsList), LB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(title.c_str()));
  }
  FillIndex();
}

void Win32HelpWindow::FillIndex() {
  index_.clear();
  std::map<std::wstring, int> uses;
  for (int t = 0; t < static_cast<int>(document_.topics.size()); ++t) {
    for (const std::string& keyword :
         document_.topics[static_cast<std::size_t>(t)].keywords) {
      index_.push_back({FromUtf8(keyword), t});
      ++uses[Folded(FromUtf8(keyword))];
    }
  }
  std::stable_sort(index_.begin(), index_.end(),
                   [](const IndexEntry& a, const IndexEntry& b) {
                     return LessIgnoringCase(a.keyword, b.keyword);
                   });
  ::SendMessageW(Hwnd(IndexList), LB_RESETCONTENT, 0, 0);
  for (const IndexEntry& entry : index_) {
    std::wstring text = entry.keyword;
    // A keyword of several topics names the topic, too.
    if (uses[Folded(entry.keyword)] > 1) {
      text +=
          L" (" +
          FromUtf8(
              document_.topics[static_cast<std::size_t>(entry.topic)].title) +
          L")";
    }
    ::SendMessageW(Hwnd(IndexList), LB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(text.c_str()));
  }
}

void Win32HelpWindow::FilterIndex(const std::string& prefix) {
  SelectFirstKeyword(FromUtf8(prefix));
}

void Win32HelpWindow::SelectFirstKeyword(const std::wstring& prefix) {
  for (std::size_t row = 0; row < index_.size(); ++row) {
    if (StartsWithIgnoringCase(index_[row].keyword, prefix)) {
      ::SendMessageW(Hwnd(IndexList), LB_SETCURSEL, row, 0);
      ::SendMessageW(Hwnd(IndexList), LB_SETTOPINDEX, row, 0);
      return;
    }
  }
}

void Win32HelpWindow::ShowSelectedKeyword() {
  const LRESULT row = ::SendMessageW(Hwnd(IndexList), LB_GETCURSEL, 0, 0);
  if (row < 0 || row >= static_cast<LRESULT>(index_.size())) return;
  ShowTopic(index_[static_cast<std::size_t>(row)].topic);
}

void Win32HelpWindow::ShowPage(int page) {
  ::SendMessageW(Hwnd(Pages), TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
  const int contents = page == 0 ? SW_SHOW : SW_HIDE;
  const int index = page == 0 ? SW_HIDE : SW_SHOW;
  ::ShowWindow(Hwnd(ContentsList), contents);
  for (const WindowHandle control :
       {SearchPrompt, SearchEdit, IndexList, DisplayButton}) {
    ::ShowWindow(Hwnd(control), index);
  }
}

void Win32HelpWindow::ShowContents() {
  ShowPage(0);
  if (!document_.topics.empty()) {
    ::SendMessageW(Hwnd(ContentsList), LB_SETCURSEL, 0, 0);
    ShowTopic(0);
  }
  BringToFront();
  ::SetFocus(Hwnd(ContentsList));
}

void Win32HelpWindow::ShowIndex(const std::string& keyword) {
  ShowPage(1);
  ::SetWindowTextW(Hwnd(SearchEdit), WideFrom(keyword, CP_ACP).c_str());
  if (!index_.empty()) ::SendMessageW(Hwnd(IndexList), LB_SETCURSEL, 0, 0);
  SelectFirstKeyword(WindowText(Hwnd(SearchEdit)));
  BringToFront();
  ::SetFocus(Hwnd(SearchEdit));
}

void Win32HelpWindow::ShowTopic(int index) {
  if (index < 0 || index >= static_cast<int>(document_.topics.size())) return;
  current_topic_ = index;
  const std::wstring text =
      FromUtf8(TopicText(document_.topics[static_cast<std::size_t>(index)]));
  ::SetWindowTextW(Hwnd(TopicView), text.c_str());
  if (::SendMessageW(Hwnd(ContentsList), LB_GETCURSEL, 0, 0) != index) {
    ::SendMessageW(Hwnd(ContentsList), LB_SETCURSEL, static_cast<WPARAM>(index),
                   0);
  }
}

void Win32HelpWindow::CentreOn(WindowHandle owner) {
  if (placed_ || !Window) return;
  placed_ = true;
  RECT area{};
  if (owner && ::IsWindowVisible(Hwnd(owner))) {
    ::GetWindowRect(Hwnd(owner), &area);
  } else {
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  }
  RECT frame{};
  ::GetWindowRect(Hwnd(Window), &frame);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  ::SetWindowPos(Hwnd(Window), nullptr, (area.left + area.right - width) / 2,
                 (area.top + area.bottom - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32HelpWindow::BringToFront() {
  ::ShowWindow(Hwnd(Window), SW_SHOW);
  ::SetForegroundWindow(Hwnd(Window));
}

long long Win32HelpWindow::Handle(unsigned message, unsigned long long wparam,
                                  long long lparam) {
  const HWND window = Hwnd(Window);
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      const int code = HIWORD(wparam);
      if (id == kContentsId && code == LBN_SELCHANGE) {
        ShowTopic(static_cast<int>(
            ::SendMessageW(Hwnd(ContentsList), LB_GETCURSEL, 0, 0)));
      } else if (id == kSearchId && code == EN_CHANGE) {
        SelectFirstKeyword(WindowText(Hwnd(SearchEdit)));
      } else if ((id == kIndexId && code == LBN_DBLCLK) ||
                 (id == kDisplayId && code == BN_CLICKED)) {
        ShowSelectedKeyword();
      } else if (id == IDCANCEL) {
        // Escape, wherever the focus is in the window.
        ::ShowWindow(window, SW_HIDE);
      }
      return 0;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lparam);
      if (header->idFrom == kPagesId && header->code == TCN_SELCHANGE) {
        ShowPage(
            static_cast<int>(::SendMessageW(Hwnd(Pages), TCM_GETCURSEL, 0, 0)));
      }
      return 0;
    }
    case DM_GETDEFID:
      // Enter shows the selected keyword's topic, on the index page.
      if (::IsWindowVisible(Hwnd(DisplayButton))) {
        return MAKELRESULT(kDisplayId, DC_HASDEFID);
      }
      return 0;
    case WM_CLOSE:
      ::ShowWindow(window, SW_HIDE);
      return 0;
    case WM_NCDESTROY:
      ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      break;
  }
  return ::DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace tarnel
