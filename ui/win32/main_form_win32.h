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
#include <vector>

#include "ui/logic/main_form_logic.h"
#include "ui/logic/off_thread_run.h"
#include "ui/win32/controls_win32.h"

namespace tarnel {

class Win32AboutBox;
class Win32Application;

class Win32MainForm {
  // First, so that the public references below bind to a living logic.
 private:
  MainFormControls controls_;
  Win32FormControl form_control_;
  MainFormLogic logic_;

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

  MainFormLogic& Logic() { return logic_; }
  bool Running() const { return logic_.Running(); }
  bool BatchDelivered() const { return logic_.BatchDelivered(); }
  std::uint8_t& AutoRun = logic_.AutoRun;
  std::uint8_t& Quiet = logic_.Quiet;
  CommonFileDialog& OpenDialog = logic_.OpenDialog;
  CommonFileDialog& SaveDialog = logic_.SaveDialog;

  // The window and its controls, named as in the layout; null once the
  // window is destroyed.
  HWND Window = nullptr;
  HMENU MainMenu = nullptr;
  HMENU FileMenu = nullptr;
  HMENU HelpMenu = nullptr;
  HWND StatusLine = nullptr;
  HWND SortMenu = nullptr;
  HWND Sort_F_RadioButton = nullptr;
  HWND Sort_R_RadioButton = nullptr;
  HWND PageControl1 = nullptr;
  HWND TabSheet1 = nullptr;
  HWND NotCaseSensitiveCheckBox = nullptr;
  HWND UniqCheckBox = nullptr;
  HWND TabSheet2 = nullptr;
  HWND SortPosEdit = nullptr;
  HWND UpDown1 = nullptr;
  HWND UpDown2 = nullptr;
  HWND ColumCheckBox = nullptr;
  HWND FieldCheckBox = nullptr;
  HWND StringCompCheckBox = nullptr;
  HWND NumCompCheckBox = nullptr;
  HWND InputGroupBox = nullptr;
  HWND ClipBoardCheckBox1 = nullptr;
  HWND FileOpenCheckBox = nullptr;
  HWND FileOpenPanel = nullptr;
  HWND FileOpenEdit = nullptr;
  HWND OutputGroupBox = nullptr;
  HWND ClipBoardCheckBox2 = nullptr;
  HWND FileSaveCheckBox = nullptr;
  HWND FileSavePanel = nullptr;
  HWND FileSaveEdit = nullptr;
  HWND OKButton = nullptr;
  HWND CancelButton = nullptr;

  /// The menu commands' identifiers (WM_COMMAND).
  enum MenuCommand : int {
    kFileOpenItem = 201,
    kFileExitItem,
    kHelpContentsItem,
    kHelpSearchItem,
    kHelpAboutItem,
  };

  /// The window procedure's share.
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

 private:
  void BuildWindow();
  void BuildMenu();
  void BuildControls();
  void HandControlsToTheLogic();
  void Command(int id, int code, HWND control);
  void Notify(const NMHDR& header, LRESULT& result);
  void DroppedFiles(HDROP drop);
  void NextControl(WPARAM wparam, LPARAM lparam);
  HWND NextTabStop(HWND from, bool previous) const;
  void ShowPage(int page);
  void UpdateRadioTabStops();
  void ShowDefaultButton(HWND focused);

  Win32Application& application_;
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
