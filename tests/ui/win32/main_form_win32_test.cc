// The Windows window itself: its controls read back through the system
// (rectangles, states, texts, styles) against the layout table, and driven
// with the messages the system sends for the user's clicks, keys, drops and
// spin-control steps. Runs are recorded, not made.
#include "ui/win32/main_form_win32.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/local_text.h"
#include "platform/testing/recording_help_engine.h"
#include "platform/testing/recording_message_boxes.h"
#include "platform/testing/scripted_file_dialogs.h"
#include "tests/ui/win32/win32_window_support.h"
#include "ui/logic/main_form_layout.h"
#include "ui/win32/about_box_win32.h"
#include "ui/win32/application_win32.h"

namespace tarnel {
namespace {

class MainFormWin32Test : public testing::Test {
 protected:
  void Start(std::vector<std::string> arguments = {}) {
    application.SetTitle("TARNEL");
    application.SetHelpFile("Tarnel.hlp");
    form = std::make_unique<Win32MainForm>(application, std::move(arguments),
                                           [this](const SortRequest& request) {
                                             runs.push_back(request);
                                             if (during) during();
                                             return std::int32_t{0};
                                           });
  }
  void StartShown() {
    Start();
    form->Show();
    ::SetActiveWindow(form->Window());
    Pump();
  }

  Win32Application application;
  RecordingMessageBoxes boxes;
  std::unique_ptr<Win32MainForm> form;
  std::vector<SortRequest> runs;
  std::function<void()> during;
};

bool Checked(HWND button) {
  return ::SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}
bool Shown(HWND window) {
  return (::GetWindowLongPtrA(window, GWL_STYLE) & WS_VISIBLE) != 0;
}
LONG_PTR Style(HWND window) { return ::GetWindowLongPtrA(window, GWL_STYLE); }
std::string ClassOf(HWND window) {
  char name[64] = {};
  ::GetClassNameA(window, name, sizeof name);
  return name;
}

// The system's window class of each kind of control.
const char* ClassOfKind(ControlKind kind) {
  switch (kind) {
    case ControlKind::kStatusBar:
      return "msctls_statusbar32";
    case ControlKind::kGroupBox:
    case ControlKind::kRadioButton:
    case ControlKind::kCheckBox:
    case ControlKind::kPushButton:
      return "Button";
    case ControlKind::kPageControl:
      return "SysTabControl32";
    case ControlKind::kTabSheet:
      return "TTabSheet";
    case ControlKind::kEdit:
    case ControlKind::kPathEdit:
      return "Edit";
    case ControlKind::kUpDown:
      return "msctls_updown32";
    case ControlKind::kBrowsePanel:
      return "TPanel";
  }
  return "";
}

// Each control of the layout table, as the system reads it back: its
// class, its parent, its place in the parent's client pixels, its text, its
// initial state and its font.
TEST_F(MainFormWin32Test, EveryControlStandsAsTheLayoutTableGivesIt) {
  Start();
  for (const ControlDef& def : MainFormControlTable()) {
    SCOPED_TRACE(def.name);
    const HWND control = form->Control(def.name);
    ASSERT_NE(control, nullptr);
    const HWND parent = def.parent ? form->Control(def.parent) : form->Window();
    EXPECT_EQ(::GetParent(control), parent);
    EXPECT_EQ(::lstrcmpiA(ClassOf(control).c_str(), ClassOfKind(def.kind)), 0)
        << ClassOf(control);
    EXPECT_EQ(Shown(control), def.shown);
    if (def.kind == ControlKind::kTabSheet) continue;  // fills its tab control
    const RECT place = PlaceIn(control, parent);
    EXPECT_EQ(place.left, def.rect.x);
    EXPECT_EQ(place.top, def.rect.y);
    EXPECT_EQ(place.right, def.rect.x + def.rect.width);
    EXPECT_EQ(place.bottom, def.rect.y + def.rect.height);
    const bool has_text = def.kind != ControlKind::kStatusBar && def.text;
    if (has_text) {
      EXPECT_EQ(WindowTextOf(control), LocalText(def.text));
      // One font throughout (the spin controls show no text).
      EXPECT_EQ(
          reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0)),
          TarnelFontHandle());
    }
    if (def.kind == ControlKind::kCheckBox ||
        def.kind == ControlKind::kRadioButton) {
      EXPECT_EQ(Checked(control), def.checked);
    }
  }
}

