// The engine sorts by precomputed keys; users must get exactly the order the
// line comparators give, ties included. These tests hunt for any pair of
// lines on which the two disagree, on inputs built to be full of ties.
#include "engine/keyed_sort.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/comparators.h"
#include "engine/line_sort.h"
#include "engine/sort_selection.h"
#include "platform/memory.h"
#include "tests/support/escaped.h"

namespace tarnel {
namespace {

using testing_support::Escaped;

const char* const kPieces[] = {
    // Letters on both sides of the punctuation that folding moves.
    "a",
    "A",
    "b",
    "B",
    "z",
    "Z",
    "m",
    "_",
    "[",
    "`",
    "~",
    // Field and number syntax.
    ",",
    ",",
    ",",
    "\"",
    "\" ",
    " ",
    "\t",
    "-",
    "+",
    "0",
    "7",
    "9",
    "\r",
    // Bytes above ASCII, with a trail byte inside a to z.
    "\x80",
    "\x82\x61",
    "\x82\x41",
    "\xe3\x81\x82",
    "\xff",
    // Numbers around and beyond 64 bits, with ties by value.
    "12345678901234567890123",
    "12345678901234567890124",
    "-99999999999999999999",
    "999999999999999999",
    "1000000000000000000",
    "-1000000000000000000",
    "000000000000000000000042",
    "42",
    "-0",
    "+0",
    "3000000000",
    "2147483648",
    "-2147483649",
    "9223372036854775807",
    "9223372036854775808",
    "18446744073709551616",
    "-18446744073709551616",
    "0000000000000000000000000000000000000000",
    // Long prefixes that agree beyond 8 bytes, some only ignoring case, and
    // keys ending on either side of the 11 to 15 bytes an item holds.
    "abcdefghijk",
    "ABCDEFGHIJKl,",
    "abcdefghij",
    "ABCDEFGHIJ",
    "abcdefgh",
    "ABCDEFGH",
    "abcdefghiJ",
    "0123456789012345678901",
    "abcdefghijklmn",
    "abcdefghijklmno",
    "ABCDEFGHIJKLMNOp",
    "abcdefghijklmnoP,",
};

std::string SwapCase(std::string line) {
  for (char& c : line) {
    if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 32);
    } else if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c + 32);
    }
  }
  return line;
}

/// Lines (no NUL, no line feed) rich in ties of every kind of key.
std::vector<std::string> TieHeavyLines(std::mt19937& rng, std::size_t n) {
  auto piece = [&rng] {
    return std::string(kPieces[rng() % std::size(kPieces)]);
  };
  std::vector<std::string> lines;
  while (lines.size() < n) {
    const auto pick = static_cast<unsigned>(rng() % 100);
    std::string line;
    if (!lines.empty() && pick < 15) {
      line = lines[rng() % lines.size()];
    } else if (!lines.empty() && pick < 30) {
      line = SwapCase(lines[rng() % lines.size()]);
    } else if (!lines.empty() && pick < 42) {
      line = lines[rng() % lines.size()] + piece();
    } else if (pick < 48) {
      line = piece() + "," + std::string(505 + rng() % 12, 'm') + piece() +
             "," + piece();
    } else {
      const auto count = static_cast<unsigned>(rng() % 7);
      for (unsigned i = 0; i < count; ++i) line += piece();
    }
    lines.push_back(line);
  }
  return lines;
}

const std::int32_t kKeyPositions[] = {0,  1,   2,  3,  9,         10,
                                      17, 513, -1, -2, INT32_MAX, INT32_MIN};

std::string Describe(const std::vector<std::string>& lines,
                     const std::vector<char*>& order) {
  std::string text;
  for (char* line : order) {
    text += "  ";
    text += Escaped(line, 40);
    text += "\n";
  }
  return text + "(" + std::to_string(lines.size()) + " lines)";
}

std::vector<char*> Pointers(std::vector<std::string>& lines) {
  std::vector<char*> base;
  for (std::string& line : lines) base.push_back(line.data());
  return base;
}

