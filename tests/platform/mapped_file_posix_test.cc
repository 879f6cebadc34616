// A mapped file cut short by someone else while its pages are in use: lost
// pages read as zeros, the buffer tells how much is still the file's, and a
// bus error outside every guarded mapping still ends the process.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <string>

#include "platform/memory.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace tarnel {
namespace {

const std::size_t kPage = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
const std::string kBytes(4 * kPage + 100, 'x');

ZeroedBuffer MapWhole(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  ZeroedBuffer text =
      ZeroedBuffer::MapFile(fd, kBytes.size(), AllocationSite::kReadBuffer);
  ::close(fd);
  return text;
}

struct Cut {
  const char* name;
  std::size_t cut_to;  ///< the file's size once cut
  std::size_t touch;   ///< the offset read, or written, after the cut
  bool write;          ///< written through the mapping made writable
  bool grow_back;      ///< the file gets its size back after the touch
  char seen;           ///< the touched byte afterwards
  std::size_t intact;  ///< IntactFileBytes afterwards
};

class MappedFileCutTest : public ::testing::TestWithParam<Cut> {};

TEST_P(MappedFileCutTest, LostPagesReadAsZerosAndTheBufferSaysSo) {
  const Cut& cut = GetParam();
  testing_support::TempDir dir;
  const std::string path = dir.Write("mapped.txt", kBytes);
  ZeroedBuffer text = MapWhole(path);
  ASSERT_TRUE(text.file_mapped());
  if (cut.write) {
    ASSERT_TRUE(text.MakeWritable());
  }
  ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(cut.cut_to)), 0);

  // The touch is what used to end the program.
  volatile char* const touched = text.data() + cut.touch;
  if (cut.write) *touched = 'W';
  EXPECT_EQ(*touched, cut.seen);
  if (cut.grow_back) {
    ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(kBytes.size())), 0);
  }

  EXPECT_EQ(text.IntactFileBytes(), cut.intact);
  EXPECT_EQ(text.CutShort(), cut.intact < kBytes.size());
  // What was never cut off is still the file's.
  const std::size_t kept = std::min(cut.intact, cut.cut_to);
  EXPECT_EQ(std::string(text.data(), kept), kBytes.substr(0, kept));
}

INSTANTIATE_TEST_SUITE_P(
    Cuts, MappedFileCutTest,
    ::testing::Values(Cut{"CutToNothing", 0, 0, false, false, '\0', 0},
                      Cut{"CutInsideAPageReadPagesBeyond", kPage + 10,
                          3 * kPage, false, false, '\0', kPage + 10},
                      Cut{"CutButOnlyWhatIsLeftRead", 2 * kPage, 100, false,
                          false, 'x', 2 * kPage},
                      Cut{"WrittenPastTheNewEnd", 2 * kPage, 3 * kPage + 1,
                          true, false, 'W', 2 * kPage},
                      // Only the lost page can tell: the size is whole again.
                      Cut{"GrownBackAfterAPageWasLost", kPage, 2 * kPage, false,
                          true, '\0', 2 * kPage},
                      Cut{"NotCut", kBytes.size(), 3 * kPage, false, false, 'x',
                          kBytes.size()}),
    [](const ::testing::TestParamInfo<Cut>& case_info) {
      return case_info.param.name;
    });

void ReadUnguardedMappingPastItsEnd(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  void* mapping = ::mmap(nullptr, kBytes.size(), PROT_READ, MAP_PRIVATE, fd, 0);
  if (mapping == MAP_FAILED || ::truncate(path.c_str(), 0) != 0) ::_exit(3);
  (void)*static_cast<volatile const char*>(mapping);
}

void RaiseBusError(const std::string&) { ::raise(SIGBUS); }

// Each in a child that has come through a guarded loss first, so that the
// handler is in place.
TEST(StrayBusErrorTest, StillEndsTheProcess) {
  for (auto* raise_bus_error :
       {ReadUnguardedMappingPastItsEnd, RaiseBusError}) {
    testing_support::TempDir dir;
    const std::string guarded = dir.Write("guarded.txt", kBytes);
    const std::string stray = dir.Write("stray.txt", kBytes);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ZeroedBuffer text = MapWhole(guarded);
      if (::truncate(guarded.c_str(), 0) != 0 || text.data()[kPage] != 0) {
        ::_exit(4);
      }
      raise_bus_error(stray);
      ::_exit(0);
    }
    const std::optional<int> status =
        testing_support::WaitForExit(child, std::chrono::seconds(30));
    ASSERT_TRUE(status.has_value());
    EXPECT_TRUE(WIFSIGNALED(*status) && WTERMSIG(*status) == SIGBUS)
        << "wait status " << *status;
  }
}

}  // namespace
}  // namespace tarnel
