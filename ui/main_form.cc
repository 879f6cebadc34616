#include "ui/main_form.h"

#include <QApplication>
#include <QByteArray>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QGroupBox>
#include <QKeySequence>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTabWidget>
#include <QVariant>
#include <optional>
#include <utility>

#include "engine/run_sort.h"
#include "platform/qt/qt_message_boxes.h"
#include "ui/about_box.h"
#include "ui/browse_panel.h"
#include "ui/parse_int.h"
#include "ui/tarnel_application.h"
#include "ui/tarnel_version.h"
#include "ui/typed_length_validator.h"
#include "ui/version_text.h"

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

// The run checks' boxes.
constexpr char kNoInputFile[] = "読み込み元ファイルが未指定です";
constexpr char kNoOutputFile[] = "書き出し先ファイルが未指定です";
constexpr char kRunCheckCaption[] = "TARNEL-ERROR";

constexpr int kClientWidth = 426;
constexpr int kClientHeight = 314;
// The user types at most this many characters into the key position.
constexpr int kKeyPositionTypedLimit = 5;
// The key option's digits are kept in a buffer of 128 bytes.
constexpr std::size_t kKeyDigitLimit = 127;

// Keeps a file name's exact bytes beside the edit's text: a name that is not
// valid in the local encoding would not survive the trip through the text.
constexpr char kPathBytesProperty[] = "tarnelPathBytes";

QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

