// The radix sort of whole lines: the lines it cuts, the order it gives, and
// its refusal when lines that compare equal differ.
#include "engine/radix_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/run_sort.h"
#include "platform/ascii_fold.h"
#include "platform/memory.h"

namespace tarnel {
namespace {

// The lines the table holds, in its order, as the result shows them.
std::vector<std::string> LinesOf(const std::string& text,
                                 const RadixTable& table) {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < table.count; ++i) {
    if (table.held_whole) {
      char held[16];
      lines.emplace_back(held, HeldLine(table.items[i], held));
    } else {
      const char* line = RadixLine(text.c_str(), table.items[i]);
      lines.emplace_back(line, LineContentEnd(line));
    }
  }
  return lines;
}

// The lines SplitLines cuts from the same text, in text order.
std::vector<std::string> SplitByTheLineSort(std::string text) {
  const std::size_t n = CountLines(text.c_str());
  if (n == 0) return {};
  EXPECT_EQ(AllocBase(n), 0);
  SplitLines(text.data(), n);
  std::vector<std::string> lines(Base, Base + LineCount);
  FreeBase();
  return lines;
}

std::vector<std::string> SortedBytes(std::vector<std::string> lines,
                                     bool fold) {
  std::stable_sort(lines.begin(), lines.end(),
                   [fold](const std::string& a, const std::string& b) {
                     return fold ? FoldedCopy(a) < FoldedCopy(b) : a < b;
                   });
  return lines;
}

// Builds and sorts |text|; false when the sort refused.
bool RadixSorted(const std::string& text, bool fold, bool parallel,
                 std::vector<std::string>* sorted,
                 RadixTable* table_out = nullptr) {
  RadixTable table;
  EXPECT_TRUE(BuildRadixTable(text.c_str(), fold, parallel,
                              AllocationSite::kSortKeys, &table));
  const bool sorted_ok = SortRadixTable(text.c_str(), table, fold, parallel);
  *sorted = LinesOf(text, table);
  if (table_out) *table_out = std::move(table);
  return sorted_ok;
}

std::string Joined(const std::vector<std::string>& lines, const char* end) {
  std::string text;
  for (const std::string& line : lines) text += line + end;
  return text;
}

TEST(LineContentEndTest, StopsAtTheLineEndWithoutItsCarriageReturn) {
  const std::string text("ab\r\ncd\re\nf\r");
  EXPECT_EQ(LineContentEnd(text.c_str()), text.c_str() + 2);
  EXPECT_EQ(LineContentEnd(text.c_str() + 4), text.c_str() + 8);
  EXPECT_EQ(LineContentEnd(text.c_str() + 9), text.c_str() + 10);
  EXPECT_EQ(LineContentEnd(text.c_str() + 11), text.c_str() + 11);
}

// Lines of every length up to 130 bytes, some ending in CR LF, the last
// with no line end: their ends fall at every place of a block of 64 bytes.
std::string LinesOfEveryLength() {
  std::string text;
  for (std::size_t length = 0; length <= 130; ++length) {
    text += std::string(length, static_cast<char>('a' + length % 26));
    if (length < 130) text += length % 3 == 0 ? "\r\n" : "\n";
  }
  return text;
}

TEST(RadixTableTest, CutsTheSameLinesAsTheLineSort) {
  for (const std::string& text :
       {std::string("b\na\n"), std::string("b\r\na"), std::string("\n\n\r\n"),
        std::string("x\ry\r\nlast\r"), std::string("one\ntwo\0three\n", 14),
        std::string("a long line that goes past twelve bytes\r\nshort\n"),
        LinesOfEveryLength()}) {
    RadixTable table;
    ASSERT_TRUE(BuildRadixTable(text.c_str(), false, false,
                                AllocationSite::kSortKeys, &table));
    std::vector<std::string> cut = LinesOf(text, table);
    std::sort(cut.begin(), cut.end());
    std::vector<std::string> expected = SplitByTheLineSort(text);
    const std::size_t n = expected.size();
    std::uint64_t bytes = 0;
    for (const std::string& line : expected) bytes += line.size() + 2;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(cut, expected) << text;
    EXPECT_EQ(table.count, n);
    EXPECT_EQ(table.result_bytes, bytes);
  }
}

TEST(RadixTableTest, AnEmptyTextHasNoTable) {
  RadixTable table;
  EXPECT_FALSE(
      BuildRadixTable("", false, false, AllocationSite::kSortKeys, &table));
  EXPECT_EQ(table.count, 0u);
}

TEST(RadixTableTest, RefusedMemoryLeavesNoTable) {
  const AllocationFilter previous =
      SetAllocationFilter([](AllocationSite site, std::size_t) {
        return site != AllocationSite::kLineTable;
      });
  RadixTable table;
  EXPECT_FALSE(BuildRadixTable("b\na\n", false, false,
                               AllocationSite::kLineTable, &table));
  EXPECT_EQ(table.items, nullptr);
  SetAllocationFilter(previous);
}

// The items are asked for between the count and the fill: the moment for
// the text to change, as a mapped file written by another program does.
std::string* changing_text = nullptr;
const char* changed_to = nullptr;

bool ChangeTextOnItems(AllocationSite site, std::size_t) {
  if (site == AllocationSite::kLineTable && changing_text) {
    std::exchange(changing_text, nullptr)->assign(changed_to);
  }
  return true;
}

TEST(RadixTableTest, FillThatDoesNotMatchTheCountRefusesInsideItsBuckets) {
  struct Case {
    const char* counted;
    const char* filled;
    std::vector<std::string> sorted;  ///< none: refused
  };
  const Case cases[] = {
      {"b\nb\na\nc\n", "c\nb\na\nc\n", {}},  // a line in another bucket
      {"zzz\n", "z\nz\n", {}},               // unbounded, past the table's end
      {"a\nb\n", "axb\n", {}},               // a bucket left short
      {"a\nb\nc\nd\n", "c\nd\na\nb\n", {}},  // lines in the other half
      {"ab\ncd\n", "ax\ncy\n", {"ax", "cy"}},  // the same first bytes
  };
  const AllocationFilter previous = SetAllocationFilter(ChangeTextOnItems);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.filled);
    std::string text = c.counted;
    text.reserve(64);  // changed in place, never moved
    changing_text = &text;
    changed_to = c.filled;
    RadixTable table;
    const bool built = BuildRadixTable(text.c_str(), false, false,
                                       AllocationSite::kLineTable, &table);
    ASSERT_EQ(text, c.filled);
    ASSERT_EQ(built, !c.sorted.empty());
    EXPECT_EQ(table.count, c.sorted.size());
    if (built) {
      ASSERT_TRUE(SortRadixTable(text.c_str(), table, false, false));
      EXPECT_EQ(LinesOf(text, table), c.sorted);
    }
  }
  SetAllocationFilter(previous);
}

