// TTarnelMainForm, the main window on Qt. Its controls' states are the sort
// settings: the command line and the user set them, ExecuteSort reads them
// back into one RunSort call. What the window does is MainFormLogic's
// (main_form_logic.h), written once for every toolkit; this class builds the
// Qt widgets at their places, hands them to the logic through the control
// interfaces, and forwards the widgets' events to the logic's handlers.
#ifndef TARNEL_UI_QT_MAIN_FORM_H_
#define TARNEL_UI_QT_MAIN_FORM_H_

#include <QMainWindow>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ui/logic/main_form_layout.h"
#include "ui/logic/main_form_logic.h"
#include "ui/logic/off_thread_run.h"

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
class QtAboutBoxControl;
class QtApplicationControl;
class QtCheckControl;
class QtEditControl;
class QtFormControl;
class QtSpinControl;
class QtStatusControl;
class QtVisibleControl;
class TAboutBox;
class TarnelApplication;
class UpDown;

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

  // The handlers, as MainFormLogic describes them.
  bool ExecuteSort() { return logic_.ExecuteSort(); }
  void OKButtonClick() { logic_.OKButtonClick(); }
  void ParseCommandLine() { logic_.ParseCommandLine(); }
  void HelpAbout() { logic_.HelpAbout(); }
  void HelpContents() { logic_.HelpContents(); }
  void HelpSearch() { logic_.HelpSearch(); }
  void FileOpen2() { logic_.FileOpen2(); }
  void FileExit() { logic_.FileExit(); }
  void FileOpen() { logic_.FileOpen(); }
  void FileSaveAs() { logic_.FileSaveAs(); }
  void ShowHint() { logic_.ShowHint(); }
  void SortPosEditChange() { logic_.SortPosEditChange(); }
  void UpDown1Click() { logic_.UpDown1Click(); }
  void UpDown2Click() { logic_.UpDown2Click(); }
  /// A key that reached the window itself: Escape closes it.
  void FormKeyDown(int key, Qt::KeyboardModifiers shift);
  /// Files dropped at |point| (window coordinates): the first one becomes
  /// the output file over the output group, its controls included, and the
  /// input file anywhere else. The name is taken whole and unchecked.
  void WMDropFiles(const QMimeData& drop, const QPoint& point);
  /// The About box that HelpAbout shows (not owned).
  void SetAboutBox(TAboutBox* about_box);

  /// True while a run, its boxes included, is in progress.
  bool Running() const { return logic_.Running(); }
  /// Whether the batch run of FormCreate delivered its result.
  bool BatchDelivered() const { return logic_.BatchDelivered(); }
  /// The window's behaviour: AutoRun, Quiet and the common dialogs.
  MainFormLogic& Logic() { return logic_; }
  const MainFormLogic& Logic() const { return logic_; }

  // The controls are the window's children, each named as in the layout
  // (main_form_layout.h) and found by that name with findChild; the menu's
  // items likewise.

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
  QWidget* BuildControl(const ControlDef& def, QWidget* parent);
  void SetTabOrder();
  void HandControlsToTheLogic();
  void ConnectEvents();
  // The child named |name|, of the layout or the menu.
  template <class Widget = QWidget>
  Widget* Find(const char* name) const {
    return findChild<Widget*>(QString::fromLatin1(name));
  }

  // Enter presses the focused push button, else the default button.
  void DefaultButtonKey();
  // The push button that Enter presses and that shows the default frame:
  // the focused one, else the default button.
  QPushButton* DefaultButton() const;
  void ShowDefaultButton();
  QMetaObject::Connection focus_watch_;

  MainFormControls controls_;
  std::unique_ptr<QtFormControl> form_control_;
  std::unique_ptr<QtApplicationControl> application_control_;
  MainFormLogic logic_;

  QMenuBar* main_menu_ = nullptr;
  // The controls sit at fixed positions in its kMainClientWidth x
  // kMainClientHeight pixels, below the menu bar.
  QWidget* client_area_ = nullptr;
  QPushButton* default_button_ = nullptr;
  std::vector<QPushButton*> push_buttons_;

  // The control interfaces on the widgets.
  std::vector<std::unique_ptr<QtCheckControl>> checks_;
  std::vector<std::unique_ptr<QtEditControl>> edits_;
  std::vector<std::unique_ptr<QtVisibleControl>> panels_;
  std::vector<std::unique_ptr<QtSpinControl>> spins_;
  std::unique_ptr<QtStatusControl> status_control_;
  std::unique_ptr<QtAboutBoxControl> about_box_control_;
};

}  // namespace tarnel

#endif  // TARNEL_UI_QT_MAIN_FORM_H_
