// ReadTextFile where POSIX differs: symbolic links, pipes, and files whose
// reported size is not what they hold.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/mapped_ranges.h"
#include "tests/support/temp_dir.h"
#include "tests/transfer/test_files.h"
#include "transfer/file_transfer.h"

namespace tarnel {
namespace {

using testing_support::ReadBytes;
using testing_support::WriteBytes;

// From 1 MiB on a file is mapped, not copied: the text must still end with
// its NUL, a file whose size is a whole number of pages included, and
// writing to it once writable must leave the file alone.
TEST_F(ReadTextFileTest, BigFileIsMappedWithItsNulAndWrittenPrivately) {
  for (const std::size_t size :
       {std::size_t{1} << 20, (std::size_t{3} << 20) + 5}) {
    SCOPED_TRACE(size);
    std::string bytes(size, 'x');
    for (std::size_t i = 0; i < size; i += 97) bytes[i] = '\n';
    const std::string path = dir_ / "mapped.txt";
    WriteBytes(path, bytes);
    ZeroedBuffer text = ReadTextFile(path.c_str());
    ASSERT_EQ(text.size(), size + 1);
    EXPECT_TRUE(text.file_mapped());
    EXPECT_TRUE(BytesOf(text) == bytes);
    ASSERT_TRUE(text.MakeWritable());
    text.data()[0] = '\0';
    text.data()[size - 1] = '\0';
    EXPECT_TRUE(ReadBytes(path) == bytes);
  }
  EXPECT_TRUE(boxes_.boxes.empty());
}

// A mapping that cannot be guarded against the file being cut short is not
// handed out: the file is read instead.
TEST_F(ReadTextFileTest, BigFileIsCopiedWhenNoMappingCanBeGuarded) {
  const std::string bytes(std::size_t{1} << 20, 'x');
  const std::string path = dir_.Write("big.txt", bytes);
  std::vector<ZeroedBuffer> held(kMappedRangeSlots);
  for (ZeroedBuffer& text : held) text = ReadTextFile(path.c_str());
  EXPECT_TRUE(held.back().file_mapped());

  const ZeroedBuffer text = ReadTextFile(path.c_str());

  EXPECT_FALSE(text.file_mapped());
  EXPECT_TRUE(BytesOf(text) == bytes);
}

// A text to be cut into lines is read into memory of its own, big or not.
TEST_F(ReadTextFileTest, BigFileToBeCutIsCopied) {
  std::string bytes((std::size_t{2} << 20) + 3, 'x');
  for (std::size_t i = 0; i < bytes.size(); i += 61) bytes[i] = '\n';
  const std::string path = dir_.Write("cut.txt", bytes);
  ZeroedBuffer text = ReadTextFile(path.c_str(), TextUse::kCut);
  EXPECT_FALSE(text.file_mapped());
  ASSERT_EQ(text.size(), bytes.size() + 1);
  EXPECT_TRUE(BytesOf(text) == bytes);
  EXPECT_EQ(text.data()[bytes.size()], '\0');
  EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(ReadTextFileTest, SmallFileIsCopied) {
  const std::string path = dir_ / "small.txt";
  WriteBytes(path, "b\na\n");
  const ZeroedBuffer text = ReadTextFile(path.c_str());
  EXPECT_FALSE(text.file_mapped());
  EXPECT_EQ(BytesOf(text), "b\na\n");
}

TEST_F(ReadTextFileTest, FollowsSymlinkToItsFile) {
  WriteBytes(dir_ / "real.txt", "x\ny\n");
  ASSERT_EQ(::symlink("real.txt", (dir_ / "link.txt").c_str()), 0);
  EXPECT_EQ(BytesOf(ReadTextFile((dir_ / "link.txt").c_str())), "x\ny\n");
}

TEST_F(ReadTextFileTest, FileReportingSizeZeroIsReadToItsEnd) {
  // /proc files report st_size 0 but are not empty.
  const std::string text = BytesOf(ReadTextFile("/proc/self/status"));
  EXPECT_NE(text.find("Name:"), std::string::npos);
  EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(ReadTextFileTest, DanglingSymlinkShowsFileOpenErrorWithPath) {
  ASSERT_EQ(::symlink("gone.txt", (dir_ / "dangling").c_str()), 0);
  const std::string path = dir_ / "dangling";

  const ZeroedBuffer text = ReadTextFile(path.c_str());

  EXPECT_FALSE(text.valid());
  EXPECT_EQ(boxes_.boxes, (Boxes{ErrorBox("File Open Error![" + path + "]")}));
}

TEST_F(ReadTextFileTest, PipeIsReadToItsEndPastOneBufferful) {
  // More than a pipe holds at once, so a reader trusting the size it sees
  // (0, or what is buffered) would stop early.
  const std::string sent = MoreThanAPipeHolds();
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  const pid_t writer = ::fork();
  ASSERT_GE(writer, 0);
  if (writer == 0) {
    ::close(fds[0]);
    std::size_t done = 0;
    while (done < sent.size()) {
      const ssize_t n = ::write(fds[1], sent.data() + done, sent.size() - done);
      if (n <= 0) ::_exit(1);
      done += static_cast<std::size_t>(n);
    }
    ::_exit(0);
  }
  ::close(fds[1]);
  const std::string path = "/dev/fd/" + std::to_string(fds[0]);

  const ZeroedBuffer text = ReadTextFile(path.c_str());

  ::close(fds[0]);
  int status = 0;
  ASSERT_EQ(::waitpid(writer, &status, 0), writer);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(BytesOf(text), sent);
  EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(ReadTextFileTest, ShortReadShowsReportedAndReadCounts) {
  // Kernel attribute files report a size of one page but hold a few bytes:
  // a real short read.
  const std::string path = "/sys/kernel/mm/transparent_hugepage/enabled";
  struct stat info;
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
    GTEST_SKIP() << path << " is not available here";
  }
  const std::string actual = ReadBytes(path);
  ASSERT_NE(actual, "<missing>");
  ASSERT_LT(actual.size(), static_cast<std::size_t>(info.st_size));

  EXPECT_FALSE(ReadTextFile(path.c_str()).valid());

  EXPECT_EQ(boxes_.boxes,
            (Boxes{ErrorBox("Read Error!(statbuf.st_size=[" +
                            std::to_string(info.st_size) + "], readsize=[" +
                            std::to_string(actual.size()) + "])")}));
}

}  // namespace
}  // namespace tarnel
