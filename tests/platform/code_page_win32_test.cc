// The suites run as on Japanese Windows. Wine takes its code page from the
// Unix locale and silently falls back to 1252 when glibc lacks ja_JP.UTF-8:
// this fails the run instead of letting every Shift-JIS case mean
// something else.
#include <gtest/gtest.h>
#include <windows.h>

namespace tarnel {
namespace {

TEST(CodePageTest, AnsiCodePageIsShiftJis) {
  EXPECT_EQ(::GetACP(), 932u);
  CPINFO info;
  ASSERT_TRUE(::GetCPInfo(CP_ACP, &info));
  EXPECT_EQ(info.MaxCharSize, 2u);
  EXPECT_TRUE(::IsDBCSLeadByte(0x82));
  EXPECT_FALSE(::IsDBCSLeadByte(0xB1));  // half-width katakana: one byte
}

}  // namespace
}  // namespace tarnel
