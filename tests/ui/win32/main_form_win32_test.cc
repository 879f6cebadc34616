// The Windows window itself: its controls read back through the system
// (rectangles, states, texts, styles) against the layout table, and driven
// with the messages the system sends for the user's clicks, keys, drops and
// spin-control steps. Runs are recorded, not made.
#include "ui/win32/main_form_win32.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <functional>
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
    ::SetActiveWindow(form->Window);
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

struct Placed {
  const char* name;
  HWND Win32MainForm::*control;
  HWND Win32MainForm::*parent;  ///< null: the window itself
  RECT place;
  const char* window_class;
  const char* caption;  ///< UTF-8; null where the control shows none
  bool shown;
  int checked;  ///< -1 where the control has no check
};

// The layout table: client pixels, in each control's parent.
const Placed kLayout[] = {
    {"StatusLine",
     &Win32MainForm::StatusLine,
     nullptr,
     {0, 291, 426, 314},
     "msctls_statusbar32",
     nullptr,
     true,
     -1},
    {"SortMenu",
     &Win32MainForm::SortMenu,
     nullptr,
     {16, 8, 185, 97},
     "Button",
     "ソート順指定",
     true,
     -1},
    {"Sort_F_RadioButton",
     &Win32MainForm::Sort_F_RadioButton,
     nullptr,
     {32, 32, 145, 49},
     "Button",
     "昇順ソート",
     true,
     1},
    {"Sort_R_RadioButton",
     &Win32MainForm::Sort_R_RadioButton,
     nullptr,
     {32, 64, 153, 81},
     "Button",
     "降順ソート",
     true,
     0},
    {"PageControl1",
     &Win32MainForm::PageControl1,
     nullptr,
     {208, 8, 409, 97},
     "SysTabControl32",
     nullptr,
     true,
     -1},
    {"InputGroupBox",
     &Win32MainForm::InputGroupBox,
     nullptr,
     {16, 104, 409, 177},
     "Button",
     "ソート対象",
     true,
     -1},
    {"ClipBoardCheckBox1",
     &Win32MainForm::ClipBoardCheckBox1,
     &Win32MainForm::InputGroupBox,
     {16, 16, 113, 33},
     "Button",
     "クリップボード",
     true,
     1},
    {"FileOpenCheckBox",
     &Win32MainForm::FileOpenCheckBox,
     &Win32MainForm::InputGroupBox,
     {128, 16, 185, 33},
     "Button",
     "ファイル",
     true,
     0},
    {"FileOpenPanel",
     &Win32MainForm::FileOpenPanel,
     &Win32MainForm::InputGroupBox,
     {344, 40, 385, 57},
     "TPanel",
     "参照",
     false,
     -1},
    {"FileOpenEdit",
     &Win32MainForm::FileOpenEdit,
     &Win32MainForm::InputGroupBox,
     {16, 40, 337, 60},
     "Edit",
     "",
     false,
     -1},
    {"OutputGroupBox",
     &Win32MainForm::OutputGroupBox,
     nullptr,
     {16, 184, 409, 257},
     "Button",
     "ソート結果の保存先",
     true,
     -1},
    {"ClipBoardCheckBox2",
     &Win32MainForm::ClipBoardCheckBox2,
     &Win32MainForm::OutputGroupBox,
     {16, 16, 113, 33},
     "Button",
     "クリップボード",
     true,
     1},
    {"FileSaveCheckBox",
     &Win32MainForm::FileSaveCheckBox,
     &Win32MainForm::OutputGroupBox,
     {128, 16, 185, 33},
     "Button",
     "ファイル",
     true,
     0},
    {"FileSavePanel",
     &Win32MainForm::FileSavePanel,
     &Win32MainForm::OutputGroupBox,
     {344, 40, 385, 57},
     "TPanel",
     "参照",
     false,
     -1},
    {"FileSaveEdit",
     &Win32MainForm::FileSaveEdit,
     &Win32MainForm::OutputGroupBox,
     {16, 40, 337, 60},
     "Edit",
     "",
     false,
     -1},
    {"OKButton",
     &Win32MainForm::OKButton,
     nullptr,
     {112, 264, 187, 289},
     "Button",
     "実行",
     true,
     -1},
    {"CancelButton",
     &Win32MainForm::CancelButton,
     nullptr,
     {232, 264, 307, 289},
     "Button",
     "閉じる",
     true,
     -1},
    {"NotCaseSensitiveCheckBox",
     &Win32MainForm::NotCaseSensitiveCheckBox,
     &Win32MainForm::TabSheet1,
     {8, 8, 153, 25},
     "Button",
     "英大文字小文字同一視",
     true,
     0},
    {"UniqCheckBox",
     &Win32MainForm::UniqCheckBox,
     &Win32MainForm::TabSheet1,
     {8, 32, 105, 49},
     "Button",
     "重複行削除",
     true,
     0},
    {"SortPosEdit",
     &Win32MainForm::SortPosEdit,
     &Win32MainForm::TabSheet2,
     {16, 8, 57, 28},
     "Edit",
     "1",
     true,
     -1},
    {"UpDown1",
     &Win32MainForm::UpDown1,
     &Win32MainForm::TabSheet2,
     {57, 8, 72, 28},
     "msctls_updown32",
     nullptr,
     true,
     -1},
    {"UpDown2",
     &Win32MainForm::UpDown2,
     &Win32MainForm::TabSheet2,
     {72, 8, 88, 28},
     "msctls_updown32",
     nullptr,
     true,
     -1},
    {"ColumCheckBox",
     &Win32MainForm::ColumCheckBox,
     &Win32MainForm::TabSheet2,
     {16, 40, 97, 57},
     "Button",
     "バイト（桁）",
     true,
     1},
    {"FieldCheckBox",
     &Win32MainForm::FieldCheckBox,
     &Win32MainForm::TabSheet2,
     {104, 40, 177, 57},
     "Button",
     "フィールド",
     true,
     0},
    {"StringCompCheckBox",
     &Win32MainForm::StringCompCheckBox,
     &Win32MainForm::TabSheet2,
     {96, 0, 193, 17},
     "Button",
     "文字列",
     true,
     1},
    {"NumCompCheckBox",
     &Win32MainForm::NumCompCheckBox,
     &Win32MainForm::TabSheet2,
     {96, 16, 193, 33},
     "Button",
     "数値",
     true,
     0},
};

