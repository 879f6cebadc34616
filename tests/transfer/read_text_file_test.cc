// ReadTextFile on real files and devices: what comes back, and the exact box
// shown when nothing does. What only one system has (links, pipes, files
// that lie about their size, odd paths) is in read_text_file_posix_test.cc
// and read_text_file_win32_test.cc.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>

#include "tests/support/temp_dir.h"
#include "tests/transfer/test_files.h"
#include "transfer/file_transfer.h"

namespace tarnel {
namespace {

using testing_support::NullDevice;
using testing_support::WriteBytes;

struct ContentCase {
  const char* name;
  std::string bytes;
};

class ReadTextFileContentTest
    : public ReadTextFileTest,
      public ::testing::WithParamInterface<ContentCase> {};

TEST_P(ReadTextFileContentTest, ReturnsEveryByteFollowedByOneNul) {
  const std::string path = dir_ / "in.txt";
  WriteBytes(path, GetParam().bytes);
  const ZeroedBuffer text = ReadTextFile(path.c_str());
  EXPECT_EQ(text.size(), GetParam().bytes.size() + 1);
  EXPECT_EQ(BytesOf(text), GetParam().bytes);
  EXPECT_TRUE(boxes_.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    RawBytes, ReadTextFileContentTest,
    ::testing::Values(ContentCase{"EmptyFile", ""},
                      ContentCase{"CrLfKept", "b\r\na\r\n"},
                      ContentCase{"LoneCrKept", "a\rb\n"},
                      ContentCase{"NulBytesDoNotEndTheRead",
                                  std::string("b\na\n\0c\n", 7)},
                      ContentCase{"HighBytesAndCtrlZ", "\x82\xa0\xff\x1a\n"},
                      ContentCase{"NoFinalLineFeed", "a\nb"}),
    [](const auto& case_info) { return std::string(case_info.param.name); });

// A big file is read in two halves at once; the halves must meet exactly,
// whatever the size's parity.
TEST_F(ReadTextFileTest, BigFileIsReadWholeAndInOrder) {
  for (const std::size_t size :
       {std::size_t{40} << 20, (std::size_t{17} << 20) + 1}) {
    SCOPED_TRACE(size);
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
      bytes[i] = static_cast<char>('A' + (i * 7 + i / 4093) % 26);
    }
    const std::string path = dir_ / "big.txt";
    WriteBytes(path, bytes);
    const ZeroedBuffer text = ReadTextFile(path.c_str());
    ASSERT_EQ(text.size(), size + 1);
    EXPECT_TRUE(BytesOf(text) == bytes);
  }
  EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(ReadTextFileTest, DevNullReadsAsEmptyText) {
  EXPECT_EQ(BytesOf(ReadTextFile(NullDevice())), "");
  EXPECT_TRUE(boxes_.boxes.empty());
}

// Every way of naming something that cannot be read as a file ends in the
// same box, with the path exactly as given.
struct OpenFailureCase {
  const char* name;
  const char* relative;  ///< inside the temporary folder; null: the empty path
};

class ReadTextFileOpenFailureTest
    : public ReadTextFileTest,
      public ::testing::WithParamInterface<OpenFailureCase> {};

TEST_P(ReadTextFileOpenFailureTest, ShowsFileOpenErrorWithPath) {
  ASSERT_TRUE(dir_.MakeFolder("folder"));
  const std::string path =
      GetParam().relative ? dir_ / GetParam().relative : std::string();

  const ZeroedBuffer text = ReadTextFile(path.c_str());

  EXPECT_FALSE(text.valid());
  EXPECT_EQ(boxes_.boxes, (Boxes{ErrorBox("File Open Error![" + path + "]")}));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ReadTextFileOpenFailureTest,
    ::testing::Values(OpenFailureCase{"MissingFile", "missing.txt"},
                      OpenFailureCase{"Folder", "folder"},
                      OpenFailureCase{"FolderWithSlash", "folder/"},
                      OpenFailureCase{"MissingDirectory", "none/in.txt"},
                      OpenFailureCase{"EmptyPath", nullptr}),
    [](const auto& case_info) { return std::string(case_info.param.name); });

// "File Open Error![" is 17 bytes and "]" one more: a 237-byte path makes a
// message of exactly 255 bytes, the longest a box shows whole.
class ReadTextFileLongPathTest
    : public ReadTextFileTest,
      public ::testing::WithParamInterface<std::size_t> {};

TEST_P(ReadTextFileLongPathTest, MessageIsCutTo255Bytes) {
  const std::string path = PathOfLength(dir_.path(), GetParam());
  ASSERT_EQ(path.size(), GetParam());
  const std::string whole = "File Open Error![" + path + "]";

  EXPECT_FALSE(ReadTextFile(path.c_str()).valid());

  ASSERT_EQ(boxes_.boxes.size(), 1u);
  const std::string& text = boxes_.boxes[0].text;
  EXPECT_EQ(text, whole.substr(0, 255));
  EXPECT_EQ(text.size(), std::min<std::size_t>(whole.size(), 255));
  EXPECT_EQ(text.back() == ']', whole.size() <= 255);
}

INSTANTIATE_TEST_SUITE_P(Lengths, ReadTextFileLongPathTest,
                         ::testing::Values(200, 237, 238, 400, 5000),
                         [](const auto& case_info) {
                           return "Path" + std::to_string(case_info.param);
                         });

// A file that changes between the look at its size and the read: the
// buffer's allocation comes in between, so the change is made there.
std::string changing_path;
std::uint64_t changed_size = 0;

bool ResizeBeforeTheRead(AllocationSite site, std::size_t) {
  if (site == AllocationSite::kReadBuffer && !changing_path.empty()) {
    std::filesystem::resize_file(changing_path, changed_size);
    changing_path.clear();
  }
  return true;
}

class ChangingFileTest : public ReadTextFileTest {
 protected:
  // Reads |path| while it becomes |size| bytes long.
  ZeroedBuffer ReadWhileResizing(const std::string& path, std::uint64_t size) {
    changing_path = path;
    changed_size = size;
    const AllocationFilter previous = SetAllocationFilter(ResizeBeforeTheRead);
    ZeroedBuffer text = ReadTextFile(path.c_str());
    SetAllocationFilter(previous);
    EXPECT_TRUE(changing_path.empty()) << "the file was not changed";
    return text;
  }
};

// Small files are read on one thread, large ones in two halves at once;
// the file ends before the middle, or after it.
TEST_F(ChangingFileTest, FileThatShrinksIsAReadErrorWithBothSizes) {
  for (const auto& [size, shrunk] :
       {std::pair<std::uint64_t, std::uint64_t>{1000, 10},
        {std::uint64_t{17} << 20, std::uint64_t{5} << 20},
        {std::uint64_t{17} << 20, std::uint64_t{12} << 20}}) {
    SCOPED_TRACE(size);
    boxes_.boxes.clear();
    const std::string path = dir_ / "in.txt";
    WriteBytes(path, std::string(static_cast<std::size_t>(size), 'a'));

    EXPECT_FALSE(ReadWhileResizing(path, shrunk).valid());

    EXPECT_EQ(
        boxes_.boxes,
        (Boxes{ErrorBox("Read Error!(statbuf.st_size=[" + std::to_string(size) +
                        "], readsize=[" + std::to_string(shrunk) + "])")}));
  }
}

// What grows after the size was taken is not read: the text is the file as
// long as it was then, and nothing is reported.
TEST_F(ChangingFileTest, FileThatGrowsIsReadToItsFormerSize) {
  for (const std::uint64_t size :
       {std::uint64_t{1000}, std::uint64_t{17} << 20}) {
    SCOPED_TRACE(size);
    const std::string path = dir_ / "in.txt";
    std::string bytes(static_cast<std::size_t>(size), 'a');
    bytes.back() = '\n';
    WriteBytes(path, bytes);

    const ZeroedBuffer text = ReadWhileResizing(path, size + 4096);

    EXPECT_EQ(text.size(), size + 1);
    EXPECT_TRUE(BytesOf(text) == bytes);
    EXPECT_TRUE(boxes_.boxes.empty());
  }
}

bool RefuseReadBuffer(AllocationSite site, std::size_t) {
  return site != AllocationSite::kReadBuffer;
}

TEST_F(ReadTextFileTest, BufferAllocationFailureShowsReadbufError) {
  const std::string path = dir_ / "in.txt";
  WriteBytes(path, "a\n");
  const AllocationFilter previous = SetAllocationFilter(RefuseReadBuffer);
  const ZeroedBuffer text = ReadTextFile(path.c_str());
  SetAllocationFilter(previous);

  EXPECT_FALSE(text.valid());
  EXPECT_EQ(boxes_.boxes, (Boxes{ErrorBox("Memory Allocate Error![readbuf]")}));
}

TEST_F(ReadTextFileTest, MappingRefusedShowsReadbufErrorToo) {
  const std::string path = dir_ / "big.txt";
  WriteBytes(path, std::string(std::size_t{2} << 20, 'a'));
  const AllocationFilter previous = SetAllocationFilter(RefuseReadBuffer);
  const ZeroedBuffer text = ReadTextFile(path.c_str());
  SetAllocationFilter(previous);

  EXPECT_FALSE(text.valid());
  EXPECT_EQ(boxes_.boxes, (Boxes{ErrorBox("Memory Allocate Error![readbuf]")}));
}

}  // namespace
}  // namespace tarnel