TEST(RadixTableTest, ShortLinesAreHeldWholeAndGiveTheTextBack) {
  std::vector<std::string> lines = {"12345678901", "9", "123456789",
                                    "12345678900"};
  std::mt19937 rng(11);
  // Enough text for whole pages of it to go back during the fill.
  while (lines.size() < 400000) lines.push_back(std::to_string(rng() % 100000));
  const std::string text = Joined(lines, "\n");
  ZeroedBuffer source =
      ZeroedBuffer::Allocate(text.size() + 1, AllocationSite::kReadBuffer);
  std::copy(text.begin(), text.end(), source.data());
  RadixTable table;
  ASSERT_TRUE(BuildRadixTable(source.data(), false, false,
                              AllocationSite::kSortKeys, &table, &source));
  EXPECT_TRUE(table.held_whole);
#if defined(__unix__)
  // A whole page near the start reads as zeros once given back. Windows'
  // heap cannot give back a page at a time, so there it keeps its bytes.
  const auto start = reinterpret_cast<std::uintptr_t>(source.data());
  const char* page =
      reinterpret_cast<const char*>((start + 2 * 4096) / 4096 * 4096);
  EXPECT_EQ(std::count(page, page + 4096, '\0'), 4096);
#endif
  ASSERT_TRUE(SortRadixTable(source.data(), table, false, false));
  EXPECT_EQ(LinesOf(text, table), SortedBytes(lines, false));
  // Twelve bytes, or a case folded, are no longer held whole.
  RadixTable longer;
  ASSERT_TRUE(BuildRadixTable("123456789012\n", false, false,
                              AllocationSite::kSortKeys, &longer));
  EXPECT_FALSE(longer.held_whole);
  RadixTable folded;
  ASSERT_TRUE(
      BuildRadixTable("ab\n", true, false, AllocationSite::kSortKeys, &folded));
  EXPECT_FALSE(folded.held_whole);
}