TEST_F(MainFormWin32Test, EveryControlStandsAsTheLayoutTableGivesIt) {
  Start();
  for (const Placed& row : kLayout) {
    SCOPED_TRACE(row.name);
    const HWND control = (*form).*row.control;
    ASSERT_NE(control, nullptr);
    const HWND parent = row.parent ? (*form).*row.parent : form->Window;
    EXPECT_EQ(::GetParent(control), parent);
    const RECT place = PlaceIn(control, parent);
    EXPECT_EQ(place.left, row.place.left);
    EXPECT_EQ(place.top, row.place.top);
    EXPECT_EQ(place.right, row.place.right);
    EXPECT_EQ(place.bottom, row.place.bottom);
    EXPECT_EQ(::lstrcmpiA(ClassOf(control).c_str(), row.window_class), 0)
        << ClassOf(control);
    if (row.caption) {
      EXPECT_EQ(WindowTextOf(control), LocalText(row.caption));
    }
    EXPECT_EQ(Shown(control), row.shown);
    if (row.checked >= 0) {
      EXPECT_EQ(Checked(control), row.checked == 1);
    }
    // One font throughout (the spin controls show no text).
    if (row.caption) {
      EXPECT_EQ(
          reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0)),
          TarnelFontHandle());
    }
  }
}

