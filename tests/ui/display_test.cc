#include "ui/display.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace tarnel {
namespace {

// The environment each case sees; the lookup is a plain function pointer.
std::map<std::string, std::string> environment;

const char* Lookup(const char* name) {
  const auto found = environment.find(name);
  return found == environment.end() ? nullptr : found->second.c_str();
}

struct DisplayCase {
  const char* name;
  std::map<std::string, std::string> variables;
  bool has_display;
  const char* headless_platform;
};

class DisplayTest : public testing::TestWithParam<DisplayCase> {
 protected:
  void SetUp() override { environment = GetParam().variables; }
  void TearDown() override { environment.clear(); }
};

TEST_P(DisplayTest, DecidesFromTheEnvironment) {
  EXPECT_EQ(HasDisplay(&Lookup), GetParam().has_display);
  EXPECT_STREQ(HeadlessPlatform(&Lookup), GetParam().headless_platform);
}

#ifndef _WIN32
INSTANTIATE_TEST_SUITE_P(
    Posix, DisplayTest,
    testing::Values(
        DisplayCase{"Nothing", {}, false, "offscreen"},
        DisplayCase{"X11", {{"DISPLAY", ":0"}}, true, "offscreen"},
        DisplayCase{
            "Wayland", {{"WAYLAND_DISPLAY", "wayland-0"}}, true, "offscreen"},
        DisplayCase{"EmptyValuesAreUnset",
                    {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}},
                    false,
                    "offscreen"},
        DisplayCase{"OffscreenWins",
                    {{"DISPLAY", ":0"}, {"QT_QPA_PLATFORM", "offscreen"}},
                    false,
                    "offscreen"},
        DisplayCase{"MinimalIsKept",
                    {{"DISPLAY", ":0"}, {"QT_QPA_PLATFORM", "minimal"}},
                    false,
                    "minimal"},
        DisplayCase{"PlatformOptionsAreKept",
                    {{"QT_QPA_PLATFORM", "minimal:enable_fonts"}},
                    false,
                    "minimal:enable_fonts"},
        DisplayCase{"OtherPlatformNeedsADisplay",
                    {{"QT_QPA_PLATFORM", "xcb"}},
                    false,
                    "offscreen"},
        DisplayCase{"OtherPlatformWithDisplay",
                    {{"QT_QPA_PLATFORM", "xcb"}, {"DISPLAY", ":1"}},
                    true,
                    "offscreen"}),
    [](const testing::TestParamInfo<DisplayCase>& case_info) {
      return std::string(case_info.param.name);
    });
#else
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(DisplayTest);
#endif

}  // namespace
}  // namespace tarnel
