// TTarnelMainForm, the main window. Its controls' states are the sort
// settings: the command line and the user set them, ExecuteSort reads them
// back into one RunSort call. Paired check boxes keep each other
// consistent through the reactions below, which run synchronously whenever a
// box's state really changes, whether the user or the program changed it.
// Around them: the menu, the browse panels with the common file dialogs,
// files dropped on the window, the key position's input filter and spin
// controls, help, the status line's hints, and closing.
#ifndef TARNEL_UI_MAIN_FORM_H_
#define TARNEL_UI_MAIN_FORM_H_

#include <QMainWindow>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/sort_parameters.h"
#include "platform/file_dialogs.h"
#include "platform/message_boxes.h"
#include "ui/off_thread_run.h"

class QAction;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QMenu;
class QMenuBar;
class QMimeData;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTabWidget;

namespace tarnel {

class BrowsePanel;
class TAboutBox;
class TarnelApplication;
class UpDown;

/// A common file dialog as the window keeps it between uses.
struct CommonFileDialog {
  FileDialogKind kind;
  /// Set before every use, replacing all others.
  unsigned options = 0;
  std::string filter;
  /// The name last chosen in this dialog; offered as the next start.
  std::string file_name;
};

/// The engine's entry as the run handler calls it. Returns the run's
/// outcome: 0 when the result was delivered.
using RunSortFunction = std::function<std::int32_t(const SortRequest&)>;

class TTarnelMainForm : public QMainWindow {
  Q_OBJECT

 public:
  /// Builds the window with every control in its initial state, then runs
  /// FormCreate on |arguments| (those after the program's own), so a batch
  /// run has happened when the constructor returns. |run_sort| performs
  /// each run.
  TTarnelMainForm(TarnelApplication& application,
                  std::vector<std::string> arguments,
                  RunSortFunction run_sort = RunSortOffThread);
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
  /// Help > Contents: the help file's contents.
  void HelpContents();
  /// Help > Search: the help file's keyword index, no keyword chosen.
  void HelpSearch();
  /// File > Open: a file chosen in OpenDialog becomes the input file, its
  /// path edit gets the focus. A cancel changes nothing.
  void FileOpen2();
  /// File > Exit: closes the window.
  void FileExit();
  /// The input browse panel: a file chosen in OpenDialog replaces the
  /// input path's text, and nothing else.
  void FileOpen();
  /// The output browse panel: the same with SaveDialog and the output path.
  void FileSaveAs();
  /// The status line takes the application's hint text.
  void ShowHint();
  /// The input filter, after every change of SortPosEdit's text: reacts
  /// only to the user's changes, shows the text, then removes every byte
  /// that is not a digit with a box for each; an empty text or a lone 0
  /// becomes 1. UpDown2 follows the number left.
  void SortPosEditChange();
  /// UpDown1 stepped: UpDown2 follows the number in SortPosEdit.
  void UpDown1Click();
  /// UpDown2 stepped: SortPosEdit shows its position.
  void UpDown2Click();
  /// A key that reached the window itself: Escape closes it.
  void FormKeyDown(int key, Qt::KeyboardModifiers shift);
  /// Files dropped at |point| (window coordinates): the first one becomes
  /// the output file over the output group, its controls included, and the
  /// input file anywhere else. The name is taken whole and unchecked.
  void WMDropFiles(const QMimeData& drop, const QPoint& point);
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
  // positions in its kMainClientWidth x kMainClientHeight pixels, below the
  // menu bar MainMenu.
  QMenuBar* MainMenu = nullptr;
  QMenu* FileMenu = nullptr;
  QAction* FileOpenItem = nullptr;
  QAction* N1 = nullptr;
  QAction* FileExitItem = nullptr;
  QMenu* HelpMenu = nullptr;
  QAction* HelpContentsItem = nullptr;
  QAction* HelpSearchItem = nullptr;
  QAction* N3 = nullptr;
  QAction* HelpAboutItem = nullptr;
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
  UpDown* UpDown1 = nullptr;
  UpDown* UpDown2 = nullptr;
  QCheckBox* ColumCheckBox = nullptr;
  QCheckBox* FieldCheckBox = nullptr;
  QCheckBox* StringCompCheckBox = nullptr;
  QCheckBox* NumCompCheckBox = nullptr;

  // The common dialogs, which have no place in the layout.
  CommonFileDialog OpenDialog;
  CommonFileDialog SaveDialog;

 protected:
  /// A close request during a run is put off until the run and its boxes
  /// are over.
  void closeEvent(QCloseEvent* event) override;
  /// Keys reach FormKeyDown only while the window itself has the focus.
  void keyPressEvent(QKeyEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void BuildWindow();
  void BuildMenu();
  void BuildControls();
  void SetTabOrder();
  void UpdateRadioTabStops();
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
  // The push button that Enter presses and that shows the default frame:
  // the focused one, else the Run button.
  QPushButton* DefaultButton() const;
  void ShowDefaultButton();

  void UseInputFile(const std::string& name);
  void UseOutputFile(const std::string& name);
  // Switches a side to |name| as a file, as a menu choice or a drop does.
  void SwitchInputToFile(const std::string& name);
  void SwitchOutputToFile(const std::string& name);
  void ApplyKeyOption(const std::string& folded);
  // Runs |dialog| with exactly |options|; the name the user confirmed.
  std::optional<std::string> RunFileDialog(CommonFileDialog& dialog,
                                           unsigned options);
  void ShowPlainBox(const char* text);
  // A plain, application-modal box; |text| in the locale's encoding.
  void ShowPlainBox(const std::string& text, const char* caption);

  TarnelApplication& application_;
  std::vector<std::string> arguments_;
  RunSortFunction run_sort_;
  TAboutBox* about_box_ = nullptr;
  bool running_ = false;
  // A close was requested while running_.
  bool close_pending_ = false;
  bool batch_delivered_ = false;
  // SortPosEdit's modified flag: set by the user's changes, cleared by the
  // program's. Qt's own flag also clears when the user undoes back to the
  // program's text, which is still the user's change.
  bool sort_pos_modified_ = false;
  bool sort_pos_edited_ = false;
};

}  // namespace tarnel

#endif  // TARNEL_UI_MAIN_FORM_H_