TEST_F(MainFormWin32Test, TheWindowIsFixedCentredAndDressedAsOnWindows) {
  StartShown();
  EXPECT_EQ(ClassOf(form->Window()), "TTarnelMainForm");
  EXPECT_EQ(WindowTextOf(form->Window()), "TARNEL");
  RECT client;
  ::GetClientRect(form->Window(), &client);
  EXPECT_EQ(client.right, 426);
  EXPECT_EQ(client.bottom, 314);
  const LONG_PTR style = Style(form->Window());
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);
  EXPECT_EQ(style & (WS_SYSMENU | WS_MINIMIZEBOX | WS_CAPTION),
            WS_SYSMENU | WS_MINIMIZEBOX | WS_CAPTION);
  RECT frame;
  ::GetWindowRect(form->Window(), &frame);
  EXPECT_NEAR((frame.left + frame.right) / 2,
              ::GetSystemMetrics(SM_CXSCREEN) / 2, 1);
  EXPECT_NEAR((frame.top + frame.bottom) / 2,
              ::GetSystemMetrics(SM_CYSCREEN) / 2, 1);
  EXPECT_EQ(::GetClassLongPtrA(form->Window(), GCLP_HBRBACKGROUND),
            COLOR_BTNFACE + 1);
  EXPECT_NE(::GetClassLongPtrA(form->Window(), GCLP_HICON), 0);
  LOGFONTA font{};
  ::GetObjectA(TarnelFontHandle(), sizeof font, &font);
  EXPECT_EQ(font.lfHeight, -12);
  EXPECT_EQ(font.lfCharSet, SHIFTJIS_CHARSET);
  EXPECT_EQ(std::string(font.lfFaceName), LocalText("ＭＳ Ｐゴシック"));
  // The status line in simple mode, the pages' captions, the default button.
  EXPECT_TRUE(::SendMessageA(form->Control("StatusLine"), SB_ISSIMPLE, 0, 0));
  EXPECT_EQ(
      ::SendMessageA(form->Control("PageControl1"), TCM_GETITEMCOUNT, 0, 0), 2);
  EXPECT_EQ(::SendMessageA(form->Control("PageControl1"), TCM_GETCURSEL, 0, 0),
            0);
  EXPECT_TRUE(Shown(form->Control("TabSheet1")));
  EXPECT_FALSE(Shown(form->Control("TabSheet2")));
  EXPECT_EQ(Style(form->Control("OKButton")) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  EXPECT_EQ(::SendMessageA(form->Control("SortPosEdit"), EM_GETLIMITTEXT, 0, 0),
            5);
  // The first tab stop has the focus.
  EXPECT_EQ(::GetFocus(), form->Control("Sort_F_RadioButton"));
}

// How much of a control's width its caption may take, by its kind: the
// rest holds the check mark and its gap, a button's bevel, a group's
// frame before and after the caption. Zero for no caption to measure.
int CaptionRoom(ControlKind kind, int width) {
  const int check = ::GetSystemMetrics(SM_CXMENUCHECK);
  switch (kind) {
    case ControlKind::kCheckBox:
    case ControlKind::kRadioButton:
      return width - check - 4;
    case ControlKind::kPushButton:
      return width - 4 * ::GetSystemMetrics(SM_CXEDGE);
    case ControlKind::kGroupBox:
      return width - 16;
    case ControlKind::kBrowsePanel:
      return width - 2 * ::GetSystemMetrics(SM_CXEDGE);
    default:
      return 0;
  }
}