// The order is compared by identity, so lines with equal text still count
// as different lines.
TEST(SortKeysEquivalenceTest, SelectComparatorGivesThePlainComparatorOrder) {
  std::mt19937 rng(1234567);
  const std::int32_t kinds[] = {1, 2, 5, 6};
  for (int trial = 0; trial < 120; ++trial) {
    const std::size_t n =
        trial < 20 ? static_cast<std::size_t>(trial % 6) : 2 + rng() % 30;
    std::vector<std::string> lines = TieHeavyLines(rng, n);
    const std::vector<char*> input = Pointers(lines);
    for (std::int32_t kind : kinds) {
      for (std::int32_t pos : kKeyPositions) {
        for (int mode = 0; mode < kBaseModes; ++mode) {
          std::vector<char*> fast = input;
          std::vector<char*> plain = input;
          SelectComparator(fast.data(), fast.size(), mode, pos, kind);
          SortWithComparators(plain.data(), plain.size(), mode, pos, kind);
          ASSERT_EQ(fast, plain)
              << "trial " << trial << ", KeyKind " << kind << ", KeyPos " << pos
              << ", mode " << mode << "\nkeys:\n"
              << Describe(lines, fast) << "\ncomparators:\n"
              << Describe(lines, plain);
        }
      }
    }
  }
}

// Every row, including the ones SelectComparator reaches only at KeyPos 0
// and the column and field rows at KeyPos 0, which it never picks.
TEST(SortKeysEquivalenceTest, EveryRowAndModeGivesTheTableComparatorOrder) {
  std::mt19937 rng(42);
  for (int trial = 0; trial < 60; ++trial) {
    std::vector<std::string> lines = TieHeavyLines(rng, 2 + rng() % 24);
    const std::vector<char*> input = Pointers(lines);
    for (int row = 0; row < kComparatorRows; ++row) {
      for (int mode = 0; mode < kBaseModes; ++mode) {
        for (std::int32_t key : kKeyPositions) {
          std::vector<char*> fast = input;
          std::vector<char*> plain = input;
          KeyIndex = key;
          const LineComparator compare = ComparatorTable[row][mode];
          LineSort(plain.data(), plain.size(),
                   [compare](char*& a, char*& b) { return compare(&a, &b); });
          SortWithKeys(fast.data(), fast.size(),
                       static_cast<ComparatorRow>(row), mode, key);
          ASSERT_EQ(fast, plain)
              << "trial " << trial << ", row " << row << ", mode " << mode
              << ", key " << key << "\nkeys:\n"
              << Describe(lines, fast) << "\ncomparators:\n"
              << Describe(lines, plain);
        }
      }
    }
  }
}

// A two-line sort swaps exactly when the comparison is positive, which shows
// the sign of the key comparison for each ordered pair on its own.
TEST(SortKeysEquivalenceTest, EveryPairComparesWithTheComparatorSign) {
  std::mt19937 rng(99);
  std::vector<std::string> pool = TieHeavyLines(rng, 40);
  pool.push_back("");
  pool.push_back("-0");
  pool.push_back("a,");
  const std::int32_t keys[] = {0, 1, 2, 9, -1, INT32_MAX};
  for (int row = 0; row < kComparatorRows; ++row) {
    for (int mode = 0; mode < kBaseModes; ++mode) {
      for (std::int32_t key : keys) {
        for (std::string& a : pool) {
          for (std::string& b : pool) {
            if (&a == &b) continue;  // one line cannot show a swap
            char* pair[2] = {a.data(), b.data()};
            KeyIndex = key;
            const bool positive =
                ComparatorTable[row][mode](&pair[0], &pair[1]) > 0;
            SortWithKeys(pair, 2, static_cast<ComparatorRow>(row), mode, key);
            ASSERT_EQ(pair[0] == b.data(), positive)
                << "row " << row << ", mode " << mode << ", key " << key << ": "
                << Escaped(a) << " vs " << Escaped(b);
          }
        }
      }
    }
  }
}

std::size_t FirstDifference(const std::vector<char*>& a,
                            const std::vector<char*>& b) {
  std::size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
  return i;
}

