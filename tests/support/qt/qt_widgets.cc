#include "tests/support/qt/qt_widgets.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

namespace tarnel {
namespace testing_support {

QWidget* OpenBox(QWidget* open_already) {
  QWidget* modal = QApplication::activeModalWidget();
  if (modal && modal != open_already) return modal;
  // A box that leaves the other windows usable is no modal widget.
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window != open_already && window->isVisible() &&
        qobject_cast<QMessageBox*>(window)) {
      return window;
    }
  }
  return nullptr;
}

void WhenModalBoxOpens(std::function<void(QWidget* box)> action,
                       QWidget* open_already) {
  // Parented to the application, so a box that never opens leaks nothing.
  auto* timer = new QTimer(QCoreApplication::instance());
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, timer,
                   [timer, action, open_already, attempts = 0]() mutable {
                     QWidget* box = OpenBox(open_already);
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

SeenBox Inspect(QWidget* widget) {
  SeenBox seen;
  auto* box = qobject_cast<QMessageBox*>(widget);
  if (!box) {
    ADD_FAILURE() << "the modal widget is not a message box";
    return seen;
  }
  seen.title = box->windowTitle();
  seen.text = box->text();
  seen.icon = box->icon();
  seen.buttons = box->standardButtons();
  seen.format = box->textFormat();
  seen.modality = box->windowModality();
  seen.parent = box->parentWidget();
  seen.font = box->font();
  seen.geometry = box->frameGeometry();
  return seen;
}

void PressOk(QWidget* widget) {
  if (auto* box = qobject_cast<QMessageBox*>(widget)) {
    box->button(QMessageBox::Ok)->click();
  }
}

}  // namespace testing_support
}  // namespace tarnel