// Words with long shared prefixes, case twins, empty lines, bytes above
// 127 and carriage returns.
std::vector<std::string> Lines(std::mt19937& rng, std::size_t n,
                               bool case_twins) {
  static const char* const kPieces[] = {"",
                                        "a",
                                        "b",
                                        "z",
                                        "0",
                                        "9",
                                        "~",
                                        "\xe6\x9d\xb1",
                                        "\x82\xa0",
                                        "sameprefix-sameprefix-",
                                        "12345678",
                                        "1234567",
                                        "123456789012"};
  std::vector<std::string> lines(n);
  for (std::string& line : lines) {
    const int pieces = static_cast<int>(rng() % 5);
    for (int p = 0; p < pieces; ++p)
      line += kPieces[rng() % std::size(kPieces)];
    if (case_twins && rng() % 3 == 0 && !line.empty()) {
      line[0] = static_cast<char>(std::toupper(line[0]));
    }
    if (rng() % 7 == 0) line += "\r";
  }
  return lines;
}

TEST(RadixSortTest, GivesTheByteOrderOfEveryLine) {
  std::mt19937 rng(99);
  for (std::size_t n : {1u, 2u, 3u, 30u, 3000u, 100000u}) {
    for (bool parallel : {false, true}) {
      const std::vector<std::string> lines = Lines(rng, n, true);
      const std::string text = Joined(lines, "\n");
      std::vector<std::string> sorted;
      ASSERT_TRUE(RadixSorted(text, false, parallel, &sorted));
      EXPECT_EQ(sorted, SortedBytes(SplitByTheLineSort(text), false))
          << "n " << n;
    }
  }
}

// The line's end is looked for eight bytes at a time past the first
// twelve: bytes that look like an end to bit tricks (1 and 11 beside a NUL
// or a line feed), carriage returns inside the line and right before its
// end, at every place in the eight, near the end of the text or not.
TEST(RadixSortTest, LineEndsAmongTheBytesReadAtOnceAreFoundExactly) {
  const char kBytes[] = {'\x01', '\x0b', '\r',   'a',
                         '\x7f', '\x80', '\xff', '\t'};
  std::mt19937 rng(12);
  for (const char* end : {"\n", "\r\n"}) {
    for (std::size_t n : {40u, 5000u}) {
      std::vector<std::string> lines;
      for (std::size_t i = 0; i < n; ++i) {
        // A line that starts with 11 puts it right after a line feed.
        const char* const kStarts[] = {"shared-twelv",
                                       "shared-prefix-of-twenty", "\x0bshared"};
        std::string line = kStarts[i % 3];
        const std::size_t tail = rng() % 19;
        for (std::size_t k = 0; k < tail; ++k) {
          line += kBytes[rng() % std::size(kBytes)];
        }
        lines.push_back(line);
      }
      for (const bool last_ended : {true, false}) {
        std::string text = Joined(lines, end);
        if (!last_ended) text.resize(text.size() - std::strlen(end));
        std::vector<std::string> sorted;
        ASSERT_TRUE(RadixSorted(text, false, true, &sorted));
        EXPECT_EQ(sorted, SortedBytes(SplitByTheLineSort(text), false))
            << "n " << n << ", line end " << (end[0] == '\r' ? "CR LF" : "LF")
            << (last_ended ? "" : ", last line unended");
      }
    }
  }
}

