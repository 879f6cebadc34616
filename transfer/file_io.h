// The operating system's side of file transfer, in twin files
// (file_io_posix.cc, file_io_win32.cc) behind what both share (file_io.cc).
// Each call reports what went wrong as a value; the messages are
// file_transfer.cc's business.
#ifndef TARNEL_TRANSFER_FILE_IO_H_
#define TARNEL_TRANSFER_FILE_IO_H_

#include <cstdint>
#include <memory>
#include <string>

#include "platform/memory.h"

namespace tarnel {

struct ReadOutcome {
  enum Status { kOk, kOpenFailed, kNoMemory, kShortRead } status = kOk;
  ZeroedBuffer text;           ///< the bytes and a NUL, when kOk
  std::uint64_t expected = 0;  ///< the size the file reported
  std::uint64_t read = 0;      ///< bytes actually read
};

/// How a run uses the text it reads.
enum class TextUse {
  /// Read where it lies: a big file may be mapped rather than copied.
  kInPlace,
  /// Cut into lines, which writes all over it: a mapped file's pages would
  /// have to be copied anyway, and reading it into memory of its own is the
  /// cheaper copy.
  kCut,
};

/// Reads the whole file. A regular file is read up to its reported size; a
/// pipe or device is read to its end. A folder cannot be opened.
ReadOutcome ReadWholeFile(const char* path, TextUse use = TextUse::kInPlace);

struct WriteOutcome {
  enum Status { kOk, kOpenFailed, kWriteFailed } status = kOk;
  std::uint64_t written = 0;  ///< bytes known to have reached the file
};

/// A file written piece by piece. A regular file (or a new one) is written
/// to a temporary file beside it, flushed to disk and renamed over it, with
/// the old file's permission bits (on Windows its attributes; a read-only
/// file is refused there), through any symbolic links; until Commit
/// succeeds the target is untouched, and a writer dropped or failed leaves no
/// temporary file behind. Anything else (a device, a pipe) is written
/// directly.
class FileWriter {
 public:
  FileWriter();
  FileWriter(const FileWriter&) = delete;
  FileWriter& operator=(const FileWriter&) = delete;
  ~FileWriter();

  /// False when |path| cannot be opened or created.
  bool Open(const char* path);
  /// Appends |length| bytes. Once a piece has failed to reach the file, the
  /// pieces after it are not written.
  void Write(const char* data, std::uint64_t length);
  /// Flushes and puts the file in place: kOk, or kWriteFailed with the bytes
  /// known to have reached the file.
  WriteOutcome Commit();

 private:
  struct State;
  /// What the pieces handed to Write since Open came to.
  struct Progress {
    std::uint64_t offered = 0;  ///< bytes handed to Write
    std::uint64_t written = 0;  ///< bytes that reached the file
    bool failed = false;        ///< a piece fell short
  };

  /// Puts |length| bytes into the open file after the |offset| bytes
  /// already in it; how many of them reached it. One twin a platform.
  std::uint64_t WritePiece(const char* data, std::uint64_t length,
                           std::uint64_t offset);

  std::unique_ptr<State> state_;
  Progress progress_;
};

}  // namespace tarnel

#endif  // TARNEL_TRANSFER_FILE_IO_H_
