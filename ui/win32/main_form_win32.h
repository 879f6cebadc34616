// TTarnelMainForm on Windows: the same window as the Qt one (main_form.h),
// built from the system's own controls. What the window does is
// MainFormLogic's; this class creates the controls at their places in the
// layout's client pixels, hands them to the logic through the control
// interfaces and forwards the system's notifications to the logic's
// handlers. Win32 view only.
#ifndef TARNEL_UI_WIN32_MAIN_FORM_WIN32_H_
#define TARNEL_UI_WIN32_MAIN_FORM_WIN32_H_

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/logic/main_form_layout.h"
#include "ui/logic/main_form_logic.h"
#include "ui/logic/off_thread_run.h"
#include "ui/win32/controls_win32.h"

namespace tarnel {

class Win32AboutBox;
class Win32Application;

class Win32MainForm {
 public:
  /// Creates the window, hidden, with every control in its initial state,
  /// then runs FormCreate on |arguments| (those after the program's own),
  /// so a batch run has happened when the constructor returns; only then
  /// does the window take dropped files. |run_sort| performs each run.
  Win32MainForm(Win32Application& application,
                std::vector<std::string> arguments,
                RunSortFunction run_sort = RunSortOffThread);
  ~Win32MainForm();
  Win32MainForm(const Win32MainForm&) = delete;
  Win32MainForm& operator=(const Win32MainForm&) = delete;

  /// Centres the window on the screen, shows and activates it.
  void Show();
  /// The About box that HelpAbout shows (not owned).
  void SetAboutBox(Win32AboutBox* about_box);
  /// Runs once the window is destroyed: the program ends its loop there.
  std::function<void()> on_destroyed;

  bool Running() const { return logic_.Running(); }
  bool BatchDelivered() const { return logic_.BatchDelivered(); }
  /// The window's behaviour: AutoRun, Quiet and the common dialogs.
  MainFormLogic& Logic() { return logic_; }
  const MainFormLogic& Logic() const { return logic_; }

  /// The window itself; null once it is destroyed.
  HWND Window() const { return window_; }
  /// The control named |name| in the layout (main_form_layout.h); null for
  /// no such control or once the window is destroyed.
  HWND Control(std::string_view name) const;
  /// The menu named |name| in the layout, or the menu bar for "MainMenu".
  HMENU Menu(std::string_view name) const;
  /// The WM_COMMAND identifier of the menu item named |name|; 0 for none.
  int MenuItemId(std::string_view name) const;

  /// The window procedure's share.
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

 private:
  void BuildWindow();
  void BuildMenu();
  void BuildControls();
  HWND BuildControl(const ControlDef& def, HWND parent, int id);
  void HandControlsToTheLogic();
  void Command(int id, int code, HWND control);
  void PushButtonCommand(const ControlDef& def, int code, HWND control);
  void Notify(const NMHDR& header, LRESULT& result);
  void DroppedFiles(HDROP drop);
  void NextControl(WPARAM wparam, LPARAM lparam);
  HWND NextTabStop(HWND from, bool previous) const;
  void ShowPage(int page);
  void ShowDefaultButton(HWND focused);
  // The layout's row of |control|; null for none.
  const ControlDef* DefOf(HWND control) const;

  MainFormControls controls_;
  Win32FormControl form_control_;
  MainFormLogic logic_;
  Win32Application& application_;

  HWND window_ = nullptr;
  HMENU main_menu_ = nullptr;
  // Parallel to the layout's tables; a menu item's row holds no menu.
  std::vector<HWND> controls_by_row_;
  std::vector<HMENU> menus_by_row_;
  std::vector<HWND> tab_sheets_;
  std::vector<HWND> push_buttons_;
  HWND default_button_ = nullptr;

  std::vector<std::unique_ptr<Win32CheckControl>> checks_;
  std::vector<std::unique_ptr<Win32EditControl>> edits_;
  std::vector<std::unique_ptr<Win32VisibleControl>> panels_;
  std::vector<std::unique_ptr<Win32SpinControl>> spins_;
  std::unique_ptr<Win32StatusControl> status_control_;
  // The tab stops' order; pages and group boxes are passed through.
  std::vector<HWND> tab_chain_;
  HWND saved_focus_ = nullptr;
  bool tab_move_ = false;
};

}  // namespace tarnel

#endif  // TARNEL_UI_WIN32_MAIN_FORM_WIN32_H_
