// RunSort end to end: real files in a temporary folder, every box recorded.
#include "engine/run_sort.h"

#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/result_block.h"
#include "core/show_error.h"
#include "platform/memory.h"
#include "platform/testing/recording_message_boxes.h"
#include "tests/support/escaped.h"
#include "tests/support/temp_dir.h"

namespace tarnel {
namespace {

using testing_support::Escaped;
using testing_support::NullDevice;
using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteBytes;

constexpr char kPreviousOutput[] = "previous contents\n";

class RunSortTest : public ::testing::Test {
 protected:
  WindowHandle owner() { return &owner_tag_; }
  std::string input_path() const { return folder_ / "in.txt"; }
  std::string output_path() const { return folder_ / "out.txt"; }

  /// Writes |input| to the input file and runs one sort into the output file.
  void Run(const std::string& input, std::int32_t mode, std::int32_t key_pos,
           std::int32_t key_kind, std::uint8_t quiet = 0) {
    WriteBytes(input_path(), input);
    RunPaths(input_path(), output_path(), mode, key_pos, key_kind, quiet);
  }

  void RunPaths(const std::string& in, const std::string& out,
                std::int32_t mode, std::int32_t key_pos, std::int32_t key_kind,
                std::uint8_t quiet = 0) {
    LastResult = 12345;  // any stale value must be replaced
    RunSort(owner(), mode, in.c_str(), out.c_str(), key_pos, key_kind, quiet);
  }

  /// Runs a sort that must succeed and returns the output file.
  std::string Sorted(const std::string& input, std::int32_t mode,
                     std::int32_t key_pos = 0, std::int32_t key_kind = 1) {
    boxes_.boxes.clear();
    Run(input, mode, key_pos, key_kind);
    EXPECT_EQ(LastResult, 0);
    EXPECT_EQ(boxes_.boxes, std::vector<RecordedBox>{FinishBox("Finish!")});
    ExpectReleased();
    return ReadBytes(output_path());
  }

  RecordedBox ErrorBox(const std::string& text) {
    return {owner(), text, "TARNEL-ERROR", 16};
  }
  RecordedBox FinishBox(const std::string& text) {
    return {owner(), text, "TARNEL", 0};
  }

  /// Nothing a run allocates outlives it, on any path.
  void ExpectReleased() {
    EXPECT_EQ(Base, nullptr);
    EXPECT_EQ(lpMem, nullptr);
    EXPECT_FALSE(hMem.valid());
  }

  /// Runs that stop early must leave the output file as it was.
  void PrepareOutput() { WriteBytes(output_path(), kPreviousOutput); }
  void ExpectOutputUntouched() {
    EXPECT_EQ(ReadBytes(output_path()), kPreviousOutput);
  }

  TempDir folder_;
  RecordingMessageBoxes boxes_;