// Every caption whole in the window's font: which it is only with a
// proportional font for ＭＳ Ｐゴシック (IPAPGothic, in the Wine prefix
// that tests/support/run_under_wine.sh makes).
TEST_F(MainFormWin32Test, EveryCaptionFitsItsControlInTheWindowsFont) {
  Start();
  const HDC dc = ::GetDC(form->Window());
  const HGDIOBJ previous = ::SelectObject(dc, TarnelFontHandle());
  int measured = 0;
  for (const ControlDef& def : MainFormControlTable()) {
    const int room = CaptionRoom(def.kind, def.rect.width);
    if (room == 0 || !def.text) continue;
    SCOPED_TRACE(def.name);
    const std::string caption = LocalText(def.text);
    SIZE extent{};
    ::GetTextExtentPoint32A(dc, caption.c_str(),
                            static_cast<int>(caption.size()), &extent);
    EXPECT_LE(extent.cx, room) << def.text;
    ++measured;
  }
  ::SelectObject(dc, previous);
  ::ReleaseDC(form->Window(), dc);
  EXPECT_GE(measured, 14);
}

// The status line's text reads back whole, however many bytes its
// characters take: the run puts the text it found back after the run.
TEST_F(MainFormWin32Test, TheStatusLineGivesBackEveryByteOfItsText) {
  Start();
  Win32StatusControl status(form->Control("StatusLine"));
  EXPECT_EQ(status.Text(), LocalText("テキストソートユーティリティ"));
  for (const char* utf8 :
       {"A", "ソート実行中！", "テキストソートユーティリティ・テキストソート",
        "mixed テキスト and ASCII 0123456789", ""}) {
    SCOPED_TRACE(utf8);
    status.SetText(LocalText(utf8));
    EXPECT_EQ(status.Text(), LocalText(utf8));
  }
}

TEST_F(MainFormWin32Test, TheMenuHoldsItsItemsWithTheirAccelerators) {
  Start();
  const auto item = [](HMENU menu, UINT position) {
    char text[64] = {};
    ::GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    if (::GetMenuState(menu, position, MF_BYPOSITION) & MF_SEPARATOR) {
      return std::string("-");
    }
    return std::string(text);
  };
  // Each menu holds the table's entries in its order; the menu bar the
  // menus.
  std::map<std::string, std::vector<std::string>> expected;
  for (const MenuDef& entry : MainMenuTable()) {
    expected[entry.parent ? entry.parent : "MainMenu"].push_back(
        entry.caption ? entry.caption : "-");
  }
  for (const auto& [menu, captions] : expected) {
    SCOPED_TRACE(menu);
    std::vector<std::string> seen;
    for (int i = 0; i < ::GetMenuItemCount(form->Menu(menu)); ++i) {
      seen.push_back(item(form->Menu(menu), static_cast<UINT>(i)));
    }
    EXPECT_EQ(seen, captions);
  }
  // Contents and Search send the help engine its two commands.
  RecordingHelpEngine help_engine;
  ::SendMessageA(form->Window(), WM_COMMAND,
                 static_cast<WPARAM>(form->MenuItemId("HelpContentsItem")), 0);
  ::SendMessageA(form->Window(), WM_COMMAND,
                 static_cast<WPARAM>(form->MenuItemId("HelpSearchItem")), 0);
  ASSERT_EQ(help_engine.commands.size(), 2u);
  EXPECT_EQ(help_engine.commands[0],
            (RecordedHelpCommand{form->Window(), "Tarnel.hlp", 3, ""}));
  EXPECT_EQ(help_engine.commands[1].command, 261u);
}

