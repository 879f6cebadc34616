#include "engine/comparators.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "engine/sort_selection.h"
#include "tests/support/escaped.h"

namespace tarnel {
namespace {

using testing_support::Escaped;

int Sign(int v) { return (v > 0) - (v < 0); }

const char* RowName(ComparatorRow row) {
  switch (row) {
    case kWholeLineText:
      return "whole line text";
    case kColumnText:
      return "column text";
    case kFieldText:
      return "field text";
    case kWholeLineNumber:
      return "whole line number";
    case kColumnNumber:
      return "column number";
    case kFieldNumber:
      return "field number";
    case kNoRow:
      return "none";
  }
  return "?";
}

/// Sign of the table's comparator for |row| and |mode| on lines a and b.
int CompareLines(ComparatorRow row, int mode, std::int32_t key_index,
                 const std::string& a, const std::string& b) {
  KeyIndex = key_index;
  std::string left = a, right = b;
  char* pa = left.data();
  char* pb = right.data();
  return Sign(ComparatorTable[row][mode](&pa, &pb));
}

struct PairCase {
  ComparatorRow row;
  std::int32_t key;
  std::string a;
  std::string b;
  int plain;   ///< ascending, case counts
  int folded;  ///< ascending, case ignored (numbers: same as plain)
};

PairCase Num(ComparatorRow row, std::int32_t key, std::string a, std::string b,
             int sign) {
  return {row, key, std::move(a), std::move(b), sign, sign};
}

std::string Repeat(char c, std::size_t n) { return std::string(n, c); }

const std::vector<PairCase>& PairCases() {
  static const std::vector<PairCase> cases = {
      // Whole line text: bytes as unsigned, prefix first.
      {kWholeLineText, 0, "a", "b", -1, -1},
      {kWholeLineText, 0, "ab", "abc", -1, -1},
      {kWholeLineText, 0, "", "a", -1, -1},
      {kWholeLineText, 0, "", "", 0, 0},
      {kWholeLineText, 0, "same", "same", 0, 0},
      {kWholeLineText, 0, "a", "A", 1, 0},
      {kWholeLineText, 0, "B", "a", -1, 1},
      {kWholeLineText, 0, "_", "a", -1, 1},
      {kWholeLineText, 0, "_", "Z", 1, 1},
      {kWholeLineText, 0, "\x82\xa0", "z", 1, 1},
      {kWholeLineText, 0, "\xff", "\x80", 1, 1},
      {kWholeLineText, 0, "~", "\x80", -1, -1},
      // A trail byte in a to z is folded like a letter.
      {kWholeLineText, 0, "\x82\x61", "\x82\x42", 1, -1},
      {kWholeLineText, 0, "a\rb", "a", 1, 1},
      {kWholeLineText, 0, "a\rb", "ab", -1, -1},
      {kWholeLineText, 0, "abc,def", "abc,deg", -1, -1},
      {kWholeLineText, 0, "0123456789abcdefX", "0123456789abcdefY", -1, -1},
      {kWholeLineText, 0, "ABCDEFGHIJ", "abcdefghij", -1, 0},
      {kWholeLineText, 0, "abcdefghiJ", "ABCDEFGHIj", 1, 0},
      {kWholeLineText, 0, "abcdefghi", "ABCDEFGHIj", 1, -1},
      // The key position means nothing to whole-line rows.
      {kWholeLineText, 5, "b", "a", 1, 1},
      {kWholeLineText, -1, "a,9", "a,1", 1, 1},

      // Column text: a line not longer than the column equals every line.
      {kColumnText, 2, "xxb", "yya", 1, 1},
      {kColumnText, 2, "ab", "abc", 0, 0},
      {kColumnText, 2, "abc", "ab", 0, 0},
      {kColumnText, 2, "", "zzz", 0, 0},
      {kColumnText, 1, "ab", "a", 0, 0},
      {kColumnText, 1, "xA", "ya", -1, 0},
      {kColumnText, 1, "x_", "ya", -1, 1},
      {kColumnText, 3, "abcd", "abce", -1, -1},
      {kColumnText, 3, "abcd", "zzzd", 0, 0},
      {kColumnText, 3, "abcd", "zzzde", -1, -1},
      {kColumnText, 0, "a", "b", -1, -1},
      {kColumnText, 1, "x\x82\x61", "y\x82\x42", 1, -1},
      // Taken as unsigned, a negative column lies beyond every line.
      {kColumnText, -1, "abc", "xyz", 0, 0},
      {kColumnText, INT32_MIN, "abc", "xyz", 0, 0},
      {kColumnText, INT32_MAX, "abc", "xyz", 0, 0},

      // Field text: comma-separated slices, quotes and blanks included.
      {kFieldText, 1, "x,b,1", "y,a,2", 1, 1},
      {kFieldText, 1, "abc", "x,a", 0, 0},
      {kFieldText, 1, "x,a", "abc", 0, 0},
      {kFieldText, 1, "x,", "y,a", -1, -1},
      {kFieldText, 1, "x,", "y,", 0, 0},
      {kFieldText, 1, "x,a", "y,a,zzz", 0, 0},
      {kFieldText, 1, "x,a,b", "y,a,c", 0, 0},
      {kFieldText, 0, "b,a", "a,b", 1, 1},
      {kFieldText, 0, "a,z", "a,b", 0, 0},
      {kFieldText, -1, "a,z", "a,b", 0, 0},
      {kFieldText, -1, "b,1", "a,2", 1, 1},
      {kFieldText, INT32_MIN, "b,1", "a,2", 1, 1},
      {kFieldText, 2, "a,b", "a,b,c", 0, 0},
      {kFieldText, 2, ",,b", ",,a", 1, 1},
      {kFieldText, 1, "x,\"b\"", "y,a", -1, -1},
      {kFieldText, 1, "x, b", "y,a", -1, -1},
      {kFieldText, 1, "x,A", "y,a", -1, 0},
      {kFieldText, 1, "x,_", "y,A", 1, 1},
      {kFieldText, 1, "x,_", "y,a", -1, 1},
      {kFieldText, 1, "x,a\x82", "y,a\x41", 1, 1},
      {kFieldText, INT32_MAX, "a,b", "c,d", 0, 0},
      // Only the first 512 bytes of a field take part.
      {kFieldText, 1, "k," + Repeat('m', 512) + "a",
       "k," + Repeat('m', 512) + "b", 0, 0},
      {kFieldText, 1, "k," + Repeat('m', 512), "k," + Repeat('m', 600), 0, 0},
      {kFieldText, 1, "k," + Repeat('m', 511), "k," + Repeat('m', 512), -1, -1},
      {kFieldText, 1, "k," + Repeat('m', 511) + "a",
       "k," + Repeat('m', 511) + "b", -1, -1},
      {kFieldText, 1, "k," + Repeat('m', 511) + "A",
       "k," + Repeat('m', 511) + "a", -1, 0},
      {kFieldText, 0, Repeat('z', 512) + "a", Repeat('z', 512) + "b", 0, 0},

      // Whole-line numbers: white space, one sign, digits to the first
      // non-digit, by exact value whatever the number of digits.
      Num(kWholeLineNumber, 0, "-5", "3", -1),
      Num(kWholeLineNumber, 0, " 42", "42", 0),
      Num(kWholeLineNumber, 0, "+42", "42", 0),
      Num(kWholeLineNumber, 0, "42abc", "42", 0),
      Num(kWholeLineNumber, 0, "\t\n\v\f\r 7", "7", 0),
      Num(kWholeLineNumber, 0, "abc", "", 0),
      Num(kWholeLineNumber, 0, "abc", "0", 0),
      Num(kWholeLineNumber, 0, "abc", "1", -1),
      Num(kWholeLineNumber, 0, "abc", "-1", 1),
      Num(kWholeLineNumber, 0, "-0", "0", 0),
      Num(kWholeLineNumber, 0, "-0", "+0", 0),
      Num(kWholeLineNumber, 0, "-000", "", 0),
      Num(kWholeLineNumber, 0, "-", "", 0),
      Num(kWholeLineNumber, 0, "- 5", "0", 0),
      Num(kWholeLineNumber, 0, "--5", "0", 0),
      Num(kWholeLineNumber, 0, "+-5", "0", 0),
      Num(kWholeLineNumber, 0, "  -12x", "-12", 0),
      Num(kWholeLineNumber, 0, "1e5", "1", 0),
      Num(kWholeLineNumber, 0, "1.9", "1", 0),
      Num(kWholeLineNumber, 0, "1,000", "1", 0),
      Num(kWholeLineNumber, 0, "\"5", "0", 0),
      Num(kWholeLineNumber, 0, "10", "9", 1),
      Num(kWholeLineNumber, 0, "-10", "-9", -1),
      Num(kWholeLineNumber, 0, "09012345678", "999", 1),
      Num(kWholeLineNumber, 0, "3000000000", "1", 1),
      Num(kWholeLineNumber, 0, "2147483648", "2147483647", 1),
      Num(kWholeLineNumber, 0, "4294967296", "0", 1),
      Num(kWholeLineNumber, 0, "-3000000000", "1", -1),
      Num(kWholeLineNumber, 0, "-2147483649", "-2147483648", -1),
      Num(kWholeLineNumber, 0, "9223372036854775808", "9223372036854775807", 1),
      Num(kWholeLineNumber, 0, "18446744073709551616", "1", 1),
      Num(kWholeLineNumber, 0, "12345678901234567890", "12345678901234567891",
          -1),
      Num(kWholeLineNumber, 0, "99999999999999999999999",
          "99999999999999999999998", 1),
      Num(kWholeLineNumber, 0, "-99999999999999999999999",
          "-99999999999999999999998", -1),
      Num(kWholeLineNumber, 0, "-99999999999999999999999", "1", -1),
      Num(kWholeLineNumber, 0, "000000000000000000000000000001", "1", 0),
      Num(kWholeLineNumber, 0, "-000000000000000000000000000001", "-1", 0),
      Num(kWholeLineNumber, 0, "100000000000000000000", "99999999999999999999",
          1),
      Num(kWholeLineNumber, 3, "7,1", "5,9", 1),

      // Column numbers: the same length test as column text.
      Num(kColumnNumber, 2, "ab10", "cd9", 1),
      Num(kColumnNumber, 2, "ab", "cd5", 0),
      Num(kColumnNumber, 2, "ab", "cd-5", 0),
      Num(kColumnNumber, 1, "x-5", "y3", -1),
      Num(kColumnNumber, 1, "x 42", "y+42", 0),
      Num(kColumnNumber, 1, "x99999999999999999999", "y1", 1),
      Num(kColumnNumber, 1, "xa", "y-1", 1),
      Num(kColumnNumber, 1, "x-0", "y0", 0),
      Num(kColumnNumber, 0, "10", "9", 1),
      Num(kColumnNumber, -1, "5", "3", 0),
      Num(kColumnNumber, INT32_MAX, "5", "3", 0),

      // Field numbers: one optional quote, not cut at the next comma, and 0
      // for a missing field.
      Num(kFieldNumber, 1, "a,10", "b,9", 1),
      Num(kFieldNumber, 1, "a,\"10\"", "b,9", 1),
      Num(kFieldNumber, 1, "a,\"\"10", "b,9", -1),
      Num(kFieldNumber, 1, "a,\" 5\"", "b,5", 0),
      Num(kFieldNumber, 1, "a", "b,-1", 1),
      Num(kFieldNumber, 1, "a", "b,0", 0),
      Num(kFieldNumber, 1, "a", "b,1", -1),
      Num(kFieldNumber, 0, "\"7\",x", "5,y", 1),
      Num(kFieldNumber, 0, "-3,x", "2", -1),
      Num(kFieldNumber, -1, "7,1", "5,9", 1),
      Num(kFieldNumber, 1, "a, 42", "b,+42", 0),
      Num(kFieldNumber, 1, "a,42abc", "b,42", 0),
      Num(kFieldNumber, 1, "a,,5", "b,0", 0),
      Num(kFieldNumber, 1, "a,-0", "b,0", 0),
      Num(kFieldNumber, 1, "a,09012345678", "b,999", 1),
      Num(kFieldNumber, 1, "a,3000000000", "b,1", 1),
      Num(kFieldNumber, 1, "a,-12345678901234567890123",
          "b,-12345678901234567890124", 1),
      Num(kFieldNumber, 2, "a,b", "x,y,1", -1),
      Num(kFieldNumber, INT32_MAX, "a,b", "x,y,1", 0),
  };
  return cases;
}

// Descending is the ascending sign reversed, and the numeric rows ignore the
// case bit.
TEST(ComparatorTableTest, EveryRowAndModeGivesTheExpectedSign) {
  int per_row[kComparatorRows] = {};
  for (const PairCase& c : PairCases()) {
    ++per_row[c.row];
    for (int mode = 0; mode < kBaseModes; ++mode) {
      const int ascending = (mode & 2) ? c.folded : c.plain;
      const int expected = (mode & 1) ? -ascending : ascending;
      SCOPED_TRACE(testing::Message()
                   << RowName(c.row) << ", mode " << mode << ", key " << c.key
                   << ": " << Escaped(c.a) << " vs " << Escaped(c.b));
      EXPECT_EQ(CompareLines(c.row, mode, c.key, c.a, c.b), expected);
      EXPECT_EQ(CompareLines(c.row, mode, c.key, c.b, c.a), -expected);
    }
  }
  for (int row = 0; row < kComparatorRows; ++row) EXPECT_GT(per_row[row], 5);
}

TEST(ComparatorTableTest, NumberRowsRepeatTheirFunctionsForIgnoreCase) {
  for (int row : {kWholeLineNumber, kColumnNumber, kFieldNumber}) {
    EXPECT_EQ(ComparatorTable[row][2], ComparatorTable[row][0]) << row;
    EXPECT_EQ(ComparatorTable[row][3], ComparatorTable[row][1]) << row;
  }
  for (int row : {kWholeLineText, kColumnText, kFieldText}) {
    for (int a = 0; a < kBaseModes; ++a) {
      for (int b = a + 1; b < kBaseModes; ++b) {
        EXPECT_NE(ComparatorTable[row][a], ComparatorTable[row][b]) << row;
      }
    }
  }
}

// [ \ ] ^ _ ` lie between upper and lower case letters, so folding to upper
// case moves them after every letter.
TEST(ComparatorTableTest,
     PunctuationBetweenTheCasesSortsAfterLettersWhenFolded) {
  struct Shape {
    ComparatorRow row;
    std::int32_t key;
    const char* lead;
  };
  const Shape shapes[] = {
      {kWholeLineText, 0, ""}, {kColumnText, 1, "x"}, {kFieldText, 1, "x,"}};
  for (const Shape& shape : shapes) {
    for (char mark : std::string("[\\]^_`")) {
      for (char letter : std::string("aAmMzZ")) {
        const std::string a = shape.lead + std::string(1, mark);
        const std::string b = shape.lead + std::string(1, letter);
        const int plain = mark < letter ? -1 : 1;
        SCOPED_TRACE(testing::Message()
                     << RowName(shape.row) << ": " << mark << " vs " << letter);
        EXPECT_EQ(CompareLines(shape.row, 0, shape.key, a, b), plain);
        EXPECT_EQ(CompareLines(shape.row, 1, shape.key, a, b), -plain);
        EXPECT_EQ(CompareLines(shape.row, 2, shape.key, a, b), 1);
        EXPECT_EQ(CompareLines(shape.row, 3, shape.key, a, b), -1);
      }
    }
  }
}

TEST(ComparatorTableTest,
     TextComparisonsReturnTheDifferenceOfTheFirstDifferingBytes) {
  KeyIndex = 0;
  std::string a = "abd", b = "abb";
  char* pa = a.data();
  char* pb = b.data();
  EXPECT_EQ(ComparatorTable[kWholeLineText][0](&pa, &pb), 2);
  EXPECT_EQ(ComparatorTable[kWholeLineText][1](&pa, &pb), -2);
  std::string c = "\xff", d = "\x01";
  char* pc = c.data();
  char* pd = d.data();
  EXPECT_EQ(ComparatorTable[kWholeLineText][0](&pc, &pd), 254);
  std::string e = "a_", f = "Aa";
  char* pe = e.data();
  char* pf = f.data();
  EXPECT_EQ(ComparatorTable[kWholeLineText][2](&pe, &pf), '_' - 'A');
}

struct SelectRowCase {
  std::int32_t key_kind;
  ComparatorRow at_zero;    ///< KeyPos 0
  ComparatorRow elsewhere;  ///< any other KeyPos
};

TEST(SelectRowTest, EachUnitKeyPosAndNumericBitPicksItsRow) {
  const SelectRowCase cases[] = {
      {1, kWholeLineText, kColumnText},
      {5, kWholeLineNumber, kColumnNumber},
      {2, kWholeLineText, kFieldText},
      {6, kFieldNumber, kFieldNumber},
  };
  const std::int32_t positions[] = {1,  2,     3,         511,      512,
                                    -1, -1000, INT32_MAX, INT32_MIN};
  for (const SelectRowCase& c : cases) {
    SCOPED_TRACE(c.key_kind);
    EXPECT_EQ(SelectRow(0, c.key_kind), c.at_zero);
    for (std::int32_t pos : positions) {
      EXPECT_EQ(SelectRow(pos, c.key_kind), c.elsewhere) << pos;
    }
  }
}

TEST(SelectRowTest, OtherKindsSortNothing) {
  const std::int32_t kinds[] = {0,  3,  4,  7,  8,         9,        10,
                                13, 14, 16, 17, 18,        33,       -1,
                                -2, -3, -5, -6, INT32_MIN, INT32_MAX};
  for (std::int32_t kind : kinds) {
    for (std::int32_t pos : {0, 1, -1, INT32_MAX}) {
      EXPECT_EQ(SelectRow(pos, kind), kNoRow) << kind << " at " << pos;
    }
  }
}

struct FieldCase {
  std::int32_t key;
  std::string line;
  bool present;
  std::string field;
};

TEST(ExtractFieldTest, SkipsKeyIndexCommasAndCapsAt512Bytes) {
  const std::string long_field = Repeat('q', 600);
  const FieldCase cases[] = {
      {0, "abc", true, "abc"},
      {0, "a,b", true, "a"},
      {0, "", true, ""},
      {0, ",x", true, ""},
      {1, "a,b,c", true, "b"},
      {2, "a,b,c", true, "c"},
      {3, "a,b,c", false, ""},
      {1, "abc", false, ""},
      {1, "", false, ""},
      {1, "a,", true, ""},
      {1, ",,", true, ""},
      {2, ",,x", true, "x"},
      {1, "x,\"q\" ,y", true, "\"q\" "},
      {1, "x, \r\x82\x61,y", true, " \r\x82\x61"},
      {-1, "a,b", true, "a"},
      {-100, "", true, ""},
      {INT32_MIN, "first,second", true, "first"},
      {INT32_MAX, "a,b,c", false, ""},
      {1, "k," + long_field, true, Repeat('q', 512)},
      {1, "k," + long_field + ",z", true, Repeat('q', 512)},
      {0, Repeat('r', 512), true, Repeat('r', 512)},
      {0, Repeat('r', 513), true, Repeat('r', 512)},
      {0, Repeat('r', 511) + ",", true, Repeat('r', 511)},
  };
  for (const FieldCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.key << ": " << Escaped(c.line));
    KeyIndex = c.key;
    char buffer[kFieldCap + 1];
    std::memset(buffer, 'Z', sizeof buffer);
    const char* got = ExtractField(c.line.c_str(), buffer);
    if (!c.present) {
      EXPECT_EQ(got, nullptr);
      continue;
    }
    ASSERT_EQ(got, buffer);
    EXPECT_EQ(std::string(got), c.field);
  }
}

TEST(ExtractFieldTest, ComparatorsUseTheTwoScratchBuffers) {
  KeyIndex = 1;
  std::string a = "x,left,1", b = "y,right,2";
  char* pa = a.data();
  char* pb = b.data();
  ComparatorTable[kFieldText][0](&pa, &pb);
  EXPECT_STREQ(FieldBufferA, "left");
  EXPECT_STREQ(FieldBufferB, "right");
}

std::string NumberString(const NumberText& number) {
  if (number.count == 0) return "0";
  std::string text = number.negative ? "-" : "";
  return text.append(number.digits, number.count);
}

TEST(NumberOfTest, ReadsWhiteSpaceOneSignAndDigitsToTheFirstNonDigit) {
  const std::pair<std::string, std::string> cases[] = {
      {"42", "42"},
      {" \t\n\v\f\r42x", "42"},
      {"+7", "7"},
      {"-7", "-7"},
      {"-0", "0"},
      {"- 7", "0"},
      {"+-7", "0"},
      {"007", "7"},
      {"", "0"},
      {"abc", "0"},
      {"1.5", "1"},
      {"1,5", "1"},
      {"\"5", "0"},
      {"-0000123", "-123"},
      {"4294967296", "4294967296"},
      {"12345678901234567890123", "12345678901234567890123"},
      {"  -000000000000000000000000999999999999999999999x",
       "-999999999999999999999"},
      {"\x82\x4f", "0"},
  };
  for (const auto& [text, value] : cases) {
    EXPECT_EQ(NumberString(NumberOf(text.c_str())), value) << Escaped(text);
  }
}

TEST(FieldNumberTest, SkipsOneQuoteAndGivesZeroForAMissingField) {
  struct Case {
    std::int32_t key;
    std::string line;
    std::string value;
  };
  const Case cases[] = {
      {0, "12,34", "12"},
      {1, "12,34", "34"},
      {1, "a,\"34\"", "34"},
      {1, "a,\"\"34", "0"},
      {1, "a,\" -34", "-34"},
      {1, "a", "0"},
      {2, "a,1", "0"},
      {1, "a,,5", "0"},
      {1, "a, +5,6", "5"},
      {-3, "-8,2", "-8"},
      {0, "\"-09012345678\"", "-9012345678"},
      {1, "a,99999999999999999999999,1", "99999999999999999999999"},
      {INT32_MAX, "1,2,3", "0"},
  };
  for (const Case& c : cases) {
    KeyIndex = c.key;
    EXPECT_EQ(NumberString(FieldNumber(c.line.c_str())), c.value)
        << c.key << ": " << Escaped(c.line);
  }
}

TEST(CompareNumbersTest, OrdersByExactValueWithNegativeZeroEqualToZero) {
  const NumberText zero = NumberOf("0");
  NumberText negative_zero = zero;
  negative_zero.negative = true;
  EXPECT_EQ(CompareNumbers(negative_zero, zero), 0);
  EXPECT_EQ(CompareNumbers(zero, negative_zero), 0);
  EXPECT_LT(CompareNumbers(NumberOf("-1"), negative_zero), 0);
  EXPECT_GT(CompareNumbers(NumberOf("1"), negative_zero), 0);
  EXPECT_LT(CompareNumbers(NumberOf("999"), NumberOf("1000")), 0);
  EXPECT_GT(CompareNumbers(NumberOf("-999"), NumberOf("-1000")), 0);
  EXPECT_LT(CompareNumbers(NumberOf("123456789012345678901"),
                           NumberOf("123456789012345678902")),
            0);
  EXPECT_EQ(CompareNumbers(NumberOf("0042"), NumberOf("+42z")), 0);
}

// Sorting helpers for whole tables of lines.
std::vector<std::string> Sorted(std::vector<std::string> lines, int mode,
                                std::int32_t pos, std::int32_t kind,
                                bool plain) {
  std::vector<char*> base;
  for (std::string& line : lines) base.push_back(line.data());
  if (plain) {
    SortWithComparators(base.data(), base.size(), mode, pos, kind);
  } else {
    SelectComparator(base.data(), base.size(), mode, pos, kind);
  }
  return std::vector<std::string>(base.begin(), base.end());
}

struct SortCase {
  const char* name;
  std::vector<std::string> lines;
  int mode;
  std::int32_t pos;
  std::int32_t kind;
  std::vector<std::string> expected;
};

TEST(SelectComparatorTest, SortsKnownTablesIntoTheirKnownOrder) {
  const SortCase cases[] = {
      {"numbers keep the procedure's order of equal values",
       {"3a", "1b", "3c", "2d", "3e", "1f", "2g", "3h"},
       0,
       0,
       5,
       {"1b", "1f", "2g", "2d", "3h", "3e", "3c", "3a"}},
      {"ignoring case", {"B", "a", "b", "A"}, 2, 0, 1, {"a", "A", "b", "B"}},
      {"with case", {"B", "a", "b", "A"}, 0, 0, 1, {"A", "B", "a", "b"}},
      {"descending, longer before its prefix",
       {"a", "ab", "b"},
       1,
       0,
       1,
       {"b", "ab", "a"}},
      {"column 1 is the whole line, empty lines first",
       {"b", "", "a", ""},
       0,
       0,
       1,
       {"", "", "a", "b"}},
      {"three lines beyond the column: second, first, third",
       {"c", "a", "b"},
       0,
       5,
       1,
       {"a", "c", "b"}},
      {"two lines beyond the column keep order",
       {"b", "a"},
       0,
       5,
       1,
       {"b", "a"}},
      {"four lines beyond the column keep order",
       {"d", "c", "b", "a"},
       1,
       5,
       1,
       {"d", "c", "b", "a"}},
      {"negative column: all equal",
       {"d", "c", "b", "a", "e"},
       0,
       -1,
       1,
       {"d", "c", "b", "a", "e"}},
      {"negative field text compares the first field",
       {"b,1", "a,2"},
       0,
       -1,
       2,
       {"a,2", "b,1"}},
      {"negative field text ignores the later fields",
       {"a,2", "a,1"},
       0,
       -1,
       2,
       {"a,2", "a,1"}},
      {"field key 1 compares whole lines",
       {"a,2", "a,1"},
       0,
       0,
       2,
       {"a,1", "a,2"}},
      {"line without the field is 0 as a number",
       {"x", "a,-1", "b,1"},
       0,
       1,
       6,
       {"a,-1", "x", "b,1"}},
      {"first field number after one quote",
       {"\"10\",a", "9,b", " 8"},
       0,
       0,
       6,
       {" 8", "9,b", "\"10\",a"}},
      {"big numbers by exact value",
       {"09012345678", "999", "3000000000", "1", "-3000000000"},
       0,
       0,
       5,
       {"-3000000000", "1", "999", "3000000000", "09012345678"}},
      {"numbers descending", {"2", "10", "-1"}, 1, 0, 5, {"10", "2", "-1"}},
      {"numbers ignore the case bit",
       {"2", "10", "-1"},
       3,
       0,
       5,
       {"10", "2", "-1"}},
      {"column numbers", {"x10", "y9", "z-1"}, 0, 1, 5, {"z-1", "y9", "x10"}},
      {"field text", {"1,c", "2,a", "3,b"}, 0, 1, 2, {"2,a", "3,b", "1,c"}},
      {"field text descending ignoring case",
       {"1,a", "2,B", "3,c"},
       3,
       1,
       2,
       {"3,c", "2,B", "1,a"}},
  };
  for (const SortCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Sorted(c.lines, c.mode, c.pos, c.kind, false), c.expected);
    EXPECT_EQ(Sorted(c.lines, c.mode, c.pos, c.kind, true), c.expected);
  }
}

TEST(SelectComparatorTest, KindsThatSortNothingLeaveTheTableAlone) {
  const std::vector<std::string> lines = {"c", "a", "b", "a"};
  for (std::int32_t kind : {0, 3, 4, 7, 8, 9, -1, INT32_MIN}) {
    for (int mode = 0; mode < kBaseModes; ++mode) {
      EXPECT_EQ(Sorted(lines, mode, 0, kind, false), lines) << kind;
      EXPECT_EQ(Sorted(lines, mode, 0, kind, true), lines) << kind;
    }
  }
}

TEST(SelectComparatorTest, StoresKeyPosInKeyIndexEvenWhenNothingIsSorted) {
  std::vector<char*> none;
  SelectComparator(none.data(), 0, 0, 17, 1);
  EXPECT_EQ(KeyIndex, 17);
  SelectComparator(none.data(), 0, 0, -4, 0);
  EXPECT_EQ(KeyIndex, -4);
  SortWithComparators(none.data(), 0, 0, 9, 3);
  EXPECT_EQ(KeyIndex, 9);
}

}  // namespace
}  // namespace tarnel