// Creates a control under |parent|, which owns it from here on.
template <class Widget, class... Args>
Widget* Create(QWidget* parent, const char* name, Args&&... args) {
  auto* widget = new Widget(std::forward<Args>(args)..., parent);
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

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

std::string LowerAsciiLetters(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

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

std::int32_t RunSortAndReport(WindowHandle owner, std::int32_t sort_mode,
                              const char* input_name, const char* output_name,
                              std::int32_t key_pos, std::int32_t key_kind,
                              std::uint8_t quiet) {
  RunSort(owner, sort_mode, input_name, output_name, key_pos, key_kind, quiet);
  return LastResult;
}

TTarnelMainForm::TTarnelMainForm(TarnelApplication& application,
                                 std::vector<std::string> arguments,
                                 RunSortFunction run_sort)
    : application_(application),
      arguments_(std::move(arguments)),
      run_sort_(std::move(run_sort)) {
  BuildWindow();
  BuildControls();
  SetTabOrder();
  // Only now: loading the initial states must not run any reaction.
  ConnectReactions();
  FormCreate();
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
  setMenuBar(MainMenu);
  ClientArea = Create<QWidget>(this, "ClientArea");
  ClientArea->setFixedSize(kClientWidth, kClientHeight);
  setCentralWidget(ClientArea);
  // The window follows its parts' sizes: the client area and the menu bar.
  layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void TTarnelMainForm::BuildControls() {
  // In creation order: a later control lies above an earlier one.
  StatusLine = Create<QStatusBar>(ClientArea, "StatusLine");
  StatusLine->setGeometry(0, 291, 426, 23);
  StatusLine->setSizeGripEnabled(false);
  StatusLine->showMessage(Text(kStatusAtStart));

  SortMenu = Create<QGroupBox>(ClientArea, "SortMenu", Text(kSortMenuCaption));
  SortMenu->setGeometry(16, 8, 169, 89);
  // The radio buttons are the window's children, drawn over the frame.
  Sort_F_RadioButton = Create<QRadioButton>(ClientArea, "Sort_F_RadioButton",
                                            Text(kAscendingCaption));
  Sort_F_RadioButton->setGeometry(32, 32, 113, 17);
  Sort_F_RadioButton->setChecked(true);
  Sort_R_RadioButton = Create<QRadioButton>(ClientArea, "Sort_R_RadioButton",
                                            Text(kDescendingCaption));
  Sort_R_RadioButton->setGeometry(32, 64, 121, 17);

  InputGroupBox =
      Create<QGroupBox>(ClientArea, "InputGroupBox", Text(kInputGroupCaption));
  InputGroupBox->setGeometry(16, 104, 393, 73);
  ClipBoardCheckBox1 = Create<QCheckBox>(InputGroupBox, "ClipBoardCheckBox1",
                                         Text(kClipboardCaption));
  ClipBoardCheckBox1->setGeometry(16, 16, 97, 17);
  ClipBoardCheckBox1->setChecked(true);
  FileOpenCheckBox =
      Create<QCheckBox>(InputGroupBox, "FileOpenCheckBox", Text(kFileCaption));
  FileOpenCheckBox->setGeometry(128, 16, 57, 17);
  FileOpenPanel =
      Create<BrowsePanel>(InputGroupBox, "FileOpenPanel", Text(kBrowseCaption));
  FileOpenPanel->setGeometry(344, 40, 41, 17);
  FileOpenPanel->hide();
  FileOpenEdit = Create<QLineEdit>(InputGroupBox, "FileOpenEdit");
  FileOpenEdit->setGeometry(16, 40, 321, 20);
  FileOpenEdit->hide();

  OutputGroupBox = Create<QGroupBox>(ClientArea, "OutputGroupBox",
                                     Text(kOutputGroupCaption));
  OutputGroupBox->setGeometry(16, 184, 393, 73);
  ClipBoardCheckBox2 = Create<QCheckBox>(OutputGroupBox, "ClipBoardCheckBox2",
                                         Text(kClipboardCaption));
  ClipBoardCheckBox2->setGeometry(16, 16, 97, 17);
  ClipBoardCheckBox2->setChecked(true);
  FileSaveCheckBox =
      Create<QCheckBox>(OutputGroupBox, "FileSaveCheckBox", Text(kFileCaption));
  FileSaveCheckBox->setGeometry(128, 16, 57, 17);
  FileSavePanel = Create<BrowsePanel>(OutputGroupBox, "FileSavePanel",
                                      Text(kBrowseCaption));
  FileSavePanel->setGeometry(344, 40, 41, 17);
  FileSavePanel->hide();
  FileSaveEdit = Create<QLineEdit>(OutputGroupBox, "FileSaveEdit");
  FileSaveEdit->setGeometry(16, 40, 321, 20);
  FileSaveEdit->hide();

  OKButton = Create<QPushButton>(ClientArea, "OKButton", Text(kRunCaption));
  OKButton->setGeometry(112, 264, 75, 25);
  OKButton->setDefault(true);
  CancelButton =
      Create<QPushButton>(ClientArea, "CancelButton", Text(kCloseCaption));
  CancelButton->setGeometry(232, 264, 75, 25);

  PageControl1 = Create<QTabWidget>(ClientArea, "PageControl1");
  PageControl1->setGeometry(208, 8, 201, 89);

  TabSheet1 = Create<QWidget>(PageControl1, "TabSheet1");
  PageControl1->addTab(TabSheet1, Text(kOptionsPageCaption));
  NotCaseSensitiveCheckBox = Create<QCheckBox>(
      TabSheet1, "NotCaseSensitiveCheckBox", Text(kIgnoreCaseCaption));
  NotCaseSensitiveCheckBox->setGeometry(8, 8, 145, 17);
  UniqCheckBox =
      Create<QCheckBox>(TabSheet1, "UniqCheckBox", Text(kUniqueCaption));
  UniqCheckBox->setGeometry(8, 32, 97, 17);

  TabSheet2 = Create<QWidget>(PageControl1, "TabSheet2");
  PageControl1->addTab(TabSheet2, Text(kKeyPageCaption));
  SortPosEdit = Create<QLineEdit>(TabSheet2, "SortPosEdit");
  SortPosEdit->setGeometry(16, 8, 41, 20);
  SortPosEdit->setText(QString::fromLatin1(kInitialKeyPosition));
  // The edit owns its validator. The limit binds the user's typing only:
  // the command line may put a longer position there.
  new TypedLengthValidator(SortPosEdit, kKeyPositionTypedLimit);
  // The spin controls UpDown1 (57, 8, 15, 20) and UpDown2 (72, 8, 16, 20)
  // belong between the edit and the check boxes.
  ColumCheckBox =
      Create<QCheckBox>(TabSheet2, "ColumCheckBox", Text(kColumnCaption));
  ColumCheckBox->setGeometry(16, 40, 81, 17);
  ColumCheckBox->setChecked(true);
  FieldCheckBox =
      Create<QCheckBox>(TabSheet2, "FieldCheckBox", Text(kFieldCaption));
  FieldCheckBox->setGeometry(104, 40, 73, 17);
  StringCompCheckBox =
      Create<QCheckBox>(TabSheet2, "StringCompCheckBox", Text(kStringCaption));
  StringCompCheckBox->setGeometry(96, 0, 97, 17);
  StringCompCheckBox->setChecked(true);
  NumCompCheckBox =
      Create<QCheckBox>(TabSheet2, "NumCompCheckBox", Text(kNumberCaption));
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
  // Qt has default buttons only in dialogs; the window plays the part.
  for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
    auto* shortcut = new QShortcut(QKeySequence(key), this);  // owned by us
    connect(shortcut, &QShortcut::activated, this,
            &TTarnelMainForm::DefaultButtonKey);
  }
}

void TTarnelMainForm::FormCreate() {
  // The status line's hint handler is installed first, once it exists.
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
    const std::string lowered = LowerAsciiLetters(argument);
    if (lowered == "-a") {
      AutoRun = 1;
    } else if (lowered == "-a+") {
      AutoRun = 1;
      Quiet = 1;
    } else if (lowered == "-r") {
      // The radio buttons are exclusive: checking one unchecks the other.
      Sort_R_RadioButton->setChecked(true);
    } else if (lowered == "-i") {
      NotCaseSensitiveCheckBox->setChecked(true);
    } else if (lowered == "-u") {
      UniqCheckBox->setChecked(true);
    } else if (lowered == "-f") {
      if (++i < count) UseInputFile(arguments_[i]);
    } else if (lowered == "-o") {
      if (++i < count) UseOutputFile(arguments_[i]);
    } else if (lowered.size() >= 2 && lowered[0] == '-' && lowered[1] >= '1' &&
               lowered[1] <= '9') {
      ApplyKeyOption(lowered);
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

void TTarnelMainForm::ApplyKeyOption(const std::string& lowered) {
  std::size_t j = 1;
  std::string digits;
  // Digits past the buffer are read over and dropped, so that an "n" or
  // "f" after a long run of digits still counts.
  for (; j < lowered.size() && IsDigit(lowered[j]); ++j) {
    if (digits.size() < kKeyDigitLimit) digits.push_back(lowered[j]);
  }
  SortPosEdit->setText(QString::fromLatin1(digits));
  // UpDown1 takes ParseIntDefault(digits, 1) as its position here, leaving
  // the edit's text as it is, once the spin controls exist.
  if (j < lowered.size() && lowered[j] == 'n') {
    NumCompCheckBox->setChecked(true);
    StringCompCheckBox->setChecked(false);
    ++j;
  }
  if (j < lowered.size() && lowered[j] == 'f') {
    FieldCheckBox->setChecked(true);
    ColumCheckBox->setChecked(false);
  }
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
  struct RunFlag {
    bool& flag;
    ~RunFlag() { flag = false; }
  } run_flag{running_};

  const QString status_text = StatusLine->currentMessage();

  std::int32_t sort_mode =
      Sort_F_RadioButton->isChecked() ? 0 : kSortDescending;
  if (NotCaseSensitiveCheckBox->isChecked()) sort_mode += kSortIgnoreCase;
  if (UniqCheckBox->isChecked()) sort_mode += kSortUnique;

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
  if (NumCompCheckBox->isChecked()) key_kind += kKeyNumeric;

  std::int32_t result;
  {
    RunDisplay display(StatusLine, status_text);
    result = run_sort_(application_.Handle(), sort_mode,
                       input_name ? input_name->c_str() : nullptr,
                       output_name ? output_name->c_str() : nullptr, key_pos,
                       key_kind, Quiet);
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

void TTarnelMainForm::DefaultButtonKey() {
  auto* focused = qobject_cast<QPushButton*>(focusWidget());
  (focused ? focused : OKButton)->click();
}

void TTarnelMainForm::HelpAbout() {
  if (!about_box_) return;
  about_box_->SetVersionText(QString::fromStdString(VersionText(AppVersion)));
  if (!about_box_->isVisible()) about_box_->show();
}

void TTarnelMainForm::ShowPlainBox(const char* text) {
  CurrentMessageBoxes().Show(application_.Handle(),
                             Text(text).toLocal8Bit().toStdString(),
                             kRunCheckCaption, kBoxPlain | kBoxTaskModal);
}

void TTarnelMainForm::closeEvent(QCloseEvent* event) {
  if (running_) {
    event->ignore();
    return;
  }
  QMainWindow::closeEvent(event);
}

}  // namespace tarnel