// Tab walks the tab stops: of the radio buttons the checked one, the page
// control and the shown page's controls, the browse panels and paths only
// while shown; never the frames, pages, spin controls or status line.
TEST_F(MainFormWin32Test, TabWalksTheTabStopsInTheirOrder) {
  StartShown();
  const auto walk = [](int steps) {
    std::vector<HWND> order{::GetFocus()};
    for (int i = 0; i < steps; ++i) {
      PressKey(VK_TAB);
      order.push_back(::GetFocus());
    }
    return order;
  };
  EXPECT_EQ(
      walk(10),
      (std::vector<HWND>{
          form->Control("Sort_F_RadioButton"), form->Control("PageControl1"),
          form->Control("NotCaseSensitiveCheckBox"),
          form->Control("UniqCheckBox"), form->Control("ClipBoardCheckBox1"),
          form->Control("FileOpenCheckBox"),
          form->Control("ClipBoardCheckBox2"),
          form->Control("FileSaveCheckBox"), form->Control("OKButton"),
          form->Control("CancelButton"), form->Control("Sort_F_RadioButton")}));

  ::SendMessageA(form->Control("Sort_R_RadioButton"), BM_CLICK, 0, 0);
  ::SendMessageA(form->Control("FileSaveCheckBox"), BM_CLICK, 0, 0);
  ::SetFocus(form->Control("PageControl1"));
  PressKey(VK_RIGHT);  // the tab control's own key: the second page
  EXPECT_TRUE(Shown(form->Control("TabSheet2")));
  EXPECT_FALSE(Shown(form->Control("TabSheet1")));
  ::SetFocus(form->Control("CancelButton"));
  EXPECT_EQ(
      walk(11),
      (std::vector<HWND>{
          form->Control("CancelButton"), form->Control("Sort_R_RadioButton"),
          form->Control("PageControl1"), form->Control("SortPosEdit"),
          form->Control("ColumCheckBox"), form->Control("FieldCheckBox"),
          form->Control("StringCompCheckBox"), form->Control("NumCompCheckBox"),
          form->Control("ClipBoardCheckBox1"),
          form->Control("FileOpenCheckBox"),
          form->Control("ClipBoardCheckBox2"),
          form->Control("FileSaveCheckBox")}));
  PressKey(VK_TAB);
  EXPECT_EQ(::GetFocus(), form->Control("FileSavePanel"));
  PressKey(VK_TAB);
  EXPECT_EQ(::GetFocus(), form->Control("FileSaveEdit"));
  // Shift+Tab goes back.
  BYTE keys[256] = {};
  ::GetKeyboardState(keys);
  keys[VK_SHIFT] = 0x80;
  ::SetKeyboardState(keys);
  PressKey(VK_TAB);
  keys[VK_SHIFT] = 0;
  ::SetKeyboardState(keys);
  EXPECT_EQ(::GetFocus(), form->Control("FileSavePanel"));
}

TEST_F(MainFormWin32Test, EnterPressesRunUnlessTheOtherButtonHasTheFocus) {
  StartShown();
  ::SetFocus(form->Control("NotCaseSensitiveCheckBox"));
  PressKey(VK_RETURN);
  EXPECT_EQ(runs.size(), 1u);
  ::SetFocus(form->Control("OKButton"));
  PressKey(VK_RETURN);
  EXPECT_EQ(runs.size(), 2u);
  ::SetFocus(form->Control("CancelButton"));
  EXPECT_EQ(Style(form->Control("CancelButton")) & BS_TYPEMASK,
            BS_DEFPUSHBUTTON);
  EXPECT_EQ(Style(form->Control("OKButton")) & BS_TYPEMASK, BS_PUSHBUTTON);
  ::SetFocus(form->Control("UniqCheckBox"));
  EXPECT_EQ(Style(form->Control("OKButton")) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  ::SetFocus(form->Control("CancelButton"));
  PressKey(VK_RETURN);
  EXPECT_EQ(runs.size(), 2u);
  EXPECT_EQ(form->Window(), nullptr);  // 閉じる closed it
}

TEST_F(MainFormWin32Test, EscapeClosesOnlyWhenTheWindowItselfHasTheFocus) {
  StartShown();
  ::SetFocus(form->Control("UniqCheckBox"));
  PressKey(VK_ESCAPE);
  ASSERT_NE(form->Window(), nullptr);
  ::SetFocus(form->Window());
  PressKey(VK_ESCAPE);
  EXPECT_EQ(form->Window(), nullptr);
}

TEST_F(MainFormWin32Test, ClicksCoupleTheBoxesAndShowTheFileSide) {
  StartShown();
  ::SendMessageA(form->Control("FileOpenCheckBox"), BM_CLICK, 0, 0);
  EXPECT_FALSE(Checked(form->Control("ClipBoardCheckBox1")));
  EXPECT_TRUE(Shown(form->Control("FileOpenEdit")));
  EXPECT_TRUE(Shown(form->Control("FileOpenPanel")));
  EXPECT_EQ(::GetFocus(), form->Control("FileOpenEdit"));
  ::SendMessageA(form->Control("ClipBoardCheckBox1"), BM_CLICK, 0, 0);
  EXPECT_FALSE(Checked(form->Control("FileOpenCheckBox")));
  EXPECT_FALSE(Shown(form->Control("FileOpenEdit")));
  // A radio click clears its partner, which hands over its tab stop.
  ::SendMessageA(form->Control("Sort_R_RadioButton"), BM_CLICK, 0, 0);
  EXPECT_FALSE(Checked(form->Control("Sort_F_RadioButton")));
  EXPECT_EQ(Style(form->Control("Sort_F_RadioButton")) & WS_TABSTOP, 0);
  EXPECT_NE(Style(form->Control("Sort_R_RadioButton")) & WS_TABSTOP, 0);
  // A click anywhere on a check box's rectangle, its caption's end too.
  ClickAt(form->Control("NumCompCheckBox"), 90, 8);
  EXPECT_TRUE(Checked(form->Control("NumCompCheckBox")));
  EXPECT_FALSE(Checked(form->Control("StringCompCheckBox")));
  PressKey(VK_RETURN);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].sort_mode, 1);
  EXPECT_EQ(runs[0].key_kind, 5);
  EXPECT_EQ(runs[0].owner_window, application.Handle());
}