 private:
  int owner_tag_ = 0;
};

TEST_F(RunSortTest, SuccessfulRunEndsWithFinishCaptionedTarnelFlagsZero) {
  Run("b\na\n", 0, 0, 1);
  EXPECT_EQ(LastResult, 0);
  EXPECT_EQ(boxes_.boxes, std::vector<RecordedBox>{FinishBox("Finish!")});
  EXPECT_EQ(OwnerWindow, owner());
  EXPECT_EQ(ReadBytes(output_path()), "a\r\nb\r\n");
  ExpectReleased();
}

TEST_F(RunSortTest, QuietOneShowsNothingOnSuccess) {
  Run("b\na\n", 0, 0, 1, /*quiet=*/1);
  EXPECT_EQ(LastResult, 0);
  EXPECT_TRUE(boxes_.boxes.empty());
  EXPECT_EQ(ReadBytes(output_path()), "a\r\nb\r\n");
}

TEST_F(RunSortTest, OnlyQuietOneSuppressesTheClosingBox) {
  Run("b\na\n", 0, 0, 1, /*quiet=*/2);
  EXPECT_EQ(boxes_.boxes, std::vector<RecordedBox>{FinishBox("Finish!")});
}

TEST_F(RunSortTest, BaseModeOutsideZeroToThreeIsRejectedBeforeReading) {
  const std::int32_t modes[] = {8,  12, 15,        16,       -1,
                                -4, -5, INT32_MIN, INT32_MAX};
  PrepareOutput();
  for (std::int32_t mode : modes) {
    SCOPED_TRACE(mode);
    boxes_.boxes.clear();
    // A missing input shows the source is never asked for.
    RunPaths(folder_ / "missing.txt", output_path(), mode, 0, 1);
    EXPECT_EQ(LastResult, -1);
    EXPECT_EQ(boxes_.boxes,
              std::vector<RecordedBox>{ErrorBox("SortMode is out of Range!")});
    ExpectOutputUntouched();
    ExpectReleased();
  }
}

TEST_F(RunSortTest, EveryModeFromZeroToSevenIsAccepted) {
  const std::string expected[8] = {"a\r\nb\r\nb\r\n", "b\r\nb\r\na\r\n",
                                   "a\r\nb\r\nb\r\n", "b\r\nb\r\na\r\n",
                                   "a\r\nb\r\n",      "b\r\na\r\n",
                                   "a\r\nb\r\n",      "b\r\na\r\n"};
  for (std::int32_t mode = 0; mode < 8; ++mode) {
    SCOPED_TRACE(mode);
    EXPECT_EQ(Sorted("b\na\nb\n", mode), expected[mode]);
  }
}

// Mode 7 is descending, ignoring case, without repeats. '_' follows the
// letters once they are folded; of a and A the first in sorted order stays.
TEST_F(RunSortTest, ModeSevenSortsDescendingIgnoringCaseWithoutRepeats) {
  EXPECT_EQ(Sorted("a\n_\nA\n", 7), "_\r\na\r\n");
  EXPECT_EQ(Sorted("a\n_\nA\n", 3), "_\r\na\r\nA\r\n");
  EXPECT_EQ(Sorted("a\n_\nA\n", 5), "a\r\n_\r\nA\r\n");
}

TEST_F(RunSortTest, TextWithNothingBeforeItsEndHasNoLine) {
  const std::string inputs[] = {"", std::string("\0", 1),
                                std::string("\0abc\n", 5),
                                std::string("\0\n\n", 3)};
  PrepareOutput();
  for (const std::string& input : inputs) {
    SCOPED_TRACE(Escaped(input));
    boxes_.boxes.clear();
    Run(input, 0, 0, 1);
    EXPECT_EQ(LastResult, -1);
    EXPECT_EQ(boxes_.boxes, std::vector<RecordedBox>{ErrorBox("No Line!")});
    ExpectOutputUntouched();
    ExpectReleased();
  }
}

struct SplitCase {
  const char* name;
  std::string input;
  std::string output;
};

// Whole-line ascending sort, so the output shows exactly which lines were
// found and that each is written with CR LF.
TEST_F(RunSortTest, LinesAreCutAtLineFeedsAndWrittenWithCrLf) {
  const SplitCase cases[] = {
      {"CR LF", "b\r\na\r\nc\r\n", "a\r\nb\r\nc\r\n"},
      {"bare LF", "b\na\nc\n", "a\r\nb\r\nc\r\n"},
      {"mixed", "b\r\na\nc\r\n", "a\r\nb\r\nc\r\n"},
      {"last line without LF", "b\na\nc", "a\r\nb\r\nc\r\n"},
      {"last line ends in a lone CR", "b\na\nc\r", "a\r\nb\r\nc\r\n"},
      {"CR LF lines, last without", "c\r\nb\r\na", "a\r\nb\r\nc\r\n"},
      {"no line feed at all", "abc", "abc\r\n"},
      {"one blank", " ", " \r\n"},
      {"only a CR", "\r", "\r\n"},
      {"only a LF", "\n", "\r\n"},
      {"lone CR after the last LF", "b\na\n\r", "\r\na\r\nb\r\n"},
      {"empty first line sorts first", "\nb\na\n", "\r\na\r\nb\r\n"},
      {"empty lines", "x\n\n\n", "\r\n\r\nx\r\n"},
      {"empty CR LF line", "a\r\n\r\n", "\r\na\r\n"},
      {"CR inside a line is compared", "a\rc\nab\n", "a\rc\r\nab\r\n"},
      {"CR inside a line is kept", "a\rb\na\n", "a\r\na\rb\r\n"},
      {"only the CR before the LF goes", "b\r\r\na\n", "a\r\nb\r\r\n"},
      {"a line of one CR", "\r\r\n", "\r\r\n"},
      {"NUL ends the text mid-line", std::string("b\na\0c\nd\n", 9),
       "a\r\nb\r\n"},
      {"NUL ends the text after a LF", std::string("b\na\n\0c\n", 7),
       "a\r\nb\r\n"},
      {"NUL ends a text of many blocks",
       std::string(200, 'b') + "\n" + std::string(100, 'a') + "\nc" + '\0' +
           "d\n" + std::string(100, 'e') + "\n",
       std::string(100, 'a') + "\r\n" + std::string(200, 'b') + "\r\nc\r\n"},
  };
  for (const SplitCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Sorted(c.input, 0), c.output);
  }
}

TEST(SplitLinesTest, CountsLinesAndOutputSizeIncludingAnUnterminatedLast) {
  struct Case {
    std::string text;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"", {}},
      {std::string("\0a\n", 3), {}},
      {"a", {"a"}},
      {"a\n", {"a"}},
      {"a\r\nb", {"a", "b"}},
      {"a\r\nb\r", {"a", "b"}},
      {"\n\n", {"", ""}},
      {"\r", {""}},
      {"a\rb\r\n", {"a\rb"}},
      {std::string("ab\ncd\0ef\n", 9), {"ab", "cd"}},
      // Feeds are counted 255 bytes at a time: blocks of nothing else.
      {std::string(510, '\n'), std::vector<std::string>(510, "")},
      {std::string(511, '\n') + "a",
       [] {
         std::vector<std::string> lines(511, "");
         lines.push_back("a");
         return lines;
       }()},
  };
  // Texts long enough to be cut on two threads, from their middle line on.
  auto joined = [](const std::vector<std::string>& lines, bool last_feed) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      text += lines[i];
      if (i + 1 < lines.size() || last_feed) text += i % 3 ? "\n" : "\r\n";
    }
    return text;
  };
  std::vector<std::string> many;
  for (int i = 0; i < 90'001; ++i) {  // the last line not empty
    many.push_back(i % 7 ? "line " + std::to_string(i) : "");
  }
  // The middle falls in a last line of its own: the upper half is empty.
  std::vector<std::string> long_last(40'000, "x");
  long_last.push_back(std::string(700'000, 'y'));
  std::vector<Case> long_cases = {
      {joined(many, true), many},
      {joined(many, false), many},
      {joined(long_last, true), long_last},
      // No line feed after the middle at all.
      {joined(long_last, false), long_last},
  };
  std::vector<Case> all(std::begin(cases), std::end(cases));
  all.insert(all.end(), long_cases.begin(), long_cases.end());
  for (const Case& c : all) {
    SCOPED_TRACE(Escaped(c.text.substr(0, 40)) + ", " +
                 std::to_string(c.text.size()) + " bytes");
    std::string text = c.text;
    text.push_back('\0');
    const std::size_t n = CountLines(text.data());
    EXPECT_EQ(n, c.lines.size());
    if (n == 0) continue;
    ASSERT_EQ(AllocBase(n), 0);
    SplitLines(text.data(), n);
    std::vector<std::string> lines(Base, Base + LineCount);
    std::uint64_t size = 0;
    for (const std::string& line : c.lines) size += line.size() + 2;
    EXPECT_EQ(lines, c.lines);
    EXPECT_EQ(OutputSize, size);
    FreeBase();
  }
}

TEST(SplitLinesTest, TakesAtMostTheGivenNumberOfLines) {
  // Short, and long enough for two threads: the bound holds either way.
  std::string long_text;
  for (int i = 0; i < 100'000; ++i)
    long_text += "line" + std::to_string(i % 10) + "\n";
  struct Case {
    std::string text;
    std::size_t limit;
    std::uint64_t size;
    const char* last;
  };
  const Case cases[] = {{"a\nbb\nccc\n", 2, 7, "bb"},
                        {long_text, 2, 14, "line1"},
                        {long_text, 60'003, 420'021, "line2"}};
  for (Case c : cases) {
    SCOPED_TRACE(c.limit);
    ASSERT_EQ(AllocBase(c.limit), 0);
    SplitLines(c.text.data(), c.limit);
    EXPECT_EQ(LineCount, c.limit);
    EXPECT_EQ(OutputSize, c.size);
    EXPECT_STREQ(Base[LineCount - 1], c.last);
    FreeBase();
    EXPECT_EQ(Base, nullptr);
  }
}

TEST_F(RunSortTest, MissingInputFileIsReportedWithItsPath) {
  PrepareOutput();
  const std::string missing = folder_ / "no such file.txt";
  RunPaths(missing, output_path(), 0, 0, 1);
  EXPECT_EQ(LastResult, -1);
  EXPECT_EQ(boxes_.boxes, std::vector<RecordedBox>{
                              ErrorBox("File Open Error![" + missing + "]")});
  ExpectOutputUntouched();
  ExpectReleased();
}

TEST_F(RunSortTest, FolderAsInputIsAnOpenError) {
  PrepareOutput();
  RunPaths(folder_.path(), output_path(), 0, 0, 1);
  EXPECT_EQ(LastResult, -1);
  EXPECT_EQ(boxes_.boxes, std::vector<RecordedBox>{ErrorBox(
                              "File Open Error![" + folder_.path() + "]")});
  ExpectOutputUntouched();
  ExpectReleased();
}

TEST_F(RunSortTest, FolderAsOutputIsAnOpenErrorThenErrorFinish) {
  const std::string target = folder_ / "sub";
  std::filesystem::create_directory(target);
  WriteBytes(input_path(), "b\na\n");
  RunPaths(input_path(), target, 0, 0, 1);
  EXPECT_EQ(LastResult, -1);
  EXPECT_EQ(boxes_.boxes, (std::vector<RecordedBox>{
                              ErrorBox("File Open Error!\n[" + target + "]"),
                              FinishBox("Error-Finish!")}));
  EXPECT_TRUE(std::filesystem::is_directory(target));
  EXPECT_TRUE(std::filesystem::is_empty(target));
  ExpectReleased();
}

TEST_F(RunSortTest, OutputInMissingFolderIsAnOpenErrorThenErrorFinish) {
  const std::string target = folder_ / "missing/out.txt";
  for (const std::uint8_t quiet : {std::uint8_t{0}, std::uint8_t{1}}) {
    SCOPED_TRACE(int{quiet});
    boxes_.boxes.clear();
    WriteBytes(input_path(), "b\na\n");
    RunPaths(input_path(), target, 0, 0, 1, quiet);
    EXPECT_EQ(LastResult, -1);
    std::vector<RecordedBox> expected = {
        ErrorBox("File Open Error!\n[" + target + "]")};
    if (quiet == 0) expected.push_back(FinishBox("Error-Finish!"));
    EXPECT_EQ(boxes_.boxes, expected);
    EXPECT_FALSE(std::filesystem::exists(folder_ / "missing"));
    ExpectReleased();
  }
}

TEST_F(RunSortTest, EmptyPathsAreOpenErrors) {
  RunPaths("", output_path(), 0, 0, 1);
  EXPECT_EQ(LastResult, -1);
  EXPECT_EQ(boxes_.boxes,
            std::vector<RecordedBox>{ErrorBox("File Open Error![]")});
  boxes_.boxes.clear();
  WriteBytes(input_path(), "a\n");
  RunPaths(input_path(), "", 0, 0, 1);
  EXPECT_EQ(LastResult, -1);
  EXPECT_EQ(boxes_.boxes,
            (std::vector<RecordedBox>{ErrorBox("File Open Error!\n[]"),
                                      FinishBox("Error-Finish!")}));
  ExpectReleased();
}

// Devices have no useful size: the input is read to its end, the output
// written straight through.
TEST_F(RunSortTest, DevicesWorkAsSourceAndSink) {
  PrepareOutput();
  RunPaths(NullDevice(), output_path(), 0, 0, 1);
  EXPECT_EQ(LastResult, -1);
  EXPECT_EQ(boxes_.boxes, std::vector<RecordedBox>{ErrorBox("No Line!")});
  ExpectOutputUntouched();
  boxes_.boxes.clear();
  WriteBytes(input_path(), "b\na\n");
  RunPaths(input_path(), NullDevice(), 0, 0, 1);
  EXPECT_EQ(LastResult, 0);
  EXPECT_EQ(boxes_.boxes, std::vector<RecordedBox>{FinishBox("Finish!")});
  ExpectReleased();
}

TEST_F(RunSortTest, SortingAFileOntoItselfWorks) {
  WriteBytes(input_path(), "c\nb\na\n");
  RunPaths(input_path(), input_path(), 0, 0, 1);
  EXPECT_EQ(LastResult, 0);
  EXPECT_EQ(ReadBytes(input_path()), "a\r\nb\r\nc\r\n");
}

AllocationSite failing_site;

bool FailAtChosenSite(AllocationSite site, std::size_t) {
  return site != failing_site;
}

class ScopedAllocationFailure {
 public:
  explicit ScopedAllocationFailure(AllocationSite site) {
    failing_site = site;
    previous_ = SetAllocationFilter(FailAtChosenSite);
  }
  ~ScopedAllocationFailure() { SetAllocationFilter(previous_); }

 private:
  AllocationFilter previous_;
};

TEST_F(RunSortTest, AllocationFailuresStopTheRunWithoutClosingBox) {
  const std::pair<AllocationSite, const char*> cases[] = {
      {AllocationSite::kReadBuffer, "Memory Allocate Error![readbuf]"},
      {AllocationSite::kLineTable, "Memory Allocate Error!(Base)"},
      {AllocationSite::kResultBlock, "Memory Allocate Error![hMem]"},
  };
  PrepareOutput();
  WriteBytes(input_path(), "b\na\n");
  for (const auto& [site, message] : cases) {
    SCOPED_TRACE(message);
    boxes_.boxes.clear();
    {
      ScopedAllocationFailure failure(site);
      RunPaths(input_path(), output_path(), 0, 0, 1);
    }
    EXPECT_EQ(LastResult, -1);
    EXPECT_EQ(boxes_.boxes, std::vector<RecordedBox>{ErrorBox(message)});
    ExpectOutputUntouched();
    ExpectReleased();
  }
  // With the filter gone the same run goes through.
  EXPECT_EQ(Sorted("b\na\n", 0), "a\r\nb\r\n");
}

TEST_F(RunSortTest, RepeatsAreDroppedOnlyWhenAdjacentAfterSorting) {
  // A column beyond every line keeps four lines in input order, so the
  // identical lines never meet.
  EXPECT_EQ(Sorted("x\ny\nx\ny\n", 4, 5, 1), "x\r\ny\r\nx\r\ny\r\n");
  EXPECT_EQ(Sorted("x\nx\ny\ny\n", 4, 5, 1), "x\r\ny\r\n");
}

TEST_F(RunSortTest, RepeatFilterComparesWholeLinesWhateverTheKey) {
  // Equal keys, different lines: both stay.
  EXPECT_EQ(Sorted("a,1\nb,1\n", 4, 1, 2), "a,1\r\nb,1\r\n");
  EXPECT_EQ(Sorted("b,2\na,1\na,1\n", 4, 1, 2), "a,1\r\nb,2\r\n");
  // Numeric keys say nothing about case; the filter still folds in mode 6.
  EXPECT_EQ(Sorted("a\nA\n", 6, 0, 5), "a\r\n");
  EXPECT_EQ(Sorted("a\nA\n", 4, 0, 5), "a\r\nA\r\n");
}

TEST_F(RunSortTest, RepeatFilterKeepsCaseUnlessCaseIsIgnored) {
  EXPECT_EQ(Sorted("a\nA\na\n", 4), "A\r\na\r\n");
  EXPECT_EQ(Sorted("a\nA\na\n", 5), "a\r\nA\r\n");
  EXPECT_EQ(Sorted("a\nA\na\n", 6), "A\r\n");
  EXPECT_EQ(Sorted("a\nA\na\n", 7), "A\r\n");
}

class ScopedLocale {
 public:
  explicit ScopedLocale(const char* name)
      : previous_(std::setlocale(LC_ALL, nullptr)),
        ok_(std::setlocale(LC_ALL, name) != nullptr) {}
  ~ScopedLocale() { std::setlocale(LC_ALL, previous_.c_str()); }
  bool ok() const { return ok_; }

 private:
  std::string previous_;
  bool ok_;
};

TEST_F(RunSortTest, RepeatFilterFoldsCaseByTheLocaleBeyondAscii) {
  ScopedLocale locale("C.UTF-8");
  if (!locale.ok()) GTEST_SKIP() << "no C.UTF-8 locale";
  const std::string upper = "\xc3\x89";  // E acute
  const std::string lower = "\xc3\xa9";  // e acute
  EXPECT_EQ(Sorted(lower + "\n" + upper + "\n", 6), upper + "\r\n");
  EXPECT_EQ(Sorted(lower + "\n" + upper + "\n", 4),
            upper + "\r\n" + lower + "\r\n");
}

// Large tables have their result built from both ends at once; the filter
// must still see every neighbour pair, the one across the middle included.
TEST_F(RunSortTest, RepeatFilterOnLargeTablesFoldsByTheLocale) {
  ScopedLocale locale("C.UTF-8");
  if (!locale.ok()) GTEST_SKIP() << "no C.UTF-8 locale";
  const std::string upper = "\xc3\x89";
  const std::string lower = "\xc3\xa9";
  std::string input;
  for (int i = 0; i < 70000; ++i) {
    input += i % 7 == 0 ? "a" : i % 2 ? upper : lower;
    input += "\n";
  }
  // Folding a to z only, a sorts first, then the upper and the lower e acute.
  EXPECT_EQ(Sorted(input, 6), "a\r\n" + upper + "\r\n");
  EXPECT_EQ(Sorted(input, 4), "a\r\n" + upper + "\r\n" + lower + "\r\n");
  EXPECT_EQ(Sorted(input, 5), lower + "\r\n" + upper + "\r\na\r\n");
}

TEST_F(RunSortTest, KindsThatSortNothingKeepInputOrderAndStillFilter) {
  const std::int32_t kinds[] = {0, 3, 4, 7, 8, 9, -1, INT32_MIN};
  for (std::int32_t kind : kinds) {
    SCOPED_TRACE(kind);
    EXPECT_EQ(Sorted("b\r\na\nb\nb\nc", 0, 0, kind),
              "b\r\na\r\nb\r\nb\r\nc\r\n");
    EXPECT_EQ(Sorted("b\r\na\nb\nb\nc", 4, 0, kind), "b\r\na\r\nb\r\nc\r\n");
    EXPECT_EQ(Sorted("b\nB\na\n", 6, 3, kind), "b\r\na\r\n");
    EXPECT_EQ(Sorted("b\nB\na\n", 1, 3, kind), "b\r\nB\r\na\r\n");
  }
}

TEST_F(RunSortTest, BytesAboveAsciiSortAfterAscii) {
  const std::string sjis = "\x82\xa0";      // Shift-JIS hiragana a
  const std::string utf8 = "\xe3\x81\x82";  // UTF-8 hiragana a
  const std::string input = sjis + "\n~\nz\n" + utf8 + "\nA\n\x7f\n";
  EXPECT_EQ(Sorted(input, 0),
            "A\r\nz\r\n~\r\n\x7f\r\n" + sjis + "\r\n" + utf8 + "\r\n");
  EXPECT_EQ(Sorted(input, 1),
            utf8 + "\r\n" + sjis + "\r\n\x7f\r\n~\r\nz\r\nA\r\n");
}

// Folding is per byte, so a trail byte in a to z folds like a letter.
TEST_F(RunSortTest, IgnoringCaseFoldsTrailBytesToo) {
  const std::string folded = "\x82\x61";
  const std::string other = "\x82\x42";
  EXPECT_EQ(Sorted(other + "\n" + folded + "\n", 2),
            folded + "\r\n" + other + "\r\n");
  EXPECT_EQ(Sorted(folded + "\n" + other + "\n", 0),
            other + "\r\n" + folded + "\r\n");
}

struct KeyCase {
  const char* name;
  std::string input;
  std::int32_t pos;
  std::int32_t kind;
  std::string output;
};

TEST_F(RunSortTest, KeyPositionsFarOutsideTheLinesAreHarmless) {
  const KeyCase cases[] = {
      {"huge column: three lines rotate", "c\na\nb\n", INT32_MAX, 1,
       "a\r\nc\r\nb\r\n"},
      {"negative column: four lines keep order", "d\nc\nb\na\n", -1, 1,
       "d\r\nc\r\nb\r\na\r\n"},
      {"negative column number", "9\n1\n", -5, 5, "9\r\n1\r\n"},
      {"most negative column", "b\na\n", INT32_MIN, 1, "b\r\na\r\n"},
      {"negative field: first field", "b,1\na,2\n", -1, 2, "a,2\r\nb,1\r\n"},
      {"negative field: later fields ignored", "a,2\na,1\n", -1, 2,
       "a,2\r\na,1\r\n"},
      {"huge field", "b\na\n", INT32_MAX, 2, "b\r\na\r\n"},
      {"huge field number", "9,9\n1,1\n", INT32_MAX, 6, "9,9\r\n1,1\r\n"},
      {"most negative field number", "10,x\n9,y\n", INT32_MIN, 6,
       "9,y\r\n10,x\r\n"},
      {"column just past a short line", "ab\nabc\n", 2, 1, "ab\r\nabc\r\n"},
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Sorted(c.input, 0, c.pos, c.kind), c.output);
  }
}

TEST_F(RunSortTest, NumbersSortByExactValue) {
  EXPECT_EQ(Sorted("09012345678\n999\n3000000000\n1\n-0\n-1\n", 0, 0, 5),
            "-1\r\n-0\r\n1\r\n999\r\n3000000000\r\n09012345678\r\n");
  EXPECT_EQ(Sorted("x,99999999999999999999\ny,\"100\"\nz,-5\n", 1, 1, 6),
            "x,99999999999999999999\r\ny,\"100\"\r\nz,-5\r\n");
}

// A hundred megabytes in one line, with no line feed at all.
TEST_F(RunSortTest, OneHundredMegabyteLineIsWrittenWhole) {
  std::string line(100u << 20, 'x');
  line.front() = '<';
  line.back() = '>';
  Run(line, 0, 0, 1);
  EXPECT_EQ(LastResult, 0);
  EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"Finish!"});
  EXPECT_EQ(LineCount, 1u);
  EXPECT_EQ(OutputSize, line.size() + 2);
  const std::string output = ReadBytes(output_path());
  ASSERT_EQ(output.size(), line.size() + 2);
  EXPECT_TRUE(output.compare(0, line.size(), line) == 0);
  EXPECT_EQ(output.substr(line.size()), "\r\n");
  ExpectReleased();
}

TEST_F(RunSortTest, TenMillionEmptyLinesAreCountedAndWritten) {
  const std::size_t n = 10'000'000;
  const std::string input(n, '\n');
  Run(input, 0, 0, 1);
  EXPECT_EQ(LastResult, 0);
  EXPECT_EQ(LineCount, n);
  EXPECT_EQ(OutputSize, 2 * n);
  std::string expected;
  expected.reserve(2 * n);
  for (std::size_t i = 0; i < n; ++i) expected += "\r\n";
  const std::string output = ReadBytes(output_path());
  EXPECT_EQ(output.size(), 2 * n);
  EXPECT_TRUE(output == expected);
  ExpectReleased();

  Run(input, 4, 0, 1);
  EXPECT_EQ(LastResult, 0);
  EXPECT_EQ(ReadBytes(output_path()), "\r\n");
}

}  // namespace
}  // namespace tarnel
