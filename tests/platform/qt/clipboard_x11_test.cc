// The Qt clipboard on a real X server (run_under_xvfb.sh provides one), with
// xclip as the other program on the same clipboard.
//
// This process is a child subreaper: holders started here or by the helper
// programs become its children once their launcher lets go of them, so it
// can see them exit and reap them, and kill any left over at the end.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QClipboard>
#include <QGuiApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <ostream>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/run_sort.h"
#include "platform/program_folder.h"
#include "platform/qt/qt_clipboard.h"
#include "platform/service.h"
#include "platform/testing/recording_message_boxes.h"
#include "tests/support/holder_reaper.h"
#include "tests/support/process.h"
#include "tests/support/qt/qt_wait.h"
#include "tests/support/temp_dir.h"
#include "tests/support/xclip.h"
#include "transfer/clipboard_transfer.h"

namespace tarnel {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using testing_support::ChildResult;
using testing_support::ChildSetup;
using testing_support::EnvChanges;
using testing_support::KnownHolders;
using testing_support::kUtf8Target;
using testing_support::ProcessState;
using testing_support::RunChild;
using testing_support::TempDir;
using testing_support::WaitForExit;
using testing_support::WaitUntilSignalled;
using testing_support::XclipOut;
using testing_support::XclipOwner;
using testing_support::ZombieChildren;

constexpr milliseconds kClientTimeout = seconds(10);
constexpr milliseconds kHolderExitTimeout = seconds(10);

// Waits until |ready| holds, for kClientTimeout at most. What it waits for
// comes when the clipboard changes hands, which Qt tells as
// QClipboard::changed; |ready| is looked at again only then.
template <typename Condition>
bool OnceClipboardChanges(Condition ready) {
  return WaitUntilSignalled(QGuiApplication::clipboard(), &QClipboard::changed,
                            ready, kClientTimeout);
}

class QtClipboardX11Test : public ::testing::Test {
 protected:
  void TearDown() override {
    if (clipboard_.holder_pid() > 0)
      KnownHolders().insert(static_cast<pid_t>(clipboard_.holder_pid()));
  }

  // Sorts |input| (whole lines, ascending) onto the clipboard, quietly.
  long WriteSorted(const std::string& input) {
    const std::string file = dir_.Write("in.txt", input);
    RunSort(nullptr, 0, file.c_str(), nullptr, 0, kKeyColumn, 1);
    EXPECT_EQ(LastResult, 0) << ::testing::PrintToString(boxes_.Texts());
    KnownHolders().insert(static_cast<pid_t>(clipboard_.holder_pid()));
    return clipboard_.holder_pid();
  }

  std::optional<std::string> ReadThroughTarnel() {
    ZeroedBuffer text = ReadClipboardText();
    if (!text.valid()) return std::nullopt;
    return std::string(text.data());
  }

  // Like a user copying in another program: by the time they come back,
  // this program's event loop has taken note of the new owner.
  void OwnByXclip(const std::string& bytes, const char* target = kUtf8Target) {
    bool noticed = false;
    const QMetaObject::Connection notice =
        QObject::connect(QGuiApplication::clipboard(), &QClipboard::changed,
                         [&noticed](QClipboard::Mode mode) {
                           noticed = noticed || mode == QClipboard::Clipboard;
                         });
    xclip_.emplace(bytes, target);
    EXPECT_TRUE(OnceClipboardChanges(
        [&] { return noticed && XclipOut(target) == bytes; }));
    QObject::disconnect(notice);
  }

