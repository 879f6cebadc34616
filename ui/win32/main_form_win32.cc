#include "ui/win32/main_form_win32.h"

#include <shellapi.h>

#include <algorithm>
#include <utility>

#include "platform/win32/dialog_keys.h"
#include "platform/local_text.h"
#include "ui/win32/about_box_win32.h"
#include "ui/win32/application_win32.h"
#include "ui/logic/main_form_layout.h"
#include "ui/logic/window_texts.h"

namespace tarnel {

namespace {

namespace text = main_form_text;

constexpr char kClassName[] = "TTarnelMainForm";
constexpr char kPageClassName[] = "TTabSheet";
constexpr char kPanelClassName[] = "TPanel";

// Control identifiers. None is IDOK or IDCANCEL, which the dialog keyboard
// sends for Enter without a default button and for Escape.
enum ControlId : int {
  kStatusLineId = 100,
  kSortMenuId,
  kSortFId,
  kSortRId,
  kPageControlId,
  kTabSheet1Id,
  kNotCaseSensitiveId,
  kUniqId,
  kTabSheet2Id,
  kSortPosEditId,
  kUpDown1Id,
  kUpDown2Id,
  kColumId,
  kFieldId,
  kStringCompId,
  kNumCompId,
  kInputGroupId,
  kClipBoard1Id,
  kFileOpenCheckId,
  kFileOpenPanelId,
  kFileOpenEditId,
  kOutputGroupId,
  kClipBoard2Id,
  kFileSaveCheckId,
  kFileSavePanelId,
  kFileSaveEditId,
  kOkButtonId,
  kCancelButtonId,
};

// Posted, so that the open dialog does not open inside a focus change.
constexpr UINT kFileOpenByTab = WM_APP + 20;

// Slots of a browse panel's window memory.
constexpr int kPanelFontSlot = 0;
constexpr int kPanelPressedSlot = sizeof(LONG_PTR);

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wparam,
                          LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lparam);
    ::SetWindowLongPtrA(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* form = reinterpret_cast<Win32MainForm*>(
      ::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (form && form->Window == window) {
    LRESULT result = 0;
    Guarded([&] { result = form->HandleMessage(message, wparam, lparam); });
    return result;
  }
  return ::DefWindowProcA(window, message, wparam, lparam);
}

// What a container's children tell it belongs to the window.
bool ForwardedToWindow(UINT message) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_VSCROLL:
    case WM_HSCROLL:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
      return true;
    default:
      return false;
  }
}

// A container whose focused control was hidden hands the focus to the
// window, which then has it itself.
bool ContainerMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                      LRESULT& result) {
  const HWND top = ::GetAncestor(window, GA_ROOT);
  if (ForwardedToWindow(message)) {
    result = ::SendMessageA(top, message, wparam, lparam);
    return true;
  }
  if (message == WM_SETFOCUS) {
    ::SetFocus(top);
    result = 0;
    return true;
  }
  return false;
}

LRESULT CALLBACK PageProc(HWND window, UINT message, WPARAM wparam,
                          LPARAM lparam) {
  LRESULT result = 0;
  if (ContainerMessage(window, message, wparam, lparam, result)) return result;
  return ::DefWindowProcA(window, message, wparam, lparam);
}

// The group boxes hold their controls: the system's group box, subclassed
// to pass its children's news on and to paint its inside, which it
// otherwise leaves to whatever lay there.
LRESULT CALLBACK GroupProc(HWND window, UINT message, WPARAM wparam,
                           LPARAM lparam) {
  const auto original =
      reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  LRESULT result = 0;
  if (ContainerMessage(window, message, wparam, lparam, result)) return result;
  if (message == WM_ERASEBKGND) {
    RECT area;
    ::GetClientRect(window, &area);
    ::FillRect(reinterpret_cast<HDC>(wparam), &area,
               ::GetSysColorBrush(COLOR_BTNFACE));
    return 1;
  }
  return ::CallWindowProcA(original, window, message, wparam, lparam);
}

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

