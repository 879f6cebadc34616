#include "ui/logic/display.h"

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
  bool x11_directly;
  bool wayland_directly;
};

class DisplayTest : public testing::TestWithParam<DisplayCase> {
 protected:
  void SetUp() override { environment = GetParam().variables; }
  void TearDown() override { environment.clear(); }
};

TEST_P(DisplayTest, DecidesFromTheEnvironment) {
  EXPECT_EQ(HasDisplay(&Lookup), GetParam().has_display);
  EXPECT_STREQ(HeadlessPlatform(&Lookup), GetParam().headless_platform);
  EXPECT_EQ(UsesX11Directly(&Lookup), GetParam().x11_directly);
  EXPECT_EQ(UsesWaylandDirectly(&Lookup), GetParam().wayland_directly);
}

#ifndef _WIN32
INSTANTIATE_TEST_SUITE_P(
    Posix, DisplayTest,
    testing::Values(
        DisplayCase{"Nothing", {}, false, "offscreen", false, false},
        DisplayCase{"X11", {{"DISPLAY", ":0"}}, true, "offscreen", true, false},
        DisplayCase{"Wayland",
                    {{"WAYLAND_DISPLAY", "wayland-0"}},
                    true,
                    "offscreen",
                    false,
                    true},
        DisplayCase{"X11InsideWaylandGoesToTheCompositor",
                    {{"DISPLAY", ":0"}, {"WAYLAND_DISPLAY", "wayland-0"}},
                    true,
                    "offscreen",
                    false,
                    true},
        DisplayCase{"WaylandSessionIsLeftToQt",
                    {{"DISPLAY", ":0"}, {"XDG_SESSION_TYPE", "wayland"}},
                    true,
                    "offscreen",
                    false,
                    false},
        DisplayCase{"X11Session",
                    {{"DISPLAY", ":0"}, {"XDG_SESSION_TYPE", "x11"}},
                    true,
                    "offscreen",
                    true,
                    false},
        DisplayCase{"EmptyValuesAreUnset",
                    {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}},
                    false,
                    "offscreen",
                    false,
                    false},
        DisplayCase{"OffscreenWins",
                    {{"DISPLAY", ":0"}, {"QT_QPA_PLATFORM", "offscreen"}},
                    false,
                    "offscreen",
                    false,
                    false},
        DisplayCase{"MinimalIsKept",
                    {{"DISPLAY", ":0"}, {"QT_QPA_PLATFORM", "minimal"}},
                    false,
                    "minimal",
                    false,
                    false},
        DisplayCase{"PlatformOptionsAreKept",
                    {{"QT_QPA_PLATFORM", "minimal:enable_fonts"}},
                    false,
                    "minimal:enable_fonts",
                    false,
                    false},
        DisplayCase{"OtherPlatformNeedsADisplay",
                    {{"QT_QPA_PLATFORM", "xcb"}},
                    false,
                    "offscreen",
                    false,
                    false},
        DisplayCase{"OtherPlatformWithDisplay",
                    {{"QT_QPA_PLATFORM", "xcb"}, {"DISPLAY", ":1"}},
                    true,
                    "offscreen",
                    true,
                    false},
        DisplayCase{"XcbWithOptionsEvenUnderWayland",
                    {{"QT_QPA_PLATFORM", "xcb:nograb"},
                     {"DISPLAY", ":1"},
                     {"WAYLAND_DISPLAY", "wayland-0"}},
                    true,
                    "offscreen",
                    true,
                    false},
        DisplayCase{
            "WaylandAskedForUnderACompositor",
            {{"QT_QPA_PLATFORM", "wayland"}, {"WAYLAND_DISPLAY", "wayland-0"}},
            true,
            "offscreen",
            false,
            true},
        DisplayCase{"WaylandAskedFor",
                    {{"QT_QPA_PLATFORM", "wayland"}, {"DISPLAY", ":1"}},
                    true,
                    "offscreen",
                    false,
                    false}),
    [](const testing::TestParamInfo<DisplayCase>& case_info) {
      return std::string(case_info.param.name);
    });
#else
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(DisplayTest);
#endif

}  // namespace
}  // namespace tarnel
