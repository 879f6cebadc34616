#include "ui/qt/main_form.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMetaObject>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTabWidget>
#include <QUrl>
#include <algorithm>
#include <optional>
#include <utility>

#include "platform/qt/tarnel_font.h"
#include "ui/qt/about_box.h"
#include "ui/qt/browse_panel.h"
#include "ui/logic/main_form_layout.h"
#include "ui/qt/qt_controls.h"
#include "ui/qt/tarnel_application.h"
#include "ui/qt/typed_length_validator.h"
#include "ui/qt/up_down.h"
#include "ui/qt/whole_area_buttons.h"
#include "ui/qt/widget_helpers.h"
#include "ui/logic/window_texts.h"

namespace tarnel {

namespace {

namespace text = main_form_text;

// The menu.
constexpr char kFileMenuCaption[] = "&File";
constexpr char kFileOpenCaption[] = "&Open";
constexpr char kFileExitCaption[] = "e&Xit";
constexpr char kHelpMenuCaption[] = "&Help";
constexpr char kHelpContentsCaption[] = "&Contents";
constexpr char kHelpSearchCaption[] = "&Search";
constexpr char kHelpAboutCaption[] = "&About";

// Inside its frame a Qt line edit keeps this many pixels free on either side
// of its text.
constexpr int kLineEditInnerMargin = 2;

// A Windows edit keeps only a pixel or so beside its text; Qt's margins
// leave too little room at the layout's width for the digits the user may
// type, so they shrink by as much as the widest digits need.
void MakeRoomForDigits(QLineEdit* edit, int digits) {
  const QFontMetrics metrics(edit->font());
  int widest = 0;
  for (char digit = '0'; digit <= '9'; ++digit) {
    widest = std::max(
        widest, metrics.horizontalAdvance(QString(digits, QLatin1Char(digit))));
  }
  constexpr int kCaretWidth = 1;
  const int needed = widest + kCaretWidth;
  QStyleOptionFrame frame;
  frame.initFrom(edit);
  frame.lineWidth =
      edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &frame, edit);
  const int inside =
      edit->style()
          ->subElementRect(QStyle::SE_LineEditContents, &frame, edit)
          .width() -
      2 * kLineEditInnerMargin;
  const int shortfall = needed - inside;
  if (shortfall <= 0) return;
  edit->setTextMargins(-(shortfall + 1) / 2, 0, -(shortfall / 2), 0);
}

// The first dropped file's name; only local files count.
std::optional<std::string> FirstDroppedFile(const QMimeData& data) {
  if (!data.hasUrls()) return std::nullopt;
  const QList<QUrl> urls = data.urls();
  if (urls.isEmpty() || !urls.front().isLocalFile()) return std::nullopt;
  return QFile::encodeName(urls.front().toLocalFile()).toStdString();
}

// A drop only hands over a name: copy, never move, or the file manager
// would remove the file it thinks was moved here.
template <class Event>
void AcceptFileDrop(Event* event) {
  if (!FirstDroppedFile(*event->mimeData())) {
    event->ignore();
    return;
  }
  const Qt::DropActions actions = event->possibleActions();
  if (actions & Qt::CopyAction) {
    event->setDropAction(Qt::CopyAction);
  } else if (actions & Qt::LinkAction) {
    event->setDropAction(Qt::LinkAction);
  } else {
    event->ignore();
    return;
  }
  event->accept();
}

}  // namespace

TTarnelMainForm::TTarnelMainForm(TarnelApplication& application,
                                 std::vector<std::string> arguments,
                                 RunSortFunction run_sort)
    : form_control_(std::make_unique<QtFormControl>(this)),
      application_control_(
          std::make_unique<QtApplicationControl>(application, this)),
      logic_(controls_, *form_control_, *application_control_,
             std::move(arguments), std::move(run_sort)) {
  BuildWindow();
  BuildMenu();
  BuildControls();
  SetTabOrder();
  HandControlsToTheLogic();
  ConnectEvents();
  // Only now: loading the initial states must not run any reaction.
  logic_.Connect();
  logic_.FormCreate();
  // After FormCreate: a batch run is over before the window takes drops.
  setAcceptDrops(true);
}

TTarnelMainForm::~TTarnelMainForm() {
  // The application outlives us and reports focus changes while QWidget's
  // destructor hands the focus away, when this is no longer a main form.
  disconnect(focus_watch_);
}

