// A disk that fills up, on demand, for the Windows suites. The POSIX suites
// make one for real with the process's file size limit (RLIMIT_FSIZE);
// Windows has no such limit and no way to fill a disk at a chosen byte, so
// the Windows twin of FileWriter (file_io_win32.cc) can be told to stop
// taking bytes where a full disk would.
#ifndef TARNEL_TRANSFER_WRITE_LIMIT_H_
#define TARNEL_TRANSFER_WRITE_LIMIT_H_

#include <cstdint>

namespace tarnel {

/// No limit: what a FileWriter starts with.
inline constexpr std::uint64_t kNoWriteLimit = UINT64_MAX;

/// From now on a file that a FileWriter writes takes at most |bytes| bytes:
/// a write that would pass the limit stops at it, and the next one fails
/// with nothing written, as when the disk is full. Returns the limit before.
std::uint64_t SetWriteLimitForTesting(std::uint64_t bytes);

}  // namespace tarnel

#endif  // TARNEL_TRANSFER_WRITE_LIMIT_H_
