#include "platform/qt/qt_message_boxes.h"

#include <QApplication>
#include <QEventLoop>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QShowEvent>
#include <QString>
#include <QWidget>
#include <algorithm>
#include <memory>

#include "platform/qt/tarnel_font.h"

namespace tarnel {

namespace {

// The icon bits of a box's flags.
QMessageBox::Icon IconFor(unsigned flags) {
  switch (flags & kBoxIconMask) {
    case kBoxIconError:
      return QMessageBox::Critical;
    case kBoxIconQuestion:
      return QMessageBox::Question;
    case kBoxIconWarning:
      return QMessageBox::Warning;
    case kBoxIconInformation:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

// Room a window manager's title bar takes beside its caption: the icon and
// the buttons, with their margins.
constexpr int kTitleBarAllowance = 140;
// Window managers draw captions in a bold font of their own, often larger
// than the program's and from the desktop's sans-serif family: the caption
// is measured in one of the larger ones.
constexpr int kTitleFontPoints = 12;

// The widest the caption |title| comes out in the fonts a title bar uses.
int CaptionWidth(const QString& title, const QFont& box_font) {
  QFont bold = QApplication::font();
  bold.setBold(true);
  bold.setPointSize(std::max(bold.pointSize(), kTitleFontPoints));
  QFont bold_sans(QStringLiteral("Sans Serif"), kTitleFontPoints, QFont::Bold);
  bold_sans.setStyleHint(QFont::SansSerif);
  int widest = 0;
  for (const QFont& font :
       {box_font, QApplication::font("QMdiSubWindowTitleBar"), bold,
        bold_sans}) {
    widest = std::max(widest, QFontMetrics(font).horizontalAdvance(title));
  }
  return widest;
}

// The window the user works in, which a box is kept above: the active
// window, else a window on the screen; null while none is shown.
QWidget* WorkingWindow() {
  if (QWidget* active = QApplication::activeWindow();
      active && active->isVisible()) {
    return active;
  }
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window->isVisible() && window->windowType() == Qt::Window) {
      return window;
    }
  }
  return nullptr;
}

// A box placed as Windows places it: a box whose owner is hidden (the
// application window owns every box of the program) appears centred on the
// screen rather than on that window, and every box is wide enough for its
// whole caption.
class PlacedMessageBox : public QMessageBox {
 public:
  /// |owner| places the box; |above| is the window it is kept above.
  PlacedMessageBox(QWidget* owner, QWidget* above)
      : QMessageBox(above), owner_(owner) {}

 protected:
  // Before the window is mapped, and after QMessageBox has sized itself.
  void showEvent(QShowEvent* event) override {
    QMessageBox::showEvent(event);
    const int caption_width = CaptionWidth(windowTitle(), font());
    const int extra = caption_width + kTitleBarAllowance - width();
    if (extra > 0) {
      // QMessageBox sizes itself again from its layout whenever that asks,
      // so the text's label, not only the box, must keep the width.
      if (auto* label = findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
        label->setMinimumWidth(label->width() + extra);
      }
      setFixedWidth(width() + extra);
    }
    // Centred on its owner while that is on the screen, as Qt would place
    // it had its width not changed, else on the screen.
    const QWidget* owner = owner_ ? owner_->window() : nullptr;
    QRect area;
    if (owner && owner->isVisible()) {
      area = owner->frameGeometry();
    } else if (const QScreen* screen =
                   owner ? owner->screen() : QApplication::primaryScreen()) {
      area = screen->availableGeometry();
    } else {
      return;
    }
    QRect frame = frameGeometry();
    frame.moveCenter(area.center());
    move(frame.topLeft());
  }

 private:
  QPointer<QWidget> owner_;
};

}  // namespace

int QtMessageBoxes::Show(WindowHandle owner, const std::string& text,
                         const std::string& caption, unsigned flags) {
  QWidget* owner_widget = static_cast<QWidget*>(owner);
  // Transient for the window on the screen, so that the window manager
  // keeps the box above it when the user clicks that window; the owner,
  // often the hidden application window, still decides where it opens.
  QWidget* above = WorkingWindow();
  if (!above) above = owner_widget;
  // Deleted on close, or with the window it is kept above.
  QPointer<PlacedMessageBox> box = new PlacedMessageBox(owner_widget, above);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setFont(TarnelFont());
  box->setIcon(IconFor(flags));
  box->setWindowTitle(QString::fromLocal8Bit(caption));
  box->setTextFormat(Qt::PlainText);
  box->setText(QString::fromLocal8Bit(text));
  box->setStandardButtons(QMessageBox::Ok);
  if (flags & kBoxTaskModal) {
    // Every window of the program waits for the box.
    box->setWindowModality(Qt::ApplicationModal);
    box->exec();
  } else {
    // The other windows stay usable; the caller still waits for OK.
    box->setWindowModality(Qt::NonModal);
    QEventLoop wait;
    QObject::connect(box.data(), &QObject::destroyed, &wait, &QEventLoop::quit);
    box->show();
    wait.exec();
  }
  if (box) box->deleteLater();
  return kBoxOk;
}

}  // namespace tarnel
