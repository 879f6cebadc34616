#include "ui/main_form.h"

#include <QApplication>
#include <QByteArray>
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
#include <QVariant>
#include <algorithm>
#include <optional>
#include <utility>

#include "engine/run_sort.h"
#include "platform/ascii_fold.h"
#include "platform/help_engine.h"
#include "platform/qt/tarnel_font.h"
#include "platform/service.h"
#include "ui/about_box.h"
#include "ui/browse_panel.h"
#include "ui/main_form_layout.h"
#include "ui/parse_int.h"
#include "ui/tarnel_application.h"
#include "ui/tarnel_version.h"
#include "ui/typed_length_validator.h"
#include "ui/up_down.h"
#include "ui/version_text.h"
#include "ui/whole_area_buttons.h"
#include "ui/widget_helpers.h"

namespace tarnel {

namespace {

// Every text the window shows.
constexpr char kTitle[] = "TARNEL";
constexpr char kStatusAtStart[] = "テキストソートユーティリティ";
constexpr char kStatusRunning[] = "ソート実行中！";
constexpr char kSortMenuCaption[] = "ソート順指定";
constexpr char kAscendingCaption[] = "昇順ソート";
constexpr char kDescendingCaption[] = "降順ソート";
constexpr char kInputGroupCaption[] = "ソート対象";
constexpr char kOutputGroupCaption[] = "ソート結果の保存先";
constexpr char kClipboardCaption[] = "クリップボード";
constexpr char kFileCaption[] = "ファイル";
constexpr char kBrowseCaption[] = "参照";
constexpr char kRunCaption[] = "実行";
constexpr char kCloseCaption[] = "閉じる";
constexpr char kOptionsPageCaption[] = "ソートオプション";
constexpr char kKeyPageCaption[] = "ソートキー";
constexpr char kIgnoreCaseCaption[] = "英大文字小文字同一視";
constexpr char kUniqueCaption[] = "重複行削除";
constexpr char kColumnCaption[] = "バイト（桁）";
constexpr char kFieldCaption[] = "フィールド";
constexpr char kStringCaption[] = "文字列";
constexpr char kNumberCaption[] = "数値";
constexpr char kInitialKeyPosition[] = "1";

// The menu.
constexpr char kFileMenuCaption[] = "&File";
constexpr char kFileOpenCaption[] = "&Open";
constexpr char kFileExitCaption[] = "e&Xit";
constexpr char kHelpMenuCaption[] = "&Help";
constexpr char kHelpContentsCaption[] = "&Contents";
constexpr char kHelpSearchCaption[] = "&Search";
constexpr char kHelpAboutCaption[] = "&About";

// The common dialogs' filters and options.
constexpr char kOpenFilter[] =
    "テキストファイル(*.TXT,*.CSV)|*.TXT;*.CSV|すべてのファイル(*.*)|*.*";
constexpr char kSaveFilter[] =
    "テキストファイル(*.TXT, *.CSV)|*.TXT;*.CSV|すべてのファイル(*.*)|*.*";
constexpr unsigned kOpenOptions = kDialogPathMustExist | kDialogFileMustExist;
constexpr unsigned kSaveOptions = kDialogOverwritePrompt | kDialogHideReadOnly |
                                  kDialogPathMustExist |
                                  kDialogNoReadOnlyReturn;

// The run checks' boxes.
constexpr char kNoInputFile[] = "読み込み元ファイルが未指定です";
constexpr char kNoOutputFile[] = "書き出し先ファイルが未指定です";
constexpr char kRunCheckCaption[] = "TARNEL-ERROR";

// The key position filter's boxes.
constexpr char kKeyPositionTextCaption[] = "SortPosEdit->Text";
constexpr char kEnterNumber[] = "数値を入力してください";
constexpr char kKeyPositionErrorCaption[] = "ERROR";

// The user types at most this many characters into the key position.
constexpr int kKeyPositionTypedLimit = 5;
// The key option's digits are kept in a buffer of 128 bytes.
constexpr std::size_t kKeyDigitLimit = 127;
// The spin controls on the key position.
constexpr int kKeyPositionMinimum = 1;
constexpr int kKeyPositionMaximum = 1024;
constexpr int kUpDown1Increment = 10;
constexpr int kUpDown2Increment = 1;

// Keeps a file name's exact bytes beside the edit's text: a name that is not
// valid in the local encoding would not survive the trip through the text.
constexpr char kPathBytesProperty[] = "tarnelPathBytes";

void SetPathText(QLineEdit* edit, const std::string& bytes) {
  const QByteArray raw = QByteArray::fromStdString(bytes);
  edit->setText(QFile::decodeName(raw));
  edit->setProperty(kPathBytesProperty, raw);
}

std::string PathBytes(const QLineEdit* edit) {
  const QVariant raw = edit->property(kPathBytesProperty);
  if (raw.isValid() && QFile::decodeName(raw.toByteArray()) == edit->text()) {
    return raw.toByteArray().toStdString();
  }
  return QFile::encodeName(edit->text()).toStdString();
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

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

WindowHandle HandleOf(QWidget* window) { return window; }

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

// What a run changes on screen, put back on every way out of it.
class RunDisplay {
 public:
  RunDisplay(QStatusBar* status_line, const QString& saved_text)
      : status_line_(status_line), saved_text_(saved_text) {
    status_line_->showMessage(Text(kStatusRunning));
    status_line_->repaint();
    QApplication::setOverrideCursor(Qt::WaitCursor);
  }
  RunDisplay(const RunDisplay&) = delete;
  RunDisplay& operator=(const RunDisplay&) = delete;
  ~RunDisplay() {
    QApplication::restoreOverrideCursor();
    status_line_->showMessage(saved_text_);
  }

 private:
  QStatusBar* status_line_;
  QString saved_text_;
};

}  // namespace

TTarnelMainForm::TTarnelMainForm(TarnelApplication& application,
                                 std::vector<std::string> arguments,
                                 RunSortFunction run_sort)
    : application_(application),
      arguments_(std::move(arguments)),
      run_sort_(std::move(run_sort)) {
  BuildWindow();
  BuildMenu();
  BuildControls();
  SetTabOrder();
  // Only now: loading the initial states must not run any reaction.
  ConnectReactions();
  FormCreate();
  // After FormCreate: a batch run is over before the window takes drops.
  setAcceptDrops(true);
}

TTarnelMainForm::~TTarnelMainForm() = default;

void TTarnelMainForm::BuildWindow() {
  setObjectName(QStringLiteral("TarnelMainForm"));
  setWindowTitle(Text(kTitle));
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
  StatusLine->showMessage(Text(kStatusAtStart));

  SortMenu = Create<QGroupBox>(ClientArea, "SortMenu", Text(kSortMenuCaption));
  SortMenu->setGeometry(16, 8, 169, 89);
  // The radio buttons are the window's children, drawn over the frame.
  Sort_F_RadioButton = Create<WholeAreaRadioButton>(
      ClientArea, "Sort_F_RadioButton", Text(kAscendingCaption));
  Sort_F_RadioButton->setGeometry(32, 32, 113, 17);
  Sort_F_RadioButton->setChecked(true);
  Sort_R_RadioButton = Create<WholeAreaRadioButton>(
      ClientArea, "Sort_R_RadioButton", Text(kDescendingCaption));
  Sort_R_RadioButton->setGeometry(32, 64, 121, 17);
  UpdateRadioTabStops();

  InputGroupBox =
      Create<QGroupBox>(ClientArea, "InputGroupBox", Text(kInputGroupCaption));
  InputGroupBox->setGeometry(16, 104, 393, 73);
  ClipBoardCheckBox1 = Create<WholeAreaCheckBox>(
      InputGroupBox, "ClipBoardCheckBox1", Text(kClipboardCaption));
  ClipBoardCheckBox1->setGeometry(16, 16, 97, 17);
  ClipBoardCheckBox1->setChecked(true);
  FileOpenCheckBox = Create<WholeAreaCheckBox>(
      InputGroupBox, "FileOpenCheckBox", Text(kFileCaption));
  FileOpenCheckBox->setGeometry(128, 16, 57, 17);
  FileOpenPanel =
      Create<BrowsePanel>(InputGroupBox, "FileOpenPanel", Text(kBrowseCaption));
  FileOpenPanel->setGeometry(344, 40, 41, 17);
  FileOpenPanel->hide();
  FileOpenEdit = Create<QLineEdit>(InputGroupBox, "FileOpenEdit");
  FileOpenEdit->setGeometry(16, 40, 321, 20);
  FileOpenEdit->hide();
  // A dropped file is the window's to take, not text for the edit.
  FileOpenEdit->setAcceptDrops(false);

  OutputGroupBox = Create<QGroupBox>(ClientArea, "OutputGroupBox",
                                     Text(kOutputGroupCaption));
  OutputGroupBox->setGeometry(16, 184, 393, 73);
  ClipBoardCheckBox2 = Create<WholeAreaCheckBox>(
      OutputGroupBox, "ClipBoardCheckBox2", Text(kClipboardCaption));
  ClipBoardCheckBox2->setGeometry(16, 16, 97, 17);
  ClipBoardCheckBox2->setChecked(true);
  FileSaveCheckBox = Create<WholeAreaCheckBox>(
      OutputGroupBox, "FileSaveCheckBox", Text(kFileCaption));
  FileSaveCheckBox->setGeometry(128, 16, 57, 17);
  FileSavePanel = Create<BrowsePanel>(OutputGroupBox, "FileSavePanel",
                                      Text(kBrowseCaption));
  FileSavePanel->setGeometry(344, 40, 41, 17);
  FileSavePanel->hide();
  FileSaveEdit = Create<QLineEdit>(OutputGroupBox, "FileSaveEdit");
  FileSaveEdit->setGeometry(16, 40, 321, 20);
  FileSaveEdit->hide();
  FileSaveEdit->setAcceptDrops(false);

  OKButton = Create<QPushButton>(ClientArea, "OKButton", Text(kRunCaption));
  OKButton->setGeometry(112, 264, 75, 25);
  // Both push buttons leave room for the default button's frame, which
  // moves to whichever of them has the focus, as on Windows.
  OKButton->setAutoDefault(true);
  OKButton->setDefault(true);
  CancelButton =
      Create<QPushButton>(ClientArea, "CancelButton", Text(kCloseCaption));
  CancelButton->setGeometry(232, 264, 75, 25);
  CancelButton->setAutoDefault(true);

  PageControl1 = Create<QTabWidget>(ClientArea, "PageControl1");
  PageControl1->setGeometry(208, 8, 201, 89);

  TabSheet1 = Create<QWidget>(PageControl1, "TabSheet1");
  PageControl1->addTab(TabSheet1, Text(kOptionsPageCaption));
  NotCaseSensitiveCheckBox = Create<WholeAreaCheckBox>(
      TabSheet1, "NotCaseSensitiveCheckBox", Text(kIgnoreCaseCaption));
  NotCaseSensitiveCheckBox->setGeometry(8, 8, 145, 17);
  UniqCheckBox = Create<WholeAreaCheckBox>(TabSheet1, "UniqCheckBox",
                                           Text(kUniqueCaption));
  UniqCheckBox->setGeometry(8, 32, 97, 17);

  TabSheet2 = Create<QWidget>(PageControl1, "TabSheet2");
  PageControl1->addTab(TabSheet2, Text(kKeyPageCaption));
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
                                            Text(kColumnCaption));
  ColumCheckBox->setGeometry(16, 40, 81, 17);
  ColumCheckBox->setChecked(true);
  FieldCheckBox = Create<WholeAreaCheckBox>(TabSheet2, "FieldCheckBox",
                                            Text(kFieldCaption));
  FieldCheckBox->setGeometry(104, 40, 73, 17);
  StringCompCheckBox = Create<WholeAreaCheckBox>(
      TabSheet2, "StringCompCheckBox", Text(kStringCaption));
  StringCompCheckBox->setGeometry(96, 0, 97, 17);
  StringCompCheckBox->setChecked(true);
  NumCompCheckBox = Create<WholeAreaCheckBox>(TabSheet2, "NumCompCheckBox",
                                              Text(kNumberCaption));
  NumCompCheckBox->setGeometry(96, 16, 97, 17);

