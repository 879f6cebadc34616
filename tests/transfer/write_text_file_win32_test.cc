// WriteTextFile where Windows differs: attributes instead of permission
// bits, read-only files, files another program holds, names in Shift-JIS
// bytes, paths past MAX_PATH, devices and pipes. A disk that fills up
// cannot be had on demand, so the writer's write limit stands in for it
// (the POSIX suite uses the real file size limit).
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>
#include <thread>

#include "tests/support/temp_dir.h"
#include "tests/support/wide_path.h"
#include "tests/transfer/test_files.h"
#include "tests/transfer/test_files_win32.h"
#include "transfer/file_transfer.h"
#include "transfer/write_limit.h"

namespace tarnel {
namespace {

using testing_support::ExtendedPathOf;
using testing_support::ReadBytes;
using testing_support::WriteBytes;

using Names = std::set<std::string>;

constexpr DWORD kNoFile = INVALID_FILE_ATTRIBUTES;

DWORD AttributesOf(const std::string& path) {
  return ::GetFileAttributesW(ExtendedPathOf(path).c_str());
}

bool SetAttributes(const std::string& path, DWORD attributes) {
  return ::SetFileAttributesW(ExtendedPathOf(path).c_str(), attributes) != 0;
}

// A write's status and the boxes it showed, as "status|box text|...".
std::string Report(const RecordingMessageBoxes& boxes, int status) {
  std::string report = std::to_string(status);
  for (const std::string& box : boxes.Texts()) report += "|" + box;
  return report;
}

TEST_F(WriteTextFileTest, ShortWriteKeepsOldContentsAndLeavesNoTemporary) {
  const std::string path = dir_ / "out.txt";
  WriteBytes(path, "old contents\r\n");
  constexpr DWORD kHidden = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;
  ASSERT_TRUE(SetAttributes(path, kHidden));
  ScopedResultText result(std::string(1000, 'x'));
  int status;
  {
    // The first write stops at 64 bytes; the next one would fail outright.
    ScopedWriteLimit limit(64);
    status = WriteTextFile(path.c_str());
  }

  EXPECT_EQ(Report(boxes_, status),
            "-1|Write Error!(lstrlen(lpMem)=[1000], writesize=[64])");
  EXPECT_EQ(ReadBytes(path), "old contents\r\n");
  EXPECT_EQ(AttributesOf(path), kHidden);
  EXPECT_EQ(dir_.Names(), Names{"out.txt"});
}

TEST_F(WriteTextFileTest, ShortWriteToNewFileCreatesNothing) {
  const std::string path = dir_ / "out.txt";
  ScopedResultText result("a\r\n");
  int status;
  {
    ScopedWriteLimit limit(0);
    status = WriteTextFile(path.c_str());
  }
  EXPECT_EQ(Report(boxes_, status),
            "-1|Write Error!(lstrlen(lpMem)=[3], writesize=[0])");
  EXPECT_EQ(dir_.Names(), Names{});
}

TEST_F(WriteTextFileTest, ResultJustUnderSizeLimitIsWritten) {
  const std::string path = dir_ / "out.txt";
  WriteBytes(path, "old contents\r\n");
  ScopedResultText result(std::string(64, 'x'));
  int status;
  {
    ScopedWriteLimit limit(64);
    status = WriteTextFile(path.c_str());
  }
  EXPECT_EQ(Report(boxes_, status), "0");
  EXPECT_EQ(ReadBytes(path), std::string(64, 'x'));
  EXPECT_EQ(dir_.Names(), Names{"out.txt"});
}

TEST_F(WriteTextFileTest, ShortPieceReportsTheWholeLengthAndWhatLanded) {
  const std::string path = dir_ / "out.txt";
  WriteBytes(path, "old contents\r\n");
  int status;
  {
    ScopedWriteLimit limit(64);
    TextFileSink sink;
    ASSERT_TRUE(sink.Open(path.c_str()));
    const std::string piece(40, 'x');
    for (int i = 0; i < 3; ++i) sink.Append(piece.data(), piece.size());
    status = sink.Finish();
  }
  EXPECT_EQ(Report(boxes_, status),
            "-1|Write Error!(lstrlen(lpMem)=[120], writesize=[64])");
  EXPECT_EQ(ReadBytes(path), "old contents\r\n");
  EXPECT_EQ(dir_.Names(), Names{"out.txt"});
}

// The new file takes the old one's place with its attributes. Each set has
// the archive bit, which Wine reports for every file whatever it was set to.
class WriteTextFileAttributeTest : public WriteTextFileTest,
                                   public ::testing::WithParamInterface<DWORD> {
};

TEST_P(WriteTextFileAttributeTest, OldFilesAttributesAreKept) {
  const std::string path = dir_ / "out.txt";
  WriteBytes(path, "old\r\n");
  ASSERT_TRUE(SetAttributes(path, GetParam()));
  ASSERT_EQ(AttributesOf(path), GetParam());
  ScopedResultText result("new\r\n");

  EXPECT_EQ(WriteTextFile(path.c_str()), 0);

  EXPECT_EQ(ReadBytes(path), "new\r\n");
  EXPECT_EQ(AttributesOf(path), GetParam());
  EXPECT_EQ(dir_.Names(), Names{"out.txt"});
}

INSTANTIATE_TEST_SUITE_P(
    Attributes, WriteTextFileAttributeTest,
    ::testing::Values(DWORD{FILE_ATTRIBUTE_ARCHIVE},
                      DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE},
                      DWORD{FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE},
                      DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                            FILE_ATTRIBUTE_ARCHIVE}));

