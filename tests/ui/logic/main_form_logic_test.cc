// The window's behaviour without a toolkit: the logic over controls in
// memory, on every platform. The Qt window's suites check the same
// behaviour through real widgets.
#include "ui/logic/main_form_logic.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/local_text.h"
#include "platform/testing/recording_help_engine.h"
#include "platform/testing/recording_message_boxes.h"
#include "platform/testing/scripted_file_dialogs.h"
#include "ui/headless/memory_controls.h"

namespace tarnel {
namespace {

// One run as the logic asked for it, with copies of its paths.
struct AskedRun {
  SortRequest request;
  std::optional<std::string> input;
  std::optional<std::string> output;
};

class MainFormLogicTest : public testing::Test {
 protected:
  void Start(std::vector<std::string> arguments = {}) {
    logic = std::make_unique<MainFormLogic>(
        c.controls, form, application, std::move(arguments),
        [this](const SortRequest& request) {
          AskedRun run{request, std::nullopt, std::nullopt};
          if (request.input_name) run.input = request.input_name;
          if (request.output_name) run.output = request.output_name;
          runs.push_back(run);
          if (during) during();
          return result;
        });
    logic->Connect();
    logic->FormCreate();
  }

  MemoryMainFormControls c;
  MemoryForm form;
  MemoryApplication application;
  RecordingMessageBoxes boxes;
  std::unique_ptr<MainFormLogic> logic;
  std::vector<AskedRun> runs;
  std::function<void()> during;
  std::int32_t result = 0;
};

// Each pair of boxes holds opposite states, whichever of the two changes,
// and every chain ends after one pass back and forth.
TEST_F(MainFormLogicTest, PairedBoxesFollowEachOther) {
  Start();
  struct Pair {
    MemoryCheck* first;
    MemoryCheck* second;
  };
  for (const Pair& pair : {Pair{&c.ClipBoardCheckBox1, &c.FileOpenCheckBox},
                           Pair{&c.ClipBoardCheckBox2, &c.FileSaveCheckBox},
                           Pair{&c.ColumCheckBox, &c.FieldCheckBox},
                           Pair{&c.StringCompCheckBox, &c.NumCompCheckBox}}) {
    for (MemoryCheck* changed : {pair.first, pair.second, pair.first}) {
      const int before = pair.first->changes + pair.second->changes;
      changed->Click();
      EXPECT_NE(pair.first->IsChecked(), pair.second->IsChecked());
      EXPECT_EQ(pair.first->changes + pair.second->changes, before + 2);
    }
  }
}

TEST_F(MainFormLogicTest, FileSideShowsItsPathAndPanelWhileChecked) {
  Start();
  c.FileOpenCheckBox.Click();
  EXPECT_FALSE(c.ClipBoardCheckBox1.IsChecked());
  EXPECT_TRUE(c.FileOpenEdit.visible);
  EXPECT_TRUE(c.FileOpenPanel.visible);
  // Only an active window hands its path edit the focus.
  EXPECT_EQ(c.FileOpenEdit.focus_count, 0);
  c.FileOpenCheckBox.Click();
  EXPECT_TRUE(c.ClipBoardCheckBox1.IsChecked());
  EXPECT_FALSE(c.FileOpenEdit.visible);
  EXPECT_FALSE(c.FileOpenPanel.visible);

  form.active = true;
  c.ClipBoardCheckBox2.Click();
  EXPECT_TRUE(c.FileSaveCheckBox.IsChecked());
  EXPECT_TRUE(c.FileSaveEdit.visible);
  EXPECT_TRUE(c.FileSavePanel.visible);
  EXPECT_EQ(c.FileSaveEdit.focus_count, 1);
}

// While a run, its boxes included, is in progress: the status line says
// so, both cursors are the hourglass, a second run and a close are refused,
// and the close happens once the run is over.
TEST_F(MainFormLogicTest, DuringARunASecondRunAndACloseAreHeldOff) {
  Start();
  during = [&] {
    EXPECT_EQ(c.StatusLine.text, LocalText("ソート実行中！"));
    EXPECT_TRUE(application.wait_cursor);
    EXPECT_TRUE(form.wait_cursor);
    EXPECT_TRUE(logic->Running());
    EXPECT_FALSE(logic->ExecuteSort());
    logic->OKButtonClick();
    EXPECT_FALSE(logic->CanClose());
  };
  logic->OKButtonClick();
  EXPECT_EQ(runs.size(), 1u);
  EXPECT_EQ(c.StatusLine.text, "テキストソートユーティリティ");
  EXPECT_FALSE(application.wait_cursor);
  EXPECT_FALSE(form.wait_cursor);
  EXPECT_EQ(form.later_closes, 1);
  EXPECT_TRUE(logic->CanClose());

  // Without a request during the run, nothing closes afterwards.
  during = nullptr;
  logic->OKButtonClick();
  EXPECT_EQ(runs.size(), 2u);
  EXPECT_EQ(form.later_closes, 1);
  EXPECT_EQ(form.closes, 0);
}

// A key that reaches the window while one of its boxes waits for OK, as a
// Return meant for the box can, starts no run: neither the Run button's
// handler nor ExecuteSort itself.
TEST_F(MainFormLogicTest, NoRunStartsWhileOneOfTheWindowsBoxesIsOpen) {
  Start();
  c.FileOpenCheckBox.Click();
  int tried = 0;
  boxes.on_show = [&](const RecordedBox&) {
    ++tried;
    logic->OKButtonClick();
    EXPECT_FALSE(logic->ExecuteSort());
  };
  c.SortPosEdit.Type("1x");            // the filter's boxes
  EXPECT_FALSE(logic->ExecuteSort());  // the missing input file's box
  EXPECT_EQ(tried, 3);
  EXPECT_TRUE(runs.empty());
  // Once the boxes are closed, the next request runs.
  boxes.on_show = nullptr;
  c.FileOpenEdit.Type("in.txt");
  EXPECT_TRUE(logic->ExecuteSort());
  EXPECT_EQ(runs.size(), 1u);
}

TEST_F(MainFormLogicTest, BatchRunHappensOnceDuringCreationAndEnds) {
  result = -1;
  Start({"-a+", "-f", "in.csv", "-o", "out.csv", "-2nf"});
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].request.key_pos, 1);
  EXPECT_EQ(runs[0].request.key_kind, 6);
  EXPECT_EQ(runs[0].request.quiet, 1);
  EXPECT_EQ(runs[0].input, "in.csv");
  EXPECT_FALSE(application.show_main_form);
  EXPECT_EQ(application.terminations, 1);
  EXPECT_FALSE(logic->BatchDelivered());
  EXPECT_EQ(logic->ExitStatus(), 1);
}

