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

struct ParameterCase {
  const char* name;
  std::function<void(MemoryMainFormControls&)> settle;
  std::int32_t sort_mode;
  std::int32_t key_pos;
  std::int32_t key_kind;
  std::optional<std::string> input;
  std::optional<std::string> output;
};

void PrintTo(const ParameterCase& c, std::ostream* out) { *out << c.name; }

class ExecuteSortLogicTest : public MainFormLogicTest,
                             public testing::WithParamInterface<ParameterCase> {
};

TEST_P(ExecuteSortLogicTest, TurnsTheControlStatesIntoOneRun) {
  Start();
  GetParam().settle(c);
  EXPECT_TRUE(logic->ExecuteSort());
  ASSERT_EQ(runs.size(), 1u);
  const AskedRun& run = runs[0];
  EXPECT_EQ(run.request.owner_window, application.handle);
  EXPECT_EQ(run.request.sort_mode, GetParam().sort_mode);
  EXPECT_EQ(run.request.key_pos, GetParam().key_pos);
  EXPECT_EQ(run.request.key_kind, GetParam().key_kind);
  EXPECT_EQ(run.request.quiet, 0);
  EXPECT_EQ(run.input, GetParam().input);
  EXPECT_EQ(run.output, GetParam().output);
  EXPECT_TRUE(boxes.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, ExecuteSortLogicTest,
    testing::Values(ParameterCase{"Initial", [](MemoryMainFormControls&) {}, 0, 0,
                                  1, std::nullopt, std::nullopt},
                    ParameterCase{"EveryModeBit",
                                  [](MemoryMainFormControls& f) {
                                    f.Sort_F_RadioButton.Load(false);
                                    f.Sort_R_RadioButton.Load(true);
                                    f.NotCaseSensitiveCheckBox.Click();
                                    f.UniqCheckBox.Click();
                                  },
                                  7, 0, 1, std::nullopt, std::nullopt},
                    ParameterCase{"ThirdFieldAsNumber",
                                  [](MemoryMainFormControls& f) {
                                    f.SortPosEdit.Load("3");
                                    f.FieldCheckBox.Click();
                                    f.NumCompCheckBox.Click();
                                  },
                                  0, 2, 6, std::nullopt, std::nullopt},
                    ParameterCase{"DoubleZeroIsMinusOne",
                                  [](MemoryMainFormControls& f) {
                                    f.SortPosEdit.Load("00");
                                  },
                                  0, -1, 1, std::nullopt, std::nullopt},
                    ParameterCase{"ThousandsSeparatorIsNoNumber",
                                  [](MemoryMainFormControls& f) {
                                    f.SortPosEdit.Load("1,001");
                                  },
                                  0, 0, 1, std::nullopt, std::nullopt},
                    ParameterCase{"Files",
                                  [](MemoryMainFormControls& f) {
                                    f.FileOpenCheckBox.Click();
                                    f.FileOpenEdit.Type("in file.txt");
                                    f.FileSaveCheckBox.Click();
                                    f.FileSaveEdit.Type("/tmp/out.txt");
                                  },
                                  0, 0, 1, "in file.txt", "/tmp/out.txt"}));

TEST_F(MainFormLogicTest, MissingPathsStopTheRunWithTheInputBoxFirst) {
  Start();
  c.FileOpenCheckBox.Click();
  c.FileSaveCheckBox.Click();
  EXPECT_FALSE(logic->ExecuteSort());
  EXPECT_TRUE(runs.empty());
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0],
            (RecordedBox{application.handle,
                         LocalText("読み込み元ファイルが未指定です"),
                         "TARNEL-ERROR", kBoxPlain | kBoxTaskModal}));
  c.FileOpenEdit.Type("in.txt");
  EXPECT_FALSE(logic->ExecuteSort());
  ASSERT_EQ(boxes.boxes.size(), 2u);
  EXPECT_EQ(boxes.boxes[1].text, LocalText("書き出し先ファイルが未指定です"));
  EXPECT_EQ(c.StatusLine.shown, std::vector<std::string>{});
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

struct CommandLineCase {
  const char* name;
  std::vector<std::string> arguments;
  std::function<void(const MemoryMainFormControls&, const MainFormLogic&)> check;
};

void PrintTo(const CommandLineCase& c, std::ostream* out) { *out << c.name; }

class CommandLineLogicTest
    : public MainFormLogicTest,
      public testing::WithParamInterface<CommandLineCase> {};

