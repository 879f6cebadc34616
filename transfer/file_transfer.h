// The file source and sink of a run. Both work on raw bytes (no code-page or
// line-end translation) and show their own failures with ShowError.
#ifndef TARNEL_TRANSFER_FILE_TRANSFER_H_
#define TARNEL_TRANSFER_FILE_TRANSFER_H_

#include <cstddef>
#include <cstdint>

#include "platform/memory.h"
#include "transfer/file_io.h"

namespace tarnel {

/// Loads the whole file at |path| into a new zero-filled buffer whose last
/// byte is a NUL, for |use|. Returns an empty buffer after showing the
/// failure.
ZeroedBuffer ReadTextFile(const char* path, TextUse use = TextUse::kInPlace);

/// Asked before a result made from |source|, a text that ReadTextFile
/// returned, is delivered. Returns 0 while the text is still the file's,
/// or -1 after showing the short read's box when another process cut the
/// file short meanwhile, or when |changed|: the run found the text other
/// than it was when read, which only a file changed under it can be. A
/// text that was copied rather than mapped is always the file's.
int CheckSourceIntact(const ZeroedBuffer& source, bool changed = false);

/// Stores the result text (lpMem) in the file at |path|. The file is
/// replaced only once the new contents are safely on disk: on failure it
/// keeps its previous contents. Returns 0, or -1 after showing the failure.
int WriteTextFile(const char* path);

/// The result text delivered to a file piece by piece, as it is built, under
/// the same rules and with the same messages as WriteTextFile.
class TextFileSink {
 public:
  /// Returns false after showing the failure when |path| cannot be opened.
  bool Open(const char* path);
  /// Appends the next piece of the result text.
  void Append(const char* data, std::size_t length);
  /// Completes the file. Returns 0, or -1 after showing the failure, whose
  /// box gives the length of the whole result text.
  int Finish();

 private:
  FileWriter writer_;
  std::uint64_t length_ = 0;
};

}  // namespace tarnel

#endif  // TARNEL_TRANSFER_FILE_TRANSFER_H_
