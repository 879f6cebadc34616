// A file receives the result in pieces as they are built, a few megabytes at
// a time; the clipboard receives it as one block. These runs are long enough
// for many pieces, so that repeats, long lines and memory failures fall on
// piece boundaries.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/result_block.h"
#include "engine/run_sort.h"
#include "platform/memory.h"
#include "platform/testing/fake_clipboard.h"
#include "platform/testing/recording_message_boxes.h"
#include "tests/support/temp_dir.h"

namespace tarnel {
namespace {

using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteBytes;

class StreamedOutputTest : public ::testing::Test {
 protected:
  std::string input_path() const { return folder_ / "in.txt"; }
  std::string output_path() const { return folder_ / "out.txt"; }

  /// Sorts the input file into the output file; the run must succeed.
  std::string ToFile(std::int32_t mode, std::int32_t key_pos,
                     std::int32_t key_kind) {
    boxes_.boxes.clear();
    RunSort(nullptr, mode, input_path().c_str(), output_path().c_str(), key_pos,
            key_kind, 1);
    EXPECT_EQ(LastResult, 0);
    EXPECT_TRUE(boxes_.boxes.empty());
    return ReadBytes(output_path());
  }

  /// Sorts the input file onto the clipboard; the run must succeed.
  std::string ToClipboard(std::int32_t mode, std::int32_t key_pos,
                          std::int32_t key_kind) {
    FakeClipboard clipboard;
    boxes_.boxes.clear();
    RunSort(nullptr, mode, input_path().c_str(), nullptr, key_pos, key_kind, 1);
    EXPECT_EQ(LastResult, 0);
    EXPECT_TRUE(boxes_.boxes.empty());
    return clipboard.text().value_or("<no text>");
  }

  TempDir folder_;
  RecordingMessageBoxes boxes_;
};

// About 7 MB of short lines from a small alphabet: many lines repeat, some
// only ignoring case, so repeats meet across every piece boundary. Some
// lines are about as long as the blocks short lines are copied in, and some
// end in a carriage return of their own.
std::string RepeatHeavyText(std::mt19937& rng) {
  const std::string long_word(29, 'w');
  const std::string words[] = {
      "apple", "Apple", "APPLE",     "b",       "B",  "",  "cherry,1", "cr\r",
      "fig\r", "0",     "cherry,01", "date,-5", "10", "9", long_word};
  std::string text;
  while (text.size() < 7'000'000) {
    const auto count = static_cast<unsigned>(1 + rng() % 3);
    for (unsigned i = 0; i < count; ++i) {
      text += words[rng() % std::size(words)];
      if (i + 1 < count) text += ',';
    }
    text += (rng() % 4 == 0) ? "\r\n" : "\n";
  }
  return text;
}

struct Job {
  std::int32_t mode, key_pos, key_kind;
};

TEST_F(StreamedOutputTest, FileGetsTheSameBytesAsTheClipboard) {
  std::mt19937 rng(2026);
  WriteBytes(input_path(), RepeatHeavyText(rng));
  const Job jobs[] = {{0, 0, 1}, {1, 0, 1}, {4, 0, 1}, {5, 0, 1}, {6, 0, 1},
                      {7, 0, 1}, {4, 1, 2}, {6, 2, 1}, {5, 1, 6}, {4, 0, 0}};
  for (const Job& job : jobs) {
    SCOPED_TRACE("mode " + std::to_string(job.mode) + ", KeyPos " +
                 std::to_string(job.key_pos) + ", KeyKind " +
                 std::to_string(job.key_kind));
    const std::string file = ToFile(job.mode, job.key_pos, job.key_kind);
    const std::string clipboard =
        ToClipboard(job.mode, job.key_pos, job.key_kind);
    ASSERT_EQ(file.size(), clipboard.size());
    ASSERT_TRUE(file == clipboard);
  }
}

// Whole lines in byte order with repeats dropped: lines that compare equal
// are the same bytes, so the expected result is known without the line sort.
TEST_F(StreamedOutputTest, DroppedRepeatsMatchASortedUniqueList) {
  std::mt19937 rng(7);
  std::vector<std::string> lines;
  std::string text;
  for (int i = 0; i < 400'000; ++i) {
    std::string line = "key" + std::to_string(rng() % 150'000);
    line.append(rng() % 8, 'x');
    text += line + "\n";
    lines.push_back(std::move(line));
  }
  WriteBytes(input_path(), text);
  std::sort(lines.begin(), lines.end());
  lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
  std::string expected;
  for (const std::string& line : lines) expected += line + "\r\n";

  const std::string result = ToFile(4, 0, 1);
  ASSERT_EQ(result.size(), expected.size());
  EXPECT_TRUE(result == expected);
}

// A line longer than a whole piece makes its piece grow.
TEST_F(StreamedOutputTest, LineLongerThanAPieceIsWrittenWhole) {
  const std::string long_line(9'000'000, 'm');
  std::string text;
  for (int i = 0; i < 300'000; ++i) {
    text += 'z';
    text += std::to_string(i);
    text += '\n';
  }
  text += long_line;
  text += "\na\n";
  WriteBytes(input_path(), text);

  const std::string result = ToFile(0, 0, 1);
  ASSERT_GT(result.size(), long_line.size());
  EXPECT_EQ(result.substr(0, 3), "a\r\n");
  EXPECT_TRUE(result.compare(3, long_line.size(), long_line) == 0);
  EXPECT_EQ(result.substr(3 + long_line.size(), 4), "\r\nz0");
}

bool RefuseGrownPieces(AllocationSite site, std::size_t bytes) {
  return site != AllocationSite::kResultBlock ||
         bytes <= (std::size_t{4} << 20);
}

// When a piece cannot grow the run stops as when the result block cannot be
// had: the box, no closing box, the old file untouched and nothing left over.
// Alone, the long line is the only piece; among many short lines, pieces
// before it have been written, and the other thread holds the piece after.
TEST_F(StreamedOutputTest, PieceThatCannotGrowStopsTheRunCleanly) {
  const std::string long_line(9'000'000, 'm');
  std::string among_many;
  for (int i = 0; i < 600'000; ++i) {
    among_many += (i % 2 ? 'a' : 'z') + std::to_string(i) + '\n';
  }
  among_many += long_line + '\n';
  const std::string texts[] = {long_line + "\na\n", among_many};
  for (const std::string& text : texts) {
    SCOPED_TRACE(text.size());
    WriteBytes(input_path(), text);
    WriteBytes(output_path(), "previous\n");
    boxes_.boxes.clear();
    const AllocationFilter previous = SetAllocationFilter(RefuseGrownPieces);
    RunSort(nullptr, 0, input_path().c_str(), output_path().c_str(), 0, 1, 0);
    SetAllocationFilter(previous);

    EXPECT_EQ(LastResult, -1);
    EXPECT_EQ(boxes_.Texts(),
              std::vector<std::string>{"Memory Allocate Error![hMem]"});
    EXPECT_EQ(ReadBytes(output_path()), "previous\n");
    std::vector<std::string> names;
    for (const auto& entry :
         std::filesystem::directory_iterator(folder_.path())) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"in.txt", "out.txt"}));
    EXPECT_EQ(Base, nullptr);
  }
}

}  // namespace
}  // namespace tarnel