void TTarnelMainForm::BuildWindow() {
  setObjectName(QStringLiteral("TarnelMainForm"));
  setWindowTitle(Text(text::kTitle));
  // A single fixed border: no maximise button, no resizing.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setWindowIcon(TarnelIcon());
  setFont(TarnelFont());

  MainMenu = Create<QMenuBar>(this, "MainMenu");
  // In the window, never in a desktop's global menu: the client area lies
  // below it.
  MainMenu->setNativeMenuBar(false);
  setMenuBar(MainMenu);
  ClientArea = Create<QWidget>(this, "ClientArea");
  ClientArea->setFixedSize(kMainClientWidth, kMainClientHeight);
  setCentralWidget(ClientArea);
  // The window follows its parts' sizes: the client area and the menu bar.
  layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void TTarnelMainForm::BuildMenu() {
  const auto add_menu = [this](const char* name, const char* caption) {
    QMenu* menu = MainMenu->addMenu(Text(caption));
    menu->setObjectName(QString::fromLatin1(name));
    return menu;
  };
  const auto add_item = [this](QMenu* menu, const char* name,
                               const char* caption,
                               void (TTarnelMainForm::*handler)()) {
    QAction* item = menu->addAction(Text(caption));
    item->setObjectName(QString::fromLatin1(name));
    connect(item, &QAction::triggered, this, handler);
    return item;
  };
  const auto add_separator = [](QMenu* menu, const char* name) {
    QAction* separator = menu->addSeparator();
    separator->setObjectName(QString::fromLatin1(name));
    return separator;
  };
  FileMenu = add_menu("FileMenu", kFileMenuCaption);
  FileOpenItem = add_item(FileMenu, "FileOpenItem", kFileOpenCaption,
                          &TTarnelMainForm::FileOpen2);
  N1 = add_separator(FileMenu, "N1");
  FileExitItem = add_item(FileMenu, "FileExitItem", kFileExitCaption,
                          &TTarnelMainForm::FileExit);
  HelpMenu = add_menu("HelpMenu", kHelpMenuCaption);
  HelpContentsItem =
      add_item(HelpMenu, "HelpContentsItem", kHelpContentsCaption,
               &TTarnelMainForm::HelpContents);
  HelpSearchItem = add_item(HelpMenu, "HelpSearchItem", kHelpSearchCaption,
                            &TTarnelMainForm::HelpSearch);
  N3 = add_separator(HelpMenu, "N3");
  HelpAboutItem = add_item(HelpMenu, "HelpAboutItem", kHelpAboutCaption,
                           &TTarnelMainForm::HelpAbout);
}

void TTarnelMainForm::BuildControls() {
  // In creation order: a later control lies above an earlier one.
  StatusLine = Create<QStatusBar>(ClientArea, "StatusLine");
  StatusLine->setGeometry(0, 291, kMainClientWidth, 23);
  StatusLine->setSizeGripEnabled(false);
  StatusLine->showMessage(Text(text::kStatusAtStart));

  SortMenu =
      Create<QGroupBox>(ClientArea, "SortMenu", Text(text::kSortMenuCaption));
  SortMenu->setGeometry(16, 8, 169, 89);
  // The radio buttons are the window's children, drawn over the frame.
  Sort_F_RadioButton = Create<WholeAreaRadioButton>(
      ClientArea, "Sort_F_RadioButton", Text(text::kAscendingCaption));
  Sort_F_RadioButton->setGeometry(32, 32, 113, 17);
  Sort_F_RadioButton->setChecked(true);
  Sort_R_RadioButton = Create<WholeAreaRadioButton>(
      ClientArea, "Sort_R_RadioButton", Text(text::kDescendingCaption));
  Sort_R_RadioButton->setGeometry(32, 64, 121, 17);
  UpdateRadioTabStops();

  InputGroupBox = Create<QGroupBox>(ClientArea, "InputGroupBox",
                                    Text(text::kInputGroupCaption));
  InputGroupBox->setGeometry(16, 104, 393, 73);
  ClipBoardCheckBox1 = Create<WholeAreaCheckBox>(
      InputGroupBox, "ClipBoardCheckBox1", Text(text::kClipboardCaption));
  ClipBoardCheckBox1->setGeometry(16, 16, 97, 17);
  ClipBoardCheckBox1->setChecked(true);
  FileOpenCheckBox = Create<WholeAreaCheckBox>(
      InputGroupBox, "FileOpenCheckBox", Text(text::kFileCaption));
  FileOpenCheckBox->setGeometry(128, 16, 57, 17);
  FileOpenPanel = Create<BrowsePanel>(InputGroupBox, "FileOpenPanel",
                                      Text(text::kBrowseCaption));
  FileOpenPanel->setGeometry(344, 40, 41, 17);
  FileOpenPanel->hide();
  FileOpenEdit = Create<QLineEdit>(InputGroupBox, "FileOpenEdit");
  FileOpenEdit->setGeometry(16, 40, 321, 20);
  FileOpenEdit->hide();
  // A dropped file is the window's to take, not text for the edit.
  FileOpenEdit->setAcceptDrops(false);

  OutputGroupBox = Create<QGroupBox>(ClientArea, "OutputGroupBox",
                                     Text(text::kOutputGroupCaption));
  OutputGroupBox->setGeometry(16, 184, 393, 73);
  ClipBoardCheckBox2 = Create<WholeAreaCheckBox>(
      OutputGroupBox, "ClipBoardCheckBox2", Text(text::kClipboardCaption));
  ClipBoardCheckBox2->setGeometry(16, 16, 97, 17);
  ClipBoardCheckBox2->setChecked(true);
  FileSaveCheckBox = Create<WholeAreaCheckBox>(
      OutputGroupBox, "FileSaveCheckBox", Text(text::kFileCaption));
  FileSaveCheckBox->setGeometry(128, 16, 57, 17);
  FileSavePanel = Create<BrowsePanel>(OutputGroupBox, "FileSavePanel",
                                      Text(text::kBrowseCaption));
  FileSavePanel->setGeometry(344, 40, 41, 17);
  FileSavePanel->hide();
  FileSaveEdit = Create<QLineEdit>(OutputGroupBox, "FileSaveEdit");
  FileSaveEdit->setGeometry(16, 40, 321, 20);
  FileSaveEdit->hide();
  FileSaveEdit->setAcceptDrops(false);

  OKButton =
      Create<QPushButton>(ClientArea, "OKButton", Text(text::kRunCaption));
  OKButton->setGeometry(112, 264, 75, 25);
  // Both push buttons leave room for the default button's frame, which
  // moves to whichever of them has the focus, as on Windows.
  OKButton->setAutoDefault(true);
  OKButton->setDefault(true);
  CancelButton = Create<QPushButton>(ClientArea, "CancelButton",
                                     Text(text::kCloseCaption));
  CancelButton->setGeometry(232, 264, 75, 25);
  CancelButton->setAutoDefault(true);

  PageControl1 = Create<QTabWidget>(ClientArea, "PageControl1");
  PageControl1->setGeometry(208, 8, 201, 89);

  TabSheet1 = Create<QWidget>(PageControl1, "TabSheet1");
  PageControl1->addTab(TabSheet1, Text(text::kOptionsPageCaption));
  NotCaseSensitiveCheckBox = Create<WholeAreaCheckBox>(
      TabSheet1, "NotCaseSensitiveCheckBox", Text(text::kIgnoreCaseCaption));
  NotCaseSensitiveCheckBox->setGeometry(8, 8, 145, 17);
  UniqCheckBox = Create<WholeAreaCheckBox>(TabSheet1, "UniqCheckBox",
                                           Text(text::kUniqueCaption));
  UniqCheckBox->setGeometry(8, 32, 97, 17);

  TabSheet2 = Create<QWidget>(PageControl1, "TabSheet2");
  PageControl1->addTab(TabSheet2, Text(text::kKeyPageCaption));
  SortPosEdit = Create<QLineEdit>(TabSheet2, "SortPosEdit");
  SortPosEdit->setGeometry(16, 8, 41, 20);
  SortPosEdit->setText(QString::fromLatin1(kInitialKeyPosition));
  // The edit owns its validator. The limit binds the user's typing only:
  // the command line may put a longer position there.
  new TypedLengthValidator(SortPosEdit, kKeyPositionTypedLimit);
  MakeRoomForDigits(SortPosEdit, kKeyPositionTypedLimit);
  SortPosEdit->setAcceptDrops(false);
  UpDown1 = Create<UpDown>(TabSheet2, "UpDown1");
  UpDown1->setGeometry(57, 8, 15, 20);
  UpDown1->SetRange(kKeyPositionMinimum, kKeyPositionMaximum);
  UpDown1->SetPosition(kKeyPositionMinimum);
  UpDown1->SetIncrement(kUpDown1Increment);
  UpDown1->SetAssociate(SortPosEdit);
  UpDown2 = Create<UpDown>(TabSheet2, "UpDown2");
  UpDown2->setGeometry(72, 8, 16, 20);
  UpDown2->SetRange(kKeyPositionMinimum, kKeyPositionMaximum);
  UpDown2->SetPosition(kKeyPositionMinimum);
  UpDown2->SetIncrement(kUpDown2Increment);
  ColumCheckBox = Create<WholeAreaCheckBox>(TabSheet2, "ColumCheckBox",
                                            Text(text::kColumnCaption));
  ColumCheckBox->setGeometry(16, 40, 81, 17);
  ColumCheckBox->setChecked(true);
  FieldCheckBox = Create<WholeAreaCheckBox>(TabSheet2, "FieldCheckBox",
                                            Text(text::kFieldCaption));
  FieldCheckBox->setGeometry(104, 40, 73, 17);
  StringCompCheckBox = Create<WholeAreaCheckBox>(
      TabSheet2, "StringCompCheckBox", Text(text::kStringCaption));
  StringCompCheckBox->setGeometry(96, 0, 97, 17);
  StringCompCheckBox->setChecked(true);
  NumCompCheckBox = Create<WholeAreaCheckBox>(TabSheet2, "NumCompCheckBox",
                                              Text(text::kNumberCaption));
  NumCompCheckBox->setGeometry(96, 16, 97, 17);

  PageControl1->setCurrentWidget(TabSheet1);
}

void TTarnelMainForm::SetTabOrder() {
  // Containers in their tab order, each with its own controls in theirs.
  QWidget* const chain[] = {Sort_F_RadioButton, Sort_R_RadioButton,
                            PageControl1,       NotCaseSensitiveCheckBox,
                            UniqCheckBox,       SortPosEdit,
                            ColumCheckBox,      FieldCheckBox,
                            StringCompCheckBox, NumCompCheckBox,
                            ClipBoardCheckBox1, FileOpenCheckBox,
                            FileOpenPanel,      FileOpenEdit,
                            ClipBoardCheckBox2, FileSaveCheckBox,
                            FileSavePanel,      FileSaveEdit,
                            OKButton,           CancelButton};
  for (std::size_t i = 1; i < std::size(chain); ++i) {
    setTabOrder(chain[i - 1], chain[i]);
  }
}

void TTarnelMainForm::UpdateRadioTabStops() {
  // Of an exclusive pair only the checked button is a tab stop; a click
  // still reaches the other.
  for (QRadioButton* button : {Sort_F_RadioButton, Sort_R_RadioButton}) {
    button->setFocusPolicy(button->isChecked() ? Qt::StrongFocus
                                               : Qt::ClickFocus);
  }
}

void TTarnelMainForm::HandControlsToTheLogic() {
  const auto check = [this](QAbstractButton* button) {
    checks_.push_back(std::make_unique<QtCheckControl>(button));
    return checks_.back().get();
  };
  const auto edit = [this](QLineEdit* line, QtEditControl::Bytes bytes) {
    edits_.push_back(std::make_unique<QtEditControl>(line, bytes));
    return edits_.back().get();
  };
  const auto panel = [this](QWidget* widget) {
    panels_.push_back(std::make_unique<QtVisibleControl>(widget));
    return panels_.back().get();
  };
  const auto spin = [this](UpDown* up_down) {
    spins_.push_back(std::make_unique<QtSpinControl>(up_down));
    return spins_.back().get();
  };
  status_control_ = std::make_unique<QtStatusControl>(StatusLine);
  using Bytes = QtEditControl::Bytes;
  controls_.Sort_F_RadioButton = check(Sort_F_RadioButton);
  controls_.Sort_R_RadioButton = check(Sort_R_RadioButton);
  controls_.NotCaseSensitiveCheckBox = check(NotCaseSensitiveCheckBox);
  controls_.UniqCheckBox = check(UniqCheckBox);
  controls_.ClipBoardCheckBox1 = check(ClipBoardCheckBox1);
  controls_.FileOpenCheckBox = check(FileOpenCheckBox);
  controls_.FileOpenPanel = panel(FileOpenPanel);
  controls_.FileOpenEdit = edit(FileOpenEdit, Bytes::kFileName);
  controls_.ClipBoardCheckBox2 = check(ClipBoardCheckBox2);
  controls_.FileSaveCheckBox = check(FileSaveCheckBox);
  controls_.FileSavePanel = panel(FileSavePanel);
  controls_.FileSaveEdit = edit(FileSaveEdit, Bytes::kFileName);
  controls_.SortPosEdit = edit(SortPosEdit, Bytes::kLocalText);
  controls_.UpDown1 = spin(UpDown1);
  controls_.UpDown2 = spin(UpDown2);
  controls_.ColumCheckBox = check(ColumCheckBox);
  controls_.FieldCheckBox = check(FieldCheckBox);
  controls_.StringCompCheckBox = check(StringCompCheckBox);
  controls_.NumCompCheckBox = check(NumCompCheckBox);
  controls_.StatusLine = status_control_.get();
}

void TTarnelMainForm::ConnectEvents() {
  connect(OKButton, &QPushButton::clicked, this,
          [this] { logic_.OKButtonClick(); });
  connect(CancelButton, &QPushButton::clicked, this,
          [this] { logic_.CancelButtonClick(); });
  for (QRadioButton* button : {Sort_F_RadioButton, Sort_R_RadioButton}) {
    connect(button, &QRadioButton::toggled, this,
            &TTarnelMainForm::UpdateRadioTabStops);
  }

  connect(FileOpenPanel, &BrowsePanel::Clicked, this,
          &TTarnelMainForm::FileOpen);
  connect(
      FileOpenPanel, &BrowsePanel::FocusReceived, this,
      [this](Qt::FocusReason reason) {
        // Only a move from another control: the focus also comes back
        // here when the dialog closes, and that must not reopen it.
        if (reason != Qt::TabFocusReason && reason != Qt::BacktabFocusReason) {
          return;
        }
        // Not inside the focus change itself: the dialog takes the
        // focus away again.
        QMetaObject::invokeMethod(this, &TTarnelMainForm::FileOpen,
                                  Qt::QueuedConnection);
      });
  connect(FileSavePanel, &BrowsePanel::Clicked, this,
          &TTarnelMainForm::FileSaveAs);

  // Qt has default buttons only in dialogs; the window plays the part.
  for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
    auto* shortcut = new QShortcut(QKeySequence(key), this);  // owned by us
    connect(shortcut, &QShortcut::activated, this,
            &TTarnelMainForm::DefaultButtonKey);
  }
  focus_watch_ = connect(qApp, &QApplication::focusChanged, this,
                         &TTarnelMainForm::ShowDefaultButton);
}

