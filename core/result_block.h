// The result text of the current run, as the clipboard writer reads it.
//
// Ownership: RunSort allocates the block (hMem) and locks it into lpMem; the
// writers only read it; RunSort unlocks and frees it after delivery, on
// every path.
#ifndef TARNEL_CORE_RESULT_BLOCK_H_
#define TARNEL_CORE_RESULT_BLOCK_H_

#include <cstdint>

#include "platform/memory.h"

namespace tarnel {

/// A zero-filled block of OutputSize + 1 bytes, so the text is
/// NUL-terminated.
extern GlobalBlock hMem;
extern char* lpMem;

/// Length of the result text (bytes before its terminating NUL).
std::uint64_t ResultTextLength();

}  // namespace tarnel

#endif  // TARNEL_CORE_RESULT_BLOCK_H_
