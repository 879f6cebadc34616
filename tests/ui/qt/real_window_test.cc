// The built program's window on a real X server (run_under_xvfb.sh starts
// a private one): its size and place as the window manager would see them,
// a screenshot for the documentation, and a sort started with Enter.
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wait.h"
#include "tests/support/xclip.h"
#include "tests/ui/launcher/program_runner.h"
#include "tests/ui/qt/x11_connection.h"
#include "ui/logic/main_form_layout.h"

namespace tarnel {
namespace {

using testing_support::BackgroundChild;
using testing_support::ChildResult;
using testing_support::ChildSetup;
using testing_support::TempDir;
using testing_support::WaitUntil;
using testing_support::WakeUp;

constexpr char kProgram[] = TARNEL_PROGRAM_PATH;
constexpr char kDefaultScreenshot[] = TARNEL_SCREENSHOT_DEFAULT;
constexpr char kTitle[] = "TARNEL";
constexpr int kClientWidth = kMainClientWidth;
constexpr int kClientHeight = kMainClientHeight;
constexpr std::uint32_t kReturnKeysym = 0xff0d;
constexpr std::uint32_t kTabKeysym = 0xff09;
constexpr std::uint32_t kRightKeysym = 0xff53;
constexpr std::uint32_t kVKeysym = 0x0076;
constexpr std::uint32_t kXKeysym = 0x0078;
constexpr std::uint16_t kControlMask = 4;

// A window not drawn yet is one flat colour.
bool Flat(const QImage& picture) {
  const QRgb first = picture.pixel(0, 0);
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      if (picture.pixel(x, y) != first) return false;
    }
  }
  return true;
}

// The program running in the background on the X server, ended with the
// test.
class RunningProgram : public BackgroundChild {
 public:
  RunningProgram(const TempDir& folder,
                 const std::vector<std::string>& arguments)
      : BackgroundChild(Argv(arguments), OnTheServer(folder)) {}

 private:
  static std::vector<std::string> Argv(
      const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{kProgram};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return argv;
  }
  // In |folder|, on the X11 platform even inside a Wayland session.
  static ChildSetup OnTheServer(const TempDir& folder) {
    ChildSetup setup;
    setup.env = {{"QT_QPA_PLATFORM", "xcb"}, {"WAYLAND_DISPLAY", std::nullopt}};
    setup.directory = folder.path();
    return setup;
  }
};

// Changes to the entries of a folder, as inotify reports them.
class FolderChanges {
 public:
  explicit FolderChanges(const TempDir& folder)
      : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (fd_ >= 0) {
      ::inotify_add_watch(fd_, folder.path().c_str(),
                          IN_CREATE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO);
    }
  }
  FolderChanges(const FolderChanges&) = delete;
  FolderChanges& operator=(const FolderChanges&) = delete;
  ~FolderChanges() {
    if (fd_ >= 0) ::close(fd_);
  }

  // For WaitUntil: readable when an entry changed.
  WakeUp Changed() const {
    return {fd_, [fd = fd_] {
              alignas(inotify_event) char events[4096];
              bool any = false;
              while (::read(fd, events, sizeof events) > 0) any = true;
              return any;
            }};
  }

 private:
  int fd_;
};

class RealWindowTest : public testing::Test {
 protected:
  // One connection for the whole suite: an X server that loses its last
  // client starts afresh and refuses connections meanwhile.
  static void SetUpTestSuite() { connection_ = new X11Connection; }
  static void TearDownTestSuite() {
    delete connection_;
    connection_ = nullptr;
  }

  void SetUp() override {
    const char* display = std::getenv("DISPLAY");
    ASSERT_TRUE(display && *display) << "needs an X display";
    ASSERT_TRUE(x11.Connected()) << "cannot connect to " << display;
  }

  // The program a test started has been killed by now, but the server may
  // not have taken its windows down yet; the next test's wait for the
  // window would find them too.
  void TearDown() override {
    if (!x11.Connected()) return;
    EXPECT_TRUE(
        WaitUntil([&] { return x11.MappedWindowsTitled(kTitle).empty(); },
                  {x11.Events()}, std::chrono::seconds(10)))
        << "a window titled " << kTitle << " outlived its program";
  }

