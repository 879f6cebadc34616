// Mapped files that another process may cut short. Touching a page of a
// mapping that now lies past its file's end raises SIGBUS, which would end
// the program. A mapping registered here is guarded instead: the fault's
// page becomes a page of zeros, the range remembers where it lost its first
// page, and whoever reads the mapping asks afterwards whether what it read
// was still the file.
//
// The table is small and fixed (kMappedRangeSlots) and read by a signal
// handler, so it holds nothing but lock-free atomics. A SIGBUS anywhere
// else takes its default action: the process ends as it would have. Only
// the POSIX twins include this.
#ifndef TARNEL_PLATFORM_MAPPED_RANGES_H_
#define TARNEL_PLATFORM_MAPPED_RANGES_H_

#include <cstddef>

namespace tarnel {

/// How many mappings can be guarded at once.
inline constexpr int kMappedRangeSlots = 64;

/// Guards the |length| bytes of file pages at |begin| (page-aligned), whose
/// replacement pages are writable when |writable|. Returns the range's slot,
/// or -1 when every slot is taken or the handler cannot be installed: then
/// the mapping is unguarded and should not be used.
int GuardMappedRange(void* begin, std::size_t length, bool writable);

/// Makes the pages that replace lost ones in |slot| writable or not, to
/// match the mapping after an mprotect.
void SetMappedRangeWritable(int slot, bool writable);

/// The offset in |slot| of the lowest page lost since it was guarded; its
/// length when none was.
std::size_t MappedRangeLostFrom(int slot);

/// Stops guarding |slot|, before the mapping is taken down. -1 does nothing.
void ReleaseMappedRange(int slot);

}  // namespace tarnel

#endif  // TARNEL_PLATFORM_MAPPED_RANGES_H_
