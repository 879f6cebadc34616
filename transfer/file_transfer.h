// The file source and sink of a run. Both work on raw bytes (no code-page or
// line-end translation) and show their own failures with ShowError.
#ifndef TARNEL_TRANSFER_FILE_TRANSFER_H_
#define TARNEL_TRANSFER_FILE_TRANSFER_H_

#include "platform/memory.h"

namespace tarnel {

/// Loads the whole file at |path| into a new zero-filled buffer whose last
/// byte is a NUL. Returns an empty buffer after showing the failure.
ZeroedBuffer ReadTextFile(const char* path);

/// Stores the result text (lpMem) in the file at |path|. The file is
/// replaced only once the new contents are safely on disk: on failure it
/// keeps its previous contents. Returns 0, or -1 after showing the failure.
int WriteTextFile(const char* path);

}  // namespace tarnel

#endif  // TARNEL_TRANSFER_FILE_TRANSFER_H_
