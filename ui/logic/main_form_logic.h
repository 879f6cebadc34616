// The behaviour of TTarnelMainForm, written once for every toolkit: the
// sort settings and the couplings that keep paired controls consistent, the
// run handler with its refusal of a second run, the command line, the key
// position's input filter and spin controls, browsing and dropped files,
// help, the About box and closing. It drives the window through the control
// interfaces of controls.h; each toolkit's window builds its controls, hands
// them over and forwards its events to the handlers here, which keep their
// names (FileOpenCheckBoxClick, SortPosEditChange, OKButtonClick, ...).
#ifndef TARNEL_UI_LOGIC_MAIN_FORM_LOGIC_H_
#define TARNEL_UI_LOGIC_MAIN_FORM_LOGIC_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/sort_parameters.h"
#include "platform/file_dialogs.h"
#include "ui/logic/controls.h"
#include "ui/logic/main_form_layout.h"

namespace tarnel {

/// The engine's entry as the run handler calls it. Returns the run's
/// outcome: 0 when the result was delivered.
using RunSortFunction = std::function<std::int32_t(const SortRequest&)>;

/// A common file dialog as the window keeps it between uses.
struct CommonFileDialog {
  FileDialogKind kind;
  /// Set before every use, replacing all others.
  unsigned options = 0;
  std::string filter;
  /// The name last chosen in this dialog; offered as the next start.
  std::string file_name;
};

/// The controls the logic drives, named as in the window. None owned.
struct MainFormControls {
  CheckControl* Sort_F_RadioButton = nullptr;
  CheckControl* Sort_R_RadioButton = nullptr;
  CheckControl* NotCaseSensitiveCheckBox = nullptr;
  CheckControl* UniqCheckBox = nullptr;
  CheckControl* ClipBoardCheckBox1 = nullptr;
  CheckControl* FileOpenCheckBox = nullptr;
  VisibleControl* FileOpenPanel = nullptr;
  EditControl* FileOpenEdit = nullptr;
  CheckControl* ClipBoardCheckBox2 = nullptr;
  CheckControl* FileSaveCheckBox = nullptr;
  VisibleControl* FileSavePanel = nullptr;
  EditControl* FileSaveEdit = nullptr;
  EditControl* SortPosEdit = nullptr;
  SpinControl* UpDown1 = nullptr;
  SpinControl* UpDown2 = nullptr;
  CheckControl* ColumCheckBox = nullptr;
  CheckControl* FieldCheckBox = nullptr;
  CheckControl* StringCompCheckBox = nullptr;
  CheckControl* NumCompCheckBox = nullptr;
  StatusControl* StatusLine = nullptr;
};

/// Hands |control| to the slot of |controls| named |name|. False when no
/// slot of that name takes a control of its kind.
bool AttachControl(MainFormControls& controls, std::string_view name,
                   CheckControl* control);
bool AttachControl(MainFormControls& controls, std::string_view name,
                   EditControl* control);
bool AttachControl(MainFormControls& controls, std::string_view name,
                   VisibleControl* control);
bool AttachControl(MainFormControls& controls, std::string_view name,
                   SpinControl* control);
bool AttachControl(MainFormControls& controls, std::string_view name,
                   StatusControl* control);

/// The control of |controls| named |name|: the pointer of its kind is set,
/// the others are null (all of them when the logic drives no such control).
struct NamedControl {
  CheckControl* check = nullptr;
  EditControl* edit = nullptr;
  VisibleControl* visible = nullptr;
  SpinControl* spin = nullptr;
  StatusControl* status = nullptr;
};
NamedControl FindNamedControl(const MainFormControls& controls,
                              std::string_view name);

/// Where a drop of files ended.
enum class DropTarget { kOutputGroup, kElsewhere };

class MainFormLogic {
 public:
  /// |arguments| are those after the program's own. |controls| must
  /// outlive the logic and be filled in by the time Connect runs; nothing is
  /// touched until then.
  MainFormLogic(const MainFormControls& controls, FormControl& form,
                ApplicationControl& application,
                std::vector<std::string> arguments, RunSortFunction run_sort);
  MainFormLogic(const MainFormLogic&) = delete;
  MainFormLogic& operator=(const MainFormLogic&) = delete;

  /// Installs the reactions. Call once the controls hold their initial
  /// states: loading those must run no reaction.
  void Connect();
  /// The creation-time handler: installs the hint handler, applies the
  /// command line and, with "-a" or "-a+", runs the one sort and asks the
  /// application to end.
  void FormCreate();

