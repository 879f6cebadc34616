// The main window's behaviour as case tables, each case written once and
// run on every view of the window: the logic on controls in memory, the Qt
// window and the Windows window (form_driver.h). The tables: the command
// line applied to the controls, ExecuteSort turning the controls into one
// run, and the key position's input filter.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/local_text.h"
#include "platform/testing/recording_message_boxes.h"
#include "tests/ui/cases/form_driver.h"
#include "ui/logic/window_texts.h"

namespace tarnel {
namespace {

using Arguments = std::vector<std::string>;

template <class Case>
std::string CaseName(const testing::TestParamInfo<Case>& info) {
  return info.param.name;
}

// The command line -----------------------------------------------------------

// The settings a command line leaves in the window; a case names only what
// differs from the window's initial state.
struct Settings {
  std::uint8_t auto_run = 0;
  std::uint8_t quiet = 0;
  bool descending = false;
  bool ignore_case = false;
  bool unique = false;
  std::optional<std::string> input = std::nullopt;
  std::optional<std::string> output = std::nullopt;
  std::string key = "1";
  bool numeric = false;
  bool field = false;
  int updown1 = 1;
};

struct CommandLineCase {
  const char* name;
  Arguments arguments;  ///< UTF-8; given in the locale's encoding
  Settings expected;
};

void PrintTo(const CommandLineCase& c, std::ostream* out) { *out << c.name; }

class CommandLineTest : public testing::TestWithParam<CommandLineCase> {
 protected:
  RecordingMessageBoxes boxes;
  std::unique_ptr<FormDriver> form = MakeFormDriver();
};

void ExpectFileSide(FormDriver& form, const char* clipboard, const char* file,
                    const char* panel, const char* edit,
                    const std::optional<std::string>& name) {
  SCOPED_TRACE(edit);
  EXPECT_EQ(form.Checked(clipboard), !name.has_value());
  EXPECT_EQ(form.Checked(file), name.has_value());
  EXPECT_EQ(form.Shown(edit), name.has_value());
  EXPECT_EQ(form.Shown(panel), name.has_value());
  EXPECT_EQ(form.Text(edit), LocalText(name.value_or("")));
}

TEST_P(CommandLineTest, SetsTheControls) {
  const Settings& expected = GetParam().expected;
  Arguments arguments;
  for (const std::string& argument : GetParam().arguments) {
    arguments.push_back(LocalText(argument));
  }
  form->Start(arguments);
  EXPECT_EQ(form->Logic().AutoRun, expected.auto_run);
  EXPECT_EQ(form->Logic().Quiet, expected.quiet);
  EXPECT_EQ(form->Checked("Sort_R_RadioButton"), expected.descending);
  EXPECT_EQ(form->Checked("Sort_F_RadioButton"), !expected.descending);
  EXPECT_EQ(form->Checked("NotCaseSensitiveCheckBox"), expected.ignore_case);
  EXPECT_EQ(form->Checked("UniqCheckBox"), expected.unique);
  ExpectFileSide(*form, "ClipBoardCheckBox1", "FileOpenCheckBox",
                 "FileOpenPanel", "FileOpenEdit", expected.input);
  ExpectFileSide(*form, "ClipBoardCheckBox2", "FileSaveCheckBox",
                 "FileSavePanel", "FileSaveEdit", expected.output);
  EXPECT_EQ(form->Text("SortPosEdit"), expected.key);
  EXPECT_EQ(form->Checked("NumCompCheckBox"), expected.numeric);
  EXPECT_EQ(form->Checked("StringCompCheckBox"), !expected.numeric);
  EXPECT_EQ(form->Checked("FieldCheckBox"), expected.field);
  EXPECT_EQ(form->Checked("ColumCheckBox"), !expected.field);
  // The key option moves UpDown1 and leaves UpDown2.
  EXPECT_EQ(form->Position("UpDown1"), expected.updown1);
  EXPECT_EQ(form->Position("UpDown2"), 1);
  // Only a batch command line runs, and then exactly once.
  EXPECT_EQ(form->runs.calls.size(), expected.auto_run == 1 ? 1u : 0u);
  EXPECT_TRUE(boxes.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Options, CommandLineTest,
    testing::Values(
        // clang-format off
        CommandLineCase{"NoArguments", {}, {}},
        CommandLineCase{"AutoRun", {"-a"}, {.auto_run = 1}},
        CommandLineCase{"AutoRunUpperCase", {"-A"}, {.auto_run = 1}},
        CommandLineCase{"QuietAutoRun", {"-a+"}, {.auto_run = 1, .quiet = 1}},
        CommandLineCase{"QuietAutoRunUpperCase", {"-A+"},
                        {.auto_run = 1, .quiet = 1}},
        CommandLineCase{"Descending", {"-r"}, {.descending = true}},
        CommandLineCase{"DescendingUpperCase", {"-R"}, {.descending = true}},
        CommandLineCase{"IgnoreCase", {"-I"}, {.ignore_case = true}},
        CommandLineCase{"Unique", {"-u"}, {.unique = true}},
        CommandLineCase{"OrderCaseAndRepeatsInAnyCase", {"-R", "-i", "-U"},
                        {.descending = true, .ignore_case = true,
                         .unique = true}},
        CommandLineCase{"InputFileKeepsItsCase", {"-F", "In.TXT"},
                        {.input = "In.TXT"}},
        CommandLineCase{"OutputFileKeepsItsCase", {"-O", "Out.CSV"},
                        {.output = "Out.CSV"}},
        CommandLineCase{"FilesKeepTheirCaseAndTheLastInputWins",
                        {"first.txt", "-f", "In.TXT", "-o", "Out.TXT"},
                        {.input = "In.TXT", .output = "Out.TXT"}},
        CommandLineCase{"PlainNameIsTheInputFile", {"My File.txt"},
                        {.input = "My File.txt"}},
        CommandLineCase{"NonAsciiName", {"-f", "データ.csv"},
                        {.input = "データ.csv"}},
        CommandLineCase{"DashZeroIsAFileName", {"-0"}, {.input = "-0"}},
        CommandLineCase{"DashXIsAFileName", {"-x"}, {.input = "-x"}},
        CommandLineCase{"ZeroAndUnknownOptionsAreFileNames", {"-0", "-x"},
                        {.input = "-x"}},
        CommandLineCase{"LoneDashIsAFileName", {"-"}, {.input = "-"}},
        CommandLineCase{"LongerOptionIsAFileName", {"-ab"}, {.input = "-ab"}},
        CommandLineCase{"TrailingFileOptionIsIgnored", {"-f"}, {}},
        CommandLineCase{"TrailingInputOptionIgnored", {"a.txt", "-f"},
                        {.input = "a.txt"}},
        CommandLineCase{"TrailingOutputOptionIgnored", {"-o"}, {}},
        CommandLineCase{"OptionAfterFileOptionIsTheName", {"-f", "-r"},
                        {.input = "-r"}},
        CommandLineCase{"KeyDigitsThenLettersIgnored", {"-12abc"},
                        {.key = "12", .updown1 = 12}},
        CommandLineCase{"KeyOfFifty", {"-50"}, {.key = "50", .updown1 = 50}},
        CommandLineCase{"KeyBeyondTheRangeMovesUpDown1ToItsEnd", {"-2000"},
                        {.key = "2000", .updown1 = 1024}},
        CommandLineCase{"KeyNumeric", {"-3n"},
                        {.key = "3", .numeric = true, .updown1 = 3}},
        CommandLineCase{"KeyNumericUpperCase", {"-3N"},
                        {.key = "3", .numeric = true, .updown1 = 3}},
        CommandLineCase{"KeyFieldUpperCase", {"-3F"},
                        {.key = "3", .field = true, .updown1 = 3}},
        CommandLineCase{"KeyNumericField", {"-2nf"},
                        {.key = "2", .numeric = true, .field = true,
                         .updown1 = 2}},
        CommandLineCase{"KeyOptionWithNumberAndField", {"-12nf"},
                        {.key = "12", .numeric = true, .field = true,
                         .updown1 = 12}},
        CommandLineCase{"KeyFieldBeforeNumericTakesOnlyField", {"-3fn"},
                        {.key = "3", .field = true, .updown1 = 3}},
        CommandLineCase{"KeyKeepsZerosAsTyped", {"-100"},
                        {.key = "100", .updown1 = 100}},
        CommandLineCase{"KeyLongerThanTheEditTakes", {"-12345678"},
                        {.key = "12345678", .updown1 = 1024}},
        // Not a 32-bit number: UpDown1 takes the default.
        CommandLineCase{"KeyDigitsBeyondBufferDropped",
                        {std::string("-").append(130, '7').append("n")},
                        {.key = std::string(127, '7'), .numeric = true}},
        CommandLineCase{"RepeatedOptionsSetAgain", {"-3n", "-5", "-r", "-r"},
                        {.descending = true, .key = "5", .numeric = true,
                         .updown1 = 5}},
        CommandLineCase{"LastInputNameWins", {"-f", "a", "b", "-f", "c"},
                        {.input = "c"}},
        CommandLineCase{"PlainNameAfterFileOptionWins", {"-f", "a", "b"},
                        {.input = "b"}},
        CommandLineCase{"QuietStaysAfterPlainAutoRun", {"-a+", "-a"},
                        {.auto_run = 1, .quiet = 1}},
        CommandLineCase{"EveryOptionWithALongKeyPosition",
                        {"-r", "-I", "-u", "-f", "in.txt", "-o", "out.txt",
                         "-123456nf"},
                        {.descending = true, .ignore_case = true,
                         .unique = true, .input = "in.txt",
                         .output = "out.txt", .key = "123456",
                         .numeric = true, .field = true, .updown1 = 1024}},
        CommandLineCase{"EverythingTogether",
                        {"-a", "-f", "in.csv", "-o", "out.csv", "-2nf", "-i",
                         "-u", "-r"},
                        {.auto_run = 1, .descending = true,
                         .ignore_case = true, .unique = true,
                         .input = "in.csv", .output = "out.csv", .key = "2",
                         .numeric = true, .field = true, .updown1 = 2}}),
    // clang-format on
    CaseName<CommandLineCase>);

// The run handler
// --------------------------------------------------------------

constexpr char kNoInputFile[] = "読み込み元ファイルが未指定です";
constexpr char kNoOutputFile[] = "書き出し先ファイルが未指定です";

struct ExecuteSortCase {
  const char* name;
  /// The user's and the program's changes before the run.
  std::function<void(FormDriver&)> settle;
  /// The run ExecuteSort asks for, its owner aside; none when it refuses.
  std::optional<RunCall> run;
  /// The boxes of a refused run, in UTF-8.
  std::vector<std::string> boxes = {};
};

void PrintTo(const ExecuteSortCase& c, std::ostream* out) { *out << c.name; }

RunCall Expect(std::int32_t mode, std::int32_t pos, std::int32_t kind,
               const char* input = nullptr, const char* output = nullptr,
               std::uint8_t quiet = 0) {
  return RunCall(SortRequest{nullptr, mode, input, output, pos, kind, quiet});
}

void UseFiles(FormDriver& f, const char* input, const char* output) {
  f.Click("FileOpenCheckBox");
  f.SetText("FileOpenEdit", input);
  f.Click("FileSaveCheckBox");
  f.SetText("FileSaveEdit", output);
}

void Key(FormDriver& f, const char* text) { f.SetText("SortPosEdit", text); }

class ExecuteSortTest : public testing::TestWithParam<ExecuteSortCase> {
 protected:
  RecordingMessageBoxes boxes;
  std::unique_ptr<FormDriver> form = MakeFormDriver();
};

TEST_P(ExecuteSortTest, TurnsTheControlStatesIntoOneRun) {
  form->Start({});
  GetParam().settle(*form);
  const std::string status = form->Text("StatusLine");
  const bool delivered = form->Logic().ExecuteSort();
  if (GetParam().run) {
    RunCall expected = *GetParam().run;
    expected.request.owner_window = form->Owner();
    EXPECT_TRUE(delivered);
    EXPECT_EQ(form->runs.calls, std::vector<RunCall>{expected});
  } else {
    EXPECT_FALSE(delivered);
    EXPECT_TRUE(form->runs.calls.empty());
  }
  std::vector<RecordedBox> expected_boxes;
  for (const std::string& text : GetParam().boxes) {
    expected_boxes.push_back({form->Owner(), LocalText(text), "TARNEL-ERROR",
                              kBoxPlain | kBoxTaskModal});
  }
  EXPECT_EQ(boxes.boxes, expected_boxes);
  // The status line shows its old text again, whatever the outcome.
  EXPECT_EQ(form->Text("StatusLine"), status);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ExecuteSortTest,
    testing::Values(
        // The clipboard, ascending, whole lines.
        ExecuteSortCase{"InitialSettings", [](FormDriver&) {}, Expect(0, 0, 1)},
        ExecuteSortCase{"Descending",
                        [](FormDriver& f) { f.Click("Sort_R_RadioButton"); },
                        Expect(1, 0, 1)},
        ExecuteSortCase{
            "IgnoreCase",
            [](FormDriver& f) { f.Click("NotCaseSensitiveCheckBox"); },
            Expect(2, 0, 1)},
        ExecuteSortCase{"Unique",
                        [](FormDriver& f) { f.Click("UniqCheckBox"); },
                        Expect(4, 0, 1)},
        ExecuteSortCase{"AllModeBits",
                        [](FormDriver& f) {
                          f.Click("Sort_R_RadioButton");
                          f.Click("NotCaseSensitiveCheckBox");
                          f.Click("UniqCheckBox");
                        },
                        Expect(7, 0, 1)},
        ExecuteSortCase{
            "Files",
            [](FormDriver& f) { UseFiles(f, "in file.txt", "/tmp/out.txt"); },
            Expect(0, 0, 1, "in file.txt", "/tmp/out.txt")},
        ExecuteSortCase{"FileInputClipboardOutput",
                        [](FormDriver& f) {
                          f.Click("FileOpenCheckBox");
                          f.SetText("FileOpenEdit", "in.txt");
                        },
                        Expect(0, 0, 1, "in.txt")},
        ExecuteSortCase{"ThirdFieldAsNumber",
                        [](FormDriver& f) {
                          Key(f, "3");
                          f.Click("FieldCheckBox");
                          f.Click("NumCompCheckBox");
                        },
                        Expect(0, 2, 6)},
        ExecuteSortCase{"ColumnAsNumber",
                        [](FormDriver& f) {
                          Key(f, "10");
                          f.Click("NumCompCheckBox");
                        },
                        Expect(0, 9, 5)},
        ExecuteSortCase{"FieldAsText",
                        [](FormDriver& f) { f.Click("FieldCheckBox"); },
                        Expect(0, 0, 2)},
        ExecuteSortCase{"DoubleZeroGivesMinusOne",
                        [](FormDriver& f) { Key(f, "00"); }, Expect(0, -1, 1)},
        // Not an integer: the default 1, so position 0.
        ExecuteSortCase{"ThousandsSeparatorIsNotANumber",
                        [](FormDriver& f) { Key(f, "1,001"); },
                        Expect(0, 0, 1)},
        ExecuteSortCase{"EmptyKeyPosition", [](FormDriver& f) { Key(f, ""); },
                        Expect(0, 0, 1)},
        ExecuteSortCase{"HexadecimalKeyPosition",
                        [](FormDriver& f) { Key(f, "$10"); }, Expect(0, 15, 1)},
        ExecuteSortCase{"NegativeKeyPosition",
                        [](FormDriver& f) { Key(f, "-5"); }, Expect(0, -6, 1)},
        // 32-bit arithmetic: the smallest number less one wraps around.
        ExecuteSortCase{"SmallestKeyPositionWraps",
                        [](FormDriver& f) { Key(f, "-2147483648"); },
                        Expect(0, 2147483647, 1)},
        ExecuteSortCase{"QuietFromTheCommandLine",
                        [](FormDriver& f) { f.Logic().Quiet = 1; },
                        Expect(0, 0, 1, nullptr, nullptr, 1)},
        ExecuteSortCase{"ClipboardSidesIgnoreTheirPathEdits",
                        [](FormDriver& f) {
                          f.SetText("FileOpenEdit", "ignored.txt");
                          f.SetText("FileSaveEdit", "ignored.txt");
                        },
                        Expect(0, 0, 1)},
        ExecuteSortCase{"EmptyInputPathShowsItsBoxAndRunsNothing",
                        [](FormDriver& f) { f.Click("FileOpenCheckBox"); },
                        std::nullopt,
                        {kNoInputFile}},
        ExecuteSortCase{"EmptyOutputPathShowsItsBoxAndRunsNothing",
                        [](FormDriver& f) {
                          f.Click("FileOpenCheckBox");
                          f.SetText("FileOpenEdit", "in.txt");
                          f.Click("FileSaveCheckBox");
                        },
                        std::nullopt,
                        {kNoOutputFile}},
        ExecuteSortCase{"BothPathsEmptyShowOnlyTheInputBox",
                        [](FormDriver& f) {
                          f.Click("FileOpenCheckBox");
                          f.Click("FileSaveCheckBox");
                        },
                        std::nullopt,
                        {kNoInputFile}}),
    CaseName<ExecuteSortCase>);

// The key position's filter ---------------------------------------------------

constexpr char kTextCaption[] = "SortPosEdit->Text";
constexpr char kErrorCaption[] = "ERROR";
constexpr char kErrorText[] = "数値を入力してください";

// What a box of the filter shows: its caption and text, in UTF-8.
struct Box {
  std::string caption;
  std::string text;

  bool operator==(const Box&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Box& box) {
  return out << box.caption << ": [" << box.text << "]";
}

Box TextBox(const std::string& text) { return {kTextCaption, text}; }

std::vector<Box> Boxes(const std::string& text, std::size_t errors) {
  std::vector<Box> boxes{TextBox(text)};
  boxes.insert(boxes.end(), errors, Box{kErrorCaption, kErrorText});
  return boxes;
}

// The user's change, from the program's |start| text with UpDown2 at 7.
struct UserChange {
  const char* name;
  std::string start;
  UserEdit edit;
  std::vector<Box> boxes;
  std::string text;
  /// None where the filter puts back the initial text, which leaves the
  /// caret where each toolkit leaves it.
  std::optional<std::size_t> caret;
  int updown2;
};

void PrintTo(const UserChange& c, std::ostream* out) { *out << c.name; }

class KeyPositionFilterTest : public testing::TestWithParam<UserChange> {
 protected:
  RecordingMessageBoxes boxes;
  std::unique_ptr<FormDriver> form = MakeFormDriver();
};

TEST_P(KeyPositionFilterTest, ShowsTheTextRemovesNonDigitsAndMovesUpDown2) {
  const UserChange& change = GetParam();
  form->Start({});
  form->SetPosition("UpDown2", 7);
  // The program's change goes past the filter.
  form->SetText("SortPosEdit", change.start);
  EXPECT_TRUE(boxes.boxes.empty());
  form->Edit("SortPosEdit", change.edit);
  std::vector<Box> seen;
  for (const RecordedBox& box : boxes.boxes) {
    seen.push_back({box.caption, box.text});
    // Plain, application-modal, owned by the application window.
    EXPECT_EQ(box.owner, form->Owner());
    EXPECT_EQ(box.flags, kBoxPlain | kBoxTaskModal);
  }
  std::vector<Box> expected;
  for (const Box& box : change.boxes) {
    expected.push_back({box.caption, LocalText(box.text)});
  }
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(form->Text("SortPosEdit"), change.text);
  if (change.caret) {
    EXPECT_EQ(form->Caret("SortPosEdit"), *change.caret);
  }
  EXPECT_EQ(form->Position("UpDown2"), change.updown2);
}

UserEdit Typed(std::size_t start, std::size_t length, std::string text) {
  return {start, length, std::move(text), false};
}
UserEdit Pasted(std::size_t start, std::size_t length, std::string text) {
  return {start, length, std::move(text), true};
}

// A character beyond ASCII is several bytes in the locale's encoding, none
// of them a digit: one box for each.
std::size_t BytesOf(const char* utf8) { return LocalText(utf8).size(); }

INSTANTIATE_TEST_SUITE_P(
    SortPosEditChange, KeyPositionFilterTest,
    testing::Values(
        UserChange{"LetterTypedAfterTheDigit", "1", Typed(1, 0, "a"),
                   Boxes("1a", 1), "1", 1, 1},
        UserChange{"DigitTypedAfterTheDigit", "1", Typed(1, 0, "2"),
                   Boxes("12", 0), "12", 2, 12},
        UserChange{"LetterTypedInTheMiddle", "1345", Typed(1, 0, "x"),
                   Boxes("1x345", 1), "1345", 1, 1024},
        UserChange{"DigitTypedOverEverything", "1345", Typed(0, 4, "8"),
                   Boxes("8", 0), "8", 1, 8},
        UserChange{"MixedTextPastedOverEverything", "1", Pasted(0, 1, "1x2y"),
                   Boxes("1x2y", 2), "12", 1, 12},
        UserChange{"MixedTextPastedOverAProgramText", "12",
                   Pasted(0, 2, "1x2y"), Boxes("1x2y", 2), "12", 1, 12},
        UserChange{"LettersPastedInFront", "1", Pasted(0, 0, "ab"),
                   Boxes("ab1", 2), "1", 0, 1},
        UserChange{"EverythingDeleted", "1", Typed(0, 1, ""), Boxes("", 0), "1",
                   std::nullopt, 7},
        UserChange{"ReplacedByALoneZero", "1", Typed(0, 1, "0"), Boxes("0", 0),
                   "1", std::nullopt, 7},
        // 0 is below the range: UpDown2 stops at 1.
        UserChange{"DoubleZeroPasted", "1", Pasted(0, 1, "00"), Boxes("00", 0),
                   "00", 2, 1},
        // Typing stops at five characters; a longer paste is cut to what
        // fits, as in a Windows edit, and then filtered as usual.
        UserChange{"SixDigitsTypedStopAtTheFifth",
                   "9",
                   Typed(0, 1, "123456"),
                   {TextBox("1"), TextBox("12"), TextBox("123"),
                    TextBox("1234"), TextBox("12345")},
                   "12345",
                   5,
                   1024},
        UserChange{"TypingIntoAFullEditChangesNothing",
                   "12345",
                   Typed(5, 0, "a"),
                   {},
                   "12345",
                   5,
                   7},
        UserChange{"SixDigitsPastedOverEverything", "1", Pasted(0, 1, "123456"),
                   Boxes("12345", 0), "12345", 5, 1024},
        UserChange{"LongPasteAtTheEndKeepsWhatFits", "1",
                   Pasted(1, 0, "23456789"), Boxes("12345", 0), "12345", 5,
                   1024},
        UserChange{"LongPasteInTheMiddleKeepsTheTextAfterIt", "19",
                   Pasted(1, 0, "2345678"), Boxes("12349", 0), "12349", 4,
                   1024},
        UserChange{"PasteIntoAFullEditChangesNothing",
                   "12345",
                   Pasted(5, 0, "6"),
                   {},
                   "12345",
                   5,
                   7},
        UserChange{"LongPasteWithLettersIsCutThenFiltered", "1",
                   Pasted(0, 1, "1x2y3z"), Boxes("1x2y3", 2), "123", 1, 123},
        // Emptied by the filter itself: stays empty.
        UserChange{"NothingButLettersPasted", "1", Pasted(0, 1, "xy"),
                   Boxes("xy", 2), "", 0, 1},
        // Typed through the input method, as Japanese is.
        UserChange{"FullWidthDigitTyped", "1", Typed(1, 0, "１"),
                   Boxes("1１", BytesOf("１")), "1", 1, 1}),
    CaseName<UserChange>);

}  // namespace
}  // namespace tarnel