// Large tables are keyed and sorted on several threads; the sides of a
// partition never share a line, so the order must still be the plain one.
// The keys agree on their first 15 bytes or 18 digits as often as not.
TEST(SortKeysEquivalenceTest, LargeTablesSortedOnThreadsGiveThePlainOrder) {
  std::mt19937 rng(5);
  std::vector<std::string> lines(140000);
  for (std::string& line : lines) {
    switch (rng() % 6) {
      case 0:
        line = "prefix-common-1";
        line += "aAbB_"[rng() % 5];
        break;
      case 1:
        line.assign(rng() % 2, '-');
        line += "1234567890123456789";
        line += std::to_string(rng() % 7);
        break;
      case 2:
        line = "k,";
        line.append(rng() % 3 + 14, 'x');
        line += ",";
        line += std::to_string(rng() % 5);
        break;
      case 3:
        line = "K,XXXXXXXXXXXXXXXX";
        line += "xX"[rng() % 2];
        break;
      case 4:
        line = std::to_string(rng() % 5);
        line.append(rng() % 3, ' ');
        break;
      default:
        line = kPieces[rng() % std::size(kPieces)];
        line += kPieces[rng() % std::size(kPieces)];
        break;
    }
  }
  const std::vector<char*> input = Pointers(lines);
  struct Config {
    std::int32_t kind, pos;
    int mode;
  };
  const Config configs[] = {{1, 0, 0}, {1, 0, 3},  {1, 3, 1},
                            {2, 1, 2}, {2, -1, 0}, {5, 0, 1},
                            {5, 1, 0}, {6, 1, 3},  {6, 0, 0}};
  for (const Config& c : configs) {
    std::vector<char*> fast = input;
    std::vector<char*> plain = input;
    SelectComparator(fast.data(), fast.size(), c.mode, c.pos, c.kind);
    SortWithComparators(plain.data(), plain.size(), c.mode, c.pos, c.kind);
    const std::size_t at = FirstDifference(fast, plain);
    if (at == fast.size()) continue;
    ADD_FAILURE() << "KeyKind " << c.kind << ", KeyPos " << c.pos << ", mode "
                  << c.mode << ": first difference at " << at << ": "
                  << Escaped(fast[at]) << " vs " << Escaped(plain[at]);
  }
}

// |lines| one after another in |block|, each ended by a NUL, as a mapped
// file or a read buffer holds a run's lines.
std::vector<char*> InOneBlock(const std::vector<std::string>& lines,
                              std::string& block) {
  for (const std::string& line : lines) block += line + '\0';
  std::vector<char*> base;
  for (char* at = block.data(); base.size() < lines.size();
       at += std::strlen(at) + 1) {
    base.push_back(at);
  }
  return base;
}

// Keys that agree up to a byte from 9 to 26 and there end, or differ in a
// high bit, a low bit or only in case and then end or go on; each between
// |before| and |after|. Bytes or codes, the items hold 11 to 24 of them.
std::vector<std::string> KeysAroundTheHeldBytes(const std::string& before,
                                                const std::string& after) {
  std::vector<std::string> lines;
  for (std::size_t at = 9; at <= 26; ++at) {
    const std::string common = std::string("abcdefghijklmnopqrstuvwxyz", at);
    lines.push_back(before + common + after);
    for (const char c : {'A', 'B', 'a', 'b', '\x01', '\x7f', '\x80', '\xff'}) {
      lines.push_back(before + common + c + after);
      lines.push_back(before + common + c + "xyz" + after);
    }
  }
  return lines;
}

// Numbers too long for 64 bits, of both signs: with 19 to 24 digits that
// share their first digits up to a digit from 2 to 18, and with 254 to 300
// digits, where the counts look alike in the items; each after |before|.
std::vector<std::string> NumbersPastTheHeldDigits(const std::string& before) {
  std::vector<std::string> lines;
  for (const char* sign : {"", "-"}) {
    for (const std::size_t count : {19u, 20u, 24u, 254u, 255u, 256u, 300u}) {
      for (const std::size_t at : {2u, 6u, 7u, 10u, 16u, 17u, 18u}) {
        for (const char digit : {'3', '4'}) {
          std::string number(count, '7');
          number[0] = '1';
          number[at] = digit;
          lines.push_back(before + sign + number);
        }
      }
    }
  }
  lines.push_back(before + "999999999999999999");
  lines.push_back(before + "-999999999999999999");
  return lines;
}

std::size_t key_bytes = 0;  // of the latest allocation for sort keys

bool NoteKeyBytes(AllocationSite site, std::size_t bytes) {
  if (site == AllocationSite::kSortKeys) key_bytes = bytes;
  return true;
}