void TTarnelMainForm::DefaultButtonKey() { DefaultButton()->click(); }

QPushButton* TTarnelMainForm::DefaultButton() const {
  auto* focused = qobject_cast<QPushButton*>(focusWidget());
  return focused ? focused : OKButton;
}

void TTarnelMainForm::ShowDefaultButton() {
  // Qt clears a button's default frame as its focus leaves; Windows hands
  // the frame back to the default button unless another push button has
  // the focus.
  QPushButton* const current = DefaultButton();
  for (QPushButton* button : {OKButton, CancelButton}) {
    button->setDefault(button == current);
  }
}

void TTarnelMainForm::SetAboutBox(TAboutBox* about_box) {
  about_box_control_ =
      about_box ? std::make_unique<QtAboutBoxControl>(about_box) : nullptr;
  logic_.SetAboutBox(about_box_control_.get());
}

void TTarnelMainForm::FormKeyDown(int key, Qt::KeyboardModifiers) {
  // The logic speaks Windows' virtual-key codes.
  constexpr int kEscapeKey = 27;
  logic_.FormKeyDown(key == Qt::Key_Escape ? kEscapeKey : key);
}

void TTarnelMainForm::WMDropFiles(const QMimeData& drop, const QPoint& point) {
  // Further files of the same drop are ignored.
  const std::optional<std::string> name = FirstDroppedFile(drop);
  if (!name) return;
  QWidget* child = childAt(point);
  const bool over_output =
      child && (child == OutputGroupBox || OutputGroupBox->isAncestorOf(child));
  logic_.WMDropFiles(
      *name, over_output ? DropTarget::kOutputGroup : DropTarget::kElsewhere);
}

void TTarnelMainForm::keyPressEvent(QKeyEvent* event) {
  // Qt passes a key that a control leaves unhandled on to its parents; the
  // window's handler is for keys sent to the window itself.
  QWidget* focus = focusWidget();
  if (focus && focus != this) {
    QMainWindow::keyPressEvent(event);
    return;
  }
  FormKeyDown(event->key(), event->modifiers());
}

void TTarnelMainForm::dragEnterEvent(QDragEnterEvent* event) {
  AcceptFileDrop(event);
}

void TTarnelMainForm::dragMoveEvent(QDragMoveEvent* event) {
  AcceptFileDrop(event);
}

void TTarnelMainForm::dropEvent(QDropEvent* event) {
  AcceptFileDrop(event);
  if (!event->isAccepted()) return;
  WMDropFiles(*event->mimeData(), event->position().toPoint());
}

void TTarnelMainForm::closeEvent(QCloseEvent* event) {
  if (!logic_.CanClose()) {
    event->ignore();
    return;
  }
  QMainWindow::closeEvent(event);
}

}  // namespace tarnel
