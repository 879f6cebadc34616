// WriteTextFile where POSIX differs: permission bits and the umask,
// symbolic links, devices and pipes written in place, and writes cut short
// for real by the process's file size limit.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "tests/support/process.h"
#include "tests/support/temp_dir.h"
#include "tests/transfer/test_files.h"
#include "tests/transfer/test_files_posix.h"
#include "transfer/file_transfer.h"

namespace tarnel {
namespace {

using testing_support::ReadBytes;
using testing_support::RunInChild;
using testing_support::WriteBytes;

using Names = std::set<std::string>;

// The old file's permission bits survive its replacement whatever the umask;
// a new file gets what creating it would give: 0666 less the umask.
struct ModeCase {
  const char* name;
  int existing;  ///< permission bits of the old file; -1: no old file
  mode_t umask;
  int expected;
};

class WriteTextFileModeTest : public WriteTextFileTest,
                              public ::testing::WithParamInterface<ModeCase> {};

TEST_P(WriteTextFileModeTest, KeepsOldBitsOrTakesUmask) {
  const ModeCase& c = GetParam();
  const std::string path = dir_ / "out.txt";
  if (c.existing >= 0) {
    WriteBytes(path, "old\r\n");
    ASSERT_EQ(::chmod(path.c_str(), static_cast<mode_t>(c.existing)), 0);
  }
  ScopedUmask mask(c.umask);
  ScopedResultText result("new\r\n");

  EXPECT_EQ(WriteTextFile(path.c_str()), 0);

  EXPECT_EQ(ModeOf(path), c.expected);
  EXPECT_EQ(ReadBytes(path), "new\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Modes, WriteTextFileModeTest,
    ::testing::Values(ModeCase{"Existing0640", 0640, 022, 0640},
                      ModeCase{"Existing0600", 0600, 022, 0600},
                      ModeCase{"Existing0755", 0755, 022, 0755},
                      ModeCase{"ReadOnly0444", 0444, 022, 0444},
                      ModeCase{"Existing0666UnderUmask077", 0666, 077, 0666},
                      ModeCase{"NewUnderUmask022", -1, 022, 0644},
                      ModeCase{"NewUnderUmask027", -1, 027, 0640},
                      ModeCase{"NewUnderUmask000", -1, 0, 0666}),
    [](const auto& case_info) { return std::string(case_info.param.name); });

TEST_F(WriteTextFileTest, SymlinkTargetIsWrittenAndLinkStays) {
  const std::string file = dir_ / "real.txt";
  const std::string link = dir_ / "link.txt";
  WriteBytes(file, "old\r\n");
  ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
  ASSERT_EQ(::symlink("real.txt", link.c_str()), 0);
  ScopedResultText result("new\r\n");

  EXPECT_EQ(WriteTextFile(link.c_str()), 0);

  EXPECT_TRUE(IsSymlink(link));
  EXPECT_EQ(std::filesystem::read_symlink(link), "real.txt");
  EXPECT_EQ(ReadBytes(file), "new\r\n");
  EXPECT_EQ(ModeOf(file), 0640);
  EXPECT_EQ(dir_.Names(), (Names{"link.txt", "real.txt"}));
}

TEST_F(WriteTextFileTest, ChainOfLinksAcrossFoldersReachesTheFile) {
  // link1 (relative) -> sub/link2 (absolute) -> sub/real.txt: the temporary
  // file must be made beside the real file, not beside the first link.
  ASSERT_EQ(::mkdir((dir_ / "sub").c_str(), 0755), 0);
  const std::string file = dir_ / "sub/real.txt";
  WriteBytes(file, "old\r\n");
  ASSERT_EQ(::symlink(file.c_str(), (dir_ / "sub/link2").c_str()), 0);
  ASSERT_EQ(::symlink("sub/link2", (dir_ / "link1").c_str()), 0);
  ScopedResultText result("new\r\n");

  EXPECT_EQ(WriteTextFile((dir_ / "link1").c_str()), 0);

  EXPECT_EQ(ReadBytes(file), "new\r\n");
  EXPECT_TRUE(IsSymlink(dir_ / "link1"));
  EXPECT_TRUE(IsSymlink(dir_ / "sub/link2"));
  EXPECT_EQ(dir_.Names(), (Names{"link1", "sub"}));
}

TEST_F(WriteTextFileTest, DanglingSymlinkCreatesTheFileItNames) {
  const std::string link = dir_ / "link.txt";
  ASSERT_EQ(::symlink("made.txt", link.c_str()), 0);
  ScopedUmask mask(022);
  ScopedResultText result("new\r\n");

  EXPECT_EQ(WriteTextFile(link.c_str()), 0);

  EXPECT_TRUE(IsSymlink(link));
  EXPECT_EQ(ReadBytes(dir_ / "made.txt"), "new\r\n");
  EXPECT_EQ(ModeOf(dir_ / "made.txt"), 0644);
  EXPECT_EQ(dir_.Names(), (Names{"link.txt", "made.txt"}));
}

TEST_F(WriteTextFileTest, LinkIntoMissingDirectoryShowsFileOpenError) {
  ASSERT_EQ(::symlink("none/out.txt", (dir_ / "dangling").c_str()), 0);
  const std::string path = dir_ / "dangling";
  ScopedResultText result("new\r\n");

  EXPECT_EQ(WriteTextFile(path.c_str()), -1);

  EXPECT_EQ(boxes_.boxes,
            (Boxes{ErrorBox("File Open Error!\n[" + path + "]")}));
  EXPECT_EQ(dir_.Names(), Names{"dangling"});
}

TEST_F(WriteTextFileTest, DeviceFullShowsWriteErrorWithNothingWritten) {
  // /dev/full takes no byte: the whole length is reported and 0 written.
  ScopedResultText result("b\r\na\r\n");

  EXPECT_EQ(WriteTextFile("/dev/full"), -1);

  EXPECT_EQ(
      boxes_.boxes,
      (Boxes{ErrorBox("Write Error!(lstrlen(lpMem)=[6], writesize=[0])")}));
}

TEST_F(WriteTextFileTest, PipeTargetIsWrittenDirectlyAndStaysAPipe) {
  const std::string fifo = dir_ / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // A reader must hold the pipe open, or opening it to write would block.
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  ScopedResultText result("b\r\na\r\n");

  const int status = WriteTextFile(fifo.c_str());

  char bytes[64];
  const ssize_t n = ::read(reader, bytes, sizeof bytes);
  ::close(reader);
  EXPECT_EQ(status, 0);
  ASSERT_GT(n, 0);
  EXPECT_EQ(std::string(bytes, static_cast<std::size_t>(n)), "b\r\na\r\n");
  struct stat info;
  ASSERT_EQ(::lstat(fifo.c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));
  EXPECT_EQ(dir_.Names(), Names{"fifo"});
  EXPECT_TRUE(boxes_.boxes.empty());
}

// A write cut short by the file size limit, made for real in a child process
// so the limit stays there. The child reports "status|box text|...".
std::string WriteUnderSizeLimit(const std::string& path, rlim_t limit,
                                const std::string& text) {
  return RunInChild([&] {
    const rlimit size_limit{limit, limit};
    ::setrlimit(RLIMIT_FSIZE, &size_limit);
    ::signal(SIGXFSZ, SIG_IGN);
    RecordingMessageBoxes boxes;
    ScopedResultText result(text);
    std::string report = std::to_string(WriteTextFile(path.c_str()));
    for (const std::string& box : boxes.Texts()) report += "|" + box;
    return report;
  });
}

TEST_F(WriteTextFileTest, ShortWriteKeepsOldContentsAndLeavesNoTemporary) {
  const std::string path = dir_ / "out.txt";
  WriteBytes(path, "old contents\r\n");
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  const std::string text(1000, 'x');

  // The first write stops at the 64-byte limit; the next one fails outright.
  EXPECT_EQ(WriteUnderSizeLimit(path, 64, text),
            "-1|Write Error!(lstrlen(lpMem)=[1000], writesize=[64])");

  EXPECT_EQ(ReadBytes(path), "old contents\r\n");
  EXPECT_EQ(ModeOf(path), 0640);
  EXPECT_EQ(dir_.Names(), Names{"out.txt"});
}

TEST_F(WriteTextFileTest, ShortWriteToNewFileCreatesNothing) {
  const std::string path = dir_ / "out.txt";
  EXPECT_EQ(WriteUnderSizeLimit(path, 0, "a\r\n"),
            "-1|Write Error!(lstrlen(lpMem)=[3], writesize=[0])");
  EXPECT_EQ(dir_.Names(), Names{});
}

TEST_F(WriteTextFileTest, ResultJustUnderSizeLimitIsWritten) {
  // The limit itself is no failure: the same write with room to spare lands.
  const std::string path = dir_ / "out.txt";
  WriteBytes(path, "old contents\r\n");
  EXPECT_EQ(WriteUnderSizeLimit(path, 64, std::string(64, 'x')), "0");
  EXPECT_EQ(ReadBytes(path), std::string(64, 'x'));
  EXPECT_EQ(dir_.Names(), Names{"out.txt"});
}

// A piece cut short by the size limit stops the writing, but the box still
// gives the length of the whole result, pieces after the failure included.
TEST_F(WriteTextFileTest, ShortPieceReportsTheWholeLengthAndWhatLanded) {
  const std::string path = dir_ / "out.txt";
  WriteBytes(path, "old contents\r\n");
  const std::string report = RunInChild([&] {
    const rlimit size_limit{64, 64};
    ::setrlimit(RLIMIT_FSIZE, &size_limit);
    ::signal(SIGXFSZ, SIG_IGN);
    RecordingMessageBoxes boxes;
    TextFileSink sink;
    if (!sink.Open(path.c_str())) return std::string("not opened");
    const std::string piece(40, 'x');
    for (int i = 0; i < 3; ++i) sink.Append(piece.data(), piece.size());
    std::string result = std::to_string(sink.Finish());
    for (const std::string& box : boxes.Texts()) result += "|" + box;
    return result;
  });
  EXPECT_EQ(report, "-1|Write Error!(lstrlen(lpMem)=[120], writesize=[64])");
  EXPECT_EQ(ReadBytes(path), "old contents\r\n");
  EXPECT_EQ(dir_.Names(), Names{"out.txt"});
}

// /dev/stdout, /dev/stderr and /dev/fd/N lead through /proc/self/fd to a
// pipe whose link text ("pipe:[N]") names no file: the pipe itself must
// take the text, and nothing may be made beside the link.
TEST_F(WriteTextFileTest, PipeReachedThroughFdLinksIsWrittenDirectly) {
  for (const std::string prefix : {"/dev/fd/", "/proc/self/fd/"}) {
    SCOPED_TRACE(prefix);
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const std::string path = prefix + std::to_string(fds[1]);
    ScopedResultText result("b\r\na\r\n");

    const int status = WriteTextFile(path.c_str());

    ::close(fds[1]);
    std::string received;
    char bytes[64];
    for (ssize_t n; (n = ::read(fds[0], bytes, sizeof bytes)) > 0;) {
      received.append(bytes, static_cast<std::size_t>(n));
    }
    ::close(fds[0]);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(received, "b\r\na\r\n");
    EXPECT_TRUE(boxes_.boxes.empty());
    boxes_.boxes.clear();
  }
}

// The rename is the last step that can fail: here the target has become a
// folder meanwhile. Everything was written, yet nothing counts as written,
// and the temporary file goes.
TEST_F(WriteTextFileTest, FailedRenameIsAWriteErrorAndLeavesNoTemporary) {
  const std::string path = dir_ / "out.txt";
  WriteBytes(path, "old\r\n");
  TextFileSink sink;
  ASSERT_TRUE(sink.Open(path.c_str()));
  sink.Append("new\r\n", 5);
  ASSERT_EQ(::unlink(path.c_str()), 0);
  ASSERT_EQ(::mkdir(path.c_str(), 0755), 0);
  WriteBytes(path + "/keep", "x");

  EXPECT_EQ(sink.Finish(), -1);

  EXPECT_EQ(
      boxes_.boxes,
      (Boxes{ErrorBox("Write Error!(lstrlen(lpMem)=[5], writesize=[0])")}));
  EXPECT_EQ(dir_.Names(), Names{"out.txt"});
  EXPECT_EQ(ReadBytes(path + "/keep"), "x");
}

// Root may write into any folder: a child that is to meet a folder's
// permissions gives root up first, for the user nobody, who then owns the
// test's files. False when that cannot be done.
bool BecomeAnOrdinaryUser(const std::vector<std::string>& paths) {
  if (::geteuid() != 0) return true;
  constexpr uid_t kNobody = 65534;
  for (const std::string& path : paths) {
    if (::chown(path.c_str(), kNobody, kNobody) != 0) return false;
  }
  return ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0;
}

// The folder refuses the temporary file although the file itself may be
// written. The file is not written in place instead: a write that failed
// half way would leave it neither old nor new. So the run stops before it
// starts, and the file keeps its contents.
TEST_F(WriteTextFileTest, ReadOnlyFolderWithWritableFileIsAnOpenError) {
  const std::string folder = dir_ / "locked";
  const std::string path = folder + "/out.txt";
  ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
  WriteBytes(path, "old\r\n");
  ASSERT_EQ(::chmod(path.c_str(), 0666), 0);

  const std::string report = RunInChild([&] {
    if (!BecomeAnOrdinaryUser({dir_.path(), folder, path})) {
      return std::string("no ordinary user");
    }
    if (::chmod(folder.c_str(), 0555) != 0) return std::string("no chmod");
    if (::access(path.c_str(), W_OK) != 0) return std::string("not writable");
    RecordingMessageBoxes boxes;
    ScopedResultText result("new\r\n");
    std::string outcome = std::to_string(WriteTextFile(path.c_str()));
    for (const std::string& box : boxes.Texts()) outcome += "|" + box;
    ::chmod(folder.c_str(), 0755);
    return outcome;
  });

  EXPECT_EQ(report, "-1|File Open Error!\n[" + path + "]");
  EXPECT_EQ(ReadBytes(path), "old\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                          std::filesystem::directory_iterator()),
            1);
}

// Mounts a memory file system of |bytes| at |folder| for this process
// alone: in a mount namespace of its own, or, without the right to make
// one, in a user namespace too. False when the system allows neither.
bool MountSmallFileSystem(const std::string& folder, std::size_t bytes) {
  const uid_t uid = ::geteuid();
  const gid_t gid = ::getegid();
  if (::unshare(CLONE_NEWNS) != 0) {
    if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) return false;
    const auto put = [](const char* file, const std::string& text) {
      const int fd = ::open(file, O_WRONLY | O_CLOEXEC);
      if (fd < 0) return false;
      const bool ok = ::write(fd, text.data(), text.size()) ==
                      static_cast<ssize_t>(text.size());
      ::close(fd);
      return ok;
    };
    if (!put("/proc/self/setgroups", "deny") ||
        !put("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
        !put("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1")) {
      return false;
    }
  }
  if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
    return false;
  }
  const std::string options = "size=" + std::to_string(bytes);
  return ::mount("tarnel-test", folder.c_str(), "tmpfs", 0, options.c_str()) ==
         0;
}

// The file system has no room for the temporary file beside the old one:
// the write fails part way, with what landed in the box, and the old file
// stays as it was. That holds even for a text no longer than the old one,
// which writing in place would have fitted.
TEST_F(WriteTextFileTest, FullFileSystemIsAWriteErrorAndKeepsTheOldFile) {
  const std::string folder = dir_ / "small";
  ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
  const std::string old(100 << 10, 'o');
  for (const std::size_t length : {std::size_t{200} << 10, old.size()}) {
    SCOPED_TRACE(length);
    const std::string report = RunInChild([&] {
      if (!MountSmallFileSystem(folder, 160 << 10)) return std::string("skip");
      const std::string path = folder + "/out.txt";
      WriteBytes(path, old);
      RecordingMessageBoxes boxes;
      ScopedResultText result(std::string(length, 'n'));
      std::string outcome = std::to_string(WriteTextFile(path.c_str()));
      for (const std::string& box : boxes.Texts()) outcome += "|" + box;
      outcome += ReadBytes(path) == old ? "|old kept" : "|old lost";
      for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        outcome.append("|").append(entry.path().filename().string());
      }
      return outcome;
    });
    if (report == "skip") GTEST_SKIP() << "no private file system here";

    const std::string prefix = "-1|Write Error!(lstrlen(lpMem)=[" +
                               std::to_string(length) + "], writesize=[";
    ASSERT_EQ(report.rfind(prefix, 0), 0u) << report;
    const std::size_t written = std::stoul(report.substr(prefix.size()));
    EXPECT_LT(written, length);
    EXPECT_EQ(report.substr(report.find(']', prefix.size())),
              "])|old kept|out.txt");
  }
}

}  // namespace
}  // namespace tarnel
