// Acting on Qt windows from a test as the user would, and reading what a
// message box shows while it is open. For suites that run a QApplication.
#ifndef TARNEL_TESTS_SUPPORT_QT_QT_WIDGETS_H_
#define TARNEL_TESTS_SUPPORT_QT_QT_WIDGETS_H_

#include <QFont>
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QWidget>
#include <functional>
#include <stdexcept>
#include <string>

namespace tarnel {
namespace testing_support {

/// The child of |window| named |name| (a control of the layout or a menu
/// entry), as a |Widget|; throws, failing the test, when there is none.
template <class Widget = QWidget>
Widget* Child(const QObject& window, const char* name) {
  auto* child = window.findChild<Widget*>(QString::fromLatin1(name));
  if (!child) throw std::logic_error(std::string("no child ") + name);
  return child;
}

/// The box open now, other than |open_already|: the modal widget, else a
/// message box on the screen; null for none.
QWidget* OpenBox(QWidget* open_already = nullptr);

/// Runs |action| on the first box that opens within a few seconds,
/// from inside its own event loop. Call before the code that opens it.
/// A box already open, |open_already|, does not count: for a box that a
/// modal dialog opens over itself.
void WhenModalBoxOpens(std::function<void(QWidget* box)> action,
                       QWidget* open_already = nullptr);

/// Clicks the middle of |widget| the way the user does: through its
/// window, so that a window blocked by a modal box does not receive it.
void UserClick(QWidget* widget);

/// Shows |window| and waits until it is the active window.
bool ShowAndActivate(QWidget& window);

QString Utf8(const char* text);

/// What a message box showed while it was open.
struct SeenBox {
  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  Qt::TextFormat format = Qt::AutoText;
  Qt::WindowModality modality = Qt::NonModal;
  QWidget* parent = nullptr;
  QFont font;
  QRect geometry;  ///< on the screen, frame included, as the box opened
};

/// Reads the open box |widget|; fails the test when it is no message box.
SeenBox Inspect(QWidget* widget);

/// Closes the message box |widget| with its OK button.
void PressOk(QWidget* widget);

}  // namespace testing_support
}  // namespace tarnel

#endif  // TARNEL_TESTS_SUPPORT_QT_QT_WIDGETS_H_
