#include "ui/logic/main_form_logic.h"

#include <utility>

#include "platform/ascii_fold.h"
#include "platform/help_engine.h"
#include "platform/local_text.h"
#include "platform/message_boxes.h"
#include "platform/service.h"
#include "ui/logic/parse_int.h"
#include "ui/logic/tarnel_version.h"
#include "ui/logic/version_text.h"

namespace tarnel {

namespace {

// The texts the logic shows, in UTF-8.
constexpr char kStatusRunning[] = "ソート実行中！";

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

// The key option's digits are kept in a buffer of 128 bytes.
constexpr std::size_t kKeyDigitLimit = 127;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

template <class Control>
using Slot = Control* MainFormControls::*;

template <class Control>
struct NamedSlot {
  std::string_view name;
  Slot<Control> slot;
};

using C = MainFormControls;
constexpr NamedSlot<CheckControl> kCheckSlots[] = {
    {"Sort_F_RadioButton", &C::Sort_F_RadioButton},
    {"Sort_R_RadioButton", &C::Sort_R_RadioButton},
    {"NotCaseSensitiveCheckBox", &C::NotCaseSensitiveCheckBox},
    {"UniqCheckBox", &C::UniqCheckBox},
    {"ClipBoardCheckBox1", &C::ClipBoardCheckBox1},
    {"FileOpenCheckBox", &C::FileOpenCheckBox},
    {"ClipBoardCheckBox2", &C::ClipBoardCheckBox2},
    {"FileSaveCheckBox", &C::FileSaveCheckBox},
    {"ColumCheckBox", &C::ColumCheckBox},
    {"FieldCheckBox", &C::FieldCheckBox},
    {"StringCompCheckBox", &C::StringCompCheckBox},
    {"NumCompCheckBox", &C::NumCompCheckBox},
};
constexpr NamedSlot<EditControl> kEditSlots[] = {
    {"FileOpenEdit", &C::FileOpenEdit},
    {"FileSaveEdit", &C::FileSaveEdit},
    {"SortPosEdit", &C::SortPosEdit},
};
constexpr NamedSlot<VisibleControl> kVisibleSlots[] = {
    {"FileOpenPanel", &C::FileOpenPanel},
    {"FileSavePanel", &C::FileSavePanel},
};
constexpr NamedSlot<SpinControl> kSpinSlots[] = {
    {"UpDown1", &C::UpDown1},
    {"UpDown2", &C::UpDown2},
};
constexpr NamedSlot<StatusControl> kStatusSlots[] = {
    {"StatusLine", &C::StatusLine},
};

template <class Control, std::size_t n>
bool Attach(const NamedSlot<Control> (&slots)[n], MainFormControls& controls,
            std::string_view name, Control* control) {
  for (const NamedSlot<Control>& named : slots) {
    if (named.name != name) continue;
    controls.*named.slot = control;
    return true;
  }
  return false;
}

template <class Control, std::size_t n>
Control* Named(const NamedSlot<Control> (&slots)[n],
               const MainFormControls& controls, std::string_view name) {
  for (const NamedSlot<Control>& named : slots) {
    if (named.name == name) return controls.*named.slot;
  }
  return nullptr;
}

}  // namespace

NamedControl FindNamedControl(const MainFormControls& controls,
                              std::string_view name) {
  return {Named(kCheckSlots, controls, name), Named(kEditSlots, controls, name),
          Named(kVisibleSlots, controls, name),
          Named(kSpinSlots, controls, name),
          Named(kStatusSlots, controls, name)};
}

bool AttachControl(MainFormControls& controls, std::string_view name,
                   CheckControl* control) {
  return Attach(kCheckSlots, controls, name, control);
}
bool AttachControl(MainFormControls& controls, std::string_view name,
                   EditControl* control) {
  return Attach(kEditSlots, controls, name, control);
}
bool AttachControl(MainFormControls& controls, std::string_view name,
                   VisibleControl* control) {
  return Attach(kVisibleSlots, controls, name, control);
}
bool AttachControl(MainFormControls& controls, std::string_view name,
                   SpinControl* control) {
  return Attach(kSpinSlots, controls, name, control);
}
bool AttachControl(MainFormControls& controls, std::string_view name,
                   StatusControl* control) {
  return Attach(kStatusSlots, controls, name, control);
}

MainFormLogic::MainFormLogic(const MainFormControls& controls,
                             FormControl& form, ApplicationControl& application,
                             std::vector<std::string> arguments,
                             RunSortFunction run_sort)
    : OpenDialog{FileDialogKind::kOpen, 0, LocalText(kOpenFilter), {}},
      SaveDialog{FileDialogKind::kSave, 0, LocalText(kSaveFilter), {}},
      c_(controls),
      form_(form),
      application_(application),
      arguments_(std::move(arguments)),
      run_sort_(std::move(run_sort)) {}

void MainFormLogic::Connect() {
  c_.ClipBoardCheckBox1->OnChange([this] { ClipBoardCheckBox1Click(); });
  c_.FileOpenCheckBox->OnChange([this] { FileOpenCheckBoxClick(); });
  c_.ClipBoardCheckBox2->OnChange([this] { ClipBoardCheckBox2Click(); });
  c_.FileSaveCheckBox->OnChange([this] { FileSaveCheckBoxClick(); });
  c_.ColumCheckBox->OnChange([this] { ColumCheckBoxClick(); });
  c_.FieldCheckBox->OnChange([this] { FieldCheckBoxClick(); });
  c_.StringCompCheckBox->OnChange([this] { StringCompCheckBoxClick(); });
  c_.NumCompCheckBox->OnChange([this] { NumCompCheckBoxClick(); });
  c_.SortPosEdit->OnChange([this] { SortPosEditChange(); });
  c_.UpDown1->OnStep([this] { UpDown1Click(); });
  c_.UpDown2->OnStep([this] { UpDown2Click(); });
  for (CheckControl* radio : {c_.Sort_F_RadioButton, c_.Sort_R_RadioButton}) {
    radio->OnChange([this] { UpdateRadioTabStops(); });
  }
  UpdateRadioTabStops();
}

void MainFormLogic::UpdateRadioTabStops() {
  for (CheckControl* radio : {c_.Sort_F_RadioButton, c_.Sort_R_RadioButton}) {
    radio->SetTabStop(radio->IsChecked());
  }
}

void MainFormLogic::FormCreate() {
  application_.OnHint([this] { ShowHint(); });
  if (arguments_.empty()) return;
  ParseCommandLine();
  if (AutoRun == 1) {
    application_.SetShowMainForm(false);
    batch_delivered_ = ExecuteSort();
    application_.Terminate();
  }
}

void MainFormLogic::ParseCommandLine() {
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
      c_.Sort_F_RadioButton->SetChecked(false);
      c_.Sort_R_RadioButton->SetChecked(true);
    } else if (folded == "-I") {
      c_.NotCaseSensitiveCheckBox->SetChecked(true);
    } else if (folded == "-U") {
      c_.UniqCheckBox->SetChecked(true);
    } else if (folded == "-F") {
      if (++i < count) UseFile(InputSide(), arguments_[i]);
    } else if (folded == "-O") {
      if (++i < count) UseFile(OutputSide(), arguments_[i]);
    } else if (folded.size() >= 2 && folded[0] == '-' && folded[1] >= '1' &&
               folded[1] <= '9') {
      ApplyKeyOption(folded);
    } else {
      UseFile(InputSide(), argument);
    }
  }
}