TEST_F(MainFormWin32Test, BrowsePanelsOpenTheirDialogsByClickAndByTab) {
  StartShown();
  ScriptedFileDialogs dialogs;
  dialogs.answers = {"C:\\out.txt", "C:\\in.txt", std::nullopt};
  ::SendMessageA(form->Control("FileSaveCheckBox"), BM_CLICK, 0, 0);
  ClickAt(form->Control("FileSavePanel"), 20, 8);
  ASSERT_EQ(dialogs.requests.size(), 1u);
  EXPECT_EQ(dialogs.requests[0].kind, FileDialogKind::kSave);
  EXPECT_EQ(dialogs.requests[0].options, 0x2u | 0x4u | 0x800u | 0x8000u);
  EXPECT_EQ(dialogs.owners[0], form->Window());
  EXPECT_EQ(WindowTextOf(form->Control("FileSaveEdit")), "C:\\out.txt");
  // A click leaves the focus where it was.
  EXPECT_NE(::GetFocus(), form->Control("FileSavePanel"));

  ::SendMessageA(form->Control("FileOpenCheckBox"), BM_CLICK, 0, 0);
  ::SetFocus(form->Control("FileOpenCheckBox"));
  PressKey(VK_TAB);
  EXPECT_EQ(::GetFocus(), form->Control("FileOpenPanel"));
  ASSERT_EQ(dialogs.requests.size(), 2u);
  EXPECT_EQ(dialogs.requests[1].kind, FileDialogKind::kOpen);
  EXPECT_EQ(dialogs.requests[1].options, 0x800u | 0x1000u);
  EXPECT_EQ(dialogs.requests[1].filter,
            LocalText("テキストファイル(*.TXT,*.CSV)|*.TXT;*.CSV|"
                      "すべてのファイル(*.*)|*.*"));
  EXPECT_EQ(WindowTextOf(form->Control("FileOpenEdit")), "C:\\in.txt");
  // The focus coming back from elsewhere is no tab move.
  ::SetFocus(form->Control("FileOpenEdit"));
  ::SetFocus(form->Control("FileOpenPanel"));
  Pump();
  EXPECT_EQ(dialogs.requests.size(), 2u);
  // The save panel opens nothing on Tab.
  ::SetFocus(form->Control("FileSaveCheckBox"));
  PressKey(VK_TAB);
  EXPECT_EQ(::GetFocus(), form->Control("FileSavePanel"));
  EXPECT_EQ(dialogs.requests.size(), 2u);
}

// A drop as the shell makes it: a global DROPFILES block with the point
// and the names, each ended by a NUL, the list by one more.
HGLOBAL MakeDrop(const std::vector<std::string>& names, POINT point) {
  std::string list;
  for (const std::string& name : names) list += name + '\0';
  list += '\0';
  const HGLOBAL block = ::GlobalAlloc(GHND, sizeof(DROPFILES) + list.size());
  auto* drop = static_cast<DROPFILES*>(::GlobalLock(block));
  drop->pFiles = sizeof(DROPFILES);
  drop->pt = point;
  drop->fNC = FALSE;
  drop->fWide = FALSE;
  std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(),
              list.size());
  ::GlobalUnlock(block);
  return block;
}
HGLOBAL MakeDrop(const std::string& name, POINT point) {
  return MakeDrop(std::vector<std::string>{name}, point);
}

