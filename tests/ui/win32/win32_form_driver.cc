// The case tables' window on Windows' own controls: the real Win32MainForm,
// driven with the messages the system sends for the user's clicks, keys and
// pastes, and read back through the system.
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>

#include <cstring>
#include <memory>
#include <string>

#include "platform/local_text.h"
#include "platform/wide_text_win32.h"
#include "tests/ui/cases/form_driver.h"
#include "tests/ui/win32/win32_window_support.h"
#include "ui/logic/main_form_layout.h"
#include "ui/win32/application_win32.h"
#include "ui/win32/controls_win32.h"
#include "ui/win32/main_form_win32.h"

namespace tarnel {
namespace {

// Puts |bytes| on the clipboard as CF_TEXT, as another program would.
void PutOnClipboard(HWND owner, const std::string& bytes) {
  const HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size() + 1);
  std::memcpy(::GlobalLock(block), bytes.c_str(), bytes.size() + 1);
  ::GlobalUnlock(block);
  ::OpenClipboard(owner);
  ::EmptyClipboard();
  ::SetClipboardData(CF_TEXT, block);
  ::CloseClipboard();
}

class Win32FormDriver : public FormDriver {
 public:
  void Start(std::vector<std::string> arguments) override {
    application_.SetTitle("TARNEL");
    application_.SetHelpFile("Tarnel.hlp");
    form_ = std::make_unique<Win32MainForm>(application_, std::move(arguments),
                                            runs.Function());
  }
  MainFormLogic& Logic() override { return form_->Logic(); }
  WindowHandle Owner() override { return application_.Handle(); }

  bool Checked(std::string_view name) override {
    return ::SendMessageA(Control(name), BM_GETCHECK, 0, 0) == BST_CHECKED;
  }
  bool Shown(std::string_view name) override {
    return (::GetWindowLongPtrA(Control(name), GWL_STYLE) & WS_VISIBLE) != 0;
  }
  std::string Text(std::string_view name) override {
    if (FindControl(name)->kind == ControlKind::kStatusBar) {
      return Win32StatusControl(Control(name)).Text();
    }
    return WindowTextOf(Control(name));
  }
  std::size_t Caret(std::string_view name) override {
    DWORD end = 0;
    ::SendMessageA(Control(name), EM_GETSEL, 0, reinterpret_cast<LPARAM>(&end));
    return end;
  }
  int Position(std::string_view name) override {
    return static_cast<int>(::SendMessageA(Control(name), UDM_GETPOS32, 0, 0));
  }

  void Click(std::string_view name) override {
    ::SendMessageA(Control(name), BM_CLICK, 0, 0);
    Pump();
  }
  void SetText(std::string_view name, const std::string& text) override {
    ::SetWindowTextA(Control(name), text.c_str());
  }
  void SetPosition(std::string_view name, int position) override {
    ::SendMessageA(Control(name), UDM_SETPOS32, 0, position);
  }

  void Edit(std::string_view name, const UserEdit& edit) override {
    const HWND control = Control(name);
    ::SetFocus(control);
    ::SendMessageA(control, EM_SETSEL, static_cast<WPARAM>(edit.start),
                   static_cast<LPARAM>(edit.start + edit.length));
    if (edit.pasted) {
      PutOnClipboard(form_->Window(), LocalText(edit.text));
      ::SendMessageA(control, WM_PASTE, 0, 0);
    } else if (edit.text.empty()) {
      ::SendMessageA(control, WM_KEYDOWN, VK_DELETE, 1);
    } else {
      const std::wstring wide = WideFrom(edit.text, CP_UTF8);
      for (const wchar_t character : wide) {
        if (character < 0x80) {
          ::SendMessageA(control, WM_CHAR, character, 1);
          continue;
        }
        // Beyond ASCII the character arrives whole, as a Unicode message
        // loop hands it over.
        MSG message{};
        message.hwnd = control;
        message.message = WM_CHAR;
        message.wParam = character;
        message.lParam = 1;
        ::DispatchMessageW(&message);
      }
    }
    Pump();
  }

 private:
  HWND Control(std::string_view name) const { return form_->Control(name); }

  Win32Application application_;
  std::unique_ptr<Win32MainForm> form_;
};

}  // namespace

std::unique_ptr<FormDriver> MakeFormDriver() {
  return std::make_unique<Win32FormDriver>();
}

}  // namespace tarnel