MainFormLogic::FileSide MainFormLogic::InputSide() const {
  return {c_.ClipBoardCheckBox1, c_.FileOpenCheckBox, c_.FileOpenPanel,
          c_.FileOpenEdit};
}

MainFormLogic::FileSide MainFormLogic::OutputSide() const {
  return {c_.ClipBoardCheckBox2, c_.FileSaveCheckBox, c_.FileSavePanel,
          c_.FileSaveEdit};
}

void MainFormLogic::UseFile(const FileSide& side, const std::string& name) {
  side.clipboard->SetChecked(false);
  side.file->SetChecked(true);
  side.edit->SetVisible(true);
  side.edit->SetText(name);
}

void MainFormLogic::ApplyKeyOption(const std::string& folded) {
  std::size_t j = 1;
  std::string digits;
  // Digits past the buffer are read over and dropped, so that an "n" or
  // "f" after a long run of digits still counts.
  for (; j < folded.size() && IsDigit(folded[j]); ++j) {
    if (digits.size() < kKeyDigitLimit) digits.push_back(folded[j]);
  }
  c_.SortPosEdit->SetText(digits);
  // The edit keeps the digits as given: a batch run reads them.
  c_.UpDown1->SetPosition(ParseIntDefault(digits, 1));
  if (j < folded.size() && folded[j] == 'N') {
    c_.NumCompCheckBox->SetChecked(true);
    c_.StringCompCheckBox->SetChecked(false);
    ++j;
  }
  if (j < folded.size() && folded[j] == 'F') {
    c_.FieldCheckBox->SetChecked(true);
    c_.ColumCheckBox->SetChecked(false);
  }
}