  // The program's one window titled |title|, once it is on the screen; 0
  // when it never came.
  xcb_window_t WaitForWindow(RunningProgram& program,
                             const std::string& title = kTitle) {
    std::vector<xcb_window_t> windows;
    WaitUntil(
        [&] {
          windows = x11.MappedWindowsTitled(title);
          return !windows.empty() || !program.Running();
        },
        {x11.Events(), program.Ended()}, std::chrono::seconds(30));
    EXPECT_EQ(windows.size(), 1u) << title;
    return windows.empty() ? 0 : windows.front();
  }

  // Waits until |window| is no longer on the screen, or the program ended.
  void WaitForWindowGone(RunningProgram& program, const std::string& title) {
    WaitUntil(
        [&] {
          return x11.MappedWindowsTitled(title).empty() || !program.Running();
        },
        {x11.Events(), program.Ended()}, std::chrono::seconds(30));
  }

  // The point |client| of the main window |window| on the screen: the
  // client area lies below the menu bar.
  QPoint OnScreen(xcb_window_t window, QPoint client) {
    const QRect frame = x11.Geometry(window);
    const int menu_height = frame.height() - kClientHeight;
    return frame.topLeft() + QPoint(0, menu_height) + client;
  }

  // From the first control of the main window |window| to the page tabs,
  // on to the key page, into the key position (which selects its text),
  // then |keysym|.
  bool TypeIntoKeyPosition(xcb_window_t window, std::uint32_t keysym,
                           std::uint16_t modifiers = 0) {
    x11.Focus(window);
    return x11.TypeKey(window, kTabKeysym) &&
           x11.TypeKey(window, kRightKeysym) &&
           x11.TypeKey(window, kTabKeysym) &&
           x11.TypeKey(window, keysym, modifiers);
  }

  // A real click, through the X server's test extension, as a user's.
  void Click(QPoint where) {
    const ChildResult moved =
        RunIn(folder, "xdotool",
              {"mousemove", "--sync", std::to_string(where.x()),
               std::to_string(where.y()), "click", "1"},
              ProgramSetup{std::nullopt, {}, true});
    EXPECT_EQ(moved.status, 0) << "install the package xdotool: " << moved.err;
  }

  // The program's main window, on the screen and drawn; 0 when it never
  // came.
  xcb_window_t SettledWindow(RunningProgram& program) {
    if (!program.Started()) {
      ADD_FAILURE() << "cannot start " << kProgram;
      return 0;
    }
    const xcb_window_t window = WaitForWindow(program);
    if (window != 0) SettledPicture(x11.Geometry(window));
    return window;
  }

  // Presses Return in |window| and returns out.txt once the run wrote it.
  std::string OutputAfterReturn(RunningProgram& program, xcb_window_t window) {
    x11.Focus(window);
    FolderChanges changes(folder);
    EXPECT_TRUE(x11.TypeKey(window, kReturnKeysym));
    WaitUntil(
        [&] {
          return folder.Read("out.txt") != "<missing>" || !program.Running();
        },
        {changes.Changed(), program.Ended()}, std::chrono::seconds(30));
    return folder.Read("out.txt");
  }

  void ExpectCentredOnTheScreen(xcb_window_t window) {
    const QRect box = x11.Geometry(window);
    const QSize screen = x11.ScreenSize();
    EXPECT_NEAR(box.center().x(), screen.width() / 2, 2);
    EXPECT_NEAR(box.center().y(), screen.height() / 2, 2);
  }

