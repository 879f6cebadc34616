// Whole runs from file to file where Windows differs: the attributes of a
// file sorted onto itself, and a disk that fills up, which the writer's
// write limit stands in for (the POSIX suite uses the file size limit).
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>

#include "engine/run_sort.h"
#include "tests/support/escaped.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wide_path.h"
#include "tests/transfer/test_files.h"
#include "tests/transfer/test_files_win32.h"
#include "transfer/write_limit.h"

namespace tarnel {
namespace {

using testing_support::ExtendedPathOf;
using testing_support::ReadBytes;
using testing_support::WriteBytes;

using Names = std::set<std::string>;

TEST_F(FileSortRunTest, FileSortedOntoItselfKeepsItsAttributesAndNoTemporary) {
  const std::string path = dir_ / "data.txt";
  WriteBytes(path, "c\nb\na\n");
  const std::wstring wide = ExtendedPathOf(path);
  constexpr DWORD kHidden = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;
  ASSERT_TRUE(::SetFileAttributesW(wide.c_str(), kHidden));

  SortWholeLines(path, path);

  EXPECT_EQ(LastResult, 0);
  EXPECT_EQ(ReadBytes(path), "a\r\nb\r\nc\r\n");
  EXPECT_EQ(::GetFileAttributesW(wide.c_str()), kHidden);
  EXPECT_EQ(dir_.Names(), Names{"data.txt"});
  EXPECT_EQ(boxes_.boxes, (Boxes{FinishBox("Finish!")}));
}

TEST_F(FileSortRunTest, FullDiskEndsWithWriteErrorAndErrorFinish) {
  WriteBytes(dir_ / "in.txt", "b\na\n");
  WriteBytes(dir_ / "out.txt", "previous\r\n");
  {
    ScopedWriteLimit full(0);
    SortWholeLines(dir_ / "in.txt", dir_ / "out.txt");
  }
  EXPECT_EQ(LastResult, -1);
  EXPECT_EQ(boxes_.boxes,
            (Boxes{ErrorBox("Write Error!(lstrlen(lpMem)=[6], writesize=[0])"),
                   FinishBox("Error-Finish!")}));
  EXPECT_EQ(ReadBytes(dir_ / "out.txt"), "previous\r\n");
}

TEST_F(FileSortRunTest, QuietFailureShowsOnlyTheErrorBox) {
  WriteBytes(dir_ / "in.txt", "b\na\n");
  {
    ScopedWriteLimit full(0);
    SortWholeLines(dir_ / "in.txt", "NUL", kQuiet);
  }
  EXPECT_EQ(LastResult, -1);
  EXPECT_EQ(
      boxes_.boxes,
      (Boxes{ErrorBox("Write Error!(lstrlen(lpMem)=[6], writesize=[0])")}));
}

TEST_F(FileSortRunTest, ShortWriteEndsWithErrorFinishAndKeepsOldOutput) {
  const std::string in = dir_ / "in.txt";
  const std::string out = dir_ / "out.txt";
  WriteBytes(in, HundredNumberedLines());
  WriteBytes(out, "previous\r\n");
  {
    ScopedWriteLimit limit(128);
    SortWholeLines(in, out);
  }
  EXPECT_EQ(LastResult, -1);
  EXPECT_EQ(boxes_.Texts(),
            (std::vector<std::string>{
                "Write Error!(lstrlen(lpMem)=[900], writesize=[128])",
                "Error-Finish!"}));
  EXPECT_EQ(ReadBytes(out), "previous\r\n");
  EXPECT_EQ(dir_.Names(), (Names{"in.txt", "out.txt"}));
}

// The repeat filter compares characters of code page 932: full-width Ａ and
// ａ repeat each other once case is ignored; ア and ヂ, whose trail bytes
// are A and a, never do.
TEST_F(FileSortRunTest, RepeatsAreJudgedByCharacters) {
  const std::string in = dir_ / "in.txt";
  const std::string out = dir_ / "out.txt";
  WriteBytes(in, "\x82\x81\n\x82\x60\n\x83\x61\n\x83\x41\n");
  constexpr std::int32_t kIgnoreCaseUnique = 6;
  constexpr std::int32_t kUnique = 4;

  RunSort(&owner_tag_, kIgnoreCaseUnique, in.c_str(), out.c_str(), 0, 1, 1);
  EXPECT_EQ(LastResult, 0);
  // The sort's own folding ties ア with ヂ, so either may come first.
  const std::string sorted = ReadBytes(out);
  EXPECT_TRUE(sorted == "\x82\x60\r\n\x83\x41\r\n\x83\x61\r\n" ||
              sorted == "\x82\x60\r\n\x83\x61\r\n\x83\x41\r\n")
      << testing_support::Escaped(sorted);

  RunSort(&owner_tag_, kUnique, in.c_str(), out.c_str(), 0, 1, 1);
  EXPECT_EQ(LastResult, 0);
  EXPECT_EQ(ReadBytes(out), "\x82\x60\r\n\x82\x81\r\n\x83\x41\r\n\x83\x61\r\n");
  EXPECT_TRUE(boxes_.boxes.empty());
}

}  // namespace
}  // namespace tarnel