TEST_P(CommandLineLogicTest, SetsTheControlsAsTheOptionsSay) {
  Start(GetParam().arguments);
  GetParam().check(c, *logic);
  EXPECT_TRUE(runs.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, CommandLineLogicTest,
    testing::Values(
        CommandLineCase{
            "OrderCaseAndRepeatsInAnyCase",
            {"-R", "-i", "-U"},
            [](const MemoryMainFormControls& f, const MainFormLogic&) {
              EXPECT_FALSE(f.Sort_F_RadioButton.IsChecked());
              EXPECT_TRUE(f.Sort_R_RadioButton.IsChecked());
              EXPECT_TRUE(f.NotCaseSensitiveCheckBox.IsChecked());
              EXPECT_TRUE(f.UniqCheckBox.IsChecked());
            }},
        CommandLineCase{
            "FilesKeepTheirCaseAndTheLastInputWins",
            {"first.txt", "-f", "In.TXT", "-o", "Out.TXT"},
            [](const MemoryMainFormControls& f, const MainFormLogic&) {
              EXPECT_EQ(f.FileOpenEdit.Text(), "In.TXT");
              EXPECT_TRUE(f.FileOpenEdit.visible);
              EXPECT_TRUE(f.FileOpenCheckBox.IsChecked());
              EXPECT_FALSE(f.ClipBoardCheckBox1.IsChecked());
              EXPECT_EQ(f.FileSaveEdit.Text(), "Out.TXT");
              EXPECT_TRUE(f.FileSaveCheckBox.IsChecked());
            }},
        CommandLineCase{
            "KeyOptionWithNumberAndField",
            {"-12nf"},
            [](const MemoryMainFormControls& f, const MainFormLogic&) {
              EXPECT_EQ(f.SortPosEdit.Text(), "12");
              EXPECT_EQ(f.UpDown1.Position(), 12);
              EXPECT_TRUE(f.NumCompCheckBox.IsChecked());
              EXPECT_FALSE(f.StringCompCheckBox.IsChecked());
              EXPECT_TRUE(f.FieldCheckBox.IsChecked());
              EXPECT_FALSE(f.ColumCheckBox.IsChecked());
            }},
        CommandLineCase{
            "FieldBeforeNumberTakesOnlyTheField",
            {"-3fn"},
            [](const MemoryMainFormControls& f, const MainFormLogic&) {
              EXPECT_TRUE(f.FieldCheckBox.IsChecked());
              EXPECT_FALSE(f.NumCompCheckBox.IsChecked());
            }},
        CommandLineCase{
            "ZeroAndUnknownOptionsAreFileNames",
            {"-0", "-x"},
            [](const MemoryMainFormControls& f, const MainFormLogic&) {
              EXPECT_EQ(f.FileOpenEdit.Text(), "-x");
              EXPECT_EQ(f.SortPosEdit.Text(), "1");
            }},
        CommandLineCase{
            "TrailingFileOptionIsIgnored",
            {"-f"},
            [](const MemoryMainFormControls& f, const MainFormLogic&) {
              EXPECT_TRUE(f.ClipBoardCheckBox1.IsChecked());
              EXPECT_FALSE(f.FileOpenCheckBox.IsChecked());
            }}));

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
}

// The user's changes to the key position, and only those, go through the
// filter: its box first, then one box per removed byte.
TEST_F(MainFormLogicTest, KeyPositionFilterKeepsDigitsOnly) {
  Start();
  c.UpDown2.SetPosition(7);
  c.SortPosEdit.SetText("12");  // the program's change: no box
  EXPECT_TRUE(boxes.boxes.empty());

  c.SortPosEdit.Type("1x2y");
  EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{
                               "1x2y", LocalText("数値を入力してください"),
                               LocalText("数値を入力してください")}));
  EXPECT_EQ(boxes.boxes[0].caption, "SortPosEdit->Text");
  EXPECT_EQ(boxes.boxes[1].caption, "ERROR");
  EXPECT_EQ(c.SortPosEdit.Text(), "12");
  EXPECT_EQ(c.SortPosEdit.caret, 1u);
  EXPECT_EQ(c.UpDown2.Position(), 12);

  boxes.boxes.clear();
  c.SortPosEdit.Type("");
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{""});
  EXPECT_EQ(c.SortPosEdit.Text(), "1");
  EXPECT_EQ(c.UpDown2.Position(), 12);  // an emptied text leaves it
  c.SortPosEdit.Type("0");
  EXPECT_EQ(c.SortPosEdit.Text(), "1");
  c.SortPosEdit.Type("00");
  EXPECT_EQ(c.SortPosEdit.Text(), "00");
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

  logic->FormKeyDown('A');
  EXPECT_EQ(form.closes, 0);
  logic->FormKeyDown(27);
  EXPECT_EQ(form.closes, 1);

  application.hint = "hint";
  ASSERT_TRUE(application.on_hint);
  application.on_hint();
  EXPECT_EQ(c.StatusLine.text, "hint");
}

}  // namespace
}  // namespace tarnel
