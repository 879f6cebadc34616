#include "ui/win32/main_form_win32.h"

#include <shellapi.h>

#include <algorithm>
#include <utility>

#include "platform/local_text.h"
#include "platform/wide_text_win32.h"
#include "platform/win32/dialog_keys.h"
#include "ui/logic/main_form_layout.h"
#include "ui/logic/window_texts.h"
#include "ui/win32/about_box_win32.h"
#include "ui/win32/application_win32.h"
#include "ui/win32/browse_panel_win32.h"

namespace tarnel {

namespace {

namespace text = main_form_text;

constexpr char kClassName[] = "TTarnelMainForm";
constexpr char kPageClassName[] = "TTabSheet";

// The controls' identifiers follow the layout's rows from here, the menu
// items' from kFirstMenuItemId. None is IDOK or IDCANCEL, which the dialog
// keyboard sends for Enter without a default button and for Escape.
constexpr int kFirstControlId = 100;
constexpr int kFirstMenuItemId = 200;

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wparam,
                          LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lparam);
    ::SetWindowLongPtrA(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* form = reinterpret_cast<Win32MainForm*>(
      ::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (form && form->Window() == window) {
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

  RegisterBrowsePanelClass(instance);
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

// An edit is a Unicode window: typed characters beyond ASCII then reach it
// whole, through its spin control's subclass too, while the program still
// speaks to it in the ANSI code page.
HWND MakeEdit(HWND parent, const char* utf8_text, DWORD style, int id,
              const LayoutRect& r) {
  const std::wstring wide = WideFrom(LocalText(utf8_text), CP_ACP);
  const HWND control =
      ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", wide.c_str(),
                        WS_CHILD | style, r.x, r.y, r.width, r.height, parent,
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

// Whether a control of the layout sits in the one named |name|.
bool HoldsControls(const char* name) {
  for (const ControlDef& def : MainFormControlTable()) {
    if (def.parent && std::string_view(def.parent) == name) return true;
  }
  return false;
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
  ::DragAcceptFiles(window_, TRUE);
  AddDialogWindow(window_, kOwnKeysToWindow | kOwnTabOrder);
}

Win32MainForm::~Win32MainForm() {
  if (window_) ::DestroyWindow(window_);
}

HWND Win32MainForm::Control(std::string_view name) const {
  if (!window_) return nullptr;
  const auto rows = MainFormControlTable();
  for (std::size_t row = 0; row < rows.size(); ++row) {
    if (rows[row].name == name) return controls_by_row_[row];
  }
  return nullptr;
}

HMENU Win32MainForm::Menu(std::string_view name) const {
  if (name == "MainMenu") return main_menu_;
  const auto rows = MainMenuTable();
  for (std::size_t row = 0; row < rows.size(); ++row) {
    if (rows[row].name == name) return menus_by_row_[row];
  }
  return nullptr;
}

int Win32MainForm::MenuItemId(std::string_view name) const {
  const auto rows = MainMenuTable();
  for (std::size_t row = 0; row < rows.size(); ++row) {
    if (rows[row].name == name && rows[row].parent) {
      return kFirstMenuItemId + static_cast<int>(row);
    }
  }
  return 0;
}

const ControlDef* Win32MainForm::DefOf(HWND control) const {
  const auto rows = MainFormControlTable();
  for (std::size_t row = 0; row < rows.size(); ++row) {
    if (controls_by_row_[row] == control) return &rows[row];
  }
  return nullptr;
}

void Win32MainForm::BuildWindow() {
  const HINSTANCE instance = ::GetModuleHandleA(nullptr);
  RegisterClasses(instance);
  // A single fixed border: no maximise button, no resizing.
  constexpr DWORD kStyle =
      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  main_menu_ = ::CreateMenu();
  RECT frame{0, 0, kMainClientWidth, kMainClientHeight};
  ::AdjustWindowRectEx(&frame, kStyle, TRUE, 0);
  window_ = ::CreateWindowExA(
      0, kClassName, text::kTitle, kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
      frame.right - frame.left, frame.bottom - frame.top, nullptr, main_menu_,
      instance, this);
  form_control_.SetWindow(window_);
}

void Win32MainForm::BuildMenu() {
  const auto rows = MainMenuTable();
  menus_by_row_.assign(rows.size(), nullptr);
  for (std::size_t row = 0; row < rows.size(); ++row) {
    const MenuDef& entry = rows[row];
    if (!entry.parent) {
      menus_by_row_[row] = ::CreatePopupMenu();
      ::AppendMenuA(main_menu_, MF_POPUP,
                    reinterpret_cast<UINT_PTR>(menus_by_row_[row]),
                    entry.caption);
      continue;
    }
    const HMENU menu = Menu(entry.parent);
    if (!entry.caption) {
      ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    } else {
      ::AppendMenuA(menu, MF_STRING,
                    static_cast<UINT_PTR>(kFirstMenuItemId) + row,
                    entry.caption);
    }
  }
  ::DrawMenuBar(window_);
  // The menu bar takes its height from the system: the client area keeps
  // the layout's size whatever it is.
  RECT client;
  ::GetClientRect(window_, &client);
  RECT frame;
  ::GetWindowRect(window_, &frame);
  ::SetWindowPos(window_, nullptr, 0, 0,
                 frame.right - frame.left + kMainClientWidth - client.right,
                 frame.bottom - frame.top + kMainClientHeight - client.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND Win32MainForm::BuildControl(const ControlDef& def, HWND parent, int id) {
  const char* text = def.text ? def.text : "";
  const LayoutRect& r = def.rect;
  const DWORD shown = def.shown ? WS_VISIBLE : 0;
  switch (def.kind) {
    case ControlKind::kStatusBar: {
      const HWND status_line = Make(parent, STATUSCLASSNAMEA, "",
                                    shown | CCS_NOPARENTALIGN | CCS_NORESIZE,
                                    id, r.x, r.y, r.width, r.height);
      ::SendMessageA(status_line, SB_SIMPLE, TRUE, 0);
      ::SendMessageA(status_line, SB_SETTEXTA, SB_SIMPLEID,
                     reinterpret_cast<LPARAM>(LocalText(text).c_str()));
      return status_line;
    }
    case ControlKind::kGroupBox:
      // A frame that holds controls is their parent; one that does not is
      // drawn behind the window's own controls.
      if (HoldsControls(def.name)) {
        return MakeGroup(parent, text, id, r.x, r.y, r.width, r.height);
      }
      return Make(parent, "BUTTON", text, shown | BS_GROUPBOX, id, r.x, r.y,
                  r.width, r.height);
    case ControlKind::kRadioButton:
    case ControlKind::kCheckBox: {
      const bool radio = def.kind == ControlKind::kRadioButton;
      // The first button of an exclusive pair starts its group.
      const bool first_radio = radio && &def != MainFormControlTable().data() &&
                               (&def - 1)->kind != ControlKind::kRadioButton;
      const DWORD style =
          radio ? BS_AUTORADIOBUTTON : DWORD{WS_TABSTOP | BS_AUTOCHECKBOX};
      const HWND button =
          Make(parent, "BUTTON", text,
               shown | style | (first_radio ? DWORD{WS_GROUP} : 0), id, r.x,
               r.y, r.width, r.height);
      if (def.checked) ::SendMessageA(button, BM_SETCHECK, BST_CHECKED, 0);
      return button;
    }
    case ControlKind::kPageControl:
      return Make(
          parent, WC_TABCONTROLA, "",
          shown | WS_GROUP | WS_TABSTOP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, id,
          r.x, r.y, r.width, r.height);
    case ControlKind::kTabSheet: {
      const std::string caption = LocalText(text);
      TCITEMA item{};
      item.mask = TCIF_TEXT;
      item.pszText = const_cast<char*>(caption.c_str());
      const auto index = ::SendMessageA(parent, TCM_GETITEMCOUNT, 0, 0);
      ::SendMessageA(parent, TCM_INSERTITEMA, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&item));
      if (def.shown) {
        ::SendMessageA(parent, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
      }
      // The page fills the tab control's inside.
      RECT page;
      ::GetClientRect(parent, &page);
      ::SendMessageA(parent, TCM_ADJUSTRECT, FALSE,
                     reinterpret_cast<LPARAM>(&page));
      const HWND sheet =
          Make(parent, kPageClassName, "", WS_CLIPSIBLINGS | shown, id,
               page.left, page.top, page.right - page.left,
               page.bottom - page.top, WS_EX_CONTROLPARENT);
      tab_sheets_.push_back(sheet);
      return sheet;
    }
    case ControlKind::kEdit:
    case ControlKind::kPathEdit: {
      const HWND edit =
          MakeEdit(parent, text, shown | WS_TABSTOP | ES_AUTOHSCROLL, id, r);
      // The limit binds the user's typing only: the command line may put a
      // longer text there.
      if (def.typed_limit > 0) {
        ::SendMessageA(edit, EM_LIMITTEXT, static_cast<WPARAM>(def.typed_limit),
                       0);
      }
      return edit;
    }
    case ControlKind::kUpDown:
      return MakeSpin(parent, id, r.x, r.y, r.width, r.height,
                      def.buddy ? UDS_SETBUDDYINT | UDS_ARROWKEYS : 0,
                      def.buddy ? Control(def.buddy) : nullptr,
                      static_cast<UINT>(def.step));
    case ControlKind::kBrowsePanel:
      return Make(parent, kBrowsePanelClass, text, shown | WS_TABSTOP, id, r.x,
                  r.y, r.width, r.height);
    case ControlKind::kPushButton: {
      // The push buttons start a group of their own.
      const bool first = push_buttons_.empty();
      const HWND button =
          Make(parent, "BUTTON", text,
               shown | WS_TABSTOP | BS_NOTIFY | (first ? DWORD{WS_GROUP} : 0) |
                   (def.default_button ? DWORD{BS_DEFPUSHBUTTON}
                                       : DWORD{BS_PUSHBUTTON}),
               id, r.x, r.y, r.width, r.height);
      push_buttons_.push_back(button);
      if (def.default_button) default_button_ = button;
      return button;
    }
  }
  return nullptr;
}

void Win32MainForm::BuildControls() {
  const auto rows = MainFormControlTable();
  controls_by_row_.assign(rows.size(), nullptr);
  for (std::size_t row = 0; row < rows.size(); ++row) {
    const ControlDef& def = rows[row];
    const HWND parent = def.parent ? Control(def.parent) : window_;
    controls_by_row_[row] =
        BuildControl(def, parent, kFirstControlId + static_cast<int>(row));
  }
  for (const ControlDef* def : TabOrder()) {
    tab_chain_.push_back(Control(def->name));
  }
}

void Win32MainForm::HandControlsToTheLogic() {
  for (const ControlDef& def : MainFormControlTable()) {
    const HWND control = Control(def.name);
    switch (def.kind) {
      case ControlKind::kRadioButton:
      case ControlKind::kCheckBox:
        checks_.push_back(std::make_unique<Win32CheckControl>(control));
        AttachControl(controls_, def.name, checks_.back().get());
        break;
      case ControlKind::kEdit:
      case ControlKind::kPathEdit:
        edits_.push_back(std::make_unique<Win32EditControl>(control));
        AttachControl(controls_, def.name, edits_.back().get());
        break;
      case ControlKind::kBrowsePanel:
        panels_.push_back(std::make_unique<Win32VisibleControl>(control));
        AttachControl(controls_, def.name, panels_.back().get());
        break;
      case ControlKind::kUpDown: {
        // A spin control with a buddy writes the buddy's text itself.
        Win32EditControl* buddy = nullptr;
        for (const auto& edit : edits_) {
          if (def.buddy && edit->Window() == Control(def.buddy)) {
            buddy = edit.get();
          }
        }
        spins_.push_back(std::make_unique<Win32SpinControl>(control, buddy));
        AttachControl(controls_, def.name, spins_.back().get());
        break;
      }
      case ControlKind::kStatusBar:
        status_control_ = std::make_unique<Win32StatusControl>(control);
        AttachControl(controls_, def.name, status_control_.get());
        break;
      case ControlKind::kGroupBox:
      case ControlKind::kPageControl:
      case ControlKind::kTabSheet:
      case ControlKind::kPushButton:
        break;
    }
  }
}
void Win32MainForm::Show() {
  RECT frame;
  ::GetWindowRect(window_, &frame);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  ::SetWindowPos(window_, nullptr,
                 (::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (::GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER);
  ::ShowWindow(window_, SW_SHOW);
  ::UpdateWindow(window_);
  ::SetForegroundWindow(window_);
  // The activation may have come while the window was still hidden, when
  // the focus could only go to the window itself.
  const HWND focus = ::GetFocus();
  if (focus == window_ || !::IsChild(window_, focus)) {
    if (!saved_focus_) saved_focus_ = NextTabStop(nullptr, false);
    if (saved_focus_ && ::GetActiveWindow() == window_)
      ::SetFocus(saved_focus_);
  }
}

void Win32MainForm::SetAboutBox(Win32AboutBox* about_box) {
  logic_.SetAboutBox(about_box);
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
  for (std::size_t i = 0; i < tab_sheets_.size(); ++i) {
    ::ShowWindow(tab_sheets_[i],
                 static_cast<int>(i) == page ? SW_SHOW : SW_HIDE);
  }
}

void Win32MainForm::ShowDefaultButton(HWND focused) {
  // Windows' dialogs hand the default frame to the push button with the
  // focus, and back to the default button when no push button has it.
  const bool push_button = std::find(push_buttons_.begin(), push_buttons_.end(),
                                     focused) != push_buttons_.end();
  const HWND current = push_button ? focused : default_button_;
  for (const HWND button : push_buttons_) {
    ::SendMessageA(button, BM_SETSTYLE,
                   button == current ? BS_DEFPUSHBUTTON | BS_NOTIFY
                                     : BS_PUSHBUTTON | BS_NOTIFY,
                   TRUE);
  }
}

void Win32MainForm::Command(int id, int code, HWND control) {
  if (!control) {
    const auto rows = MainMenuTable();
    const auto row = static_cast<std::size_t>(id - kFirstMenuItemId);
    if (id >= kFirstMenuItemId && row < rows.size()) {
      logic_.MenuItemClick(rows[row].command);
    }
    return;
  }
  for (const auto& edit : edits_) {
    if (edit->Window() == control && code == EN_CHANGE) edit->Changed();
  }
  const ControlDef* def = DefOf(control);
  if (!def) return;
  const std::string_view name = def->name;
  switch (def->kind) {
    case ControlKind::kPushButton:
      PushButtonCommand(*def, code, control);
      return;
    case ControlKind::kBrowsePanel:
      if (name == "FileOpenPanel") {
        if (code == BN_CLICKED) logic_.FileOpen();
        if (code == BN_SETFOCUS) {
          logic_.FileOpenPanelEnter(tab_move_ ? FocusCause::kTab
                                              : FocusCause::kOther);
        }
      } else if (name == "FileSavePanel" && code == BN_CLICKED) {
        logic_.FileSaveAs();
      }
      return;
    default:
      if (code == BN_CLICKED) {
        // A click may change more than the clicked control: a radio button
        // clears its partner.
        for (const auto& check : checks_) check->Refresh();
      }
  }
}

void Win32MainForm::PushButtonCommand(const ControlDef& def, int code,
                                      HWND control) {
  if (code == BN_SETFOCUS) ShowDefaultButton(control);
  if (code == BN_KILLFOCUS) ShowDefaultButton(nullptr);
  if (code != BN_CLICKED) return;
  const std::string_view name = def.name;
  if (name == "OKButton") logic_.OKButtonClick();
  if (name == "CancelButton") logic_.CancelButtonClick();
}

void Win32MainForm::Notify(const NMHDR& header, LRESULT& result) {
  if (header.code == UDN_DELTAPOS) {
    for (const auto& spin : spins_) {
      if (spin->Window() == header.hwndFrom) {
        result = spin->DeltaPos(*reinterpret_cast<const NMUPDOWN*>(&header));
      }
    }
  } else if (header.code == TCN_SELCHANGE) {
    ShowPage(
        static_cast<int>(::SendMessageA(header.hwndFrom, TCM_GETCURSEL, 0, 0)));
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
  const HWND child = ::ChildWindowFromPoint(window_, point);
  const bool over_output = in_client && child == Control("OutputGroupBox");
  logic_.WMDropFiles(
      name, over_output ? DropTarget::kOutputGroup : DropTarget::kElsewhere);
}

LRESULT Win32MainForm::HandleMessage(UINT message, WPARAM wparam,
                                     LPARAM lparam) {
  const HWND window = window_;
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
      return MAKELRESULT(::GetDlgCtrlID(default_button_), DC_HASDEFID);
    case WM_NEXTDLGCTL:
      NextControl(wparam, lparam);
      return 0;
    case kRunLaterMessage:
      form_control_.RunPending();
      return 0;
    case WM_KEYDOWN:
      // Only keys sent to the window itself get here.
      logic_.FormKeyDown(wparam == VK_ESCAPE ? FormKey::kEscape
                                             : FormKey::kOther);
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
      window_ = nullptr;
      form_control_.SetWindow(nullptr);
      if (on_destroyed) on_destroyed();
      return ::DefWindowProcA(window, message, wparam, lparam);
    }
  }
  return ::DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace tarnel
