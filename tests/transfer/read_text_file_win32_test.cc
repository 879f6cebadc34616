// ReadTextFile where Windows differs: names in Shift-JIS bytes, paths past
// MAX_PATH, pipes, and files that another program keeps to itself.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>

#include "tests/support/temp_dir.h"
#include "tests/support/wide_path.h"
#include "tests/transfer/test_files.h"
#include "transfer/file_transfer.h"

namespace tarnel {
namespace {

using testing_support::ExtendedPathOf;
using testing_support::WriteBytes;

// "いろは.txt" and "ソ表.txt" in code page 932; the second holds two trail
// bytes that are a backslash in ASCII.
constexpr char kIrohaName[] = "\x82\xa2\x82\xeb\x82\xcd.txt";
constexpr wchar_t kIrohaWide[] = L"\u3044\u308d\u306f.txt";
constexpr char kSoHyouName[] = "\x83\x5c\x95\x5c.txt";
constexpr wchar_t kSoHyouWide[] = L"\u30bd\u8868.txt";

// Makes |name| (UTF-16) in |folder| with the wide functions alone.
void WriteWide(const std::string& folder, const std::wstring& name,
               const std::string& bytes) {
  const std::wstring path = ExtendedPathOf(folder) + L"\\" + name;
  const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << ::GetLastError();
  DWORD written = 0;
  EXPECT_TRUE(::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()),
                          &written, nullptr));
  ::CloseHandle(file);
}

struct NameCase {
  const char* name;
  const char* ansi;
  const wchar_t* wide;
};

class ReadTextFileNameTest : public ReadTextFileTest,
                             public ::testing::WithParamInterface<NameCase> {};

TEST_P(ReadTextFileNameTest, ShiftJisNameReachesTheFileOfThatName) {
  WriteWide(dir_.path(), GetParam().wide, "b\r\na\r\n");
  EXPECT_EQ(BytesOf(ReadTextFile((dir_ / GetParam().ansi).c_str())),
            "b\r\na\r\n");
  EXPECT_TRUE(boxes_.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    CodePage932, ReadTextFileNameTest,
    ::testing::Values(NameCase{"Hiragana", kIrohaName, kIrohaWide},
                      NameCase{"TrailBytesThatLookLikeBackslashes", kSoHyouName,
                               kSoHyouWide}),
    [](const auto& case_info) { return std::string(case_info.param.name); });

// A file deeper than MAX_PATH, made through "\\?\": the -A functions
// would refuse its name.
TEST_F(ReadTextFileTest, PathLongerThanMaxPathIsRead) {
  std::string folder = dir_.path();
  while (folder.size() < 300) {
    folder += "\\" + std::string(40, 'd');
    ASSERT_TRUE(::CreateDirectoryW(ExtendedPathOf(folder).c_str(), nullptr));
  }
  const std::string path = folder + "\\" + kIrohaName;
  WriteBytes(path, "deep\r\n");
  ASSERT_GT(path.size(), std::size_t{MAX_PATH});

  EXPECT_EQ(BytesOf(ReadTextFile(path.c_str())), "deep\r\n");
  EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(ReadTextFileTest, FileAnotherProgramKeepsToItselfIsAnOpenError) {
  const std::string path = dir_ / "locked.txt";
  WriteBytes(path, "a\r\n");
  const HANDLE held = ::CreateFileW(ExtendedPathOf(path).c_str(), GENERIC_READ,
                                    0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);

  const ZeroedBuffer text = ReadTextFile(path.c_str());
  ::CloseHandle(held);

  EXPECT_FALSE(text.valid());
  EXPECT_EQ(boxes_.boxes, (Boxes{ErrorBox("File Open Error![" + path + "]")}));
}

TEST_F(ReadTextFileTest, PipeIsReadToItsEndPastOneBufferful) {
  // More than the pipe holds at once, so a reader trusting the size it sees
  // would stop early.
  const std::string sent = MoreThanAPipeHolds();
  const std::string name =
      "\\\\.\\pipe\\tarnel-read-" + std::to_string(::GetCurrentProcessId());
  const HANDLE pipe = ::CreateNamedPipeA(name.c_str(), PIPE_ACCESS_OUTBOUND,
                                         PIPE_TYPE_BYTE | PIPE_WAIT, 1, 1 << 16,
                                         1 << 16, 0, nullptr);
  ASSERT_NE(pipe, INVALID_HANDLE_VALUE) << ::GetLastError();
  bool all_sent = false;
  std::thread writer([&] {
    ::ConnectNamedPipe(pipe, nullptr);
    DWORD written = 0;
    all_sent = ::WriteFile(pipe, sent.data(), static_cast<DWORD>(sent.size()),
                           &written, nullptr) &&
               written == sent.size();
    // Waits until the reader has had everything; then the end of the pipe.
    ::FlushFileBuffers(pipe);
    ::CloseHandle(pipe);
  });

  const ZeroedBuffer text = ReadTextFile(name.c_str());
  if (!text.valid()) {
    // The writer must not wait for a reader forever.
    const HANDLE reader = ::CreateFileA(name.c_str(), GENERIC_READ, 0, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
    char chunk[1 << 16];
    DWORD got = 0;
    while (::ReadFile(reader, chunk, sizeof chunk, &got, nullptr) && got > 0) {
    }
    ::CloseHandle(reader);
  }

  writer.join();
  EXPECT_TRUE(all_sent);
  EXPECT_EQ(BytesOf(text), sent);
  EXPECT_TRUE(boxes_.boxes.empty());
}

}  // namespace
}  // namespace tarnel
