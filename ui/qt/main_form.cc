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
#include "ui/logic/main_form_layout.h"
#include "ui/logic/window_texts.h"
#include "ui/qt/about_box.h"
#include "ui/qt/browse_panel.h"
#include "ui/qt/qt_controls.h"
#include "ui/qt/tarnel_application.h"
#include "ui/qt/typed_length_validator.h"
#include "ui/qt/up_down.h"
#include "ui/qt/whole_area_buttons.h"
#include "ui/qt/widget_helpers.h"

namespace tarnel {

namespace {

namespace text = main_form_text;

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

  main_menu_ = Create<QMenuBar>(this, "MainMenu");
  // In the window, never in a desktop's global menu: the client area lies
  // below it.
  main_menu_->setNativeMenuBar(false);
  setMenuBar(main_menu_);
  client_area_ = Create<QWidget>(this, "ClientArea");
  client_area_->setFixedSize(kMainClientWidth, kMainClientHeight);
  setCentralWidget(client_area_);
  // The window follows its parts' sizes: the client area and the menu bar.
  layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void TTarnelMainForm::BuildMenu() {
  for (const MenuDef& entry : MainMenuTable()) {
    const QString name = QString::fromLatin1(entry.name);
    if (!entry.parent) {
      main_menu_->addMenu(Text(entry.caption))->setObjectName(name);
      continue;
    }
    auto* menu = Find<QMenu>(entry.parent);
    QAction* item = entry.caption ? menu->addAction(Text(entry.caption))
                                  : menu->addSeparator();
    item->setObjectName(name);
    if (entry.command == MenuCommand::kNone) continue;
    connect(item, &QAction::triggered, this,
            [this, command = entry.command] { logic_.MenuItemClick(command); });
  }
}

QWidget* TTarnelMainForm::BuildControl(const ControlDef& def, QWidget* parent) {
  const char* name = def.name;
  const QString text = def.text ? Text(def.text) : QString();
  switch (def.kind) {
    case ControlKind::kStatusBar: {
      auto* status_line = Create<QStatusBar>(parent, name);
      status_line->setSizeGripEnabled(false);
      status_line->showMessage(text);
      return status_line;
    }
    case ControlKind::kGroupBox:
      return Create<QGroupBox>(parent, name, text);
    case ControlKind::kRadioButton: {
      auto* button = Create<WholeAreaRadioButton>(parent, name, text);
      button->setChecked(def.checked);
      return button;
    }
    case ControlKind::kCheckBox: {
      auto* box = Create<WholeAreaCheckBox>(parent, name, text);
      box->setChecked(def.checked);
      return box;
    }
    case ControlKind::kPageControl:
      return Create<QTabWidget>(parent, name);
    case ControlKind::kTabSheet: {
      auto* pages = qobject_cast<QTabWidget*>(parent);
      auto* page = Create<QWidget>(pages, name);
      pages->addTab(page, text);
      if (def.shown) pages->setCurrentWidget(page);
      return page;
    }
    case ControlKind::kEdit:
    case ControlKind::kPathEdit: {
      auto* edit = Create<QLineEdit>(parent, name);
      edit->setText(text);
      // A dropped file is the window's to take, not text for the edit.
      edit->setAcceptDrops(false);
      if (def.typed_limit > 0) {
        // The room the digits need depends on the edit's size.
        edit->setGeometry(def.rect.x, def.rect.y, def.rect.width,
                          def.rect.height);
        // The edit owns its validator. The limit binds the user's typing
        // only: the command line may put a longer text there.
        new TypedLengthValidator(edit, def.typed_limit);
        MakeRoomForDigits(edit, def.typed_limit);
      }
      return edit;
    }
    case ControlKind::kUpDown: {
      auto* spin = Create<UpDown>(parent, name);
      spin->SetRange(kKeyPositionMinimum, kKeyPositionMaximum);
      spin->SetPosition(kKeyPositionMinimum);
      spin->SetIncrement(def.step);
      if (def.buddy) spin->SetAssociate(Find<QLineEdit>(def.buddy));
      return spin;
    }
    case ControlKind::kBrowsePanel:
      return Create<BrowsePanel>(parent, name, text);
    case ControlKind::kPushButton: {
      auto* button = Create<QPushButton>(parent, name, text);
      // Every push button leaves room for the default button's frame,
      // which moves to whichever of them has the focus, as on Windows.
      button->setAutoDefault(true);
      button->setDefault(def.default_button);
      if (def.default_button) default_button_ = button;
      push_buttons_.push_back(button);
      return button;
    }
  }
  return nullptr;
}

void TTarnelMainForm::BuildControls() {
  // A later control lies above an earlier one.
  for (const ControlDef& def : MainFormControlTable()) {
    QWidget* parent = def.parent ? Find(def.parent) : client_area_;
    QWidget* control = BuildControl(def, parent);
    // A page's place is its page control's business.
    if (def.kind == ControlKind::kTabSheet) continue;
    control->setGeometry(def.rect.x, def.rect.y, def.rect.width,
                         def.rect.height);
    if (!def.shown) control->hide();
  }
}

void TTarnelMainForm::SetTabOrder() {
  const std::vector<const ControlDef*> stops = TabOrder();
  for (std::size_t i = 1; i < stops.size(); ++i) {
    setTabOrder(Find(stops[i - 1]->name), Find(stops[i]->name));
  }
}

void TTarnelMainForm::HandControlsToTheLogic() {
  for (const ControlDef& def : MainFormControlTable()) {
    const std::string_view name = def.name;
    switch (def.kind) {
      case ControlKind::kRadioButton:
      case ControlKind::kCheckBox:
        checks_.push_back(
            std::make_unique<QtCheckControl>(Find<QAbstractButton>(def.name)));
        AttachControl(controls_, name, checks_.back().get());
        break;
      case ControlKind::kEdit:
      case ControlKind::kPathEdit:
        edits_.push_back(std::make_unique<QtEditControl>(
            Find<QLineEdit>(def.name), def.kind == ControlKind::kPathEdit
                                           ? QtEditControl::Bytes::kFileName
                                           : QtEditControl::Bytes::kLocalText));
        AttachControl(controls_, name, edits_.back().get());
        break;
      case ControlKind::kBrowsePanel:
        panels_.push_back(std::make_unique<QtVisibleControl>(Find(def.name)));
        AttachControl(controls_, name, panels_.back().get());
        break;
      case ControlKind::kUpDown:
        spins_.push_back(
            std::make_unique<QtSpinControl>(Find<UpDown>(def.name)));
        AttachControl(controls_, name, spins_.back().get());
        break;
      case ControlKind::kStatusBar:
        status_control_ =
            std::make_unique<QtStatusControl>(Find<QStatusBar>(def.name));
        AttachControl(controls_, name, status_control_.get());
        break;
      case ControlKind::kGroupBox:
      case ControlKind::kPageControl:
      case ControlKind::kTabSheet:
      case ControlKind::kPushButton:
        break;
    }
  }
}

void TTarnelMainForm::ConnectEvents() {
  connect(Find<QPushButton>("OKButton"), &QPushButton::clicked, this,
          [this] { logic_.OKButtonClick(); });
  connect(Find<QPushButton>("CancelButton"), &QPushButton::clicked, this,
          [this] { logic_.CancelButtonClick(); });
  auto* open_panel = Find<BrowsePanel>("FileOpenPanel");
  connect(open_panel, &BrowsePanel::Clicked, this, &TTarnelMainForm::FileOpen);
  connect(open_panel, &BrowsePanel::FocusReceived, this,
          [this](Qt::FocusReason reason) {
            const bool by_tab = reason == Qt::TabFocusReason ||
                                reason == Qt::BacktabFocusReason;
            logic_.FileOpenPanelEnter(by_tab ? FocusCause::kTab
                                             : FocusCause::kOther);
          });
  connect(Find<BrowsePanel>("FileSavePanel"), &BrowsePanel::Clicked, this,
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
  return focused ? focused : default_button_;
}

void TTarnelMainForm::ShowDefaultButton() {
  // Qt clears a button's default frame as its focus leaves; Windows hands
  // the frame back to the default button unless another push button has
  // the focus.
  QPushButton* const current = DefaultButton();
  for (QPushButton* button : push_buttons_) {
    button->setDefault(button == current);
  }
}

void TTarnelMainForm::SetAboutBox(TAboutBox* about_box) {
  about_box_control_ =
      about_box ? std::make_unique<QtAboutBoxControl>(about_box) : nullptr;
  logic_.SetAboutBox(about_box_control_.get());
}

void TTarnelMainForm::FormKeyDown(int key, Qt::KeyboardModifiers) {
  logic_.FormKeyDown(key == Qt::Key_Escape ? FormKey::kEscape
                                           : FormKey::kOther);
}

void TTarnelMainForm::WMDropFiles(const QMimeData& drop, const QPoint& point) {
  // Further files of the same drop are ignored.
  const std::optional<std::string> name = FirstDroppedFile(drop);
  if (!name) return;
  QWidget* child = childAt(point);
  const QWidget* output_group = Find("OutputGroupBox");
  const bool over_output =
      child && (child == output_group || output_group->isAncestorOf(child));
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
