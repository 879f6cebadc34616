// The Windows program's other parts, for real: the About box's layout, the
// help window, the common dialogs' filter, a run on a worker thread whose
// boxes appear on the window thread, the front end's task-modal boxes, and
// TARNEL.EXE's version resource.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/local_text.h"
#include "platform/program_folder.h"
#include "platform/service.h"
#include "platform/testing/recording_message_boxes.h"
#include "platform/win32/dialog_keys.h"
#include "platform/win32/win32_file_dialogs.h"
#include "platform/win32/win32_help_engine.h"
#include "platform/win32/win32_help_window.h"
#include "platform/win32/win32_message_boxes.h"
#include "platform/win32/window_thread.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/win32/win32_window_support.h"
#include "ui/win32/about_box_win32.h"
#include "ui/win32/application_win32.h"
#include "ui/win32/main_form_win32.h"

namespace tarnel {
namespace {

using testing_support::TempDir;

RECT Rect(int left, int top, int width, int height) {
  return {left, top, left + width, top + height};
}

void ExpectPlace(HWND control, HWND parent, const RECT& want) {
  const RECT got = PlaceIn(control, parent);
  EXPECT_EQ(got.left, want.left);
  EXPECT_EQ(got.top, want.top);
  EXPECT_EQ(got.right, want.right);
  EXPECT_EQ(got.bottom, want.bottom);
}

TEST(AboutBoxWin32Test, StandsAsItsLayoutGivesIt) {
  Win32AboutBox about;
  RECT client;
  ::GetClientRect(about.Window, &client);
  EXPECT_EQ(client.right, 298);
  EXPECT_EQ(client.bottom, 154);
  EXPECT_EQ(WindowTextOf(about.Window), "TARNEL");
  const LONG_PTR style = ::GetWindowLongPtrA(about.Window, GWL_STYLE);
  EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
  EXPECT_NE(
      ::GetWindowLongPtrA(about.Window, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME, 0);
  ExpectPlace(about.Panel1, about.Window, Rect(8, 0, 281, 113));
  ExpectPlace(about.ProgramIcon, about.Panel1, Rect(16, 16, 33, 33));
  EXPECT_NE(::SendMessageA(about.ProgramIcon, STM_GETICON, 0, 0), 0);
  ExpectPlace(about.Copyright, about.Panel1, Rect(8, 64, 265, 12));
  ExpectPlace(about.Comments, about.Panel1, Rect(8, 88, 265, 12));
  EXPECT_EQ(WindowTextOf(about.Comments),
            LocalText("テキストソートユーティリティ"));
  ExpectPlace(about.OKButton, about.Window, Rect(111, 124, 75, 25));
  EXPECT_EQ(::GetWindowLongPtrA(about.OKButton, GWL_STYLE) & BS_TYPEMASK,
            BS_DEFPUSHBUTTON);
  EXPECT_EQ(WindowTextOf(about.ProductName), "TARNEL.EXE");
  // Every control in the box's font: the program's face and size in the
  // default character set.
  for (const HWND control : {about.ProductName, about.Version, about.Copyright,
                             about.Comments, about.OKButton}) {
    const auto font =
        reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0));
    LOGFONTA logical{};
    ASSERT_NE(::GetObjectA(font, sizeof logical, &logical), 0);
    EXPECT_EQ(logical.lfHeight, -12);
    EXPECT_EQ(logical.lfCharSet, DEFAULT_CHARSET);
    EXPECT_EQ(std::string(logical.lfFaceName), LocalText("ＭＳ Ｐゴシック"));
  }
  const RECT product = PlaceIn(about.ProductName, about.Panel1);
  EXPECT_EQ(product.left, 88);
  EXPECT_EQ(product.top, 16);
  // The version label starts at its place and widens to its text.
  const RECT narrow = PlaceIn(about.Version, about.Panel1);
  about.SetVersionText("Version1.34 and more");
  const RECT wide = PlaceIn(about.Version, about.Panel1);
  EXPECT_EQ(wide.left, 88);
  EXPECT_EQ(wide.top, 40);
  EXPECT_GT(wide.right - wide.left, narrow.right - narrow.left);
  about.Show();
  RECT frame;
  ::GetWindowRect(about.Window, &frame);
  EXPECT_NEAR((frame.left + frame.right) / 2,
              ::GetSystemMetrics(SM_CXSCREEN) / 2, 1);
  ::SendMessageA(about.Window, WM_CLOSE, 0, 0);
  EXPECT_FALSE(about.IsVisible());
  EXPECT_TRUE(::IsWindow(about.Window));
}

class HelpEngineWin32Test : public testing::Test {
 protected:
  void Write(const std::string& text) {
    std::ofstream(folder.path() + "\\Tarnel.hlp", std::ios::binary) << text;
  }
  TempDir folder;
  RecordingMessageBoxes boxes;
  Win32HelpEngine engine{{folder.path()}};
};

constexpr char kHelp[] =
    "TARNEL-HELP 1\nTitle: TARNEL Help\n== Sources\nKeywords: clipboard; "
    "file\nText comes from the clipboard.\n\n- one\n- two\n== Keys\n"
    "Keywords: Column; field\nA key starts at a column.\n";

TEST_F(HelpEngineWin32Test, AMissingOrBadFileGetsTheEnginesBox) {
  engine.Command(nullptr, "Tarnel.hlp", kHelpContents, "");
  Write("not a help file\n");
  engine.Command(nullptr, "Tarnel.hlp", kHelpContents, "");
  ASSERT_EQ(boxes.boxes.size(), 2u);
  EXPECT_EQ(boxes.boxes[0].caption, "Help");
  EXPECT_EQ(boxes.boxes[0].text, "Cannot open the help file Tarnel.hlp.\n(" +
                                     folder.path() + "\\Tarnel.hlp)");
  EXPECT_EQ(boxes.boxes[0].flags, kBoxIconError);
  EXPECT_EQ(boxes.boxes[1].text.rfind("The help file Tarnel.hlp cannot be "
                                      "read.",
                                      0),
            0u);
  EXPECT_EQ(engine.Window(), nullptr);
}

TEST_F(HelpEngineWin32Test, ContentsAndIndexShowTheTopicsAndEscapeHides) {
  Write(kHelp);
  engine.Command(nullptr, "Tarnel.hlp", kHelpContents, "");
  ASSERT_TRUE(boxes.boxes.empty());
  Win32HelpWindow* help = engine.Window();
  ASSERT_NE(help, nullptr);
  const HWND window = static_cast<HWND>(help->Window);
  EXPECT_TRUE(::IsWindowVisible(window));
  EXPECT_EQ(WindowTextOf(window), "TARNEL Help");
  EXPECT_EQ(
      ::SendMessageA(static_cast<HWND>(help->ContentsList), LB_GETCOUNT, 0, 0),
      2);
  EXPECT_EQ(help->CurrentTopic(), 0);
  EXPECT_EQ(WindowTextOf(static_cast<HWND>(help->TopicView)),
            "Sources\r\n\r\nText comes from the clipboard.\r\n\r\n"
            "\x81\x45 one\r\n\x81\x45 two\r\n");
  // Search: the index page, its field focused, the first keyword that
  // begins with what is typed chosen; Display shows its topic.
  engine.Command(nullptr, "Tarnel.hlp", kHelpPartialKey, "");
  const HWND index = static_cast<HWND>(help->IndexList);
  EXPECT_TRUE(::IsWindowVisible(index));
  EXPECT_FALSE(::IsWindowVisible(static_cast<HWND>(help->ContentsList)));
  EXPECT_EQ(::GetFocus(), static_cast<HWND>(help->SearchEdit));
  EXPECT_EQ(::SendMessageA(index, LB_GETCOUNT, 0, 0), 4);
  ::SetWindowTextA(static_cast<HWND>(help->SearchEdit), "co");
  char entry[64] = {};
  ::SendMessageA(index, LB_GETTEXT,
                 static_cast<WPARAM>(::SendMessageA(index, LB_GETCURSEL, 0, 0)),
                 reinterpret_cast<LPARAM>(entry));
  EXPECT_STREQ(entry, "Column");
  PressKey(VK_RETURN);
  EXPECT_EQ(help->CurrentTopic(), 1);
  PressKey(VK_ESCAPE);
  EXPECT_FALSE(::IsWindowVisible(window));
}

TEST(Win32FileDialogsTest, TheFilterTakesNulsAndKeepsDoubleByteCharacters) {
  using namespace std::string_literals;
  EXPECT_EQ(NulSeparatedFilter("Text|*.TXT;*.CSV|All|*.*"),
            "Text\0*.TXT;*.CSV\0All\0*.*\0\0"s);
  // ポ is 83 7C in Shift-JIS: its second byte is a bar.
  EXPECT_EQ(NulSeparatedFilter("\x83\x7C|*.X"), "\x83\x7C\0*.X\0\0"s);
  EXPECT_EQ(Win32DialogFlags(0x2u | 0x4u | 0x800u | 0x8000u | 0x80000u),
            0x2u | 0x4u | 0x800u | 0x8000u);
}

// The worker's boxes reach the window thread, which keeps serving its
// windows meanwhile.
TEST(WindowThreadTest, AWorkersBoxesAndClipboardCallsRunOnTheWindowThread) {
  RecordingMessageBoxes recorded;
  DWORD box_thread = 0;
  recorded.on_show = [&](const RecordedBox&) {
    box_thread = ::GetCurrentThreadId();
  };
  const WindowThread thread;
  WindowThreadMessageBoxes boxes(recorded, thread);
  bool done = false;
  std::thread worker([&] {
    boxes.Show(nullptr, "Finish!", "TARNEL", kBoxPlain);
    done = true;
    ::PostThreadMessageA(0, 0, 0, 0);
  });
  while (!done) {
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    Pump();
  }
  worker.join();
  EXPECT_EQ(box_thread, ::GetCurrentThreadId());
  ASSERT_EQ(recorded.boxes.size(), 1u);
  EXPECT_EQ(recorded.boxes[0].text, "Finish!");
}

// The real run: the engine on its worker, its closing box on the window
// thread (a hook of this thread sees it), owned by the application window,
// and the main window usable meanwhile.
TEST(WindowsRunTest, ABatchRunSortsTheFileAndShowsFinishOwnedByTheApplication) {
  TempDir folder;
  const std::string in = folder.path() + "\\in.csv";
  const std::string out = folder.path() + "\\out.csv";
  std::ofstream(in, std::ios::binary) << "b,20\na,3\nc,100\n";
  Win32MessageBoxes native;
  const Installed<MessageBoxes> installed(&native);
  Win32Application application;
  application.SetTitle("TARNEL");
  BoxCloser closer;
  Win32MainForm form(application, {"-a", "-f", in, "-o", out, "-2nf"});
  EXPECT_TRUE(form.BatchDelivered());
  ASSERT_EQ(closer.seen().size(), 1u);
  EXPECT_EQ(closer.seen()[0].caption, "TARNEL");
  EXPECT_EQ(closer.seen()[0].text, "Finish!");
  EXPECT_EQ(closer.seen()[0].owner, static_cast<HWND>(application.Handle()));
  std::ifstream result(out, std::ios::binary);
  std::stringstream bytes;
  bytes << result.rdbuf();
  EXPECT_EQ(bytes.str(), "a,3\r\nb,20\r\nc,100\r\n");
}

// The front end's own boxes stop every window: the main window and the
// About box alike.
TEST(WindowsRunTest, TheFrontEndsBoxesDisableEveryWindowOfTheProgram) {
  Win32MessageBoxes native;
  const Installed<MessageBoxes> installed(&native);
  Win32Application application;
  Win32MainForm form(application, {"-f", ""},
                     [](const SortRequest&) { return std::int32_t{0}; });
  Win32AboutBox about(static_cast<HWND>(application.Handle()));
  form.Show();
  about.Show();
  BoxCloser closer({form.Window(), about.Window});
  ::SendMessageA(form.Control("OKButton"), BM_CLICK, 0, 0);
  ASSERT_EQ(closer.seen().size(), 1u);
  EXPECT_EQ(closer.seen()[0].caption, "TARNEL-ERROR");
  EXPECT_EQ(closer.seen()[0].text, LocalText("読み込み元ファイルが未指定です"));
  EXPECT_EQ(closer.seen()[0].enabled, (std::vector<bool>{false, false}));
  EXPECT_TRUE(::IsWindowEnabled(form.Window()));
  EXPECT_TRUE(::IsWindowEnabled(about.Window));
}

TEST(VersionResourceTest, TarnelExeCarriesItsVersionInJapanese) {
  const std::string program = ProgramFolder() + "\\TARNEL.EXE";
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeA(program.c_str(), &ignored);
  ASSERT_GT(size, 0u) << program;
  std::vector<char> data(size);
  ASSERT_TRUE(::GetFileVersionInfoA(program.c_str(), 0, size, data.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(::VerQueryValueA(data.data(), "\\",
                               reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, (1u << 16) | 34u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, (1u << 16) | 34u);
  const auto value = [&](const std::string& name) -> std::string {
    char* text = nullptr;
    UINT chars = 0;
    const std::string path = "\\StringFileInfo\\041103A4\\" + name;
    if (!::VerQueryValueA(data.data(), path.c_str(),
                          reinterpret_cast<void**>(&text), &chars)) {
      return "<none>";
    }
    return chars ? std::string(text) : std::string();
  };
  EXPECT_EQ(value("FileDescription"), "Text Sort Utility");
  EXPECT_EQ(value("FileVersion"), "1.34.0.0");
  EXPECT_EQ(value("InternalName"), "TARNEL");
  EXPECT_EQ(value("LegalTrademarks"), "TARNEL");
  EXPECT_EQ(value("OriginalFilename"), "TARNEL.EXE");
  EXPECT_EQ(value("ProductName"), "TARNEL 1.34");
  EXPECT_EQ(value("ProductVersion"), "1.34");
  EXPECT_EQ(value("Comments"), "");
}

}  // namespace
}  // namespace tarnel