void MainFormLogic::SwitchToFile(const FileSide& side,
                                 const std::string& name) {
  side.clipboard->SetChecked(false);
  side.file->SetChecked(true);
  side.panel->SetVisible(true);
  side.edit->SetVisible(true);
  side.edit->SetText(name);
  form_.Activate();
  side.edit->SetFocus();
}

void MainFormLogic::FileCheckBoxClick(const FileSide& side) {
  if (side.file->IsChecked()) {
    side.clipboard->SetChecked(false);
    side.panel->SetVisible(true);
    side.edit->SetVisible(true);
    // Not while the command line is applied: the window is not active then.
    if (form_.IsActive()) side.edit->SetFocus();
  } else {
    side.edit->SetVisible(false);
    side.panel->SetVisible(false);
    side.clipboard->SetChecked(true);
  }
}

void MainFormLogic::ClipBoardCheckBox1Click() {
  c_.FileOpenCheckBox->SetChecked(!c_.ClipBoardCheckBox1->IsChecked());
}

void MainFormLogic::FileOpenCheckBoxClick() { FileCheckBoxClick(InputSide()); }

void MainFormLogic::ClipBoardCheckBox2Click() {
  c_.FileSaveCheckBox->SetChecked(!c_.ClipBoardCheckBox2->IsChecked());
}

void MainFormLogic::FileSaveCheckBoxClick() { FileCheckBoxClick(OutputSide()); }

void MainFormLogic::ColumCheckBoxClick() {
  c_.FieldCheckBox->SetChecked(!c_.ColumCheckBox->IsChecked());
}

void MainFormLogic::FieldCheckBoxClick() {
  c_.ColumCheckBox->SetChecked(!c_.FieldCheckBox->IsChecked());
}

void MainFormLogic::StringCompCheckBoxClick() {
  c_.NumCompCheckBox->SetChecked(!c_.StringCompCheckBox->IsChecked());
}

void MainFormLogic::NumCompCheckBoxClick() {
  c_.StringCompCheckBox->SetChecked(!c_.NumCompCheckBox->IsChecked());
}

