// The boxes on a real compositor that leaves the title bar to its clients
// (weston, mutter; run_under_wayland.sh starts them): each box has a title
// bar with its caption.
#include <gtest/gtest.h>

#include <QApplication>
#include <QByteArray>
#include <QMargins>
#include <QMessageBox>
#include <QTimer>
#include <QWindow>
#include <chrono>
#include <string>

#include "platform/message_boxes.h"
#include "platform/qt/qt_message_boxes.h"

namespace tarnel {
namespace {

struct BoxCase {
  const char* caption;
  unsigned flags;
};

// The engine's boxes, plain and with the error icon, and the front end's
// application-modal ones.
const BoxCase kBoxCases[] = {
    {"TARNEL", 0},
    {"TARNEL-ERROR", kBoxIconError},
    {"ERROR", kBoxTaskModal},
    {"SortPosEdit->Text", kBoxTaskModal},
};

class BoxOnWaylandTest : public testing::TestWithParam<BoxCase> {};

TEST_P(BoxOnWaylandTest, ShowsItsCaptionInATitleBar) {
  std::string title;
  int title_bar = -1;
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(10);
  // Looks at the box once it is on the screen, then closes it.
  QTimer look;
  QObject::connect(&look, &QTimer::timeout, [&] {
    for (QWidget* window : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(window);
      if (!box || !box->isVisible()) continue;
      const QWindow* handle = box->windowHandle();
      const bool late = std::chrono::steady_clock::now() > deadline;
      if (!late && !(handle && handle->isExposed())) return;
      title = box->windowTitle().toStdString();
      title_bar = handle ? handle->frameMargins().top() : -1;
      box->done(QMessageBox::Ok);
    }
  });
  look.start(20);

  QtMessageBoxes().Show(nullptr, "text", GetParam().caption, GetParam().flags);

  EXPECT_EQ(title, GetParam().caption);
  EXPECT_GT(title_bar, 0) << "a box without a title bar";
}

INSTANTIATE_TEST_SUITE_P(Boxes, BoxOnWaylandTest, testing::ValuesIn(kBoxCases));

}  // namespace
}  // namespace tarnel

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("wayland"));
  testing::InitGoogleTest(&argc, argv);
  int qt_argc = 1;
  char* qt_argv[] = {argv[0], nullptr};
  QApplication application(qt_argc, qt_argv);
  return RUN_ALL_TESTS();
}
