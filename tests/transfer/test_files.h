// Real files for the transfer tests: what a file's mode and path look like,
// the umask for a scope, a result block filled by hand for the writers, and
// the fixture that records a run's boxes with a temporary folder at hand.
#ifndef TARNEL_TESTS_TRANSFER_TEST_FILES_H_
#define TARNEL_TESTS_TRANSFER_TEST_FILES_H_

#include <gtest/gtest.h>
#include <sys/types.h>

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/recording_message_boxes.h"
#include "tests/support/temp_dir.h"

namespace tarnel {

/// Lets a failed comparison of recorded boxes show their texts.
void PrintTo(const RecordedBox& box, std::ostream* out);

/// The permission bits of |path| (links followed), or -1 when missing.
int ModeOf(const std::string& path);
/// A path of exactly |length| bytes under |base| naming nothing, in
/// components short enough that only the whole may be too long.
std::string PathOfLength(const std::string& base, std::size_t length);
/// True when |path| itself is a symbolic link.
bool IsSymlink(const std::string& path);

/// Sets the process umask for the scope and restores it after.
class ScopedUmask {
 public:
  explicit ScopedUmask(mode_t mask);
  ~ScopedUmask();
  ScopedUmask(const ScopedUmask&) = delete;
  ScopedUmask& operator=(const ScopedUmask&) = delete;

 private:
  mode_t previous_;
};

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

}  // namespace tarnel

#endif  // TARNEL_TESTS_TRANSFER_TEST_FILES_H_