// Windows' answer to a read-only file is a refusal, before anything is
// written (the POSIX writer replaces a file of mode 0444 instead).
TEST_F(WriteTextFileTest, ReadOnlyFileIsRefusedAndKept) {
  const std::string path = dir_ / "out.txt";
  WriteBytes(path, "old\r\n");
  ASSERT_TRUE(SetAttributes(path, FILE_ATTRIBUTE_READONLY));
  ScopedResultText result("new\r\n");

  EXPECT_EQ(WriteTextFile(path.c_str()), -1);

  EXPECT_EQ(boxes_.boxes,
            (Boxes{ErrorBox("File Open Error!\n[" + path + "]")}));
  EXPECT_EQ(ReadBytes(path), "old\r\n");
  EXPECT_NE(AttributesOf(path) & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_EQ(dir_.Names(), Names{"out.txt"});
}

// Another program has the file open and lets others read and write it but
// not delete or rename it: the new file cannot take its place, a failure
// that happens for real only at the very end.
TEST_F(WriteTextFileTest, FileHeldAgainstRenamingKeepsOldContents) {
  const std::string path = dir_ / "out.txt";
  WriteBytes(path, "old\r\n");
  const HANDLE held = ::CreateFileW(ExtendedPathOf(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  ScopedResultText result("new\r\n");

  const int status = WriteTextFile(path.c_str());
  ::CloseHandle(held);

  EXPECT_EQ(Report(boxes_, status),
            "-1|Write Error!(lstrlen(lpMem)=[5], writesize=[0])");
  EXPECT_EQ(ReadBytes(path), "old\r\n");
  EXPECT_EQ(dir_.Names(), Names{"out.txt"});
}

// The text is written first into a file of its own in the target's folder,
// never into the target and never into another folder.
TEST_F(WriteTextFileTest, TextGoesFirstToANewFileBesideTheTarget) {
  ASSERT_TRUE(dir_.MakeFolder("sub"));
  const std::string path = dir_ / "sub/out.txt";
  WriteBytes(path, "old\r\n");
  TextFileSink sink;
  ASSERT_TRUE(sink.Open(path.c_str()));
  sink.Append("new\r\n", 5);

  EXPECT_EQ(dir_.Names(), Names{"sub"});
  WIN32_FIND_DATAW entry;
  const HANDLE find =
      ::FindFirstFileW((ExtendedPathOf(dir_ / "sub") + L"\\*").c_str(), &entry);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  std::set<std::wstring> inside;
  do {
    inside.insert(entry.cFileName);
  } while (::FindNextFileW(find, &entry));
  ::FindClose(find);
  inside.erase(L".");
  inside.erase(L"..");
  EXPECT_EQ(inside.size(), 2u);
  EXPECT_EQ(inside.count(L"out.txt"), 1u);
  EXPECT_EQ(ReadBytes(path), "old\r\n");

  EXPECT_EQ(sink.Finish(), 0);
  EXPECT_EQ(ReadBytes(path), "new\r\n");
}

struct NameCase {
  const char* name;
  const char* ansi;
  const wchar_t* wide;
};

class WriteTextFileNameTest : public WriteTextFileTest,
                              public ::testing::WithParamInterface<NameCase> {};

TEST_P(WriteTextFileNameTest, ShiftJisNameIsWrittenUnderThatName) {
  const std::string path = dir_ / GetParam().ansi;
  ScopedResultText result("new\r\n");
  for (int round = 0; round < 2; ++round) {  // made, then replaced
    SCOPED_TRACE(round);
    EXPECT_EQ(WriteTextFile(path.c_str()), 0);
    const std::wstring wide =
        ExtendedPathOf(dir_.path()) + L"\\" + GetParam().wide;
    EXPECT_NE(::GetFileAttributesW(wide.c_str()), kNoFile);
    EXPECT_EQ(ReadBytes(path), "new\r\n");
    EXPECT_EQ(dir_.Names(), Names{GetParam().ansi});
  }
  EXPECT_TRUE(boxes_.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    CodePage932, WriteTextFileNameTest,
    ::testing::Values(NameCase{"Hiragana", "\x82\xa2\x82\xeb\x82\xcd.txt",
                               L"\u3044\u308d\u306f.txt"},
                      NameCase{"TrailBytesThatLookLikeBackslashes",
                               "\x83\x5c\x95\x5c.txt", L"\u30bd\u8868.txt"}),
    [](const auto& case_info) { return std::string(case_info.param.name); });

TEST_F(WriteTextFileTest, PathLongerThanMaxPathIsWrittenAndReplaced) {
  std::string folder = dir_.path();
  while (folder.size() < 300) {
    folder += "\\" + std::string(40, 'd');
    ASSERT_TRUE(::CreateDirectoryW(ExtendedPathOf(folder).c_str(), nullptr));
  }
  const std::string path = folder + "\\out.txt";
  ASSERT_GT(path.size(), std::size_t{MAX_PATH});
  for (const char* text : {"first\r\n", "second\r\n"}) {
    SCOPED_TRACE(text);
    ScopedResultText result(text);
    EXPECT_EQ(WriteTextFile(path.c_str()), 0);
    EXPECT_EQ(ReadBytes(path), text);
  }
  EXPECT_TRUE(boxes_.boxes.empty());
  // Nothing but the file is left in its folder.
  WIN32_FIND_DATAW entry;
  const HANDLE find =
      ::FindFirstFileW((ExtendedPathOf(folder) + L"\\*").c_str(), &entry);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  int entries = 0;
  do {
    ++entries;
  } while (::FindNextFileW(find, &entry));
  ::FindClose(find);
  EXPECT_EQ(entries, 3);  // ".", ".." and out.txt
}

TEST_F(WriteTextFileTest, PipeTargetIsWrittenDirectly) {
  const std::string name =
      "\\\\.\\pipe\\tarnel-write-" + std::to_string(::GetCurrentProcessId());
  const HANDLE pipe = ::CreateNamedPipeA(name.c_str(), PIPE_ACCESS_INBOUND,
                                         PIPE_TYPE_BYTE | PIPE_WAIT, 1, 1 << 16,
                                         1 << 16, 0, nullptr);
  ASSERT_NE(pipe, INVALID_HANDLE_VALUE) << ::GetLastError();
  std::string received;
  std::thread reader([&] {
    ::ConnectNamedPipe(pipe, nullptr);
    char chunk[4096];
    DWORD got = 0;
    while (::ReadFile(pipe, chunk, sizeof chunk, &got, nullptr) && got > 0) {
      received.append(chunk, got);
    }
    ::CloseHandle(pipe);
  });
  ScopedResultText result("b\r\na\r\n");

  const int status = WriteTextFile(name.c_str());
  if (status != 0) {
    // The reader must not wait for a writer forever.
    ::CloseHandle(::CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr));
  }
  reader.join();

  EXPECT_EQ(status, 0);
  EXPECT_EQ(received, "b\r\na\r\n");
  EXPECT_TRUE(boxes_.boxes.empty());
}

}  // namespace
}  // namespace tarnel