TEST_F(MainFormWin32Test, ADropOverTheOutputGroupNamesTheOutputElseTheInput) {
  StartShown();
  EXPECT_NE(
      ::GetWindowLongPtrA(form->Window(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);
  // Over a check box inside the output group, then over the sort frame.
  ::SendMessageA(form->Window(), WM_DROPFILES,
                 reinterpret_cast<WPARAM>(MakeDrop("C:\\out.csv", {150, 205})),
                 0);
  EXPECT_TRUE(Checked(form->Control("FileSaveCheckBox")));
  EXPECT_FALSE(Checked(form->Control("ClipBoardCheckBox2")));
  EXPECT_EQ(WindowTextOf(form->Control("FileSaveEdit")), "C:\\out.csv");
  EXPECT_TRUE(Shown(form->Control("FileSavePanel")));
  EXPECT_EQ(::GetFocus(), form->Control("FileSaveEdit"));
  ::SendMessageA(form->Window(), WM_DROPFILES,
                 reinterpret_cast<WPARAM>(MakeDrop("C:\\in.csv", {20, 20})), 0);
  EXPECT_TRUE(Checked(form->Control("FileOpenCheckBox")));
  EXPECT_EQ(WindowTextOf(form->Control("FileOpenEdit")), "C:\\in.csv");
  EXPECT_EQ(WindowTextOf(form->Control("FileSaveEdit")), "C:\\out.csv");
}

// Of three files only the first counts; a name longer than 255 bytes is
// taken whole, as a cut one would name another file.
TEST_F(MainFormWin32Test, ADropTakesTheWholeNameOfItsFirstFileOnly) {
  StartShown();
  const std::string long_name = "C:\\" + std::string(300, 'n') + ".csv";
  ::SendMessageA(
      form->Window(), WM_DROPFILES,
      reinterpret_cast<WPARAM>(MakeDrop(
          {"C:\\first.csv", "C:\\second.csv", "C:\\third.csv"}, {20, 20})),
      0);
  EXPECT_EQ(WindowTextOf(form->Control("FileOpenEdit")), "C:\\first.csv");
  ::SendMessageA(form->Window(), WM_DROPFILES,
                 reinterpret_cast<WPARAM>(MakeDrop(long_name, {150, 205})), 0);
  EXPECT_EQ(WindowTextOf(form->Control("FileSaveEdit")), long_name);
  EXPECT_EQ(WindowTextOf(form->Control("FileOpenEdit")), "C:\\first.csv");
}

TEST_F(MainFormWin32Test, TheSpinControlsStepTheKeyPositionAndEachOther) {
  StartShown();
  ::SetFocus(form->Control("PageControl1"));
  PressKey(VK_RIGHT);
  ::SetFocus(form->Control("SortPosEdit"));
  // Up in the edit steps UpDown1 by ten; UpDown2 follows the number.
  PressKey(VK_UP);
  EXPECT_EQ(WindowTextOf(form->Control("SortPosEdit")), "11");
  EXPECT_EQ(::SendMessageA(form->Control("UpDown2"), UDM_GETPOS32, 0, 0), 11);
  // UpDown2's upper arrow steps by one and writes the edit.
  ClickAt(form->Control("UpDown2"), 8, 4);
  EXPECT_EQ(WindowTextOf(form->Control("SortPosEdit")), "12");
  EXPECT_EQ(::SendMessageA(form->Control("SortPosEdit"), EM_GETMODIFY, 0, 0),
            0);
  // Plain digits from 1000 on, and no step past the end.
  ::SetWindowTextA(form->Control("SortPosEdit"), "1020");
  PressKey(VK_UP);
  EXPECT_EQ(WindowTextOf(form->Control("SortPosEdit")), "1024");
  ::SendMessageA(form->Control("UpDown2"), UDM_SETPOS32, 0, 7);
  PressKey(VK_UP);
  EXPECT_EQ(::SendMessageA(form->Control("UpDown2"), UDM_GETPOS32, 0, 0), 7);
  // A number beyond the range counts as the nearer end.
  ::SetWindowTextA(form->Control("SortPosEdit"), "3000");
  PressKey(VK_DOWN);
  EXPECT_EQ(WindowTextOf(form->Control("SortPosEdit")), "1014");
}

TEST_F(MainFormWin32Test, ABatchRunHappensAtCreationWithoutTheWindow) {
  Start({"-a+", "-f", "in.txt", "-2nf"});
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].quiet, 1);
  EXPECT_EQ(runs[0].key_pos, 1);
  EXPECT_EQ(runs[0].key_kind, 6);
  EXPECT_TRUE(form->BatchDelivered());
  EXPECT_FALSE(application.ShowMainForm());
  EXPECT_TRUE(application.Terminated());
  EXPECT_FALSE(::IsWindowVisible(form->Window()));
}

