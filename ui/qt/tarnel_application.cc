#include "ui/qt/tarnel_application.h"

#include <QGuiApplication>
#include <QLayout>
#include <QMetaObject>
#include <QRect>
#include <QScreen>
#include <QStatusTipEvent>
#include <QWidget>
#include <utility>

#include "platform/qt/tarnel_font.h"
#include "platform/service.h"

namespace tarnel {

namespace {
// The icon's sizes, each a file of the resources: tarnelSIZE.png.
constexpr int kIconSizes[] = {16, 32, 48, 64, 128, 256};
constexpr char kStyle[] = "Windows";
}  // namespace

TarnelApplication::TarnelApplication(int& argc, char** argv)
    : QApplication(argc, argv),
      application_window_(std::make_unique<QWidget>()) {
  // The windows are laid out for the classic Windows look: group captions
  // on the frame line, small check boxes, bevelled buttons. A style the
  // user names wins.
  if (qEnvironmentVariableIsEmpty("QT_STYLE_OVERRIDE")) {
    QApplication::setStyle(QString::fromLatin1(kStyle));
  }
  setFont(TarnelFont());
  setWindowIcon(TarnelIcon());
}

TarnelApplication::~TarnelApplication() = default;

void TarnelApplication::SetTitle(std::string title) {
  title_ = std::move(title);
  application_window_->setWindowTitle(QString::fromLocal8Bit(title_));
}

void TarnelApplication::SetHelpFile(std::string help_file) {
  help_file_ = std::move(help_file);
}

void TarnelApplication::Terminate() {
  // Queued like a quit message: a loop that has not started yet still
  // finds it first thing, and one that runs ends after the current event.
  QMetaObject::invokeMethod(
      this, [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
}

void TarnelApplication::ShowException(const std::exception& error) {
  Current<MessageBoxes>().Show(Handle(), ExceptionBoxText(error.what()), title_,
                               kBoxIconError | kBoxTaskModal);
}

void TarnelApplication::SetHint(const QString& hint) {
  if (hint == hint_) return;
  hint_ = hint;
  if (hint_receiver_ && on_hint_) on_hint_();
}

bool TarnelApplication::notify(QObject* receiver, QEvent* event) {
  try {
    if (event->type() == QEvent::StatusTip) {
      SetHint(static_cast<QStatusTipEvent*>(event)->tip());
    }
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    ShowException(error);
    return false;
  }
}

QIcon TarnelIcon() {
  QIcon icon;
  for (const int size : kIconSizes) {
    icon.addFile(QStringLiteral(":/tarnel/tarnel%1.png").arg(size),
                 QSize(size, size));
  }
  return icon;
}

void CenterOnScreen(QWidget& window) {
  const QScreen* screen = window.screen();
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  // A window that has not been shown yet still has Qt's default size.
  if (QLayout* layout = window.layout()) layout->activate();
  QRect frame = window.frameGeometry();
  frame.moveCenter(screen->geometry().center());
  window.move(frame.topLeft());
}

}  // namespace tarnel
