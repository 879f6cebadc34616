// Real files for the transfer tests: a private temporary folder, whole-file
// reads and writes, and a result block filled by hand for WriteTextFile.
#ifndef TARNEL_TESTS_TRANSFER_TEST_FILES_H_
#define TARNEL_TESTS_TRANSFER_TEST_FILES_H_

#include <gtest/gtest.h>
#include <sys/types.h>

#include <functional>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/recording_message_boxes.h"

namespace tarnel {

/// Lets a failed comparison of recorded boxes show their texts.
void PrintTo(const RecordedBox& box, std::ostream* out);

/// A fresh folder under /tmp, removed with everything in it on destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  /// The path of |name| inside the folder.
  std::string operator/(std::string_view name) const;
  /// Names of the entries in the folder (dot files included).
  std::set<std::string> Names() const;

 private:
  std::string path_;
};

/// Creates or replaces |path| with exactly |bytes|.
void WriteBytes(const std::string& path, std::string_view bytes);
/// The whole contents of |path|; fails the current test when unreadable.
std::string ReadBytes(const std::string& path);
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

/// Runs |body| in a forked child and returns the text it produced, failing
/// the current test unless the child ended normally. Limits set in the child
/// (setrlimit, signal dispositions) stay there.
std::string RunInChild(const std::function<std::string()>& body);

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
  TempDir dir_;
  RecordingMessageBoxes boxes_;
};

using Boxes = std::vector<RecordedBox>;

}  // namespace tarnel

#endif  // TARNEL_TESTS_TRANSFER_TEST_FILES_H_
