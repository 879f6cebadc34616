#include "ui_test_support.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <ostream>

namespace tarnel {

TarnelApplication& App() {
  return *static_cast<TarnelApplication*>(QCoreApplication::instance());
}

std::ostream& operator<<(std::ostream& out, const RunCall& call) {
  return out << "{owner " << call.owner << ", mode " << call.sort_mode
             << ", in " << call.input_name.value_or("(clipboard)") << ", out "
             << call.output_name.value_or("(clipboard)") << ", pos "
             << call.key_pos << ", kind " << call.key_kind << ", quiet "
             << static_cast<int>(call.quiet) << "}";
}

RunSortFunction RunRecorder::Function() {
  return
      [this](WindowHandle owner, std::int32_t sort_mode, const char* input_name,
             const char* output_name, std::int32_t key_pos,
             std::int32_t key_kind, std::uint8_t quiet) {
        RunCall call{owner,   sort_mode, std::nullopt, std::nullopt,
                     key_pos, key_kind,  quiet};
        if (input_name) call.input_name = input_name;
        if (output_name) call.output_name = output_name;
        calls.push_back(call);
        if (during) during();
        return result;
      };
}

void ResetApplicationState() {
  App().SetShowMainForm(true);
  App().SetOnHint(nullptr, {});
  App().SetHint(QString());
  // Deliver what a previous test left queued, such as a terminate request.
  QCoreApplication::processEvents();
  while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
}

void WhenModalBoxOpens(std::function<void(QWidget* box)> action,
                       QWidget* open_already) {
  // Parented to the application, so a box that never opens leaks nothing.
  auto* timer = new QTimer(QCoreApplication::instance());
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, timer,
                   [timer, action, open_already, attempts = 0]() mutable {
                     QWidget* box = QApplication::activeModalWidget();
                     if (box == open_already) box = nullptr;
                     if (!box && ++attempts < 500) return;
                     timer->stop();
                     timer->deleteLater();
                     if (box) {
                       action(box);
                     } else {
                       ADD_FAILURE() << "no modal box opened";
                     }
                   });
  timer->start();
}

void UserClick(QWidget* widget) {
  QWidget* window = widget->window();
  const QPoint centre = widget->mapTo(window, widget->rect().center());
  QTest::mouseClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                    centre);
}

bool ShowAndActivate(QWidget& window) {
  window.show();
  window.activateWindow();
  return QTest::qWaitForWindowActive(&window);
}

QString Utf8(const char* text) { return QString::fromUtf8(text); }

int ExecWithDeadline() {
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout,
                   [] { QCoreApplication::exit(99); });
  guard.start(5000);
  return QCoreApplication::exec();
}

}  // namespace tarnel
