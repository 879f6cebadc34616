// WriteTextFile on real files: the bytes that land, what the old file keeps
// on failure, that no temporary file is left behind, and the exact box for
// each failure. What only one system has (permission bits, links, devices
// and pipes, a file size limit; attributes, long and Shift-JIS names) is in
// write_text_file_posix_test.cc and write_text_file_win32_test.cc.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tests/transfer/test_files.h"
#include "transfer/file_transfer.h"

namespace tarnel {
namespace {

using testing_support::ReadBytes;
using testing_support::ScopedCurrentFolder;
using testing_support::WriteBytes;

using Names = std::set<std::string>;

struct BytesCase {
  const char* name;
  std::string result;
};

class WriteTextFileBytesTest : public WriteTextFileTest,
                               public ::testing::WithParamInterface<BytesCase> {
};

TEST_P(WriteTextFileBytesTest, FileHoldsExactlyTheResultText) {
  const std::string path = dir_ / "out.txt";
  ScopedResultText result(GetParam().result);

  EXPECT_EQ(WriteTextFile(path.c_str()), 0);

  EXPECT_EQ(ReadBytes(path), GetParam().result);
  EXPECT_EQ(dir_.Names(), Names{"out.txt"});
  EXPECT_TRUE(boxes_.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    RawBytes, WriteTextFileBytesTest,
    ::testing::Values(BytesCase{"CrLfKept", "a\r\nb\r\n"},
                      BytesCase{"LoneCrKept", "a\rb\r\n"},
                      BytesCase{"HighBytesAndCtrlZ",
                                "\x82\xa0\r\n\xff\x1a\r\n"},
                      BytesCase{"EmptyResult", ""}),
    [](const auto& case_info) { return std::string(case_info.param.name); });

TEST_F(WriteTextFileTest, ReplacesLongerOldContentsWhole) {
  const std::string path = dir_ / "out.txt";
  WriteBytes(path, "old old old old old\r\n");
  ScopedResultText result("new\r\n");

  EXPECT_EQ(WriteTextFile(path.c_str()), 0);

  EXPECT_EQ(ReadBytes(path), "new\r\n");
  EXPECT_EQ(dir_.Names(), Names{"out.txt"});
}

TEST_F(WriteTextFileTest, RelativePathIsWrittenInCurrentFolder) {
  ScopedResultText result("here\r\n");
  int status;
  {
    ScopedCurrentFolder here(dir_.path());
    ASSERT_TRUE(here.ok());
    status = WriteTextFile("out.txt");
  }

  EXPECT_EQ(status, 0);
  EXPECT_EQ(ReadBytes(dir_ / "out.txt"), "here\r\n");
  EXPECT_EQ(dir_.Names(), Names{"out.txt"});
}

// Targets that cannot be opened as a file to write: the box names the path as
// given, after a line break, and nothing is created.
struct OpenFailureCase {
  const char* name;
  const char* relative;  ///< inside the temporary folder; null: the empty path
};

class WriteTextFileOpenFailureTest
    : public WriteTextFileTest,
      public ::testing::WithParamInterface<OpenFailureCase> {};

TEST_P(WriteTextFileOpenFailureTest, ShowsFileOpenErrorAndReturnsMinusOne) {
  ASSERT_TRUE(dir_.MakeFolder("folder"));
  const Names before = dir_.Names();
  const std::string path =
      GetParam().relative ? dir_ / GetParam().relative : std::string();
  ScopedResultText result("new\r\n");

  EXPECT_EQ(WriteTextFile(path.c_str()), -1);

  EXPECT_EQ(boxes_.boxes,
            (Boxes{ErrorBox("File Open Error!\n[" + path + "]")}));
  EXPECT_EQ(dir_.Names(), before);
  EXPECT_TRUE(std::filesystem::is_empty(dir_ / "folder"));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, WriteTextFileOpenFailureTest,
    ::testing::Values(OpenFailureCase{"Folder", "folder"},
                      OpenFailureCase{"FolderWithSlash", "folder/"},
                      OpenFailureCase{"MissingDirectory", "none/out.txt"},
                      OpenFailureCase{"TrailingSlashOnNewName", "new/"},
                      OpenFailureCase{"EmptyPath", nullptr}),
    [](const auto& case_info) { return std::string(case_info.param.name); });

// "File Open Error!\n[" is 18 bytes and "]" one more: a 236-byte path makes
// a message of exactly 255 bytes.
class WriteTextFileLongPathTest
    : public WriteTextFileTest,
      public ::testing::WithParamInterface<std::size_t> {};

TEST_P(WriteTextFileLongPathTest, MessageIsCutTo255Bytes) {
  const std::string path = PathOfLength(dir_.path(), GetParam());
  ASSERT_EQ(path.size(), GetParam());
  const std::string whole = "File Open Error!\n[" + path + "]";
  ScopedResultText result("new\r\n");

  EXPECT_EQ(WriteTextFile(path.c_str()), -1);

  ASSERT_EQ(boxes_.boxes.size(), 1u);
  const std::string& text = boxes_.boxes[0].text;
  EXPECT_EQ(text, whole.substr(0, 255));
  EXPECT_EQ(text.size(), std::min<std::size_t>(whole.size(), 255));
  EXPECT_EQ(text.back() == ']', whole.size() <= 255);
}

INSTANTIATE_TEST_SUITE_P(Lengths, WriteTextFileLongPathTest,
                         ::testing::Values(200, 236, 237, 400, 5000),
                         [](const auto& case_info) {
                           return "Path" + std::to_string(case_info.param);
                         });

// The engine hands a file its result in pieces as they are built. Until the
// sink finishes, the old file is untouched; a sink given up on leaves it so.
TEST_F(WriteTextFileTest, PiecesLandInOrderOnlyWhenTheSinkFinishes) {
  const std::string path = dir_ / "out.txt";
  WriteBytes(path, "old\r\n");
  const std::string pieces[] = {"c\r\n", "", std::string(100000, 'b'),
                                "\r\na\r\n"};
  std::string whole;
  {
    TextFileSink sink;
    ASSERT_TRUE(sink.Open(path.c_str()));
    for (const std::string& piece : pieces) {
      sink.Append(piece.data(), piece.size());
      whole += piece;
      EXPECT_EQ(ReadBytes(path), "old\r\n");
    }
    EXPECT_EQ(sink.Finish(), 0);
  }
  EXPECT_EQ(ReadBytes(path), whole);
  EXPECT_EQ(dir_.Names(), Names{"out.txt"});
  EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(WriteTextFileTest, SinkGivenUpOnLeavesTheOldFileAndNoTemporary) {
  for (const bool exists : {true, false}) {
    SCOPED_TRACE(exists ? "old file" : "no old file");
    const std::string path = dir_ / "out.txt";
    if (exists) WriteBytes(path, "old\r\n");
    {
      TextFileSink sink;
      ASSERT_TRUE(sink.Open(path.c_str()));
      sink.Append("new\r\n", 5);
    }
    EXPECT_EQ(dir_.Names(), exists ? Names{"out.txt"} : Names{});
    if (exists) {
      EXPECT_EQ(ReadBytes(path), "old\r\n");
    }
    EXPECT_TRUE(boxes_.boxes.empty());
    std::filesystem::remove(path);
  }
}

TEST_F(WriteTextFileTest, SinkThatCannotOpenShowsTheOpenBox) {
  const std::string path = dir_ / "none/out.txt";
  TextFileSink sink;
  EXPECT_FALSE(sink.Open(path.c_str()));
  EXPECT_EQ(boxes_.boxes,
            (Boxes{ErrorBox("File Open Error!\n[" + path + "]")}));
  EXPECT_EQ(dir_.Names(), Names{});
}

}  // namespace
}  // namespace tarnel
