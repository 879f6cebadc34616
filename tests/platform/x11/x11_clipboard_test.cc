// The clipboard of a batch run, spoken with the X server directly, on a
// real X server (run_under_xvfb.sh provides one) with xclip as the other
// program and the real holder keeping results.
//
// This process is a child subreaper: the holders become its children once
// their launcher lets go of them, so it can see them end and reap them.
#include "platform/x11/x11_clipboard.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/memory.h"
#include "tests/support/holder_reaper.h"
#include "tests/support/process.h"
#include "tests/support/xclip.h"

namespace tarnel {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using testing_support::KnownHolders;
using testing_support::PutOnClipboard;
using testing_support::WaitForExit;
using testing_support::Xclip;
using testing_support::XclipOut;

constexpr milliseconds kClientTimeout = seconds(10);

// A block holding |text| and its terminating NUL, as a run hands it over.
GlobalBlock BlockOf(std::string_view text) {
  GlobalBlock block =
      GlobalBlock::Allocate(text.size() + 1, AllocationSite::kClipboardCopy);
  char* bytes = block.Lock();
  std::memcpy(bytes, text.data(), text.size());
  bytes[text.size()] = '\0';
  block.Unlock();
  return block;
}

class X11ClipboardTest : public ::testing::Test {
 protected:
  X11ClipboardTest()
      : clipboard_(TARNEL_HOLDER_PATH, [this](std::string_view bytes) {
          converted_.emplace_back(bytes);
          return "converted " + std::to_string(bytes.size()) + " bytes";
        }) {}

  void TearDown() override {
    if (clipboard_.holder_pid() > 0)
      KnownHolders().insert(static_cast<pid_t>(clipboard_.holder_pid()));
  }

  // The clipboard's text as a run reads it; none when there is none.
  std::optional<std::string> Read() {
    EXPECT_TRUE(clipboard_.Open(nullptr));
    std::optional<std::string> text;
    if (clipboard_.IsTextAvailable()) {
      GlobalBlock* block = clipboard_.GetText();
      EXPECT_NE(block, nullptr);
      if (block) {
        const char* bytes = block->Lock();
        text.emplace(bytes, strnlen(bytes, block->Size()));
        block->Unlock();
      }
    } else {
      EXPECT_EQ(clipboard_.GetText(), nullptr);
    }
    clipboard_.Close();
    return text;
  }

  // Empties the clipboard and puts |text| on it, as a run delivers.
  bool Write(std::string_view text) {
    EXPECT_TRUE(clipboard_.Open(nullptr));
    GlobalBlock block = BlockOf(text);
    const bool delivered = clipboard_.Empty() && clipboard_.SetText(block);
    clipboard_.Close();
    if (delivered) {
      KnownHolders().insert(static_cast<pid_t>(clipboard_.holder_pid()));
      EXPECT_FALSE(block.valid()) << "the clipboard owns the text now";
    }
    return delivered;
  }