  /// One run from the current settings. True only when the run delivered
  /// its result; false when a run is already in progress or one of the
  /// window's boxes is open (the request is refused), a file path is missing
  /// (after its box), or the run failed (the engine has told the user).
  bool ExecuteSort();
  /// The Run button: ExecuteSort under the window's wait cursor. Does
  /// nothing while a run is in progress.
  void OKButtonClick();
  void CancelButtonClick();
  /// Applies the program's arguments to the controls, AutoRun and Quiet.
  void ParseCommandLine();

  // The check boxes' reactions.
  void ClipBoardCheckBox1Click();
  void FileOpenCheckBoxClick();
  void ClipBoardCheckBox2Click();
  void FileSaveCheckBoxClick();
  void ColumCheckBoxClick();
  void FieldCheckBoxClick();
  void StringCompCheckBoxClick();
  void NumCompCheckBoxClick();

  /// The input filter, after every change of SortPosEdit's text.
  void SortPosEditChange();
  /// UpDown1 stepped: UpDown2 follows the number in SortPosEdit.
  void UpDown1Click();
  /// UpDown2 stepped: SortPosEdit shows its position.
  void UpDown2Click();

  /// The input browse panel: a file chosen in OpenDialog replaces the
  /// input path's text, and nothing else.
  void FileOpen();
  /// The focus reached the input browse panel: a move by Tab opens its
  /// dialog, once the focus change is over. The focus that comes back when
  /// the dialog closes opens nothing.
  void FileOpenPanelEnter(FocusCause cause);
  /// The output browse panel: the same with SaveDialog and the output path.
  void FileSaveAs();
  /// File > Open: a file chosen in OpenDialog becomes the input file.
  void FileOpen2();
  /// File > Exit.
  void FileExit();
  void HelpContents();
  void HelpSearch();
  /// Writes the version text into the About box and shows it, not modal.
  void HelpAbout();
  /// The status line takes the application's hint text.
  void ShowHint();
  /// A menu item was chosen.
  void MenuItemClick(MenuCommand command);
  /// A key that reached the window itself: Escape closes it.
  void FormKeyDown(FormKey key);
  /// The first file of a drop becomes the output file over the output
  /// group and the input file anywhere else; the name is taken unchecked.
  void WMDropFiles(const std::string& name, DropTarget target);

  /// Whether a close request may go ahead now. During a run it may not,
  /// and the window closes once the run and its boxes are over.
  bool CanClose();

  void SetAboutBox(AboutBoxControl* about_box) { about_box_ = about_box; }
  /// True while a run, its boxes included, is in progress.
  bool Running() const { return running_; }
  /// Whether the batch run of FormCreate delivered its result.
  bool BatchDelivered() const { return batch_delivered_; }
  /// The program's exit status once the window's session is over: for a
  /// batch run 0 when the result was delivered and 1 otherwise; else 0.
  int ExitStatus() const;

  /// 1 once "-a" or "-a+" was given: one run, no window.
  std::uint8_t AutoRun = 0;
  /// 1 once "-a+" was given: the run shows no closing box.
  std::uint8_t Quiet = 0;

  // The common dialogs, which have no place in the layout.
  CommonFileDialog OpenDialog;
  CommonFileDialog SaveDialog;

 private:
  // The input side's controls, or the output side's.
  struct FileSide {
    CheckControl* clipboard;
    CheckControl* file;
    VisibleControl* panel;
    EditControl* edit;
  };
  FileSide InputSide() const;
  FileSide OutputSide() const;
  // Makes |name| the side's file, as the command line does.
  void UseFile(const FileSide& side, const std::string& name);
  // Switches the side to |name| as a file, as a menu choice or a drop does.
  void SwitchToFile(const FileSide& side, const std::string& name);
  // The reaction of the side's file box.
  void FileCheckBoxClick(const FileSide& side);
  void ApplyKeyOption(const std::string& folded);
  // Runs |dialog| with exactly |options|; the name the user confirmed.
  std::optional<std::string> RunFileDialog(CommonFileDialog& dialog,
                                           unsigned options);
  // A plain box that disables every window; |text| in the locale's
  // encoding.
  void ShowPlainBox(const std::string& text, const char* caption);
  // A close asked for during the run now goes ahead.
  void FinishRun();
  // Of the exclusive pair only the checked button is a tab stop.
  void UpdateRadioTabStops();

  const MainFormControls& c_;
  FormControl& form_;
  ApplicationControl& application_;
  std::vector<std::string> arguments_;
  RunSortFunction run_sort_;
  AboutBoxControl* about_box_ = nullptr;
  bool running_ = false;
  // The window's own boxes open now, each waiting for its OK.
  int open_boxes_ = 0;
  bool close_pending_ = false;
  bool batch_delivered_ = false;
};

}  // namespace tarnel

#endif  // TARNEL_UI_LOGIC_MAIN_FORM_LOGIC_H_