void RegisterClasses(HINSTANCE instance) {
  WNDCLASSEXA main_class{};
  main_class.cbSize = sizeof main_class;
  main_class.lpfnWndProc = &MainProc;
  main_class.hInstance = instance;
  main_class.hIcon = ::LoadIconA(instance, MAKEINTRESOURCEA(1));
  main_class.hIconSm = static_cast<HICON>(
      ::LoadImageA(instance, MAKEINTRESOURCEA(1), IMAGE_ICON,
                   ::GetSystemMetrics(SM_CXSMICON),
                   ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  main_class.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  main_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  main_class.lpszClassName = kClassName;
  ::RegisterClassExA(&main_class);  // fails harmlessly the second time

  WNDCLASSEXA page_class = main_class;
  page_class.lpfnWndProc = &PageProc;
  page_class.hIcon = page_class.hIconSm = nullptr;
  page_class.lpszClassName = kPageClassName;
  ::RegisterClassExA(&page_class);

  WNDCLASSEXA panel_class = page_class;
  panel_class.lpfnWndProc = &PanelProc;
  panel_class.cbWndExtra = 2 * sizeof(LONG_PTR);
  panel_class.lpszClassName = kPanelClassName;
  ::RegisterClassExA(&panel_class);
}

HWND Make(HWND parent, const char* window_class, const char* utf8_text,
          DWORD style, int id, int x, int y, int width, int height,
          DWORD ex_style = 0) {
  const HWND control =
      ::CreateWindowExA(ex_style, window_class, LocalText(utf8_text).c_str(),
                        WS_CHILD | style, x, y, width, height, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                        ::GetModuleHandleA(nullptr), nullptr);
  ::SendMessageA(control, WM_SETFONT,
                 reinterpret_cast<WPARAM>(TarnelFontHandle()), FALSE);
  return control;
}

HWND MakeGroup(HWND parent, const char* caption, int id, int x, int y,
               int width, int height) {
  const HWND group = Make(parent, "BUTTON", caption, WS_VISIBLE | BS_GROUPBOX,
                          id, x, y, width, height, WS_EX_CONTROLPARENT);
  const LONG_PTR original = ::SetWindowLongPtrA(
      group, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&GroupProc));
  ::SetWindowLongPtrA(group, GWLP_USERDATA, original);
  return group;
}

HWND MakeCheck(HWND parent, const char* caption, int id, int x, int y,
               int width, int height, bool checked) {
  const HWND box =
      Make(parent, "BUTTON", caption, WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX,
           id, x, y, width, height);
  if (checked) ::SendMessageA(box, BM_SETCHECK, BST_CHECKED, 0);
  return box;
}

HWND MakeSpin(HWND parent, int id, int x, int y, int width, int height,
              DWORD style, HWND buddy, UINT increment) {
  const HWND spin =
      Make(parent, UPDOWN_CLASSA, "", WS_VISIBLE | UDS_NOTHOUSANDS | style, id,
           x, y, width, height);
  if (buddy) {
    ::SendMessageA(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy), 0);
    // Wine widens an attached spin control to its own arrows' width.
    ::SetWindowPos(spin, nullptr, x, y, width, height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ::SendMessageA(spin, UDM_SETRANGE32, kKeyPositionMinimum,
                 kKeyPositionMaximum);
  ::SendMessageA(spin, UDM_SETPOS32, 0, kKeyPositionMinimum);
  UDACCEL step{0, increment};
  ::SendMessageA(spin, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&step));
  return spin;
}

// Whether |control| and each of its parents below the top-level window are
// shown: a control can be chosen before the window itself is.
bool ShownInItsWindow(HWND control) {
  for (HWND at = control; at && (::GetWindowLongPtrA(at, GWL_STYLE) & WS_CHILD);
       at = ::GetParent(at)) {
    if (!(::GetWindowLongPtrA(at, GWL_STYLE) & WS_VISIBLE)) return false;
  }
  return true;
}

bool Usable(HWND control) {
  return ShownInItsWindow(control) && ::IsWindowEnabled(control) &&
         (::GetWindowLongPtrA(control, GWL_STYLE) & WS_TABSTOP);
}

bool IsEdit(HWND control) {
  char name[16] = {};
  ::GetClassNameA(control, name, sizeof name);
  return ::lstrcmpiA(name, "EDIT") == 0;
}

}  // namespace

Win32MainForm::Win32MainForm(Win32Application& application,
                             std::vector<std::string> arguments,
                             RunSortFunction run_sort)
    : logic_(controls_, form_control_, application, std::move(arguments),
             std::move(run_sort)),
      application_(application) {
  BuildWindow();
  BuildMenu();
  BuildControls();
  HandControlsToTheLogic();
  // Only now: loading the initial states must not run any reaction.
  logic_.Connect();
  logic_.FormCreate();
  // After FormCreate: a batch run is over before the window takes drops.
  ::DragAcceptFiles(Window, TRUE);
  AddDialogWindow(Window, kOwnKeysToWindow | kOwnTabOrder);
}