  // The window's picture once it has been drawn and stays the same.
  QImage SettledPicture(const QRect& area) {
    // No X event tells another client that a window was drawn (that takes
    // the DAMAGE extension, which this suite does not use), so the picture
    // counts as settled when two grabs a moment apart agree. Bounded.
    const auto end =
        std::chrono::steady_clock::now() + std::chrono::seconds(20);
    QImage last;
    QImage picture;
    for (;;) {
      last = picture;
      picture = x11.Grab(area);
      if (!picture.isNull() && picture == last && !Flat(picture)) break;
      if (std::chrono::steady_clock::now() > end) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return picture;
  }

  static X11Connection* connection_;
  X11Connection& x11 = *connection_;
  TempDir folder;
};

X11Connection* RealWindowTest::connection_ = nullptr;

TEST_F(RealWindowTest, JapaneseFontIsInstalled) {
  const ChildResult fonts =
      RunIn(folder, "fc-list", {":family=IPAPGothic", "family"},
            ProgramSetup{std::nullopt, {}, true});
  EXPECT_NE(fonts.out.find("IPAPGothic"), std::string::npos)
      << "install the package fonts-ipafont-gothic";
}

TEST_F(RealWindowTest, WindowIsFixedInSizeCentredAndIsPhotographed) {
  RunningProgram program(folder, {});
  ASSERT_TRUE(program.Started());
  const xcb_window_t window = WaitForWindow(program);
  ASSERT_NE(window, 0u);

  // The client area lies below the menu bar, whose height the font decides.
  const QRect frame = x11.Geometry(window);
  EXPECT_EQ(frame.width(), kClientWidth);
  const int menu_height = frame.height() - kClientHeight;
  EXPECT_GE(menu_height, 15);
  EXPECT_LE(menu_height, 40);

  // A window manager may neither resize nor maximise it.
  const X11Connection::SizeLimits limits = x11.Limits(window);
  EXPECT_EQ(limits.minimum, frame.size());
  EXPECT_EQ(limits.maximum, frame.size());
  EXPECT_FALSE(x11.MaximizeAllowed(window));

  const QSize screen = x11.ScreenSize();
  EXPECT_NEAR(frame.center().x(), screen.width() / 2, 1);
  EXPECT_NEAR(frame.center().y(), screen.height() / 2, 1);

  // Active, as a window manager would make it: the first control shows
  // the focus.
  x11.Focus(window);
  const QImage picture = SettledPicture(frame);
  ASSERT_FALSE(picture.isNull());
  const char* wanted = std::getenv("TARNEL_SCREENSHOT");
  const std::string path = wanted && *wanted ? wanted : kDefaultScreenshot;
  EXPECT_TRUE(picture.save(QString::fromStdString(path), "PNG")) << path;
}

// The application window that owns every box is never shown; the boxes
// open in the middle of the screen, not in its top-left corner.
TEST_F(RealWindowTest, BatchFinishBoxOpensInTheMiddleOfTheScreen) {
  folder.Write("in.txt", "pear\napple\n");
  RunningProgram program(folder, {"-a", "-f", "in.txt", "-o", "out.txt"});
  ASSERT_TRUE(program.Started());
  const xcb_window_t box = WaitForWindow(program, "TARNEL");
  ASSERT_NE(box, 0u);
  SettledPicture(x11.Geometry(box));
  ExpectCentredOnTheScreen(box);
  EXPECT_EQ(folder.Read("out.txt"), "apple\r\npear\r\n");
  x11.Focus(box);
  ASSERT_TRUE(x11.TypeKey(box, kReturnKeysym));
  const std::optional<int> status = program.Wait(std::chrono::seconds(30));
  ASSERT_TRUE(status.has_value());
  EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
}

// A click on the blank part of 降順ソート, right of its label, checks it:
// the sort that follows is descending.
TEST_F(RealWindowTest, ClickRightOfADescendingLabelChoosesDescending) {
  folder.Write("in.txt", "apple\npear\nfig\n");
  RunningProgram program(folder, {"in.txt", "-o", "out.txt"});
  const xcb_window_t window = SettledWindow(program);
  ASSERT_NE(window, 0u);
  x11.Focus(window);
  Click(OnScreen(window, QPoint(135, 73)));
  EXPECT_EQ(OutputAfterReturn(program, window), "pear\r\nfig\r\napple\r\n");
}

// Pasting six digits into the key position takes the first five, as a
// Windows edit with a five-character limit does, and the change shows its
// box like any other. Two long lines tell the key positions apart: at byte
// 12345 the second sorts first, while on whole lines or at 123456 (beyond
// both) they keep their order.
TEST_F(RealWindowTest, PastingSixDigitsIntoTheKeyPositionTakesFive) {
  std::string first(12345, 'x');
  first.front() = 'a';
  first.back() = 'b';
  std::string second(12345, 'x');
  second.front() = 'b';
  second.back() = 'a';
  folder.Write("in.txt", first + "\n" + second + "\n");
  ASSERT_NO_FATAL_FAILURE(testing_support::PutOnClipboard("123456"));

  RunningProgram program(folder, {"in.txt", "-o", "out.txt"});
  const xcb_window_t window = SettledWindow(program);
  ASSERT_NE(window, 0u);
  // Paste into the key position.
  ASSERT_TRUE(TypeIntoKeyPosition(window, kVKeysym, kControlMask));

  const xcb_window_t box = WaitForWindow(program, "SortPosEdit->Text");
  ASSERT_NE(box, 0u);
  ExpectCentredOnTheScreen(box);
  x11.Focus(box);
  ASSERT_TRUE(x11.TypeKey(box, kReturnKeysym));
  WaitForWindowGone(program, "SortPosEdit->Text");
  EXPECT_EQ(OutputAfterReturn(program, window),
            second + "\r\n" + first + "\r\n");
}

TEST_F(RealWindowTest, EnterSortsTheInputFileNamedOnTheCommandLine) {
  folder.Write("in.txt", "pear\napple\nfig\n");
  RunningProgram program(folder, {"in.txt", "-o", "out.txt"});
  const xcb_window_t window = SettledWindow(program);
  ASSERT_NE(window, 0u);
  // Nothing runs before the user asks.
  EXPECT_EQ(folder.Read("out.txt"), "<missing>");
  EXPECT_EQ(OutputAfterReturn(program, window), "apple\r\nfig\r\npear\r\n");
  // The run ends with its "Finish!" box, and the window stays.
  EXPECT_TRUE(program.Running());
}

// The same program under a window manager, openbox, as on a desktop
// (run_under_xvfb.sh --window-manager).
class UnderAWindowManagerTest : public RealWindowTest {
 protected:
  // A box of the program titled |title|, other than the main window
  // |window| (the TARNEL boxes share its title), drawn; 0 when none came.
  xcb_window_t SettledBox(RunningProgram& program, const std::string& title,
                          xcb_window_t window) {
    std::vector<xcb_window_t> boxes;
    WaitUntil(
        [&] {
          boxes = x11.MappedWindowsTitled(title);
          std::erase(boxes, window);
          return !boxes.empty() || !program.Running();
        },
        {x11.Events(), program.Ended()}, std::chrono::seconds(30));
    EXPECT_EQ(boxes.size(), 1u) << title;
    if (boxes.empty()) return 0;
    SettledPicture(x11.FrameGeometry(boxes.front()));
    return boxes.front();
  }