bool MainFormLogic::ExecuteSort() {
  // The engine's boxes leave the window usable, so a second request can
  // arrive while a run waits in one of them; and a key meant for one of the
  // window's own boxes can reach the window while the box is open.
  if (running_ || open_boxes_ > 0) return false;
  running_ = true;
  struct RunFlag {
    MainFormLogic& logic;
    ~RunFlag() { logic.FinishRun(); }
  } run_flag{*this};

  const std::string status_text = c_.StatusLine->Text();

  std::int32_t sort_mode =
      c_.Sort_F_RadioButton->IsChecked() ? 0 : kSortDescending;
  if (c_.NotCaseSensitiveCheckBox->IsChecked()) sort_mode |= kSortIgnoreCase;
  if (c_.UniqCheckBox->IsChecked()) sort_mode |= kSortUnique;

  // Private copies: the user may edit the paths while the run waits in a
  // box.
  std::optional<std::string> input_name;
  if (!c_.ClipBoardCheckBox1->IsChecked()) {
    input_name = c_.FileOpenEdit->Text();
    if (input_name->empty()) {
      ShowPlainBox(LocalText(kNoInputFile), kRunCheckCaption);
      return false;
    }
  }
  std::optional<std::string> output_name;
  if (!c_.ClipBoardCheckBox2->IsChecked()) {
    output_name = c_.FileSaveEdit->Text();
    if (output_name->empty()) {
      ShowPlainBox(LocalText(kNoOutputFile), kRunCheckCaption);
      return false;
    }
  }

  // 32-bit arithmetic that wraps: the smallest position less one is the
  // largest.
  const std::int32_t position = ParseIntDefault(c_.SortPosEdit->Text(), 1);
  const std::int32_t key_pos =
      static_cast<std::int32_t>(static_cast<std::uint32_t>(position) - 1u);
  std::int32_t key_kind =
      c_.ColumCheckBox->IsChecked() ? kKeyColumn : kKeyField;
  if (c_.NumCompCheckBox->IsChecked()) key_kind |= kKeyNumeric;

  const SortRequest request{application_.Handle(),
                            sort_mode,
                            input_name ? input_name->c_str() : nullptr,
                            output_name ? output_name->c_str() : nullptr,
                            key_pos,
                            key_kind,
                            Quiet};
  // What the run changes on screen, put back on every way out of it.
  struct RunDisplay {
    StatusControl& status_line;
    ApplicationControl& application;
    std::string saved_text;
    RunDisplay(StatusControl& line, ApplicationControl& app, std::string text)
        : status_line(line), application(app), saved_text(std::move(text)) {
      status_line.SetText(LocalText(kStatusRunning));
      application.SetWaitCursor(true);
    }
    RunDisplay(const RunDisplay&) = delete;
    RunDisplay& operator=(const RunDisplay&) = delete;
    ~RunDisplay() {
      application.SetWaitCursor(false);
      status_line.SetText(saved_text);
    }
  };
  std::int32_t result;
  {
    RunDisplay display(*c_.StatusLine, application_, status_text);
    result = run_sort_(request);
  }
  return result == 0;
}

void MainFormLogic::FinishRun() {
  running_ = false;
  if (std::exchange(close_pending_, false)) form_.CloseLater();
}

void MainFormLogic::OKButtonClick() {
  // A refused request must leave the running run's cursor alone.
  if (running_ || open_boxes_ > 0) return;
  form_.SetWaitCursor(true);
  struct CursorReset {
    FormControl& form;
    ~CursorReset() { form.SetWaitCursor(false); }
  } reset{form_};
  ExecuteSort();
}

void MainFormLogic::CancelButtonClick() { form_.Close(); }

void MainFormLogic::FileExit() { form_.Close(); }

int MainFormLogic::ExitStatus() const {
  if (AutoRun != 1) return 0;
  return batch_delivered_ ? 0 : 1;
}

bool MainFormLogic::CanClose() {
  if (!running_) return true;
  close_pending_ = true;
  return false;
}

void MainFormLogic::HelpAbout() {
  if (!about_box_) return;
  about_box_->SetVersionText(VersionText(AppVersion));
  if (!about_box_->IsVisible()) about_box_->Show();
}

void MainFormLogic::HelpContents() {
  Current<HelpEngine>().Command(form_.Handle(), application_.HelpFile(),
                                kHelpContents, std::string());
}

void MainFormLogic::HelpSearch() {
  Current<HelpEngine>().Command(form_.Handle(), application_.HelpFile(),
                                kHelpPartialKey, std::string());
}

