// TTarnelMainForm, the main window. Its controls' states are the sort
// settings: the command line and the user set them, ExecuteSort reads them
// back into one RunSort call. Paired check boxes keep each other
// consistent through the reactions below, which run synchronously whenever a
// box's state really changes, whether the user or the program changed it.
#ifndef TARNEL_UI_MAIN_FORM_H_
#define TARNEL_UI_MAIN_FORM_H_

#include <QMainWindow>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/message_boxes.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QMenuBar;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTabWidget;

namespace tarnel {

class BrowsePanel;
class TAboutBox;
class TarnelApplication;

/// The engine's entry as the run handler calls it. Returns the run's
/// outcome: 0 when the result was delivered.
using RunSortFunction = std::function<std::int32_t(
    WindowHandle owner, std::int32_t sort_mode, const char* input_name,
    const char* output_name, std::int32_t key_pos, std::int32_t key_kind,
    std::uint8_t quiet)>;

/// RunSort, answering its LastResult.
std::int32_t RunSortAndReport(WindowHandle owner, std::int32_t sort_mode,
                              const char* input_name, const char* output_name,
                              std::int32_t key_pos, std::int32_t key_kind,
                              std::uint8_t quiet);

class TTarnelMainForm : public QMainWindow {
  Q_OBJECT

 public:
  /// Builds the window with every control in its initial state, then runs
  /// FormCreate on |arguments| (those after the program's own), so a batch
  /// run has happened when the constructor returns. |run_sort| performs
  /// each run.
  TTarnelMainForm(TarnelApplication& application,
                  std::vector<std::string> arguments,
                  RunSortFunction run_sort = RunSortAndReport);
  ~TTarnelMainForm() override;

  /// One run from the current settings. Returns true only when the run
  /// delivered its result; false when a run is already in progress (the
  /// request is refused), a file path is missing (after its box), or the
  /// run failed (the engine has told the user).
  bool ExecuteSort();
  /// The Run button: ExecuteSort under the window's wait cursor. Does
  /// nothing while a run is in progress.
  void OKButtonClick();
  /// Applies the program's arguments to the controls, AutoRun and Quiet.
  void ParseCommandLine();
  /// Writes the version text into the About box and shows it, not modal.
  void HelpAbout();
  /// The About box that HelpAbout shows (not owned).
  void SetAboutBox(TAboutBox* about_box) { about_box_ = about_box; }

  /// True while a run, its boxes included, is in progress.
  bool Running() const { return running_; }
  /// Whether the batch run of FormCreate delivered its result.
  bool BatchDelivered() const { return batch_delivered_; }

  /// 1 once "-a" or "-a+" was given: one run, no window.
  std::uint8_t AutoRun = 0;
  /// 1 once "-a+" was given: the run shows no closing box.
  std::uint8_t Quiet = 0;

  // The controls, owned by the window. Those inside ClientArea sit at fixed
  // positions in its 426 x 314 pixels, below the menu bar MainMenu.
  QMenuBar* MainMenu = nullptr;
  QWidget* ClientArea = nullptr;
  QStatusBar* StatusLine = nullptr;
  QGroupBox* SortMenu = nullptr;
  QRadioButton* Sort_F_RadioButton = nullptr;
  QRadioButton* Sort_R_RadioButton = nullptr;
  QGroupBox* InputGroupBox = nullptr;
  QCheckBox* ClipBoardCheckBox1 = nullptr;
  QCheckBox* FileOpenCheckBox = nullptr;
  BrowsePanel* FileOpenPanel = nullptr;
  QLineEdit* FileOpenEdit = nullptr;
  QGroupBox* OutputGroupBox = nullptr;
  QCheckBox* ClipBoardCheckBox2 = nullptr;
  QCheckBox* FileSaveCheckBox = nullptr;
  BrowsePanel* FileSavePanel = nullptr;
  QLineEdit* FileSaveEdit = nullptr;
  QPushButton* OKButton = nullptr;
  QPushButton* CancelButton = nullptr;
  QTabWidget* PageControl1 = nullptr;
  QWidget* TabSheet1 = nullptr;
  QCheckBox* NotCaseSensitiveCheckBox = nullptr;
  QCheckBox* UniqCheckBox = nullptr;
  QWidget* TabSheet2 = nullptr;
  QLineEdit* SortPosEdit = nullptr;
  QCheckBox* ColumCheckBox = nullptr;
  QCheckBox* FieldCheckBox = nullptr;
  QCheckBox* StringCompCheckBox = nullptr;
  QCheckBox* NumCompCheckBox = nullptr;

 protected:
  /// A close request during a run is refused; the run must end first.
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildWindow();
  void BuildControls();
  void SetTabOrder();
  void ConnectReactions();
  void FormCreate();

  void ClipBoardCheckBox1Click();
  void FileOpenCheckBoxClick();
  void ClipBoardCheckBox2Click();
  void FileSaveCheckBoxClick();
  void ColumCheckBoxClick();
  void FieldCheckBoxClick();
  void StringCompCheckBoxClick();
  void NumCompCheckBoxClick();
  void CancelButtonClick();
  // Enter presses the focused push button, else the Run button.
  void DefaultButtonKey();

  void UseInputFile(const std::string& name);
  void UseOutputFile(const std::string& name);
  void ApplyKeyOption(const std::string& lowered);
  void ShowPlainBox(const char* text);

  TarnelApplication& application_;
  std::vector<std::string> arguments_;
  RunSortFunction run_sort_;
  TAboutBox* about_box_ = nullptr;
  bool running_ = false;
  bool batch_delivered_ = false;
};

}  // namespace tarnel

#endif  // TARNEL_UI_MAIN_FORM_H_
