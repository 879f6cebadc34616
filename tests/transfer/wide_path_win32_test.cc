// WidePath: what a name in code page 932 becomes for the wide functions.
// Wine, unlike Windows, opens long plain paths with the wide functions, so
// whether the "\\?\" form is used can only be seen here.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/wide_text_win32.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wide_path.h"
#include "transfer/wide_path.h"

namespace tarnel {
namespace {

using testing_support::ScopedCurrentFolder;
using testing_support::TempDir;

TEST(WidePathTest, AbsolutePathIsConvertedWithBackslashes) {
  EXPECT_EQ(WidePath("C:\\data\\in.txt"), L"C:\\data\\in.txt");
  EXPECT_EQ(WidePath("C:/data/sub/../in.txt"), L"C:\\data\\in.txt");
}

TEST(WidePathTest, ShiftJisBytesBecomeTheirCharacters) {
  // "ソ表" (83 5C 95 5C): both trail bytes are a backslash in ASCII and must
  // not split the name.
  EXPECT_EQ(WidePath("C:\\\x83\x5c\x95\x5c\\\x82\xa2.txt"),
            L"C:\\\u30bd\u8868\\\u3044.txt");
}

TEST(WidePathTest, RelativePathIsTakenFromTheCurrentFolder) {
  TempDir dir;
  ScopedCurrentFolder here(dir.path());
  ASSERT_TRUE(here.ok());
  EXPECT_EQ(WidePath("out.txt"), WideFrom(dir.path(), CP_ACP) + L"\\out.txt");
}

TEST(WidePathTest, EmptyPathStaysEmpty) {
  EXPECT_EQ(WidePath(""), L"");
  EXPECT_EQ(WidePath(std::wstring_view()), L"");
}

TEST(WidePathTest, ExtendedFormIsKeptAsItIs) {
  // Not normalised: in this form "/" and ".." are names.
  EXPECT_EQ(WidePath("\\\\?\\C:\\a/../b"), L"\\\\?\\C:\\a/../b");
}

TEST(WidePathTest, DevicesAreLeftAlone) {
  EXPECT_EQ(WidePath("\\\\.\\pipe\\tarnel"), L"\\\\.\\pipe\\tarnel");
  EXPECT_EQ(WidePath("NUL"), L"\\\\.\\NUL");
}

// From 248 characters on (where a folder's name no longer fits) a path takes
// the "\\?\" form, below that it stays plain.
TEST(WidePathTest, LongPathTakesTheExtendedForm) {
  const std::string base = "C:\\" + std::string(100, 'a') + "\\";
  const std::string short_path = base + std::string(247 - base.size(), 'b');
  const std::string long_path = base + std::string(248 - base.size(), 'b');
  ASSERT_EQ(short_path.size(), 247u);
  EXPECT_EQ(WidePath(short_path.c_str()), WideFrom(short_path, CP_ACP));
  EXPECT_EQ(WidePath(long_path.c_str()),
            L"\\\\?\\" + WideFrom(long_path, CP_ACP));
  const std::string very_long = base + std::string(5000, 'c') + "/x.txt";
  EXPECT_EQ(WidePath(very_long.c_str()),
            L"\\\\?\\" + WideFrom(base + std::string(5000, 'c'), CP_ACP) +
                L"\\x.txt");
}

TEST(WidePathTest, LongNetworkPathTakesTheExtendedUncForm) {
  const std::string share = "\\\\server\\share\\" + std::string(300, 'n');
  EXPECT_EQ(WidePath(share.c_str()),
            L"\\\\?\\UNC\\server\\share\\" + std::wstring(300, L'n'));
}

}  // namespace
}  // namespace tarnel