  // Waits until |box| is off the screen, or the program ended.
  void WaitForBoxGone(RunningProgram& program, xcb_window_t box,
                      const std::string& title) {
    x11.Watch(box);
    WaitUntil(
        [&] {
          return std::ranges::count(x11.MappedWindowsTitled(title), box) == 0 ||
                 !program.Running();
        },
        {x11.Events(), program.Ended()}, std::chrono::seconds(30));
  }

  // Whether the window manager shows |box|'s whole caption: as wide as it
  // draws the same caption on a window wide enough for any of them.
  void ExpectWholeCaption(xcb_window_t box, const std::string& caption) {
    SCOPED_TRACE(caption);
    const int shown = x11.CaptionWidth(box);
    ASSERT_GT(shown, 0) << "no caption in a title bar";
    // As wide as the screen allows, frame included.
    const xcb_window_t wide = x11.MakeWindow(caption, QSize(600, 60));
    WaitUntil(
        [&] {
          return x11.MappedWindowsTitled(caption).size() == 2 &&
                 x11.FrameGeometry(wide).top() < x11.Geometry(wide).top();
        },
        {x11.Events()}, std::chrono::seconds(10));
    SettledPicture(x11.FrameGeometry(wide));
    const int whole = x11.CaptionWidth(wide);
    x11.DestroyWindow(wide);
    x11.Activate(box);
    EXPECT_EQ(shown, whole) << "the title bar cuts the caption short";
  }

  // Whether the window manager stacks |box| above the main window |window|.
  void ExpectAbove(xcb_window_t box, xcb_window_t window) {
    const std::vector<xcb_window_t> stack = x11.Stacking();
    const auto place = [&](xcb_window_t w) {
      return std::find(stack.begin(), stack.end(), w) - stack.begin();
    };
    ASSERT_LT(place(box), static_cast<std::ptrdiff_t>(stack.size()));
    EXPECT_GT(place(box), place(window)) << "the box went below the window";
  }