// While a run is on: both hourglasses, the status line says so, a second
// run and a close are held off, and the close happens after.
TEST_F(MainFormWin32Test, DuringARunTheWindowWaitsAndClosesAfter) {
  StartShown();
  const HCURSOR wait = ::LoadCursorA(nullptr, IDC_WAIT);
  during = [&] {
    EXPECT_TRUE(Win32Application::WaitCursorShown());
    EXPECT_TRUE(
        ::SendMessageA(form->Window(), WM_SETCURSOR,
                       reinterpret_cast<WPARAM>(form->Control("OKButton")),
                       MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(::GetCursor(), wait);
    EXPECT_EQ(Win32StatusControl(form->Control("StatusLine")).Text(),
              LocalText("ソート実行中！"));
    ::SendMessageA(form->Control("OKButton"), BM_CLICK, 0, 0);
    ::SendMessageA(form->Window(), WM_CLOSE, 0, 0);
    EXPECT_NE(form->Window(), nullptr);
  };
  ::SendMessageA(form->Control("OKButton"), BM_CLICK, 0, 0);
  EXPECT_EQ(runs.size(), 1u);
  EXPECT_FALSE(Win32Application::WaitCursorShown());
  ASSERT_NE(form->Window(), nullptr);
  EXPECT_EQ(Win32StatusControl(form->Control("StatusLine")).Text(),
            LocalText("テキストソートユーティリティ"));
  Pump();
  EXPECT_EQ(form->Window(), nullptr);
}

// An exception that escapes a handler is shown in the application's box,
// and the window goes on: the next click runs again.
TEST_F(MainFormWin32Test,
       AnExceptionInAHandlerGetsTheTarnelBoxAndTheWindowGoesOn) {
  StartShown();
  during = [] { throw std::runtime_error("Disk gone"); };
  ::SendMessageA(form->Control("OKButton"), BM_CLICK, 0, 0);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0],
            (RecordedBox{application.Handle(), "Disk gone.", "TARNEL",
                         kBoxIconError | kBoxTaskModal}));
  ASSERT_NE(form->Window(), nullptr);
  EXPECT_FALSE(form->Running());
  during = nullptr;
  ::SendMessageA(form->Control("OKButton"), BM_CLICK, 0, 0);
  EXPECT_EQ(runs.size(), 2u);
  EXPECT_EQ(boxes.boxes.size(), 1u);
}

TEST_F(MainFormWin32Test, HelpAboutShowsTheBoxModelessWithTheVersion) {
  StartShown();
  Win32AboutBox about(static_cast<HWND>(application.Handle()));
  form->SetAboutBox(&about);
  EXPECT_FALSE(about.IsVisible());
  ::SendMessageA(form->Window(), WM_COMMAND,
                 static_cast<WPARAM>(form->MenuItemId("HelpAboutItem")), 0);
  Pump();
  EXPECT_TRUE(::IsWindowVisible(about.Window));
  EXPECT_EQ(WindowTextOf(about.Version), "Version1.34");
  EXPECT_TRUE(::IsWindowEnabled(form->Window()));
  EXPECT_EQ(::GetFocus(), about.OKButton);
  PressKey(VK_ESCAPE);
  EXPECT_TRUE(::IsWindowVisible(about.Window));
  PressKey(VK_RETURN);
  EXPECT_FALSE(::IsWindowVisible(about.Window));
}

}  // namespace
}  // namespace tarnel