Win32MainForm::~Win32MainForm() {
  if (Window) ::DestroyWindow(Window);
}

void Win32MainForm::BuildWindow() {
  const HINSTANCE instance = ::GetModuleHandleA(nullptr);
  RegisterClasses(instance);
  // A single fixed border: no maximise button, no resizing.
  constexpr DWORD kStyle =
      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  MainMenu = ::CreateMenu();
  RECT frame{0, 0, kMainClientWidth, kMainClientHeight};
  ::AdjustWindowRectEx(&frame, kStyle, TRUE, 0);
  Window = ::CreateWindowExA(0, kClassName, text::kTitle, kStyle, CW_USEDEFAULT,
                             CW_USEDEFAULT, frame.right - frame.left,
                             frame.bottom - frame.top, nullptr, MainMenu,
                             instance, this);
  form_control_.SetWindow(Window);
}

void Win32MainForm::BuildMenu() {
  FileMenu = ::CreatePopupMenu();
  ::AppendMenuA(FileMenu, MF_STRING, kFileOpenItem, "&Open");
  ::AppendMenuA(FileMenu, MF_SEPARATOR, 0, nullptr);
  ::AppendMenuA(FileMenu, MF_STRING, kFileExitItem, "e&Xit");
  HelpMenu = ::CreatePopupMenu();
  ::AppendMenuA(HelpMenu, MF_STRING, kHelpContentsItem, "&Contents");
  ::AppendMenuA(HelpMenu, MF_STRING, kHelpSearchItem, "&Search");
  ::AppendMenuA(HelpMenu, MF_SEPARATOR, 0, nullptr);
  ::AppendMenuA(HelpMenu, MF_STRING, kHelpAboutItem, "&About");
  ::AppendMenuA(MainMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(FileMenu),
                "&File");
  ::AppendMenuA(MainMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(HelpMenu),
                "&Help");
  ::DrawMenuBar(Window);
  // The menu bar takes its height from the system: the client area keeps
  // the layout's size whatever it is.
  RECT client;
  ::GetClientRect(Window, &client);
  RECT frame;
  ::GetWindowRect(Window, &frame);
  ::SetWindowPos(Window, nullptr, 0, 0,
                 frame.right - frame.left + kMainClientWidth - client.right,
                 frame.bottom - frame.top + kMainClientHeight - client.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32MainForm::BuildControls() {
  // In tab order, which is the order of creation.
  StatusLine = Make(Window, STATUSCLASSNAMEA, "",
                    WS_VISIBLE | CCS_NOPARENTALIGN | CCS_NORESIZE,
                    kStatusLineId, 0, 291, kMainClientWidth, 23);
  ::SendMessageA(StatusLine, SB_SIMPLE, TRUE, 0);
  ::SendMessageA(
      StatusLine, SB_SETTEXTA, SB_SIMPLEID,
      reinterpret_cast<LPARAM>(LocalText(text::kStatusAtStart).c_str()));

  SortMenu = Make(Window, "BUTTON", text::kSortMenuCaption,
                  WS_VISIBLE | BS_GROUPBOX, kSortMenuId, 16, 8, 169, 89);
  // The radio buttons are the window's children, drawn over the frame.
  Sort_F_RadioButton =
      Make(Window, "BUTTON", text::kAscendingCaption,
           WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_AUTORADIOBUTTON, kSortFId,
           32, 32, 113, 17);
  ::SendMessageA(Sort_F_RadioButton, BM_SETCHECK, BST_CHECKED, 0);
  Sort_R_RadioButton =
      Make(Window, "BUTTON", text::kDescendingCaption,
           WS_VISIBLE | BS_AUTORADIOBUTTON, kSortRId, 32, 64, 121, 17);

  PageControl1 = Make(
      Window, WC_TABCONTROLA, "",
      WS_VISIBLE | WS_GROUP | WS_TABSTOP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
      kPageControlId, 208, 8, 201, 89);
  TCITEMA item{};
  item.mask = TCIF_TEXT;
  const std::string options_caption = LocalText(text::kOptionsPageCaption);
  const std::string key_caption = LocalText(text::kKeyPageCaption);
  item.pszText = const_cast<char*>(options_caption.c_str());
  ::SendMessageA(PageControl1, TCM_INSERTITEMA, 0,
                 reinterpret_cast<LPARAM>(&item));
  item.pszText = const_cast<char*>(key_caption.c_str());
  ::SendMessageA(PageControl1, TCM_INSERTITEMA, 1,
                 reinterpret_cast<LPARAM>(&item));
  RECT page{0, 0, 201, 89};
  ::SendMessageA(PageControl1, TCM_ADJUSTRECT, FALSE,
                 reinterpret_cast<LPARAM>(&page));
  const auto make_page = [&](int id, bool shown) {
    return Make(PageControl1, kPageClassName, "",
                WS_CLIPSIBLINGS | (shown ? WS_VISIBLE : 0), id, page.left,
                page.top, page.right - page.left, page.bottom - page.top,
                WS_EX_CONTROLPARENT);
  };

  TabSheet1 = make_page(kTabSheet1Id, true);
  NotCaseSensitiveCheckBox =
      MakeCheck(TabSheet1, text::kIgnoreCaseCaption, kNotCaseSensitiveId, 8, 8,
                145, 17, false);
  UniqCheckBox =
      MakeCheck(TabSheet1, text::kUniqueCaption, kUniqId, 8, 32, 97, 17, false);

  TabSheet2 = make_page(kTabSheet2Id, false);
  SortPosEdit = Make(TabSheet2, "EDIT", kInitialKeyPosition,
                     WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, kSortPosEditId,
                     16, 8, 41, 20, WS_EX_CLIENTEDGE);
  // The limit binds the user's typing only: the command line may put a
  // longer position there.
  ::SendMessageA(SortPosEdit, EM_LIMITTEXT, kKeyPositionTypedLimit, 0);
  UpDown1 =
      MakeSpin(TabSheet2, kUpDown1Id, 57, 8, 15, 20,
               UDS_SETBUDDYINT | UDS_ARROWKEYS, SortPosEdit, kUpDown1Increment);
  UpDown2 = MakeSpin(TabSheet2, kUpDown2Id, 72, 8, 16, 20, 0, nullptr,
                     kUpDown2Increment);
  ColumCheckBox = MakeCheck(TabSheet2, text::kColumnCaption, kColumId, 16, 40,
                            81, 17, true);
  FieldCheckBox = MakeCheck(TabSheet2, text::kFieldCaption, kFieldId, 104, 40,
                            73, 17, false);
  StringCompCheckBox = MakeCheck(TabSheet2, text::kStringCaption, kStringCompId,
                                 96, 0, 97, 17, true);
  NumCompCheckBox = MakeCheck(TabSheet2, text::kNumberCaption, kNumCompId, 96,
                              16, 97, 17, false);

  InputGroupBox = MakeGroup(Window, text::kInputGroupCaption, kInputGroupId, 16,
                            104, 393, 73);
  ClipBoardCheckBox1 = MakeCheck(InputGroupBox, text::kClipboardCaption,
                                 kClipBoard1Id, 16, 16, 97, 17, true);
  FileOpenCheckBox = MakeCheck(InputGroupBox, text::kFileCaption,
                               kFileOpenCheckId, 128, 16, 57, 17, false);
  FileOpenPanel = Make(InputGroupBox, kPanelClassName, text::kBrowseCaption,
                       WS_TABSTOP, kFileOpenPanelId, 344, 40, 41, 17);
  FileOpenEdit = Make(InputGroupBox, "EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL,
                      kFileOpenEditId, 16, 40, 321, 20, WS_EX_CLIENTEDGE);

  OutputGroupBox = MakeGroup(Window, text::kOutputGroupCaption, kOutputGroupId,
                             16, 184, 393, 73);
  ClipBoardCheckBox2 = MakeCheck(OutputGroupBox, text::kClipboardCaption,
                                 kClipBoard2Id, 16, 16, 97, 17, true);
  FileSaveCheckBox = MakeCheck(OutputGroupBox, text::kFileCaption,
                               kFileSaveCheckId, 128, 16, 57, 17, false);
  FileSavePanel = Make(OutputGroupBox, kPanelClassName, text::kBrowseCaption,
                       WS_TABSTOP, kFileSavePanelId, 344, 40, 41, 17);
  FileSaveEdit = Make(OutputGroupBox, "EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL,
                      kFileSaveEditId, 16, 40, 321, 20, WS_EX_CLIENTEDGE);

  OKButton =
      Make(Window, "BUTTON", text::kRunCaption,
           WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON | BS_NOTIFY,
           kOkButtonId, 112, 264, 75, 25);
  CancelButton = Make(Window, "BUTTON", text::kCloseCaption,
                      WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON | BS_NOTIFY,
                      kCancelButtonId, 232, 264, 75, 25);

  tab_chain_ = {Sort_F_RadioButton, Sort_R_RadioButton,
                PageControl1,       NotCaseSensitiveCheckBox,
                UniqCheckBox,       SortPosEdit,
                ColumCheckBox,      FieldCheckBox,
                StringCompCheckBox, NumCompCheckBox,
                ClipBoardCheckBox1, FileOpenCheckBox,
                FileOpenPanel,      FileOpenEdit,
                ClipBoardCheckBox2, FileSaveCheckBox,
                FileSavePanel,      FileSaveEdit,
                OKButton,           CancelButton};
  UpdateRadioTabStops();
}

void Win32MainForm::HandControlsToTheLogic() {
  const auto check = [this](HWND button) {
    checks_.push_back(std::make_unique<Win32CheckControl>(button));
    return checks_.back().get();
  };
  const auto edit = [this](HWND window) {
    edits_.push_back(std::make_unique<Win32EditControl>(window));
    return edits_.back().get();
  };
  const auto panel = [this](HWND window) {
    panels_.push_back(std::make_unique<Win32VisibleControl>(window));
    return panels_.back().get();
  };
  const auto spin = [this](HWND window, Win32EditControl* buddy) {
    spins_.push_back(std::make_unique<Win32SpinControl>(window, buddy));
    return spins_.back().get();
  };
  status_control_ = std::make_unique<Win32StatusControl>(StatusLine);
  controls_.Sort_F_RadioButton = check(Sort_F_RadioButton);
  controls_.Sort_R_RadioButton = check(Sort_R_RadioButton);
  controls_.NotCaseSensitiveCheckBox = check(NotCaseSensitiveCheckBox);
  controls_.UniqCheckBox = check(UniqCheckBox);
  controls_.ClipBoardCheckBox1 = check(ClipBoardCheckBox1);
  controls_.FileOpenCheckBox = check(FileOpenCheckBox);
  controls_.FileOpenPanel = panel(FileOpenPanel);
  controls_.FileOpenEdit = edit(FileOpenEdit);
  controls_.ClipBoardCheckBox2 = check(ClipBoardCheckBox2);
  controls_.FileSaveCheckBox = check(FileSaveCheckBox);
  controls_.FileSavePanel = panel(FileSavePanel);
  controls_.FileSaveEdit = edit(FileSaveEdit);
  Win32EditControl* const key_position = edit(SortPosEdit);
  controls_.SortPosEdit = key_position;
  controls_.UpDown1 = spin(UpDown1, key_position);
  controls_.UpDown2 = spin(UpDown2, nullptr);
  controls_.ColumCheckBox = check(ColumCheckBox);
  controls_.FieldCheckBox = check(FieldCheckBox);
  controls_.StringCompCheckBox = check(StringCompCheckBox);
  controls_.NumCompCheckBox = check(NumCompCheckBox);
  controls_.StatusLine = status_control_.get();
  // The radio buttons' tab stops follow their states.
  for (CheckControl* radio :
       {controls_.Sort_F_RadioButton, controls_.Sort_R_RadioButton}) {
    radio->OnChange([this] { UpdateRadioTabStops(); });
  }
}

void Win32MainForm::Show() {
  RECT frame;
  ::GetWindowRect(Window, &frame);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  ::SetWindowPos(Window, nullptr, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (::GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER);
  ::ShowWindow(Window, SW_SHOW);
  ::UpdateWindow(Window);
  ::SetForegroundWindow(Window);
  // The activation may have come while the window was still hidden, when
  // the focus could only go to the window itself.
  const HWND focus = ::GetFocus();
  if (focus == Window || !::IsChild(Window, focus)) {
    if (!saved_focus_) saved_focus_ = NextTabStop(nullptr, false);
    if (saved_focus_ && ::GetActiveWindow() == Window) ::SetFocus(saved_focus_);
  }
}

void Win32MainForm::SetAboutBox(Win32AboutBox* about_box) {
  logic_.SetAboutBox(about_box);
}

void Win32MainForm::UpdateRadioTabStops() {
  // Of an exclusive pair only the checked button is a tab stop; a click
  // still reaches the other.
  for (const HWND button : {Sort_F_RadioButton, Sort_R_RadioButton}) {
    LONG_PTR style = ::GetWindowLongPtrA(button, GWL_STYLE);
    const bool checked =
        ::SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
    style = checked ? (style | WS_TABSTOP) : (style & ~LONG_PTR{WS_TABSTOP});
    ::SetWindowLongPtrA(button, GWL_STYLE, style);
  }
}

HWND Win32MainForm::NextTabStop(HWND from, bool previous) const {
  const auto count = static_cast<std::ptrdiff_t>(tab_chain_.size());
  const auto found = std::find(tab_chain_.begin(), tab_chain_.end(), from);
  std::ptrdiff_t at = found == tab_chain_.end() ? (previous ? count : -1)
                                                : found - tab_chain_.begin();
  for (std::ptrdiff_t step = 0; step < count; ++step) {
    at = (at + (previous ? count - 1 : 1)) % count;
    const HWND candidate = tab_chain_[static_cast<std::size_t>(at)];
    if (Usable(candidate)) return candidate;
  }
  return nullptr;
}

void Win32MainForm::NextControl(WPARAM wparam, LPARAM lparam) {
  // A window has no dialog manager to move the focus: WM_NEXTDLGCTL, which
  // the dialog keyboard sends for Tab, is answered here.
  const bool by_tab = LOWORD(lparam) == 0;
  const HWND target = by_tab ? NextTabStop(::GetFocus(), wparam != 0)
                             : reinterpret_cast<HWND>(wparam);
  if (!target) return;
  tab_move_ = by_tab;
  ::SetFocus(target);
  tab_move_ = false;
  if (by_tab && IsEdit(target)) ::SendMessageA(target, EM_SETSEL, 0, -1);
}

void Win32MainForm::ShowPage(int page) {
  ::ShowWindow(TabSheet1, page == 0 ? SW_SHOW : SW_HIDE);
  ::ShowWindow(TabSheet2, page == 1 ? SW_SHOW : SW_HIDE);
}

void Win32MainForm::ShowDefaultButton(HWND focused) {
  // Windows' dialogs hand the default frame to the push button with the
  // focus, and back to the default button when no push button has it.
  const HWND current = focused == CancelButton ? CancelButton : OKButton;
  for (const HWND button : {OKButton, CancelButton}) {
    ::SendMessageA(button, BM_SETSTYLE,
                   button == current ? BS_DEFPUSHBUTTON | BS_NOTIFY
                                     : BS_PUSHBUTTON | BS_NOTIFY,
                   TRUE);
  }
}

void Win32MainForm::Command(int id, int code, HWND control) {
  if (!control) {
    switch (id) {
      case kFileOpenItem:
        logic_.FileOpen2();
        break;
      case kFileExitItem:
        logic_.FileExit();
        break;
      case kHelpContentsItem:
        logic_.HelpContents();
        break;
      case kHelpSearchItem:
        logic_.HelpSearch();
        break;
      case kHelpAboutItem:
        logic_.HelpAbout();
        break;
    }
    return;
  }
  for (const auto& edit : edits_) {
    if (edit->Window() == control && code == EN_CHANGE) edit->Changed();
  }
  if (id == kOkButtonId || id == kCancelButtonId) {
    if (code == BN_SETFOCUS) ShowDefaultButton(control);
    if (code == BN_KILLFOCUS) ShowDefaultButton(nullptr);
    if (code != BN_CLICKED) return;
    if (id == kOkButtonId) {
      logic_.OKButtonClick();
    } else {
      logic_.CancelButtonClick();
    }
    return;
  }
  if (id == kFileOpenPanelId) {
    if (code == BN_CLICKED) logic_.FileOpen();
    // Only a move from another control: the focus also comes back here
    // when the dialog closes, and that must not reopen it.
    if (code == BN_SETFOCUS && tab_move_) {
      ::PostMessageA(Window, kFileOpenByTab, 0, 0);
    }
    return;
  }
  if (id == kFileSavePanelId) {
    if (code == BN_CLICKED) logic_.FileSaveAs();
    return;
  }
  if (code == BN_CLICKED) {
    // A click may change more than the clicked control: a radio button
    // clears its partner.
    for (const auto& check : checks_) check->Refresh();
  }
}

void Win32MainForm::Notify(const NMHDR& header, LRESULT& result) {
  if (header.code == UDN_DELTAPOS) {
    for (const auto& spin : spins_) {
      if (spin->Window() == header.hwndFrom) {
        result = spin->DeltaPos(*reinterpret_cast<const NMUPDOWN*>(&header));
      }
    }
  } else if (header.code == TCN_SELCHANGE && header.hwndFrom == PageControl1) {
    ShowPage(
        static_cast<int>(::SendMessageA(PageControl1, TCM_GETCURSEL, 0, 0)));
  }
}

void Win32MainForm::DroppedFiles(HDROP drop) {
  // Further files of the same drop are ignored. The name is taken whole:
  // one cut to a fixed buffer would name another file.
  std::string name;
  if (::DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0) > 0) {
    const UINT length = ::DragQueryFileA(drop, 0, nullptr, 0);
    name.assign(static_cast<std::size_t>(length) + 1, '\0');
    name.resize(::DragQueryFileA(drop, 0, name.data(), length + 1));
  }
  POINT point{};
  const bool in_client = ::DragQueryPoint(drop, &point) != 0;
  ::DragFinish(drop);
  if (name.empty()) return;
  const HWND child = ::ChildWindowFromPoint(Window, point);
  const bool over_output = in_client && child == OutputGroupBox;
  logic_.WMDropFiles(
      name, over_output ? DropTarget::kOutputGroup : DropTarget::kElsewhere);
}

LRESULT Win32MainForm::HandleMessage(UINT message, WPARAM wparam,
                                     LPARAM lparam) {
  const HWND window = Window;
  switch (message) {
    case WM_COMMAND:
      Command(LOWORD(wparam), HIWORD(wparam), reinterpret_cast<HWND>(lparam));
      return 0;
    case WM_NOTIFY: {
      LRESULT result = 0;
      Notify(*reinterpret_cast<const NMHDR*>(lparam), result);
      return result;
    }
    case WM_VSCROLL:
      if (LOWORD(wparam) == SB_THUMBPOSITION) {
        for (const auto& spin : spins_) {
          if (spin->Window() == reinterpret_cast<HWND>(lparam))
            spin->Scrolled();
        }
      }
      return 0;
    case DM_GETDEFID:
      return MAKELRESULT(kOkButtonId, DC_HASDEFID);
    case WM_NEXTDLGCTL:
      NextControl(wparam, lparam);
      return 0;
    case kFileOpenByTab:
      logic_.FileOpen();
      return 0;
    case WM_KEYDOWN:
      // Only keys sent to the window itself get here.
      logic_.FormKeyDown(static_cast<int>(wparam));
      return 0;
    case WM_DROPFILES:
      DroppedFiles(reinterpret_cast<HDROP>(wparam));
      return 0;
    case WM_SETCURSOR:
      if (Win32Application::WaitCursorShown() || form_control_.WaitCursor()) {
        ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_ACTIVATE:
      if (LOWORD(wparam) == WA_INACTIVE) {
        const HWND focus = ::GetFocus();
        if (focus && ::IsChild(window, focus)) saved_focus_ = focus;
        return 0;
      }
      // The first activation focuses the first tab stop.
      if (!saved_focus_) saved_focus_ = NextTabStop(nullptr, false);
      if (!HIWORD(wparam) && saved_focus_ && ::IsWindow(saved_focus_) &&
          ::IsWindowVisible(saved_focus_) && ::IsWindowEnabled(saved_focus_)) {
        ::SetFocus(saved_focus_);
        return 0;
      }
      break;
    case WM_CLOSE:
      // A close asked for during a run happens once the run is over.
      if (logic_.CanClose()) ::DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      RemoveDialogWindow(window);
      ::DragAcceptFiles(window, FALSE);
      break;
    case WM_NCDESTROY: {
      ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      Window = nullptr;
      form_control_.SetWindow(nullptr);
      if (on_destroyed) on_destroyed();
      return ::DefWindowProcA(window, message, wparam, lparam);
    }
  }
  return ::DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace tarnel
