// The built program's batch runs on a real compositor (run_under_wayland.sh
// starts one as an ordinary user), with wl-copy / wl-paste as the other
// clients and xclip on the compositor's Xwayland. The program runs from a
// folder of its own without the Qt module: a batch run on Wayland needs no
// toolkit, and its boxes come out on standard error.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/wl_clipboard.h"
#include "tests/ui/launcher/program_runner.h"

namespace tarnel {
namespace {

using testing_support::ChildResult;
using testing_support::TempDir;
using testing_support::WlCopy;
using testing_support::WlPaste;

constexpr char kProgram[] = TARNEL_PROGRAM_PATH;
constexpr char kHolder[] = "tarnel-wayland-clipboard-holder";
constexpr char kPng[] = "\x89PNG\r\n\x1a\n";

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// Where the compositor's Xwayland gives X clients the Wayland clipboard:
// weston and mutter bridge it for any client, sway only for a focused one.
bool XwaylandSharesTheClipboard() {
  const std::string compositor = Env("TARNEL_TEST_COMPOSITOR");
  return compositor == "weston" || compositor == "mutter";
}

struct Case {
  const char* name;
  const char* clipboard;  ///< what wl-copy puts there first
  const char* type;
  const char* input;  ///< in.txt, when given
  std::vector<std::string> arguments;
  bool with_xwayland;   ///< DISPLAY names the compositor's Xwayland too
  bool without_holder;  ///< the holder is missing: the write is unconfirmed
  int status;
  const char* box;     ///< a box on standard error; none: nothing there
  const char* after;   ///< the clipboard once the program has ended
  const char* output;  ///< out.txt, when one is expected
};

constexpr const char* kText = testing_support::kUtf8Type;
using Args = std::vector<std::string>;

// clang-format off
const Case kCases[] = {
  // name, clipboard, type, input, arguments, with_xwayland, without_holder,
  // status, box, after, output
  {"FileToClipboard", "old\n", kText, "b\na\n", Args{"-a+", "-f", "in.txt"},
   false, false, 0, nullptr, "a\r\nb\r\n", nullptr},
  {"ClipboardToFile", "pear\napple\n", kText, nullptr, Args{"-a+", "-o", "out.txt"},
   false, false, 0, nullptr, "pear\napple\n", "apple\r\npear\r\n"},
  {"JapaneseClipboardToClipboard", "りんご\nいちご\n", kText, nullptr, Args{"-a+"},
   false, false, 0, nullptr, "いちご\r\nりんご\r\n", nullptr},
  {"JapaneseWithDisplayToo", "りんご\nいちご\n", kText, nullptr, Args{"-a+"},
   true, false, 0, nullptr, "いちご\r\nりんご\r\n", nullptr},
  {"PictureOnlyHasNoText", kPng, "image/png", nullptr, Args{"-a+"},
   false, false, 1, "TARNEL-ERROR: No Text in ClipBoard!", nullptr, nullptr},
  {"UnconfirmedWriteFails", "keep\n", kText, "b\na\n", Args{"-a", "-f", "in.txt"},
   false, true, 1, "TARNEL-ERROR: ClipBoard Write Error!", "keep\n", nullptr},
};
// clang-format on

// The program in |folder| without the Qt module, with its holder unless
// |with_holder| is false; returns its path.
std::string CopyProgram(const TempDir& folder, bool with_holder) {
  const std::filesystem::path built(kProgram);
  std::filesystem::copy_file(built, folder / "tarnel");
  if (with_holder) {
    std::filesystem::copy_file(built.parent_path() / kHolder, folder / kHolder);
  }
  return folder / "tarnel";
}

class ProgramOnWaylandTest : public testing::TestWithParam<Case> {
 protected:
  void SetUp() override {
    ASSERT_FALSE(Env("WAYLAND_DISPLAY").empty()) << "needs a compositor";
    program_ = CopyProgram(folder_, !GetParam().without_holder);
  }

  ChildResult Run(const Case& c) {
    ProgramSetup setup;
    setup.keep_display = true;
    setup.set["QT_QPA_PLATFORM"] = "";
    if (c.with_xwayland) {
      setup.set["DISPLAY"] = Env("TARNEL_TEST_XWAYLAND_DISPLAY");
      setup.set["XAUTHORITY"] = Env("TARNEL_TEST_XAUTHORITY");
    }
    return RunIn(folder_, program_, c.arguments, setup);
  }

  TempDir folder_;
  std::string program_;
};

TEST_P(ProgramOnWaylandTest, DeliversOrFailsAsTheCaseSays) {
  const Case& c = GetParam();
  WlCopy(c.clipboard, c.type);
  if (c.input) folder_.Write("in.txt", c.input);

  const ChildResult outcome = Run(c);

  EXPECT_EQ(outcome.status, c.status) << outcome.err;
  if (c.box) {
    EXPECT_NE(outcome.err.find(c.box), std::string::npos) << outcome.err;
    EXPECT_EQ(outcome.err.find("TARNEL: Finish!"), std::string::npos)
        << outcome.err;
  } else {
    EXPECT_EQ(outcome.err, "");
  }
  // The program has ended: what it put there is served by its holder.
  if (c.after) {
    EXPECT_EQ(WlPaste(), c.after);
  }
  if (c.after && c.with_xwayland && XwaylandSharesTheClipboard()) {
    EXPECT_EQ(testing_support::XclipOn(Env("TARNEL_TEST_XWAYLAND_DISPLAY"),
                                       Env("TARNEL_TEST_XAUTHORITY")),
              c.after);
  }
  EXPECT_EQ(folder_.Read("out.txt"), c.output ? c.output : "<missing>");
}

INSTANTIATE_TEST_SUITE_P(Cases, ProgramOnWaylandTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& param) {
                           return std::string(param.param.name);
                         });

// A compositor without a seat has no selection: a run reports that it could
// not open the clipboard, and neither waits nor claims success.
TEST(SeatlessCompositorTest, ClipboardRunsFailWithoutWaiting) {
  ASSERT_FALSE(Env("WAYLAND_DISPLAY").empty()) << "needs a compositor";
  TempDir folder;
  const std::string program = CopyProgram(folder, true);
  folder.Write("in.txt", "b\na\n");
  ProgramSetup setup;
  setup.keep_display = true;
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"-a", "-f", "in.txt"},
        std::vector<std::string>{"-a+", "-o", "out.txt"}}) {
    const ChildResult outcome = RunIn(folder, program, arguments, setup);
    EXPECT_EQ(outcome.status, 1) << arguments[1];
    EXPECT_NE(outcome.err.find("TARNEL-ERROR: ClipBoard Open Error!"),
              std::string::npos)
        << outcome.err;
    EXPECT_EQ(outcome.err.find("TARNEL: Finish!"), std::string::npos);
  }
  EXPECT_EQ(folder.Read("out.txt"), "<missing>");
}

}  // namespace
}  // namespace tarnel