TEST_F(MainFormLogicTest, ExitStatusTellsWhetherTheBatchRunDelivered) {
  struct Row {
    std::vector<std::string> arguments;
    std::int32_t result;
    int status;
  };
  for (const Row& row : {Row{{"-a"}, 0, 0}, Row{{"-a+"}, -1, 1},
                         Row{{"-r"}, -1, 0}, Row{{}, 0, 0}}) {
    SCOPED_TRACE(row.arguments.empty() ? "" : row.arguments[0]);
    result = row.result;
    Start(row.arguments);
    EXPECT_EQ(logic->ExitStatus(), row.status);
  }
}

// Of the radio pair only the checked button is a tab stop, from the start
// and after every change, whoever made it.
TEST_F(MainFormLogicTest, OnlyTheCheckedRadioButtonIsATabStop) {
  Start();
  EXPECT_TRUE(c.Sort_F_RadioButton.tab_stop);
  EXPECT_FALSE(c.Sort_R_RadioButton.tab_stop);
  c.Sort_R_RadioButton.SetChecked(true);
  c.Sort_F_RadioButton.SetChecked(false);
  EXPECT_FALSE(c.Sort_F_RadioButton.tab_stop);
  EXPECT_TRUE(c.Sort_R_RadioButton.tab_stop);
}

// Tab onto the input browse panel opens the Open dialog once the focus
// change is over; focus that arrives otherwise, as when the dialog closes
// and gives it back, opens nothing.
TEST_F(MainFormLogicTest, TabOntoTheInputPanelOpensItsDialogAfterTheMove) {
  Start();
  ScriptedFileDialogs dialogs;
  dialogs.answers = {"/data/by-tab.txt"};
  logic->FileOpenPanelEnter(FocusCause::kOther);
  form.RunPending();
  EXPECT_TRUE(dialogs.requests.empty());
  logic->FileOpenPanelEnter(FocusCause::kTab);
  EXPECT_TRUE(dialogs.requests.empty());
  form.RunPending();
  ASSERT_EQ(dialogs.requests.size(), 1u);
  EXPECT_EQ(dialogs.requests[0].kind, FileDialogKind::kOpen);
  EXPECT_EQ(c.FileOpenEdit.Text(), "/data/by-tab.txt");
}