  // Closes |box| with Return as its user would, and waits until it went.
  void Dismiss(RunningProgram& program, xcb_window_t box,
               const std::string& title) {
    x11.Focus(box);
    ASSERT_TRUE(x11.TypeKey(box, kReturnKeysym));
    WaitForBoxGone(program, box, title);
  }
};

// A box of a run stays above the main window when the user clicks that
// window.
TEST_F(UnderAWindowManagerTest, RunBoxStaysAboveTheMainWindowAfterAClick) {
  folder.Write("in.txt", "pear\napple\nfig\n");
  RunningProgram program(folder, {"in.txt", "-o", "no-such-folder/out.txt"});
  const xcb_window_t window = SettledWindow(program);
  ASSERT_NE(window, 0u);
  x11.Focus(window);
  ASSERT_TRUE(x11.TypeKey(window, kReturnKeysym));
  const xcb_window_t box = SettledBox(program, "TARNEL-ERROR", window);
  ASSERT_NE(box, 0u);
  // On 降順ソート: the click reaches the main window.
  Click(OnScreen(window, QPoint(135, 73)));
  SettledPicture(x11.FrameGeometry(window));
  ExpectAbove(box, window);
  ExpectWholeCaption(box, "TARNEL-ERROR");
  Dismiss(program, box, "TARNEL-ERROR");
  const xcb_window_t closing = SettledBox(program, "TARNEL", window);
  ASSERT_NE(closing, 0u);
  Dismiss(program, closing, "TARNEL");
}

// The box that ends a long run opens above the main window, which the user
// clicked while the run went on.
TEST_F(UnderAWindowManagerTest,
       FinishBoxOpensAboveTheWindowClickedDuringTheRun) {
  std::string lines;
  for (std::uint64_t i = 0; i < 3000000; ++i) {
    lines += std::to_string(i * 7919 % 3000000) + ",a line to sort\n";
  }
  folder.Write("in.txt", lines);
  RunningProgram program(folder, {"in.txt", "-o", "out.txt"});
  const xcb_window_t window = SettledWindow(program);
  ASSERT_NE(window, 0u);
  x11.Focus(window);
  ASSERT_TRUE(x11.TypeKey(window, kReturnKeysym));
  // On 降順ソート, while the run goes on.
  Click(OnScreen(window, QPoint(135, 73)));
  const xcb_window_t box = SettledBox(program, "TARNEL", window);
  ASSERT_NE(box, 0u);
  ExpectAbove(box, window);
  Dismiss(program, box, "TARNEL");
}

// A Return sent to the key position's box, whatever route it takes, starts
// no run; once the box is closed Return in the window runs as usual.
TEST_F(UnderAWindowManagerTest, ReturnForTheKeyPositionBoxStartsNoRun) {
  folder.Write("in.txt", "pear\napple\nfig\n");
  RunningProgram program(folder, {"in.txt", "-o", "out.txt"});
  const xcb_window_t window = SettledWindow(program);
  ASSERT_NE(window, 0u);
  // A letter, refused by the filter after its first box.
  ASSERT_TRUE(TypeIntoKeyPosition(window, kXKeysym));
  const xcb_window_t box = SettledBox(program, "SortPosEdit->Text", window);
  ASSERT_NE(box, 0u);
  ExpectWholeCaption(box, "SortPosEdit->Text");
  // As xdotool key --window sends it: to the box, past the focus.
  ASSERT_TRUE(x11.TypeKey(box, kReturnKeysym));
  WaitForBoxGone(program, box, "SortPosEdit->Text");
  const xcb_window_t error = SettledBox(program, "ERROR", window);
  ASSERT_NE(error, 0u);
  ExpectWholeCaption(error, "ERROR");
  Dismiss(program, error, "ERROR");
  // Everything the program was sent is handled by the time the window
  // answers Return with its run.
  EXPECT_EQ(folder.Read("out.txt"), "<missing>");
  EXPECT_EQ(OutputAfterReturn(program, window), "apple\r\nfig\r\npear\r\n");
}

}  // namespace
}  // namespace tarnel