TEST_F(MainFormWin32Test, TheWindowIsFixedCentredAndDressedAsOnWindows) {
  StartShown();
  EXPECT_EQ(ClassOf(form->Window), "TTarnelMainForm");
  EXPECT_EQ(WindowTextOf(form->Window), "TARNEL");
  RECT client;
  ::GetClientRect(form->Window, &client);
  EXPECT_EQ(client.right, 426);
  EXPECT_EQ(client.bottom, 314);
  const LONG_PTR style = Style(form->Window);
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);
  EXPECT_EQ(style & (WS_SYSMENU | WS_MINIMIZEBOX | WS_CAPTION),
            WS_SYSMENU | WS_MINIMIZEBOX | WS_CAPTION);
  RECT frame;
  ::GetWindowRect(form->Window, &frame);
  EXPECT_NEAR((frame.left + frame.right) / 2,
              ::GetSystemMetrics(SM_CXSCREEN) / 2, 1);
  EXPECT_NEAR((frame.top + frame.bottom) / 2,
              ::GetSystemMetrics(SM_CYSCREEN) / 2, 1);
  EXPECT_EQ(::GetClassLongPtrA(form->Window, GCLP_HBRBACKGROUND),
            COLOR_BTNFACE + 1);
  EXPECT_NE(::GetClassLongPtrA(form->Window, GCLP_HICON), 0);
  LOGFONTA font{};
  ::GetObjectA(TarnelFontHandle(), sizeof font, &font);
  EXPECT_EQ(font.lfHeight, -12);
  EXPECT_EQ(font.lfCharSet, SHIFTJIS_CHARSET);
  EXPECT_EQ(std::string(font.lfFaceName), LocalText("ＭＳ Ｐゴシック"));
  // The status line in simple mode, the pages' captions, the default button.
  EXPECT_TRUE(::SendMessageA(form->StatusLine, SB_ISSIMPLE, 0, 0));
  EXPECT_EQ(::SendMessageA(form->PageControl1, TCM_GETITEMCOUNT, 0, 0), 2);
  EXPECT_EQ(::SendMessageA(form->PageControl1, TCM_GETCURSEL, 0, 0), 0);
  EXPECT_TRUE(Shown(form->TabSheet1));
  EXPECT_FALSE(Shown(form->TabSheet2));
  EXPECT_EQ(Style(form->OKButton) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  EXPECT_EQ(::SendMessageA(form->SortPosEdit, EM_GETLIMITTEXT, 0, 0), 5);
  // The first tab stop has the focus.
  EXPECT_EQ(::GetFocus(), form->Sort_F_RadioButton);
}

// The status line's text reads back whole, however many bytes its
// characters take: the run puts the text it found back after the run.
TEST_F(MainFormWin32Test, TheStatusLineGivesBackEveryByteOfItsText) {
  Start();
  Win32StatusControl status(form->StatusLine);
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
  ASSERT_EQ(::GetMenuItemCount(form->MainMenu), 2);
  EXPECT_EQ(item(form->MainMenu, 0), "&File");
  EXPECT_EQ(item(form->MainMenu, 1), "&Help");
  std::vector<std::string> file, help;
  for (int i = 0; i < ::GetMenuItemCount(form->FileMenu); ++i) {
    file.push_back(item(form->FileMenu, static_cast<UINT>(i)));
  }
  for (int i = 0; i < ::GetMenuItemCount(form->HelpMenu); ++i) {
    help.push_back(item(form->HelpMenu, static_cast<UINT>(i)));
  }
  EXPECT_EQ(file, (std::vector<std::string>{"&Open", "-", "e&Xit"}));
  EXPECT_EQ(help,
            (std::vector<std::string>{"&Contents", "&Search", "-", "&About"}));
  // Contents and Search send the help engine its two commands.
  RecordingHelpEngine help_engine;
  ::SendMessageA(form->Window, WM_COMMAND, Win32MainForm::kHelpContentsItem, 0);
  ::SendMessageA(form->Window, WM_COMMAND, Win32MainForm::kHelpSearchItem, 0);
  ASSERT_EQ(help_engine.commands.size(), 2u);
  EXPECT_EQ(help_engine.commands[0],
            (RecordedHelpCommand{form->Window, "Tarnel.hlp", 3, ""}));
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
  EXPECT_EQ(walk(10),
            (std::vector<HWND>{form->Sort_F_RadioButton, form->PageControl1,
                               form->NotCaseSensitiveCheckBox,
                               form->UniqCheckBox, form->ClipBoardCheckBox1,
                               form->FileOpenCheckBox, form->ClipBoardCheckBox2,
                               form->FileSaveCheckBox, form->OKButton,
                               form->CancelButton, form->Sort_F_RadioButton}));

  ::SendMessageA(form->Sort_R_RadioButton, BM_CLICK, 0, 0);
  ::SendMessageA(form->FileSaveCheckBox, BM_CLICK, 0, 0);
  ::SetFocus(form->PageControl1);
  PressKey(VK_RIGHT);  // the tab control's own key: the second page
  EXPECT_TRUE(Shown(form->TabSheet2));
  EXPECT_FALSE(Shown(form->TabSheet1));
  ::SetFocus(form->CancelButton);
  EXPECT_EQ(walk(11), (std::vector<HWND>{
                          form->CancelButton, form->Sort_R_RadioButton,
                          form->PageControl1, form->SortPosEdit,
                          form->ColumCheckBox, form->FieldCheckBox,
                          form->StringCompCheckBox, form->NumCompCheckBox,
                          form->ClipBoardCheckBox1, form->FileOpenCheckBox,
                          form->ClipBoardCheckBox2, form->FileSaveCheckBox}));
  PressKey(VK_TAB);
  EXPECT_EQ(::GetFocus(), form->FileSavePanel);
  PressKey(VK_TAB);
  EXPECT_EQ(::GetFocus(), form->FileSaveEdit);
  // Shift+Tab goes back.
  BYTE keys[256] = {};
  ::GetKeyboardState(keys);
  keys[VK_SHIFT] = 0x80;
  ::SetKeyboardState(keys);
  PressKey(VK_TAB);
  keys[VK_SHIFT] = 0;
  ::SetKeyboardState(keys);
  EXPECT_EQ(::GetFocus(), form->FileSavePanel);
}

