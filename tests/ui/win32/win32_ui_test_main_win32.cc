// The window suites' main: the common controls' classes, as the program
// registers them at start.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

int main(int argc, char** argv) {
  INITCOMMONCONTROLSEX classes{
      sizeof classes, ICC_UPDOWN_CLASS | ICC_TAB_CLASSES | ICC_BAR_CLASSES |
                          ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&classes);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