// The 16-byte items hold the fewer key bits the more bits the span takes,
// and the 24-byte ones the most: with every share and every mode the order
// must be the plain comparator order, ties included.
TEST(SortKeysLayoutTest, EveryItemLayoutGivesThePlainOrder) {
  struct Case {
    ComparatorRow row;
    std::int32_t key;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {kWholeLineText, 0, KeysAroundTheHeldBytes("", "")},
      {kFieldText, 1, KeysAroundTheHeldBytes("x,", ",tail")},
      {kColumnText, 3, {"abc", "ab", "", "abcdefghijklmnopq", "abc\x01", "a"}},
      {kFieldNumber,
       1,
       {"a,12345678901234567890", "b,12345678901234567891", "c,", "d",
        "e,-99999999999999999999", "f,999999999999999999", "g,000042", "h,42"}},
      {kWholeLineNumber, 0, NumbersPastTheHeldDigits("")},
      {kFieldNumber, 2, NumbersPastTheHeldDigits("a,b,\"")},
  };
  const AllocationFilter previous = SetAllocationFilter(NoteKeyBytes);
  for (const Case& c : cases) {
    // Each line twice, so that the order of equal keys shows too.
    std::vector<std::string> lines = c.lines;
    lines.insert(lines.end(), c.lines.rbegin(), c.lines.rend());
    std::string block;
    const std::vector<char*> input = InOneBlock(lines, block);
    for (int mode = 0; mode < kBaseModes; ++mode) {
      std::vector<char*> plain = input;
      KeyIndex = c.key;
      const LineComparator compare = ComparatorTable[c.row][mode];
      LineSort(plain.data(), plain.size(),
               [compare](char*& a, char*& b) { return compare(&a, &b); });
      for (int bits = 0; bits <= kMostOffsetBits + 1; ++bits) {
        for (const bool coded : {false, true}) {
          const bool wide = bits > kMostOffsetBits;
          const KeyItemLayout layout{wide ? 0 : kCompactSpan, bits, coded};
          std::vector<char*> keyed = input;
          SortWithKeys(keyed.data(), keyed.size(), c.row, mode, c.key, nullptr,
                       {}, layout);
          EXPECT_EQ(key_bytes, (wide ? 24 : 16) * input.size());
          EXPECT_EQ(keyed, plain)
              << "row " << c.row << ", mode " << mode << ", offset bits "
              << bits << (coded ? ", coded" : "") << "\nkeyed:\n"
              << Describe(lines, keyed);
        }
      }
    }
  }
  SetAllocationFilter(previous);
}

// Codes take from 1 to 7 bits as the keys use 1 to 127 byte values, and
// the bytes themselves from 128 values on: keys of every such alphabet,
// sharing long prefixes, in every text row and mode.
TEST(SortKeysLayoutTest, CodesOfEveryWidthGiveThePlainOrder) {
  std::mt19937 rng(99);
  for (const int values :
       {1, 2, 3, 4, 5, 8, 9, 16, 17, 32, 33, 64, 65, 127, 128, 200}) {
    // The alphabet's values spread over 1 to 255, commas left out of it.
    std::vector<char> alphabet;
    for (int v = 0; v < values; ++v) {
      int byte = 1 + v * 254 / std::max(1, values - 1);
      if (byte == ',') ++byte;
      alphabet.push_back(static_cast<char>(byte));
    }
    std::vector<std::string> lines;
    for (int i = 0; i < 300; ++i) {
      std::string line = lines.empty() ? "" : lines[rng() % lines.size()];
      line.resize(rng() % (line.size() + 1));
      for (std::size_t n = rng() % 30; n > 0; --n) {
        line += alphabet[rng() % alphabet.size()];
      }
      lines.push_back("k," + line);
    }
    std::string block;
    const std::vector<char*> input = InOneBlock(lines, block);
    for (const ComparatorRow row : {kWholeLineText, kColumnText, kFieldText}) {
      for (int mode = 0; mode < kBaseModes; ++mode) {
        std::vector<char*> plain = input;
        KeyIndex = 1;
        const LineComparator compare = ComparatorTable[row][mode];
        LineSort(plain.data(), plain.size(),
                 [compare](char*& a, char*& b) { return compare(&a, &b); });
        for (const KeyItemLayout layout :
             {KeyItemLayout{kCompactSpan, 0, true},
              KeyItemLayout{kCompactSpan, kMostOffsetBits, true},
              KeyItemLayout{0, 0, true}}) {
          std::vector<char*> keyed = input;
          SortWithKeys(keyed.data(), keyed.size(), row, mode, 1, nullptr, {},
                       layout);
          EXPECT_EQ(keyed, plain)
              << values << " values, row " << row << ", mode " << mode
              << ", offset bits " << layout.offset_bits << "\nkeyed:\n"
              << Describe(lines, keyed);
        }
      }
    }
  }
}

