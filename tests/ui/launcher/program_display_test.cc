// The built program on a real X display (run_under_xvfb.sh provides a
// private one): a batch run uses the screen's platform and the shared
// clipboard, which xclip stands in for as another program.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/xclip.h"
#include "tests/ui/launcher/program_runner.h"

namespace tarnel {
namespace {

using testing_support::ChildResult;
using testing_support::PutOnClipboard;
using testing_support::TempDir;
using testing_support::XclipOut;

constexpr char kProgram[] = TARNEL_PROGRAM_PATH;

ProgramSetup OnTheDisplay(std::optional<std::string> input = std::nullopt) {
  ProgramSetup setup;
  setup.keep_display = true;
  setup.input = std::move(input);
  return setup;
}

class ProgramOnDisplayTest : public testing::Test {
 protected:
  void SetUp() override {
    const char* display = std::getenv("DISPLAY");
    ASSERT_TRUE(display && *display) << "needs an X display";
  }

  TempDir folder_;
};

TEST_F(ProgramOnDisplayTest, QuietBatchSortsFileIntoFile) {
  folder_.Write("in.txt", "b\na\n");
  const ChildResult outcome =
      RunIn(folder_, kProgram, {"-a+", "-f", "in.txt", "-o", "out.txt"},
            OnTheDisplay());
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(folder_.Read("out.txt"), "a\r\nb\r\n");
  EXPECT_EQ(outcome.out, "");
}

TEST_F(ProgramOnDisplayTest, QuietBatchSortsTheClipboardBackOntoIt) {
  PutOnClipboard("pear\napple\nfig\n");
  const ChildResult outcome =
      RunIn(folder_, kProgram, {"-a+", "-r"}, OnTheDisplay());
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  // The result outlives the program that wrote it.
  EXPECT_EQ(XclipOut(), "pear\r\nfig\r\napple\r\n");
  // Taking the clipboard back ends the process that held the result.
  PutOnClipboard("done");
}

TEST_F(ProgramOnDisplayTest, QuietBatchSortsAFileOntoTheClipboard) {
  folder_.Write("in.txt", "2\n1\n");
  const ChildResult outcome =
      RunIn(folder_, kProgram, {"-a+", "-f", "in.txt"}, OnTheDisplay());
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(XclipOut(), "1\r\n2\r\n");
  PutOnClipboard("done");
}

TEST_F(ProgramOnDisplayTest, MalformedClipboardTextComesBackAsQtMakesIt) {
  // The bad byte becomes U+FFFD, as it does in the window's runs.
  PutOnClipboard("b\xff\na\n");
  const ChildResult outcome = RunIn(folder_, kProgram, {"-a+"}, OnTheDisplay());
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(XclipOut(), "a\r\nb\xef\xbf\xbd\r\n");
  PutOnClipboard("done");
}

// A quiet batch run on the clipboard speaks to the X server itself: it
// works without the Qt front end's module, and what it has to say goes to
// standard error when it finds no module to show a box with.
class ProgramWithoutWindowModuleTest : public ProgramOnDisplayTest {
 protected:
  void SetUp() override {
    ProgramOnDisplayTest::SetUp();
    const std::filesystem::path built(kProgram);
    for (const char* name : {"tarnel", "tarnel-clipboard-holder"}) {
      std::filesystem::copy_file(built.parent_path() / name, folder_ / name);
    }
    program_ = folder_ / "tarnel";
  }
  std::string program_;
};

TEST_F(ProgramWithoutWindowModuleTest, QuietClipboardRunSortsTheClipboard) {
  PutOnClipboard("pear\napple\n");
  const ChildResult outcome = RunIn(folder_, program_, {"-a+"}, OnTheDisplay());
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.err, "");
  EXPECT_EQ(XclipOut(), "apple\r\npear\r\n");
  PutOnClipboard("done");
}

TEST_F(ProgramWithoutWindowModuleTest, BoxOfAFailedRunGoesToStandardError) {
  PutOnClipboard("\x89PNG", "image/png");
  const ChildResult outcome = RunIn(folder_, program_, {"-a+"}, OnTheDisplay());
  EXPECT_EQ(outcome.status, 1);
  EXPECT_NE(outcome.err.find("No Text in ClipBoard!"), std::string::npos)
      << outcome.err;
  PutOnClipboard("done");
}

}  // namespace
}  // namespace tarnel