TEST_F(MainFormWin32Test, EnterPressesRunUnlessTheOtherButtonHasTheFocus) {
  StartShown();
  ::SetFocus(form->NotCaseSensitiveCheckBox);
  PressKey(VK_RETURN);
  EXPECT_EQ(runs.size(), 1u);
  ::SetFocus(form->OKButton);
  PressKey(VK_RETURN);
  EXPECT_EQ(runs.size(), 2u);
  ::SetFocus(form->CancelButton);
  EXPECT_EQ(Style(form->CancelButton) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  EXPECT_EQ(Style(form->OKButton) & BS_TYPEMASK, BS_PUSHBUTTON);
  ::SetFocus(form->UniqCheckBox);
  EXPECT_EQ(Style(form->OKButton) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  ::SetFocus(form->CancelButton);
  PressKey(VK_RETURN);
  EXPECT_EQ(runs.size(), 2u);
  EXPECT_EQ(form->Window, nullptr);  // 閉じる closed it
}

TEST_F(MainFormWin32Test, EscapeClosesOnlyWhenTheWindowItselfHasTheFocus) {
  StartShown();
  ::SetFocus(form->UniqCheckBox);
  PressKey(VK_ESCAPE);
  ASSERT_NE(form->Window, nullptr);
  ::SetFocus(form->Window);
  PressKey(VK_ESCAPE);
  EXPECT_EQ(form->Window, nullptr);
}

TEST_F(MainFormWin32Test, ClicksCoupleTheBoxesAndShowTheFileSide) {
  StartShown();
  ::SendMessageA(form->FileOpenCheckBox, BM_CLICK, 0, 0);
  EXPECT_FALSE(Checked(form->ClipBoardCheckBox1));
  EXPECT_TRUE(Shown(form->FileOpenEdit));
  EXPECT_TRUE(Shown(form->FileOpenPanel));
  EXPECT_EQ(::GetFocus(), form->FileOpenEdit);
  ::SendMessageA(form->ClipBoardCheckBox1, BM_CLICK, 0, 0);
  EXPECT_FALSE(Checked(form->FileOpenCheckBox));
  EXPECT_FALSE(Shown(form->FileOpenEdit));
  // A radio click clears its partner, which hands over its tab stop.
  ::SendMessageA(form->Sort_R_RadioButton, BM_CLICK, 0, 0);
  EXPECT_FALSE(Checked(form->Sort_F_RadioButton));
  EXPECT_EQ(Style(form->Sort_F_RadioButton) & WS_TABSTOP, 0);
  EXPECT_NE(Style(form->Sort_R_RadioButton) & WS_TABSTOP, 0);
  // A click anywhere on a check box's rectangle, its caption's end too.
  ClickAt(form->NumCompCheckBox, 90, 8);
  EXPECT_TRUE(Checked(form->NumCompCheckBox));
  EXPECT_FALSE(Checked(form->StringCompCheckBox));
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
  ::SendMessageA(form->FileSaveCheckBox, BM_CLICK, 0, 0);
  ClickAt(form->FileSavePanel, 20, 8);
  ASSERT_EQ(dialogs.requests.size(), 1u);
  EXPECT_EQ(dialogs.requests[0].kind, FileDialogKind::kSave);
  EXPECT_EQ(dialogs.requests[0].options, 0x2u | 0x4u | 0x800u | 0x8000u);
  EXPECT_EQ(dialogs.owners[0], form->Window);
  EXPECT_EQ(WindowTextOf(form->FileSaveEdit), "C:\\out.txt");
  // A click leaves the focus where it was.
  EXPECT_NE(::GetFocus(), form->FileSavePanel);

  ::SendMessageA(form->FileOpenCheckBox, BM_CLICK, 0, 0);
  ::SetFocus(form->FileOpenCheckBox);
  PressKey(VK_TAB);
  EXPECT_EQ(::GetFocus(), form->FileOpenPanel);
  ASSERT_EQ(dialogs.requests.size(), 2u);
  EXPECT_EQ(dialogs.requests[1].kind, FileDialogKind::kOpen);
  EXPECT_EQ(dialogs.requests[1].options, 0x800u | 0x1000u);
  EXPECT_EQ(dialogs.requests[1].filter,
            LocalText("テキストファイル(*.TXT,*.CSV)|*.TXT;*.CSV|"
                      "すべてのファイル(*.*)|*.*"));
  EXPECT_EQ(WindowTextOf(form->FileOpenEdit), "C:\\in.txt");
  // The focus coming back from elsewhere is no tab move.
  ::SetFocus(form->FileOpenEdit);
  ::SetFocus(form->FileOpenPanel);
  Pump();
  EXPECT_EQ(dialogs.requests.size(), 2u);
  // The save panel opens nothing on Tab.
  ::SetFocus(form->FileSaveCheckBox);
  PressKey(VK_TAB);
  EXPECT_EQ(::GetFocus(), form->FileSavePanel);
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
  EXPECT_NE(::GetWindowLongPtrA(form->Window, GWL_EXSTYLE) & WS_EX_ACCEPTFILES,
            0);
  // Over a check box inside the output group, then over the sort frame.
  ::SendMessageA(form->Window, WM_DROPFILES,
                 reinterpret_cast<WPARAM>(MakeDrop("C:\\out.csv", {150, 205})),
                 0);
  EXPECT_TRUE(Checked(form->FileSaveCheckBox));
  EXPECT_FALSE(Checked(form->ClipBoardCheckBox2));
  EXPECT_EQ(WindowTextOf(form->FileSaveEdit), "C:\\out.csv");
  EXPECT_TRUE(Shown(form->FileSavePanel));
  EXPECT_EQ(::GetFocus(), form->FileSaveEdit);
  ::SendMessageA(form->Window, WM_DROPFILES,
                 reinterpret_cast<WPARAM>(MakeDrop("C:\\in.csv", {20, 20})), 0);
  EXPECT_TRUE(Checked(form->FileOpenCheckBox));
  EXPECT_EQ(WindowTextOf(form->FileOpenEdit), "C:\\in.csv");
  EXPECT_EQ(WindowTextOf(form->FileSaveEdit), "C:\\out.csv");
}

// Of three files only the first counts; a name longer than 255 bytes is
// taken whole, as a cut one would name another file.
TEST_F(MainFormWin32Test, ADropTakesTheWholeNameOfItsFirstFileOnly) {
  StartShown();
  const std::string long_name = "C:\\" + std::string(300, 'n') + ".csv";
  ::SendMessageA(
      form->Window, WM_DROPFILES,
      reinterpret_cast<WPARAM>(MakeDrop(
          {"C:\\first.csv", "C:\\second.csv", "C:\\third.csv"}, {20, 20})),
      0);
  EXPECT_EQ(WindowTextOf(form->FileOpenEdit), "C:\\first.csv");
  ::SendMessageA(form->Window, WM_DROPFILES,
                 reinterpret_cast<WPARAM>(MakeDrop(long_name, {150, 205})), 0);
  EXPECT_EQ(WindowTextOf(form->FileSaveEdit), long_name);
  EXPECT_EQ(WindowTextOf(form->FileOpenEdit), "C:\\first.csv");
}

TEST_F(MainFormWin32Test, TheSpinControlsStepTheKeyPositionAndEachOther) {
  StartShown();
  ::SetFocus(form->PageControl1);
  PressKey(VK_RIGHT);
  ::SetFocus(form->SortPosEdit);
  // Up in the edit steps UpDown1 by ten; UpDown2 follows the number.
  PressKey(VK_UP);
  EXPECT_EQ(WindowTextOf(form->SortPosEdit), "11");
  EXPECT_EQ(::SendMessageA(form->UpDown2, UDM_GETPOS32, 0, 0), 11);
  // UpDown2's upper arrow steps by one and writes the edit.
  ClickAt(form->UpDown2, 8, 4);
  EXPECT_EQ(WindowTextOf(form->SortPosEdit), "12");
  EXPECT_EQ(::SendMessageA(form->SortPosEdit, EM_GETMODIFY, 0, 0), 0);
  // Plain digits from 1000 on, and no step past the end.
  ::SetWindowTextA(form->SortPosEdit, "1020");
  PressKey(VK_UP);
  EXPECT_EQ(WindowTextOf(form->SortPosEdit), "1024");
  ::SendMessageA(form->UpDown2, UDM_SETPOS32, 0, 7);
  PressKey(VK_UP);
  EXPECT_EQ(::SendMessageA(form->UpDown2, UDM_GETPOS32, 0, 0), 7);
  // A number beyond the range counts as the nearer end.
  ::SetWindowTextA(form->SortPosEdit, "3000");
  PressKey(VK_DOWN);
  EXPECT_EQ(WindowTextOf(form->SortPosEdit), "1014");
}

TEST_F(MainFormWin32Test, TypingIntoTheKeyPositionIsFilteredAndLimited) {
  StartShown();
  ::SetFocus(form->PageControl1);
  PressKey(VK_RIGHT);
  ::SetFocus(form->SortPosEdit);
  ::SendMessageA(form->SortPosEdit, EM_SETSEL, 0, -1);
  for (const char c : std::string("123456")) {
    ::SendMessageA(form->SortPosEdit, WM_CHAR, static_cast<WPARAM>(c), 1);
  }
  EXPECT_EQ(WindowTextOf(form->SortPosEdit), "12345");
  EXPECT_EQ(::SendMessageA(form->UpDown2, UDM_GETPOS32, 0, 0), 1024);
  const std::size_t before = boxes.boxes.size();
  ::SendMessageA(form->SortPosEdit, WM_CHAR, 'a', 1);  // no room: refused
  EXPECT_EQ(WindowTextOf(form->SortPosEdit), "12345");
  EXPECT_EQ(boxes.boxes.size(), before);
  // A letter is shown, refused with a box and taken out again.
  ::SendMessageA(form->SortPosEdit, EM_SETSEL, 1, 1);
  ::SendMessageA(form->SortPosEdit, WM_KEYDOWN, VK_DELETE, 1);
  ::SendMessageA(form->SortPosEdit, WM_CHAR, 'x', 1);
  EXPECT_EQ(WindowTextOf(form->SortPosEdit), "1345");
  ASSERT_EQ(boxes.boxes.size(), before + 3);
  EXPECT_EQ(boxes.boxes[before + 1].text, "1x345");
  EXPECT_EQ(boxes.boxes[before + 1].caption, "SortPosEdit->Text");
  EXPECT_EQ(boxes.boxes[before + 1].flags, kBoxPlain | kBoxTaskModal);
  EXPECT_EQ(boxes.boxes[before + 2].text, LocalText("数値を入力してください"));
  // UpDown2 keeps to its range; a number inside it is taken as it is.
  EXPECT_EQ(::SendMessageA(form->UpDown2, UDM_GETPOS32, 0, 0), 1024);
  ::SendMessageA(form->SortPosEdit, EM_SETSEL, 0, -1);
  ::SendMessageA(form->SortPosEdit, WM_CHAR, '7', 1);
  EXPECT_EQ(WindowTextOf(form->SortPosEdit), "7");
  EXPECT_EQ(::SendMessageA(form->UpDown2, UDM_GETPOS32, 0, 0), 7);
}

TEST_F(MainFormWin32Test, TheCommandLineSetsTheControlsAndALongerPosition) {
  Start({"-r", "-I", "-u", "-f", "in.txt", "-o", "out.txt", "-123456nf"});
  EXPECT_TRUE(Checked(form->Sort_R_RadioButton));
  EXPECT_FALSE(Checked(form->Sort_F_RadioButton));
  EXPECT_TRUE(Checked(form->NotCaseSensitiveCheckBox));
  EXPECT_TRUE(Checked(form->UniqCheckBox));
  EXPECT_EQ(WindowTextOf(form->FileOpenEdit), "in.txt");
  EXPECT_TRUE(Shown(form->FileOpenEdit));
  EXPECT_EQ(WindowTextOf(form->FileSaveEdit), "out.txt");
  EXPECT_EQ(WindowTextOf(form->SortPosEdit), "123456");
  EXPECT_TRUE(Checked(form->NumCompCheckBox));
  EXPECT_TRUE(Checked(form->FieldCheckBox));
  EXPECT_FALSE(::IsWindowVisible(form->Window));
  EXPECT_TRUE(runs.empty());
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
  EXPECT_FALSE(::IsWindowVisible(form->Window));
}

// While a run is on: both hourglasses, the status line says so, a second
// run and a close are held off, and the close happens after.
TEST_F(MainFormWin32Test, DuringARunTheWindowWaitsAndClosesAfter) {
  StartShown();
  const HCURSOR wait = ::LoadCursorA(nullptr, IDC_WAIT);
  during = [&] {
    EXPECT_TRUE(Win32Application::WaitCursorShown());
    EXPECT_TRUE(::SendMessageA(form->Window, WM_SETCURSOR,
                               reinterpret_cast<WPARAM>(form->OKButton),
                               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(::GetCursor(), wait);
    EXPECT_EQ(Win32StatusControl(form->StatusLine).Text(),
              LocalText("ソート実行中！"));
    ::SendMessageA(form->OKButton, BM_CLICK, 0, 0);
    ::SendMessageA(form->Window, WM_CLOSE, 0, 0);
    EXPECT_NE(form->Window, nullptr);
  };
  ::SendMessageA(form->OKButton, BM_CLICK, 0, 0);
  EXPECT_EQ(runs.size(), 1u);
  EXPECT_FALSE(Win32Application::WaitCursorShown());
  ASSERT_NE(form->Window, nullptr);
  EXPECT_EQ(Win32StatusControl(form->StatusLine).Text(),
            LocalText("テキストソートユーティリティ"));
  Pump();
  EXPECT_EQ(form->Window, nullptr);
}

// An exception that escapes a handler is shown in the application's box,
// and the window goes on: the next click runs again.
TEST_F(MainFormWin32Test,
       AnExceptionInAHandlerGetsTheTarnelBoxAndTheWindowGoesOn) {
  StartShown();
  during = [] { throw std::runtime_error("Disk gone"); };
  ::SendMessageA(form->OKButton, BM_CLICK, 0, 0);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0],
            (RecordedBox{application.Handle(), "Disk gone.", "TARNEL",
                         kBoxIconError | kBoxTaskModal}));
  ASSERT_NE(form->Window, nullptr);
  EXPECT_FALSE(form->Running());
  during = nullptr;
  ::SendMessageA(form->OKButton, BM_CLICK, 0, 0);
  EXPECT_EQ(runs.size(), 2u);
  EXPECT_EQ(boxes.boxes.size(), 1u);
}

TEST_F(MainFormWin32Test, HelpAboutShowsTheBoxModelessWithTheVersion) {
  StartShown();
  Win32AboutBox about(static_cast<HWND>(application.Handle()));
  form->SetAboutBox(&about);
  EXPECT_FALSE(about.IsVisible());
  ::SendMessageA(form->Window, WM_COMMAND, Win32MainForm::kHelpAboutItem, 0);
  Pump();
  EXPECT_TRUE(::IsWindowVisible(about.Window));
  EXPECT_EQ(WindowTextOf(about.Version), "Version1.34");
  EXPECT_TRUE(::IsWindowEnabled(form->Window));
  EXPECT_EQ(::GetFocus(), about.OKButton);
  PressKey(VK_ESCAPE);
  EXPECT_TRUE(::IsWindowVisible(about.Window));
  PressKey(VK_RETURN);
  EXPECT_FALSE(::IsWindowVisible(about.Window));
}

}  // namespace
}  // namespace tarnel
