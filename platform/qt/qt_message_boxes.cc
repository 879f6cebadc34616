#include "platform/qt/qt_message_boxes.h"

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <memory>

namespace tarnel {

namespace {

constexpr int kFontPixelSize = 12;
constexpr unsigned kIconMask = 0xF0;

// The icon bits of a Win32 message box flag set.
QMessageBox::Icon IconFor(unsigned flags) {
  switch (flags & kIconMask) {
    case 0x10:
      return QMessageBox::Critical;
    case 0x20:
      return QMessageBox::Question;
    case 0x30:
      return QMessageBox::Warning;
    case 0x40:
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

QFont TarnelFont() {
  QFont font;
  font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"),
                    QStringLiteral("IPAPGothic"),
                    QStringLiteral("Noto Sans CJK JP")});
  font.setPixelSize(kFontPixelSize);
  return font;
}

}  // namespace tarnel