  PageControl1->setCurrentWidget(TabSheet1);

  // The common dialogs, which have no place in the layout.
  OpenDialog = {FileDialogKind::kOpen,
                0,
                Text(kOpenFilter).toLocal8Bit().toStdString(),
                {}};
  SaveDialog = {FileDialogKind::kSave,
                0,
                Text(kSaveFilter).toLocal8Bit().toStdString(),
                {}};
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

void TTarnelMainForm::ConnectReactions() {
  connect(ClipBoardCheckBox1, &QCheckBox::toggled, this,
          &TTarnelMainForm::ClipBoardCheckBox1Click);
  connect(FileOpenCheckBox, &QCheckBox::toggled, this,
          &TTarnelMainForm::FileOpenCheckBoxClick);
  connect(ClipBoardCheckBox2, &QCheckBox::toggled, this,
          &TTarnelMainForm::ClipBoardCheckBox2Click);
  connect(FileSaveCheckBox, &QCheckBox::toggled, this,
          &TTarnelMainForm::FileSaveCheckBoxClick);
  connect(ColumCheckBox, &QCheckBox::toggled, this,
          &TTarnelMainForm::ColumCheckBoxClick);
  connect(FieldCheckBox, &QCheckBox::toggled, this,
          &TTarnelMainForm::FieldCheckBoxClick);
  connect(StringCompCheckBox, &QCheckBox::toggled, this,
          &TTarnelMainForm::StringCompCheckBoxClick);
  connect(NumCompCheckBox, &QCheckBox::toggled, this,
          &TTarnelMainForm::NumCompCheckBoxClick);
  connect(OKButton, &QPushButton::clicked, this,
          &TTarnelMainForm::OKButtonClick);
  connect(CancelButton, &QPushButton::clicked, this,
          &TTarnelMainForm::CancelButtonClick);
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

  // textEdited comes just before textChanged, and only for the user's
  // changes.
  connect(SortPosEdit, &QLineEdit::textEdited, this,
          [this] { sort_pos_edited_ = true; });
  connect(SortPosEdit, &QLineEdit::textChanged, this, [this] {
    sort_pos_modified_ = std::exchange(sort_pos_edited_, false);
    SortPosEditChange();
  });
  connect(UpDown1, &UpDown::Clicked, this, &TTarnelMainForm::UpDown1Click);
  connect(UpDown2, &UpDown::Clicked, this, &TTarnelMainForm::UpDown2Click);

  // Qt has default buttons only in dialogs; the window plays the part.
  for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
    auto* shortcut = new QShortcut(QKeySequence(key), this);  // owned by us
    connect(shortcut, &QShortcut::activated, this,
            &TTarnelMainForm::DefaultButtonKey);
  }
  connect(qApp, &QApplication::focusChanged, this,
          &TTarnelMainForm::ShowDefaultButton);
}

void TTarnelMainForm::FormCreate() {
  application_.SetOnHint(this, [this] { ShowHint(); });
  if (arguments_.empty()) return;
  ParseCommandLine();
  if (AutoRun == 1) {
    application_.SetShowMainForm(false);
    batch_delivered_ = ExecuteSort();
    application_.Terminate();
  }
}

void TTarnelMainForm::ParseCommandLine() {
  const std::size_t count = arguments_.size();
  for (std::size_t i = 0; i < count; ++i) {
    const std::string& argument = arguments_[i];
    // Options match whatever the case of their letters.
    const std::string folded = FoldedCopy(argument);
    if (folded == "-A") {
      AutoRun = 1;
    } else if (folded == "-A+") {
      AutoRun = 1;
      Quiet = 1;
    } else if (folded == "-R") {
      // The radio buttons are exclusive: checking one unchecks the other.
      Sort_R_RadioButton->setChecked(true);
    } else if (folded == "-I") {
      NotCaseSensitiveCheckBox->setChecked(true);
    } else if (folded == "-U") {
      UniqCheckBox->setChecked(true);
    } else if (folded == "-F") {
      if (++i < count) UseInputFile(arguments_[i]);
    } else if (folded == "-O") {
      if (++i < count) UseOutputFile(arguments_[i]);
    } else if (folded.size() >= 2 && folded[0] == '-' && folded[1] >= '1' &&
               folded[1] <= '9') {
      ApplyKeyOption(folded);
    } else {
      UseInputFile(argument);
    }
  }
}

void TTarnelMainForm::UseInputFile(const std::string& name) {
  ClipBoardCheckBox1->setChecked(false);
  FileOpenCheckBox->setChecked(true);
  FileOpenEdit->show();
  SetPathText(FileOpenEdit, name);
}

void TTarnelMainForm::UseOutputFile(const std::string& name) {
  ClipBoardCheckBox2->setChecked(false);
  FileSaveCheckBox->setChecked(true);
  FileSaveEdit->show();
  SetPathText(FileSaveEdit, name);
}

void TTarnelMainForm::ApplyKeyOption(const std::string& folded) {
  std::size_t j = 1;
  std::string digits;
  // Digits past the buffer are read over and dropped, so that an "n" or
  // "f" after a long run of digits still counts.
  for (; j < folded.size() && IsDigit(folded[j]); ++j) {
    if (digits.size() < kKeyDigitLimit) digits.push_back(folded[j]);
  }
  SortPosEdit->setText(QString::fromLatin1(digits));
  // The edit keeps the digits as given: a batch run reads them.
  UpDown1->SetPosition(ParseIntDefault(digits, 1));
  if (j < folded.size() && folded[j] == 'N') {
    NumCompCheckBox->setChecked(true);
    StringCompCheckBox->setChecked(false);
    ++j;
  }
  if (j < folded.size() && folded[j] == 'F') {
    FieldCheckBox->setChecked(true);
    ColumCheckBox->setChecked(false);
  }
}

void TTarnelMainForm::SwitchInputToFile(const std::string& name) {
  ClipBoardCheckBox1->setChecked(false);
  FileOpenCheckBox->setChecked(true);
  FileOpenPanel->show();
  FileOpenEdit->show();
  SetPathText(FileOpenEdit, name);
  activateWindow();
  FileOpenEdit->setFocus();
}

void TTarnelMainForm::SwitchOutputToFile(const std::string& name) {
  ClipBoardCheckBox2->setChecked(false);
  FileSaveCheckBox->setChecked(true);
  FileSavePanel->show();
  FileSaveEdit->show();
  SetPathText(FileSaveEdit, name);
  activateWindow();
  FileSaveEdit->setFocus();
}

void TTarnelMainForm::ClipBoardCheckBox1Click() {
  FileOpenCheckBox->setChecked(!ClipBoardCheckBox1->isChecked());
}

void TTarnelMainForm::FileOpenCheckBoxClick() {
  if (FileOpenCheckBox->isChecked()) {
    ClipBoardCheckBox1->setChecked(false);
    FileOpenPanel->show();
    FileOpenEdit->show();
    // Not while the command line is applied: the window is not active then.
    if (isActiveWindow()) FileOpenEdit->setFocus();
  } else {
    FileOpenEdit->hide();
    FileOpenPanel->hide();
    ClipBoardCheckBox1->setChecked(true);
  }
}

void TTarnelMainForm::ClipBoardCheckBox2Click() {
  FileSaveCheckBox->setChecked(!ClipBoardCheckBox2->isChecked());
}

void TTarnelMainForm::FileSaveCheckBoxClick() {
  if (FileSaveCheckBox->isChecked()) {
    ClipBoardCheckBox2->setChecked(false);
    FileSavePanel->show();
    FileSaveEdit->show();
    if (isActiveWindow()) FileSaveEdit->setFocus();
  } else {
    FileSaveEdit->hide();
    FileSavePanel->hide();
    ClipBoardCheckBox2->setChecked(true);
  }
}

void TTarnelMainForm::ColumCheckBoxClick() {
  FieldCheckBox->setChecked(!ColumCheckBox->isChecked());
}

void TTarnelMainForm::FieldCheckBoxClick() {
  ColumCheckBox->setChecked(!FieldCheckBox->isChecked());
}

void TTarnelMainForm::StringCompCheckBoxClick() {
  NumCompCheckBox->setChecked(!StringCompCheckBox->isChecked());
}

void TTarnelMainForm::NumCompCheckBoxClick() {
  StringCompCheckBox->setChecked(!NumCompCheckBox->isChecked());
}

bool TTarnelMainForm::ExecuteSort() {
  // The engine's boxes leave this window usable, so a second request can
  // arrive while a run waits in one of them.
  if (running_) return false;
  running_ = true;
  // A close request that came during the run is carried out once the run
  // and its boxes are over.
  struct RunFlag {
    TTarnelMainForm& form;
    ~RunFlag() {
      form.running_ = false;
      if (std::exchange(form.close_pending_, false)) {
        QMetaObject::invokeMethod(&form, &QWidget::close, Qt::QueuedConnection);
      }
    }
  } run_flag{*this};

  const QString status_text = StatusLine->currentMessage();

  std::int32_t sort_mode =
      Sort_F_RadioButton->isChecked() ? 0 : kSortDescending;
  if (NotCaseSensitiveCheckBox->isChecked()) sort_mode |= kSortIgnoreCase;
  if (UniqCheckBox->isChecked()) sort_mode |= kSortUnique;

  std::optional<std::string> input_name;
  if (!ClipBoardCheckBox1->isChecked()) {
    if (FileOpenEdit->text().isEmpty()) {
      ShowPlainBox(kNoInputFile);
      return false;
    }
    input_name = PathBytes(FileOpenEdit);
  }
  std::optional<std::string> output_name;
  if (!ClipBoardCheckBox2->isChecked()) {
    if (FileSaveEdit->text().isEmpty()) {
      ShowPlainBox(kNoOutputFile);
      return false;
    }
    output_name = PathBytes(FileSaveEdit);
  }

  // 32-bit arithmetic that wraps: the smallest position less one is the
  // largest.
  const std::int32_t position =
      ParseIntDefault(SortPosEdit->text().toStdString(), 1);
  const std::int32_t key_pos =
      static_cast<std::int32_t>(static_cast<std::uint32_t>(position) - 1u);
  std::int32_t key_kind = ColumCheckBox->isChecked() ? kKeyColumn : kKeyField;
  if (NumCompCheckBox->isChecked()) key_kind |= kKeyNumeric;

  const SortRequest request{application_.Handle(),
                            sort_mode,
                            input_name ? input_name->c_str() : nullptr,
                            output_name ? output_name->c_str() : nullptr,
                            key_pos,
                            key_kind,
                            Quiet};
  std::int32_t result;
  {
    RunDisplay display(StatusLine, status_text);
    result = run_sort_(request);
  }
  return result == 0;
}

void TTarnelMainForm::OKButtonClick() {
  // A refused request must leave the running run's cursor alone.
  if (running_) return;
  setCursor(Qt::WaitCursor);
  struct CursorReset {
    QWidget* window;
    ~CursorReset() { window->unsetCursor(); }
  } reset{this};
  ExecuteSort();
}

void TTarnelMainForm::CancelButtonClick() { close(); }

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

void TTarnelMainForm::HelpAbout() {
  if (!about_box_) return;
  about_box_->SetVersionText(QString::fromStdString(VersionText(AppVersion)));
  if (!about_box_->isVisible()) about_box_->show();
}

void TTarnelMainForm::HelpContents() {
  Current<HelpEngine>().Command(HandleOf(this), application_.HelpFile(),
                                kHelpContents, std::string());
}

void TTarnelMainForm::HelpSearch() {
  Current<HelpEngine>().Command(HandleOf(this), application_.HelpFile(),
                                kHelpPartialKey, std::string());
}

std::optional<std::string> TTarnelMainForm::RunFileDialog(
    CommonFileDialog& dialog, unsigned options) {
  dialog.options = options;
  const FileDialogRequest request{dialog.kind, dialog.options, dialog.filter,
                                  dialog.file_name};
  std::optional<std::string> name =
      Current<FileDialogs>().Run(HandleOf(this), request);
  if (name) dialog.file_name = *name;
  return name;
}

void TTarnelMainForm::FileOpen() {
  if (const auto name = RunFileDialog(OpenDialog, kOpenOptions)) {
    SetPathText(FileOpenEdit, *name);
  }
}

void TTarnelMainForm::FileSaveAs() {
  if (const auto name = RunFileDialog(SaveDialog, kSaveOptions)) {
    SetPathText(FileSaveEdit, *name);
  }
}

void TTarnelMainForm::FileOpen2() {
  if (const auto name = RunFileDialog(OpenDialog, kOpenOptions)) {
    SwitchInputToFile(*name);
  }
}

void TTarnelMainForm::FileExit() { close(); }

void TTarnelMainForm::ShowHint() {
  StatusLine->showMessage(application_.Hint());
}

void TTarnelMainForm::SortPosEditChange() {
  if (!sort_pos_modified_) return;
  // The filter looks at bytes in the locale's encoding: a character beyond
  // ASCII is several bytes, none of them a digit.
  const std::string text = SortPosEdit->text().toLocal8Bit().toStdString();
  const std::size_t n = text.size();
  std::string working = text;
  ShowPlainBox(text, kKeyPositionTextCaption);
  if (text.empty() || text == "0") {
    SortPosEdit->setText(QString::fromLatin1(kInitialKeyPosition));
    return;
  }
  std::size_t caret = 0;
  for (std::size_t i = n; i >= 1; --i) {
    if (IsDigit(working[i - 1])) continue;
    ShowPlainBox(Text(kEnterNumber).toLocal8Bit().toStdString(),
                 kKeyPositionErrorCaption);
    caret = i - 1;
    working.erase(i - 1, 1);
  }
  if (working.size() < n) {
    // Only digits are left, so bytes and characters count alike.
    SortPosEdit->setText(QString::fromLatin1(working));
    SortPosEdit->setCursorPosition(static_cast<int>(caret));
  }
  UpDown2->SetPosition(ParseIntDefault(SortPosEdit->text().toStdString(), 1));
}

void TTarnelMainForm::UpDown1Click() {
  UpDown2->SetPosition(ParseIntDefault(SortPosEdit->text().toStdString(), 1));
}

void TTarnelMainForm::UpDown2Click() {
  SortPosEdit->setText(QString::number(UpDown2->Position()));
}

void TTarnelMainForm::FormKeyDown(int key, Qt::KeyboardModifiers) {
  if (key == Qt::Key_Escape) close();
}

void TTarnelMainForm::WMDropFiles(const QMimeData& drop, const QPoint& point) {
  // Further files of the same drop are ignored.
  const std::optional<std::string> name = FirstDroppedFile(drop);
  if (!name) return;
  QWidget* child = childAt(point);
  if (child &&
      (child == OutputGroupBox || OutputGroupBox->isAncestorOf(child))) {
    SwitchOutputToFile(*name);
  } else {
    SwitchInputToFile(*name);
  }
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

void TTarnelMainForm::ShowPlainBox(const char* text) {
  ShowPlainBox(Text(text).toLocal8Bit().toStdString(), kRunCheckCaption);
}

void TTarnelMainForm::ShowPlainBox(const std::string& text,
                                   const char* caption) {
  Current<MessageBoxes>().Show(application_.Handle(), text, caption,
                               kBoxPlain | kBoxTaskModal);
}

void TTarnelMainForm::closeEvent(QCloseEvent* event) {
  if (running_) {
    close_pending_ = true;
    event->ignore();
    return;
  }
  QMainWindow::closeEvent(event);
}

}  // namespace tarnel