TEST_F(MainFormLogicTest, MenuCommandsReachTheirHandlers) {
  Start();
  RecordingHelpEngine help;
  ScriptedFileDialogs dialogs;
  dialogs.answers = {"/data/menu.txt"};
  for (const MenuDef& entry : MainMenuTable()) {
    logic->MenuItemClick(entry.command);
  }
  EXPECT_EQ(c.FileOpenEdit.Text(), "/data/menu.txt");
  EXPECT_TRUE(c.FileOpenCheckBox.IsChecked());
  EXPECT_EQ(form.closes, 1);
  ASSERT_EQ(help.commands.size(), 2u);
  EXPECT_EQ(help.commands[0].command, kHelpContents);
  EXPECT_EQ(help.commands[1].command, kHelpPartialKey);
}

TEST_F(MainFormLogicTest, SpinControlsMoveTheKeyPositionTogether) {
  Start();
  c.UpDown2.Step(+1);
  EXPECT_EQ(c.SortPosEdit.Text(), "2");
  EXPECT_TRUE(boxes.boxes.empty());
  // UpDown1 writes into its edit itself; UpDown2 then follows the edit.
  c.SortPosEdit.Load("31");
  c.UpDown1.Step(+10);
  EXPECT_EQ(c.UpDown2.Position(), 31);
  c.SortPosEdit.Load("1,001");
  c.UpDown1.Step(+10);
  EXPECT_EQ(c.UpDown2.Position(), 1);
}

TEST_F(MainFormLogicTest, DropOverTheOutputGroupNamesTheOutputFile) {
  Start();
  logic->WMDropFiles("/data/out.csv", DropTarget::kOutputGroup);
  EXPECT_EQ(c.FileSaveEdit.Text(), "/data/out.csv");
  EXPECT_TRUE(c.FileSaveCheckBox.IsChecked());
  EXPECT_FALSE(c.ClipBoardCheckBox2.IsChecked());
  EXPECT_TRUE(c.FileSavePanel.visible);
  EXPECT_EQ(c.FileSaveEdit.focus_count, 1);
  EXPECT_EQ(form.activations, 1);
  EXPECT_EQ(c.FileOpenEdit.Text(), "");

  logic->WMDropFiles("/data/in.csv", DropTarget::kElsewhere);
  EXPECT_EQ(c.FileOpenEdit.Text(), "/data/in.csv");
  EXPECT_TRUE(c.FileOpenCheckBox.IsChecked());
  EXPECT_GT(c.FileOpenEdit.focus_count, 0);
}

TEST_F(MainFormLogicTest, BrowsingChangesOnlyThePathButTheMenuSwitches) {
  Start();
  ScriptedFileDialogs dialogs;
  dialogs.answers = {"/data/a.txt", std::nullopt, "/data/b.txt"};
  c.FileOpenCheckBox.Click();
  c.ClipBoardCheckBox1.Load(true);  // as if the panel were reached anyhow
  logic->FileOpen();
  EXPECT_EQ(c.FileOpenEdit.Text(), "/data/a.txt");
  EXPECT_TRUE(c.ClipBoardCheckBox1.IsChecked());

  c.FileOpenCheckBox.Load(false);
  logic->FileOpen2();  // cancelled: nothing changes
  EXPECT_FALSE(c.FileOpenCheckBox.IsChecked());
  logic->FileOpen2();
  EXPECT_EQ(c.FileOpenEdit.Text(), "/data/b.txt");
  EXPECT_TRUE(c.FileOpenCheckBox.IsChecked());
  ASSERT_EQ(dialogs.requests.size(), 3u);
  EXPECT_EQ(dialogs.requests[0].options,
            kDialogPathMustExist | kDialogFileMustExist);
  // The dialog offers the name last chosen in it.
  EXPECT_EQ(dialogs.requests[2].file_name, "/data/a.txt");
  EXPECT_EQ(dialogs.owners[0], form.handle);
}

TEST_F(MainFormLogicTest, HelpAboutAndEscapeAskTheirServices) {
  Start();
  RecordingHelpEngine help;
  logic->HelpContents();
  logic->HelpSearch();
  EXPECT_EQ(help.commands,
            (std::vector<RecordedHelpCommand>{
                {form.handle, "Tarnel.hlp", kHelpContents, ""},
                {form.handle, "Tarnel.hlp", kHelpPartialKey, ""}}));

  MemoryAboutBox about;
  logic->SetAboutBox(&about);
  logic->HelpAbout();
  logic->HelpAbout();
  EXPECT_EQ(about.version, "Version1.34");
  EXPECT_EQ(about.shows, 1);

  logic->FormKeyDown(FormKey::kOther);
  EXPECT_EQ(form.closes, 0);
  logic->FormKeyDown(FormKey::kEscape);
  EXPECT_EQ(form.closes, 1);

  application.hint = "hint";
  ASSERT_TRUE(application.on_hint);
  application.on_hint();
  EXPECT_EQ(c.StatusLine.text, "hint");
}

}  // namespace
}  // namespace tarnel
