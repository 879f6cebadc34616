// Real files for the transfer tests: what a path looks like, a result block
// filled by hand for the writers, and the fixture that records a run's boxes
// with a temporary folder at hand. What only POSIX has (modes, links, the
// umask) is in test_files_posix.h.
#ifndef TARNEL_TESTS_TRANSFER_TEST_FILES_H_
#define TARNEL_TESTS_TRANSFER_TEST_FILES_H_

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/memory.h"
#include "platform/testing/recording_message_boxes.h"
#include "tests/support/temp_dir.h"

namespace tarnel {

/// Lets a failed comparison of recorded boxes show their texts.
void PrintTo(const RecordedBox& box, std::ostream* out);

/// A path of exactly |length| bytes under |base| naming nothing, in
/// components short enough that only the whole may be too long.
std::string PathOfLength(const std::string& base, std::size_t length);

/// The bytes of a text that ReadTextFile returned, before its closing NUL,
/// after checking that the NUL is there.
std::string BytesOf(const ZeroedBuffer& buffer);

/// 100 lines "line 99" down to "line 00", each ended by a line feed: a
/// 900-byte result once sorted and ended by CR LF.
std::string HundredNumberedLines();

/// About 300,000 bytes of lines in no order: more than a pipe holds at once,
/// so that a reader trusting the size it sees first would stop early.
std::string MoreThanAPipeHolds();

/// Puts |text| into the run's result block (hMem / lpMem) the way the engine
/// leaves it for the writers, and frees it again on destruction.
class ScopedResultText {
 public:
  explicit ScopedResultText(std::string_view text);
  ~ScopedResultText();
  ScopedResultText(const ScopedResultText&) = delete;
  ScopedResultText& operator=(const ScopedResultText&) = delete;
};

/// A temporary folder, the recording boxes and an owner window for the run.
class FileTransferTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  /// The box ShowError makes of |text|.
  RecordedBox ErrorBox(const std::string& text);
  /// The closing box of a run.
  RecordedBox FinishBox(const std::string& text);

  int owner_tag_ = 0;
  testing_support::TempDir dir_;
  RecordingMessageBoxes boxes_;
};

using Boxes = std::vector<RecordedBox>;

// The fixtures of the suites whose cases are spread over a file for every
// system and one for each system.
class ReadTextFileTest : public FileTransferTest {};
class WriteTextFileTest : public FileTransferTest {};

class FileSortRunTest : public FileTransferTest {
 protected:
  static constexpr std::uint8_t kShowFinish = 0;
  static constexpr std::uint8_t kQuiet = 1;

  /// Sorts the file |in| ascending on whole lines into |out|.
  void SortWholeLines(const std::string& in, const std::string& out,
                      std::uint8_t quiet = kShowFinish);
};

}  // namespace tarnel

#endif  // TARNEL_TESTS_TRANSFER_TEST_FILES_H_