// Enough lines in one block for the threads to key and sort 16-byte items,
// which every key takes by default.
TEST(SortKeysLayoutTest, ItemsOfLinesInOneBlockSortedOnThreadsKeepTheOrder) {
  std::mt19937 rng(2024);
  std::vector<std::string> lines = TieHeavyLines(rng, 70000);
  std::string block;
  const std::vector<char*> input = InOneBlock(lines, block);
  const AllocationFilter previous = SetAllocationFilter(NoteKeyBytes);
  for (int row = 0; row < kComparatorRows; ++row) {
    for (const int mode : {0, 3}) {
      const auto r = static_cast<ComparatorRow>(row);
      std::vector<char*> wide = input;
      SortWithKeys(wide.data(), wide.size(), r, mode, 1, nullptr, {}, {0});
      std::vector<char*> keyed = input;
      SortWithKeys(keyed.data(), keyed.size(), r, mode, 1);
      EXPECT_EQ(key_bytes, 16 * input.size());
      const std::size_t at = FirstDifference(keyed, wide);
      EXPECT_EQ(at, keyed.size())
          << "row " << row << ", mode " << mode << ": " << Escaped(keyed[at])
          << " vs " << Escaped(wide[at]);
    }
  }
  SetAllocationFilter(previous);
}

// A run hands its line table to the sort, which gives the table's pages back
// while the keys hold the lines and hands the sorted lines back at the
// table's start, in the memory it held or in other memory.
TEST(SortKeysTest, GivingTheTableBackKeepsThePlainOrder) {
  std::mt19937 rng(11);
  std::vector<std::string> lines = TieHeavyLines(rng, 300000);
  const std::vector<char*> input = Pointers(lines);
  for (const ComparatorRow row : {kWholeLineText, kFieldText, kFieldNumber}) {
    for (const int mode : {0, 3}) {
      ZeroedBuffer table = ZeroedBuffer::Allocate(input.size() * sizeof(char*),
                                                  AllocationSite::kLineTable);
      ASSERT_TRUE(table.valid());
      auto* const base = reinterpret_cast<char**>(table.data());
      std::copy(input.begin(), input.end(), base);
      std::vector<char*> plain = input;
      ASSERT_TRUE(SortWithKeys(base, input.size(), row, mode, 1, &table));
      SortWithKeys(plain.data(), plain.size(), row, mode, 1);
      auto* const sorted = reinterpret_cast<char**>(table.data());
      const std::vector<char*> fast(sorted, sorted + input.size());
      EXPECT_EQ(FirstDifference(fast, plain), fast.size())
          << "row " << row << ", mode " << mode;
    }
  }
}

// The key position is an argument: a KeyIndex left by an earlier sort must
// not change which field is compared.
TEST(SortKeysTest, SortsByItsOwnKeyPositionWhateverKeyIndexHolds) {
  for (ComparatorRow row : {kFieldText, kFieldNumber}) {
    std::vector<std::string> lines = {"x,3,a", "y,1,c", "z,2,b"};
    std::vector<char*> base = Pointers(lines);
    KeyIndex = 2;
    SortWithKeys(base.data(), base.size(), row, 0, 1);
    EXPECT_EQ(std::vector<std::string>(base.begin(), base.end()),
              (std::vector<std::string>{"y,1,c", "z,2,b", "x,3,a"}))
        << row;
  }
}

// Without memory for the keys the sort falls back to the plain comparators
// and still gives their order.
TEST(SortKeysTest, SortsWithoutItsKeyTableWhenThatMemoryIsRefused) {
  const AllocationFilter previous =
      SetAllocationFilter([](AllocationSite site, std::size_t) {
        return site != AllocationSite::kSortKeys;
      });
  std::mt19937 rng(99);
  std::vector<std::string> lines = TieHeavyLines(rng, 200);
  const std::vector<char*> input = Pointers(lines);
  for (std::int32_t kind : {1, 2, 5, 6}) {
    for (int mode = 0; mode < kBaseModes; ++mode) {
      std::vector<char*> fast = input;
      std::vector<char*> plain = input;
      SelectComparator(fast.data(), fast.size(), mode, 1, kind);
      SortWithComparators(plain.data(), plain.size(), mode, 1, kind);
      EXPECT_EQ(fast, plain) << "KeyKind " << kind << ", mode " << mode;
    }
  }
  SetAllocationFilter(previous);
}

}  // namespace
}  // namespace tarnel