std::optional<std::string> MainFormLogic::RunFileDialog(
    CommonFileDialog& dialog, unsigned options) {
  dialog.options = options;
  const FileDialogRequest request{dialog.kind, dialog.options, dialog.filter,
                                  dialog.file_name};
  std::optional<std::string> name =
      Current<FileDialogs>().Run(form_.Handle(), request);
  if (name) dialog.file_name = *name;
  return name;
}

void MainFormLogic::FileOpen() {
  if (const auto name = RunFileDialog(OpenDialog, kOpenOptions)) {
    c_.FileOpenEdit->SetText(*name);
  }
}

void MainFormLogic::FileOpenPanelEnter(FocusCause cause) {
  // Only a move from another control: the focus also comes back here when
  // the dialog closes, and that must not reopen it.
  if (cause != FocusCause::kTab) return;
  // Not inside the focus change itself: the dialog takes the focus away
  // again.
  form_.RunLater([this] { FileOpen(); });
}

void MainFormLogic::FileSaveAs() {
  if (const auto name = RunFileDialog(SaveDialog, kSaveOptions)) {
    c_.FileSaveEdit->SetText(*name);
  }
}

void MainFormLogic::FileOpen2() {
  if (const auto name = RunFileDialog(OpenDialog, kOpenOptions)) {
    SwitchToFile(InputSide(), *name);
  }
}

void MainFormLogic::ShowHint() { c_.StatusLine->SetText(application_.Hint()); }

void MainFormLogic::SortPosEditChange() {
  // Text set by the program, this handler's own included, is left alone.
  if (!c_.SortPosEdit->IsModified()) return;
  // The filter looks at bytes in the locale's encoding: a character beyond
  // ASCII is several bytes, none of them a digit.
  const std::string text = c_.SortPosEdit->Text();
  const std::size_t n = text.size();
  std::string working = text;
  ShowPlainBox(text, kKeyPositionTextCaption);
  if (text.empty() || text == "0") {
    c_.SortPosEdit->SetText(kInitialKeyPosition);
    return;
  }
  std::size_t caret = 0;
  for (std::size_t i = n; i >= 1; --i) {
    if (IsDigit(working[i - 1])) continue;
    ShowPlainBox(LocalText(kEnterNumber), kKeyPositionErrorCaption);
    caret = i - 1;
    working.erase(i - 1, 1);
  }
  if (working.size() < n) {
    c_.SortPosEdit->SetText(working);
    c_.SortPosEdit->SetCaret(caret);
  }
  c_.UpDown2->SetPosition(ParseIntDefault(c_.SortPosEdit->Text(), 1));
}

void MainFormLogic::UpDown1Click() {
  c_.UpDown2->SetPosition(ParseIntDefault(c_.SortPosEdit->Text(), 1));
}

void MainFormLogic::UpDown2Click() {
  c_.SortPosEdit->SetText(std::to_string(c_.UpDown2->Position()));
}

void MainFormLogic::MenuItemClick(MenuCommand command) {
  switch (command) {
    case MenuCommand::kOpen:
      FileOpen2();
      break;
    case MenuCommand::kExit:
      FileExit();
      break;
    case MenuCommand::kContents:
      HelpContents();
      break;
    case MenuCommand::kSearch:
      HelpSearch();
      break;
    case MenuCommand::kAbout:
      HelpAbout();
      break;
    case MenuCommand::kNone:
      break;
  }
}

void MainFormLogic::FormKeyDown(FormKey key) {
  if (key == FormKey::kEscape) form_.Close();
}

void MainFormLogic::WMDropFiles(const std::string& name, DropTarget target) {
  SwitchToFile(target == DropTarget::kOutputGroup ? OutputSide() : InputSide(),
               name);
}

void MainFormLogic::ShowPlainBox(const std::string& text, const char* caption) {
  ++open_boxes_;
  struct Closed {
    int& open_boxes;
    ~Closed() { --open_boxes; }
  } closed{open_boxes_};
  Current<MessageBoxes>().Show(application_.Handle(), text, caption,
                               kBoxPlain | kBoxTaskModal);
}

}  // namespace tarnel
