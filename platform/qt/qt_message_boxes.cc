#include "platform/qt/qt_message_boxes.h"

#include <QMessageBox>
#include <QString>
#include <QWidget>
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
  QMessageBox box(parent);
  box.setFont(TarnelFont());
  box.setIcon(IconFor(flags));
  box.setWindowTitle(QString::fromLocal8Bit(caption));
  box.setTextFormat(Qt::PlainText);
  box.setText(QString::fromLocal8Bit(text));
  box.setStandardButtons(QMessageBox::Ok);
  box.setWindowModality((flags & kBoxTaskModal) ? Qt::ApplicationModal
                                                : Qt::WindowModal);
  box.exec();
  return kBoxOk;
}

}  // namespace tarnel
