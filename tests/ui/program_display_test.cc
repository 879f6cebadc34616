// The built program on a real X display (run_under_xvfb.sh provides a
// private one): a batch run uses the screen's platform and the shared
// clipboard, which xclip stands in for as another program.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/ui/program_runner.h"

namespace tarnel {
namespace {

using testing_support::ChildResult;
using testing_support::TempDir;

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

  // Makes |text| the clipboard's contents, served by xclip.
  void PutOnClipboard(const std::string& text) {
    const ChildResult outcome =
        RunIn(folder_, "xclip", {"-selection", "clipboard", "-i"},
              OnTheDisplay(text));
    ASSERT_EQ(outcome.status, 0) << outcome.err;
  }

  std::string ReadClipboard() {
    return RunIn(folder_, "xclip", {"-selection", "clipboard", "-o"},
                 OnTheDisplay())
        .out;
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
  EXPECT_EQ(ReadClipboard(), "pear\r\nfig\r\napple\r\n");
  // Taking the clipboard back ends the process that held the result.
  PutOnClipboard("done");
}

TEST_F(ProgramOnDisplayTest, QuietBatchSortsAFileOntoTheClipboard) {
  folder_.Write("in.txt", "2\n1\n");
  const ChildResult outcome =
      RunIn(folder_, kProgram, {"-a+", "-f", "in.txt"}, OnTheDisplay());
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(ReadClipboard(), "1\r\n2\r\n");
  PutOnClipboard("done");
}

}  // namespace
}  // namespace tarnel