  RecordingMessageBoxes boxes_;
  QtClipboard clipboard_;
  Installed<Clipboard> installed_{&clipboard_};
  TempDir dir_;
  std::optional<XclipOwner> xclip_;
};

class XclipTextTest : public QtClipboardX11Test,
                      public ::testing::WithParamInterface<const char*> {};

TEST_P(XclipTextTest, TextFromAnotherProgramIsReadByteForByte) {
  const std::string text = GetParam();
  OwnByXclip(text);
  EXPECT_EQ(ReadThroughTarnel(), text);
  EXPECT_TRUE(boxes_.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Texts, XclipTextTest,
    ::testing::Values("pear\napple\n", "pear\r\napple\r\n", "no final break",
                      "tab\tand  spaces \n\n",
                      "さくら\nあおい\nうみ\n",  // Japanese, UTF-8
                      "ｶﾀｶﾅ ① ℃ 髙\n"));

TEST_F(QtClipboardX11Test, PictureOnlyClipboardShowsNoTextBox) {
  const std::string png("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
  OwnByXclip(png, "image/png");
  EXPECT_EQ(ReadThroughTarnel(), std::nullopt);
  EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"No Text in ClipBoard!"});
}

TEST_F(QtClipboardX11Test, ResultIsSeenByXclipAndByTheNextRead) {
  OwnByXclip("unsorted\n");
  WriteSorted("pear\napple\r\nfig\n");
  EXPECT_EQ(XclipOut(), "apple\r\nfig\r\npear\r\n");
  EXPECT_EQ(ReadThroughTarnel(), "apple\r\nfig\r\npear\r\n");
  EXPECT_TRUE(boxes_.boxes.empty());
  // The previous owner was told to let go and has ended.
  EXPECT_TRUE(xclip_->Wait(kClientTimeout).has_value());
}

TEST_F(QtClipboardX11Test, JapaneseClipboardSortsOntoClipboardByteForByte) {
  OwnByXclip("さくら\r\nあおい\nうみ\n");
  RunSort(nullptr, 0, nullptr, nullptr, 0, kKeyColumn, 1);
  EXPECT_EQ(LastResult, 0);
  KnownHolders().insert(static_cast<pid_t>(clipboard_.holder_pid()));
  // UTF-8 orders these kana as the syllabary does: a, u, sa.
  EXPECT_EQ(XclipOut(), "あおい\r\nうみ\r\nさくら\r\n");
}

// A result that is not well-formed UTF-8 still goes the way it always did:
// through Qt's strings, each malformed byte becoming U+FFFD.
TEST_F(QtClipboardX11Test, MalformedResultBytesReachTheClipboardAsQtMakesThem) {
  OwnByXclip("unsorted\n");
  WriteSorted("b\xff\na\n");
  EXPECT_EQ(XclipOut(), "a\r\nb\xef\xbf\xbd\r\n");
  EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(QtClipboardX11Test, LargeTextTravelsBothWays) {
  // Bigger than one X request, so both directions go in increments.
  std::vector<std::string> lines;
  for (int i = 0; i < 40000; ++i) {
    char line[64];
    std::snprintf(line, sizeof line, "line %06d of a text that goes on\n", i);
    lines.push_back(line);
  }
  std::string sorted;
  for (const std::string& line : lines) {
    sorted += line.substr(0, line.size() - 1) + "\r\n";
  }
  std::shuffle(lines.begin(), lines.end(), std::mt19937(7));
  std::string shuffled;
  for (const std::string& line : lines) shuffled += line;

  OwnByXclip(shuffled);
  const std::optional<std::string> read = ReadThroughTarnel();
  ASSERT_TRUE(read.has_value());
  EXPECT_TRUE(*read == shuffled) << read->size() << " of " << shuffled.size();
  WriteSorted(shuffled);
  const std::string pasted = XclipOut();
  EXPECT_TRUE(pasted == sorted) << pasted.size() << " of " << sorted.size();
}

TEST_F(QtClipboardX11Test, LauncherLeavesNoZombieChildBehind) {
  const long holder = WriteSorted("b\na\n");
  ASSERT_GT(holder, 0);
  // The launcher's middle child is reaped at once. Holders replaced just
  // now may be zombies here only because this process stands in for init.
  std::vector<pid_t> zombies = ZombieChildren();
  std::erase_if(zombies, [](pid_t pid) { return KnownHolders().count(pid); });
  EXPECT_EQ(zombies, std::vector<pid_t>{});
  const std::optional<char> state = ProcessState(static_cast<pid_t>(holder));
  ASSERT_TRUE(state.has_value());
  EXPECT_NE(*state, 'Z');
}

TEST_F(QtClipboardX11Test, HolderEndsWhenNextResultReplacesIt) {
  const long first = WriteSorted("2\n1\n");
  const long second = WriteSorted("4\n3\n");
  ASSERT_GT(first, 0);
  ASSERT_GT(second, 0);
  ASSERT_NE(first, second);
  const std::optional<int> status =
      WaitForExit(static_cast<pid_t>(first), kHolderExitTimeout);
  ASSERT_TRUE(status.has_value()) << "replaced holder still running";
  EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
  EXPECT_EQ(ProcessState(static_cast<pid_t>(first)), std::nullopt);
  EXPECT_FALSE(WaitForExit(static_cast<pid_t>(second), milliseconds(0)));
  EXPECT_EQ(XclipOut(), "3\r\n4\r\n");
}

TEST_F(QtClipboardX11Test, OpenFailsWhenNoDisplayIsNamed) {
  const std::string display = qEnvironmentVariable("DISPLAY").toStdString();
  ::unsetenv("DISPLAY");
  const bool opened = clipboard_.Open(nullptr);
  ::setenv("DISPLAY", display.c_str(), 1);
  if (opened) clipboard_.Close();
  EXPECT_FALSE(opened);
}

// Runs the writer helper: a separate program that sorts |input| onto the
// clipboard and exits.
ChildResult RunWriter(const TempDir& dir, const std::string& input,
                      EnvChanges env = {},
                      const std::string& writer = ProgramFolder() +
                                                  "/clipboard_x11_writer") {
  // Qt warns at start-up without a runtime folder; that is not ours to test.
  env.emplace("XDG_RUNTIME_DIR", dir.path());
  ChildSetup setup;
  setup.env = std::move(env);
  return RunChild({writer, dir.Write("writer-in.txt", input)}, setup,
                  kClientTimeout);
}

long HolderPidOf(const ChildResult& run) {
  long pid = 0;
  std::sscanf(run.out.c_str(), "holder %ld", &pid);
  if (pid > 0) KnownHolders().insert(static_cast<pid_t>(pid));
  return pid;
}

TEST(ClipboardWriterProcessTest, ResultOutlivesTheProgramThatWroteIt) {
  TempDir dir;
  const ChildResult run = RunWriter(dir, "b\nc\na\n");
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const long holder = HolderPidOf(run);
  ASSERT_GT(holder, 0);
  EXPECT_EQ(XclipOut(), "a\r\nb\r\nc\r\n");
}

TEST(ClipboardWriterProcessTest, HolderEndsOnceAnotherProgramTakesOver) {
  TempDir dir;
  const ChildResult run = RunWriter(dir, "y\nx\n");
  ASSERT_EQ(run.status, 0) << run.err;
  const long holder = HolderPidOf(run);
  ASSERT_GT(holder, 0);
  ASSERT_EQ(XclipOut(), "x\r\ny\r\n");

  XclipOwner other("taken over\n");
  // The holder ends once xclip has taken the clipboard; this process may
  // hear of the change later than that.
  const std::optional<int> status =
      WaitForExit(static_cast<pid_t>(holder), kHolderExitTimeout);
  ASSERT_TRUE(status.has_value()) << "holder still running after takeover";
  EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
  EXPECT_TRUE(
      OnceClipboardChanges([] { return XclipOut() == "taken over\n"; }));
  // Reaped: no process, and so no zombie, is left behind.
  EXPECT_EQ(ProcessState(static_cast<pid_t>(holder)), std::nullopt);
}

TEST(ClipboardWriterProcessTest, MissingHolderIsReportedAsWriteError) {
  TempDir dir;
  // A copy of the writer in a folder of its own has no holder beside it.
  const std::string lonely = dir.path() + "/clipboard_x11_writer";
  std::filesystem::copy_file(ProgramFolder() + "/clipboard_x11_writer", lonely);
  const ChildResult run = RunWriter(dir, "b\na\n", {}, lonely);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "TARNEL-ERROR: ClipBoard Write Error!\n");
  EXPECT_EQ(run.out, "holder 0\n");
}

struct NoDisplayCase {
  const char* name;
  EnvChanges env;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const NoDisplayCase& c, std::ostream* os) { *os << c.name; }

class NoDisplayTest : public ::testing::TestWithParam<NoDisplayCase> {};

TEST_P(NoDisplayTest, OpenFailsWithItsBoxAndNoQtWarnings) {
  TempDir dir;
  const ChildResult run = RunWriter(dir, "b\na\n", GetParam().env);
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.status, 1);
  // The box line and nothing else: no warning from Qt's clipboard.
  EXPECT_EQ(run.err, "TARNEL-ERROR: ClipBoard Open Error!\n");
  EXPECT_EQ(run.out, "holder 0\n");
}

INSTANTIATE_TEST_SUITE_P(
    Platforms, NoDisplayTest,
    ::testing::Values(
        NoDisplayCase{"Offscreen", {{"QT_QPA_PLATFORM", "offscreen"}}},
        NoDisplayCase{"Minimal", {{"QT_QPA_PLATFORM", "minimal"}}},
        NoDisplayCase{
            "NoDisplayVariables",
            {{"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt}}}),
    [](const auto& case_info) { return std::string(case_info.param.name); });

}  // namespace
}  // namespace tarnel

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("DISPLAY")) {
    std::fprintf(stderr,
                 "clipboard_x11_tests needs an X server: run it "
                 "through run_under_xvfb.sh\n");
    return 1;
  }
  QGuiApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  tarnel::testing_support::ReapHoldersAtTheEnd();
  return RUN_ALL_TESTS();
}
