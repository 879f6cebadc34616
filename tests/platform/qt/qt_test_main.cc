// The Qt service suites run on Qt's offscreen platform, inside one
// application object that lives for the whole test program.
#include <gtest/gtest.h>

#include <QApplication>
#include <QByteArray>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
  testing::InitGoogleTest(&argc, argv);
  // Qt sees only the program's name: the test options are gtest's.
  int qt_argc = 1;
  char* qt_argv[] = {argv[0], nullptr};
  QApplication application(qt_argc, qt_argv);
  return RUN_ALL_TESTS();
}