  std::vector<std::string> converted_;
  X11Clipboard clipboard_;
};

struct TextCase {
  const char* name;
  std::string bytes;
};

class X11TextTest : public X11ClipboardTest,
                    public ::testing::WithParamInterface<TextCase> {};

TEST_P(X11TextTest, ArrivesByteForByteWithoutConversion) {
  PutOnClipboard(GetParam().bytes);
  EXPECT_EQ(Read(), GetParam().bytes);
  EXPECT_TRUE(converted_.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Texts, X11TextTest,
    ::testing::Values(TextCase{"Ascii", "pear\napple\nfig\n"},
                      TextCase{"CrLfWithoutLastBreak", "b\r\na"},
                      TextCase{"Japanese",
                               "\xe3\x81\x84\xe3\x81\xac\n\xe3\x81\x82\n"},
                      TextCase{"OneByte", "x"}),
    [](const auto& case_info) { return std::string(case_info.param.name); });

TEST_F(X11ClipboardTest, MalformedUtf8TakesTheConversion) {
  PutOnClipboard("b\xff\na\n");
  EXPECT_EQ(Read(), "converted 5 bytes");
  EXPECT_EQ(converted_, std::vector<std::string>{"b\xff\na\n"});
}

TEST_F(X11ClipboardTest, LatinOneOnlyOwnerIsReadAsUtf8) {
  PutOnClipboard("caf\xe9\n", "STRING");
  EXPECT_EQ(Read(), "caf\xc3\xa9\n");
}

TEST_F(X11ClipboardTest, PictureOnlyClipboardHasNoText) {
  PutOnClipboard("\x89PNG\r\n", "image/png");
  EXPECT_EQ(Read(), std::nullopt);
}

TEST_F(X11ClipboardTest, EmptiedClipboardHasNoTextForAnyone) {
  PutOnClipboard("old text\n");
  ASSERT_TRUE(clipboard_.Open(nullptr));
  EXPECT_TRUE(clipboard_.Empty());
  clipboard_.Close();
  EXPECT_NE(Xclip({"-o"}).status, 0);
  X11Clipboard another(TARNEL_HOLDER_PATH, [](std::string_view bytes) {
    return std::string(bytes);
  });
  ASSERT_TRUE(another.Open(nullptr));
  EXPECT_FALSE(another.IsTextAvailable());
  another.Close();
}

TEST_F(X11ClipboardTest, ResultOutlivesTheWriterAndIsOfferedAsEveryText) {
  ASSERT_TRUE(Write("caf\xc3\xa9 \xe6\x97\xa5\r\n"));
  EXPECT_EQ(XclipOut(), "caf\xc3\xa9 \xe6\x97\xa5\r\n");
  EXPECT_EQ(XclipOut("text/plain;charset=utf-8"),
            "caf\xc3\xa9 \xe6\x97\xa5\r\n");
  // Latin-1 where it can, '?' where it cannot.
  EXPECT_EQ(XclipOut("STRING"), "caf\xe9 ?\r\n");
  const std::string targets = XclipOut("TARGETS");
  for (const char* target : {"TARGETS", "UTF8_STRING", "STRING", "TEXT"}) {
    EXPECT_NE(targets.find(target), std::string::npos) << target << " in\n"
                                                       << targets;
  }
  EXPECT_TRUE(converted_.empty());
}

TEST_F(X11ClipboardTest, MalformedResultIsConvertedBeforeTheHolderGetsIt) {
  ASSERT_TRUE(Write("a\r\nb\xff\r\n"));
  EXPECT_EQ(converted_, std::vector<std::string>{"a\r\nb\xff\r\n"});
  EXPECT_EQ(XclipOut(), "converted 7 bytes");
}

TEST_F(X11ClipboardTest, LargeTextTravelsBothWaysInIncrements) {
  // Many times the largest request, so both directions go in increments.
  std::string text;
  for (int i = 0; text.size() < 3'000'000; ++i) {
    char line[64];
    std::snprintf(line, sizeof line, "line %07d \xc3\xa9t\xc3\xa9\r\n",
                  i * 7919 % 1000003);
    text += line;
  }
  PutOnClipboard(text);
  const std::optional<std::string> read = Read();
  ASSERT_TRUE(read.has_value());
  EXPECT_TRUE(*read == text) << read->size() << " of " << text.size();

  ASSERT_TRUE(Write(text));
  const std::string pasted = XclipOut();
  EXPECT_TRUE(pasted == text) << pasted.size() << " of " << text.size();
  const std::string latin1 = XclipOut("STRING");
  // Each line's two é are one byte each in Latin-1.
  EXPECT_EQ(latin1.size(), text.size() - 2 * (text.size() / 20));
}

TEST_F(X11ClipboardTest, HolderEndsWhenReplacedOrTakenOver) {
  ASSERT_TRUE(Write("first\r\n"));
  const pid_t first = static_cast<pid_t>(clipboard_.holder_pid());
  ASSERT_TRUE(Write("second\r\n"));
  const pid_t second = static_cast<pid_t>(clipboard_.holder_pid());
  ASSERT_NE(first, second);
  std::optional<int> status = WaitForExit(first, kClientTimeout);
  ASSERT_TRUE(status.has_value()) << "replaced holder still running";
  EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
  EXPECT_EQ(XclipOut(), "second\r\n");

  PutOnClipboard("taken over\n");
  status = WaitForExit(second, kClientTimeout);
  ASSERT_TRUE(status.has_value()) << "holder still running after takeover";
  EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
  EXPECT_EQ(XclipOut(), "taken over\n");
}

TEST_F(X11ClipboardTest, MissingHolderFailsAndKeepsTheText) {
  X11Clipboard lonely(
      "/nonexistent/tarnel-clipboard-holder",
      [](std::string_view bytes) { return std::string(bytes); });
  ASSERT_TRUE(lonely.Open(nullptr));
  GlobalBlock block = BlockOf("kept\r\n");
  EXPECT_FALSE(lonely.SetText(block));
  lonely.Close();
  EXPECT_TRUE(block.valid());
  EXPECT_EQ(lonely.holder_pid(), 0);
}

TEST_F(X11ClipboardTest, OpenFailsWithoutADisplay) {
  const std::string display = std::getenv("DISPLAY");
  ::unsetenv("DISPLAY");
  X11Clipboard nowhere(TARNEL_HOLDER_PATH, [](std::string_view bytes) {
    return std::string(bytes);
  });
  const bool opened = nowhere.Open(nullptr);
  ::setenv("DISPLAY", display.c_str(), 1);
  EXPECT_FALSE(opened);
  EXPECT_FALSE(nowhere.IsTextAvailable());
}

}  // namespace
}  // namespace tarnel

int main(int argc, char** argv) {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) {
    std::fprintf(stderr,
                 "platform_x11_tests needs an X server: run it through "
                 "run_under_xvfb.sh\n");
    return 1;
  }
  ::testing::InitGoogleTest(&argc, argv);
  tarnel::testing_support::ReapHoldersAtTheEnd();
  return RUN_ALL_TESTS();
}
