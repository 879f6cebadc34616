// WideFrom and BytesFrom: the one conversion between the code pages and
// UTF-16, in code page 932 as the suites run.
#include "platform/wide_text_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <ostream>
#include <string>

namespace tarnel {
namespace {

struct Conversion {
  const char* name;
  std::string bytes;
  unsigned code_page;
  std::wstring wide;
};

// A case reads as its name in the test's output.
void PrintTo(const Conversion& c, std::ostream* out) { *out << c.name; }

class WideTextTest : public testing::TestWithParam<Conversion> {};

TEST_P(WideTextTest, GoesToUtf16AndBack) {
  const Conversion& c = GetParam();
  EXPECT_EQ(WideFrom(c.bytes, c.code_page), c.wide);
  EXPECT_EQ(BytesFrom(c.wide, c.code_page), c.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WideTextTest,
    testing::Values(Conversion{"Empty", "", CP_ACP, L""},
                    Conversion{"Ascii", "in.txt", CP_ACP, L"in.txt"},
                    Conversion{"ShiftJisKanji", "\x93\xfc\x97\xcd", CP_ACP,
                               L"\u5165\u529b"},
                    Conversion{"HalfWidthKatakana", "\xb1", CP_ACP, L"\uff71"},
                    Conversion{"Utf8Kanji", "\xe5\x85\xa5\xe5\x8a\x9b", CP_UTF8,
                               L"\u5165\u529b"},
                    // A NUL inside is a character like any other, not an end.
                    Conversion{"InnerNul", std::string("a\0b", 3), CP_ACP,
                               std::wstring(L"a\0b", 3)}),
    [](const testing::TestParamInfo<Conversion>& row) {
      return std::string(row.param.name);
    });

TEST(WideTextTest, UnmappedByteBecomesACharacterNotAnError) {
  // A lead byte with no trail byte: the -A functions take it as a default
  // character rather than refuse the name.
  EXPECT_FALSE(WideFrom("a\x81", CP_ACP).empty());
}

}  // namespace
}  // namespace tarnel