TEST(RadixSortTest, OneFirstByteForMostLinesStillSortsOnTwoThreads) {
  std::mt19937 rng(7);
  std::vector<std::string> lines = Lines(rng, 120000, false);
  for (std::size_t i = 0; i < lines.size(); i += 10) lines[i] = "x" + lines[i];
  for (std::string& line : lines) line = "2024-" + line;
  const std::string text = Joined(lines, "\r\n");
  std::vector<std::string> sorted;
  ASSERT_TRUE(RadixSorted(text, false, true, &sorted));
  EXPECT_EQ(sorted, SortedBytes(SplitByTheLineSort(text), false));
}

TEST(RadixSortTest, FoldedLinesThatAllDifferAreSorted) {
  std::mt19937 rng(5);
  std::vector<std::string> lines = Lines(rng, 40000, true);
  // One spelling of each folded line; a carriage return at the end is part
  // of the line end.
  for (std::string& line : lines) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
  }
  std::map<std::string, std::string> by_fold;
  for (const std::string& line : lines) by_fold.emplace(FoldedCopy(line), line);
  std::vector<std::string> unique;
  for (const auto& [fold, line] : by_fold) unique.push_back(line);
  std::shuffle(unique.begin(), unique.end(), rng);
  unique.push_back(unique.front());  // the very same bytes may repeat
  const std::string text = Joined(unique, "\n");
  std::vector<std::string> sorted;
  ASSERT_TRUE(RadixSorted(text, true, true, &sorted));
  EXPECT_EQ(sorted, SortedBytes(SplitByTheLineSort(text), true));
}

TEST(RadixSortTest, RefusesLinesEqualOnlyWithTheCaseFolded) {
  for (const std::string& text :
       {std::string("Apple\napple\n"), std::string("b\nx\nX\na\n"),
        std::string("same-long-prefix-Q\nsame-long-prefix-q\n")}) {
    std::vector<std::string> sorted;
    EXPECT_FALSE(RadixSorted(text, true, false, &sorted)) << text;
    EXPECT_TRUE(RadixSorted(text, false, false, &sorted)) << text;
  }
  // Among many lines, one pair of twins is enough.
  std::mt19937 rng(3);
  std::vector<std::string> lines = Lines(rng, 50000, false);
  lines.push_back("Twin-line-with-a-long-body");
  lines.push_back("twin-line-with-a-long-body");
  std::shuffle(lines.begin(), lines.end(), rng);
  std::vector<std::string> sorted;
  EXPECT_FALSE(RadixSorted(Joined(lines, "\n"), true, true, &sorted));
}

TEST(RadixSortTest, SortsItemsItWasGivenDirectly) {
  const std::string text = "pear\nfig\napple\nfig\n";
  std::vector<RadixItem> items(4);
  const char* starts[] = {text.c_str(), text.c_str() + 5, text.c_str() + 9,
                          text.c_str() + 15};
  for (int i = 0; i < 4; ++i) {
    SetRadixItem(items[static_cast<std::size_t>(i)], text.c_str(), starts[i],
                 false);
  }
  ASSERT_TRUE(RadixSortLines(text.c_str(), items.data(), 4, false, false));
  std::vector<std::string> sorted;
  for (const RadixItem& item : items) {
    const char* line = RadixLine(text.c_str(), item);
    sorted.emplace_back(line, LineContentEnd(line));
  }
  EXPECT_EQ(sorted, (std::vector<std::string>{"apple", "fig", "fig", "pear"}));
}

}  // namespace
}  // namespace tarnel
