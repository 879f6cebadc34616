#include "platform/qt/qt_message_boxes.h"

#include <QApplication>
#include <QEventLoop>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
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
constexpr int kTitleBarAllowance = 120;

// A box placed as Windows places it: a box whose owner is hidden (the
// application window owns every box of the program) appears centred on the
// screen rather than on that window, and every box is wide enough for its
// whole caption.
class PlacedMessageBox : public QMessageBox {
 public:
  using QMessageBox::QMessageBox;

 protected:
  // Before the window is mapped, and after QMessageBox has sized itself.
  void showEvent(QShowEvent* event) override {
    QMessageBox::showEvent(event);
    const QFontMetrics title_metrics(
        QApplication::font("QMdiSubWindowTitleBar"));
    const int caption_width =
        std::max(QFontMetrics(font()).horizontalAdvance(windowTitle()),
                 title_metrics.horizontalAdvance(windowTitle()));
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
    const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
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
};

}  // namespace

int QtMessageBoxes::Show(WindowHandle owner, const std::string& text,
                         const std::string& caption, unsigned flags) {
  QWidget* parent = static_cast<QWidget*>(owner);
  // A box without an owner blocks nothing else: a hidden stand-in owner
  // keeps the window-modal box from becoming application-modal.
  std::unique_ptr<QWidget> stand_in;
  if (!parent) {
    stand_in = std::make_unique<QWidget>();
    parent = stand_in.get();
  }
  PlacedMessageBox box(parent);
  box.setFont(TarnelFont());
  box.setIcon(IconFor(flags));
  box.setWindowTitle(QString::fromLocal8Bit(caption));
  box.setTextFormat(Qt::PlainText);
  box.setText(QString::fromLocal8Bit(text));
  box.setStandardButtons(QMessageBox::Ok);
  box.setWindowModality((flags & kBoxTaskModal) ? Qt::ApplicationModal
                                                : Qt::WindowModal);
  // Qt's Wayland platform draws no title bar, and so no caption, on a
  // window-modal box. An owner that is not on the screen has nothing to
  // block: there the box goes without modality, in a loop of its own.
  if (box.windowModality() == Qt::WindowModal &&
      !parent->window()->isVisible() &&
      QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
    box.setWindowModality(Qt::NonModal);
    QEventLoop loop;
    QObject::connect(&box, &QDialog::finished, &loop, &QEventLoop::quit);
    box.show();
    loop.exec();
    return kBoxOk;
  }
  box.exec();
  return kBoxOk;
}

}  // namespace tarnel
