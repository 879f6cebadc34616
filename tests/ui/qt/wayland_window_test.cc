// The window on a real compositor (run_under_wayland.sh starts sway as an
// ordinary user): 実行 with the clipboard as output puts the result there as
// one selection, which wl-paste reads back.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>
#include <QTest>
#include <string>
#include <vector>

#include "platform/qt/qt_clipboard.h"
#include "platform/service.h"
#include "platform/testing/recording_message_boxes.h"
#include "tests/support/qt/qt_widgets.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wl_clipboard.h"
#include "ui/logic/startup.h"
#include "ui/qt/main_form.h"
#include "ui/qt/tarnel_application.h"

namespace tarnel {
namespace {

TarnelApplication* application = nullptr;

struct WindowCase {
  const char* name;
  const char* clipboard;  ///< on the clipboard before the run
  const char* file;       ///< the input file, or none: the clipboard
  const char* result;
};

const WindowCase kWindowCases[] = {
    {"FileToClipboard", "old\n", "b\na\n", "a\r\nb\r\n"},
    {"ClipboardToClipboard", "りんご\nいちご\n", nullptr,
     "いちご\r\nりんご\r\n"},
};

class WaylandWindowTest : public testing::TestWithParam<WindowCase> {};

TEST_P(WaylandWindowTest, RunPutsTheResultOnTheClipboard) {
  const WindowCase& c = GetParam();
  testing_support::WlCopy(c.clipboard);
  testing_support::TempDir folder;
  std::vector<std::string> arguments;
  if (c.file) arguments = {"-f", folder.Write("in.txt", c.file)};
  RecordingMessageBoxes boxes;
  QtClipboard clipboard;
  Installed<Clipboard> installed(&clipboard);

  TTarnelMainForm form(*application, arguments);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  // Like a user who copied in another program: by the time they press the
  // button, the window has heard of the new selection.
  if (!c.file) {
    ASSERT_TRUE(QTest::qWaitFor(
        [&c] {
          return QGuiApplication::clipboard()->text() ==
                 QString::fromUtf8(c.clipboard);
        },
        10000));
  }
  testing_support::Child<QPushButton>(form, "OKButton")->click();

  ASSERT_TRUE(
      QTest::qWaitFor([&boxes] { return !boxes.boxes.empty(); }, 20000));
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Finish!"});
  EXPECT_EQ(testing_support::WlPaste(), c.result);
}

INSTANTIATE_TEST_SUITE_P(Cases, WaylandWindowTest,
                         testing::ValuesIn(kWindowCases),
                         [](const testing::TestParamInfo<WindowCase>& param) {
                           return std::string(param.param.name);
                         });

}  // namespace
}  // namespace tarnel

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("wayland"));
  testing::InitGoogleTest(&argc, argv);
  int qt_argc = 1;
  char* qt_argv[] = {argv[0], nullptr};
  tarnel::TarnelApplication app(qt_argc, qt_argv);
  tarnel::ConfigureApplication(app);
  tarnel::application = &app;
  return RUN_ALL_TESTS();
}
