// POSIX: heap memory, and on Linux huge pages for big buffers. A global
// block is a ZeroedBuffer of its own; its handle is that object's address.
// A mapped file is guarded against being cut short (mapped_ranges.h).
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <utility>

#include "platform/mapped_ranges.h"
#include "platform/memory.h"
#include "platform/memory_internal.h"

namespace tarnel {

#if defined(__linux__)
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
// Below this a buffer is left to the heap.
constexpr std::size_t kMappedBuffer = std::size_t{8} << 20;

// A run's big buffers are filled once from end to end. Asking for huge pages
// spares the hundred thousand page faults a 400 MB run otherwise takes.
// Only the whole huge pages of the |bytes| asked for are asked for: a part
// of one past them would be faulted in whole. Returns null when the system
// will not map the memory.
char* MapHugePages(std::size_t bytes, std::size_t length) {
  void* mapping = ::mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapping == MAP_FAILED) return nullptr;
  const auto start = reinterpret_cast<std::uintptr_t>(mapping);
  const std::uintptr_t aligned =
      (start + kHugePage - 1) / kHugePage * kHugePage;
  if (aligned > start) ::munmap(mapping, aligned - start);
  const std::uintptr_t tail = start + length + kHugePage - (aligned + length);
  if (tail > 0) ::munmap(reinterpret_cast<void*>(aligned + length), tail);
  ::madvise(reinterpret_cast<void*>(aligned), bytes / kHugePage * kHugePage,
            MADV_HUGEPAGE);
  return reinterpret_cast<char*>(aligned);
}

}  // namespace
#endif

ZeroedBuffer ZeroedBuffer::Allocate(std::size_t bytes, AllocationSite site) {
  ZeroedBuffer buffer;
  if (!memory_internal::Allowed(site, bytes)) return buffer;
#if defined(__linux__)
  if (bytes >= kMappedBuffer && bytes <= SIZE_MAX - 2 * kHugePage) {
    const std::size_t length = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    buffer.data_ = MapHugePages(bytes, length);
    if (buffer.data_) {
      buffer.size_ = bytes;
      buffer.mapped_ = length;
    }
    return buffer;
  }
#endif
  // calloc hands out fresh zero pages for big blocks without touching them.
  buffer.data_ = static_cast<char*>(std::calloc(bytes ? bytes : 1, 1));
  if (buffer.data_) buffer.size_ = bytes;
  return buffer;
}

void ZeroedBuffer::Reset() {
  // Unguarded before it goes: its addresses may soon be someone else's.
  ReleaseMappedRange(guard_);
  guard_ = -1;
  if (file_ >= 0) ::close(file_);
  file_ = -1;
  if (mapped_ != 0) {
    ::munmap(data_, mapped_);
  } else {
    std::free(data_);
  }
  data_ = nullptr;
  size_ = 0;
  mapped_ = 0;
  file_mapped_ = false;
  read_only_ = false;
}

ZeroedBuffer ZeroedBuffer::MapFile(int fd, std::size_t bytes,
                                   AllocationSite site) {
  ZeroedBuffer buffer;
  if (!memory_internal::Allowed(site, bytes + 1)) return buffer;
  const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  if (page == 0 || bytes == 0 || bytes > SIZE_MAX - 2 * page) return buffer;
  // The file's pages, then at least one zero byte of an anonymous page: the
  // text's NUL, whatever the file's length.
  const std::size_t file_length = (bytes + page - 1) / page * page;
  const std::size_t length = file_length + page;
  void* reserved =
      ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (reserved == MAP_FAILED) return buffer;
  // Read-only, so that the pages can be put in place at once: populating a
  // writable private mapping would copy every one of them.
  int flags = MAP_PRIVATE | MAP_FIXED;
#if defined(MAP_POPULATE)
  flags |= MAP_POPULATE;
#endif
  if (::mmap(reserved, bytes, PROT_READ, flags, fd, 0) == MAP_FAILED) {
    ::munmap(reserved, length);
    return buffer;
  }
  buffer.data_ = static_cast<char*>(reserved);
  buffer.size_ = bytes + 1;
  buffer.mapped_ = length;
  buffer.file_mapped_ = true;
  buffer.read_only_ = true;
  // Another process may cut the file short while its pages are in use. A
  // descriptor of our own tells its size then, and the guard keeps a touch
  // past its new end from ending the program. Without either the mapping
  // is not safe to hand out, and the caller reads the file instead.
  buffer.file_ = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
  buffer.guard_ = GuardMappedRange(reserved, file_length, false);
  if (buffer.file_ < 0 || buffer.guard_ < 0) buffer.Reset();
  return buffer;
}

bool ZeroedBuffer::MakeWritable() {
  if (read_only_) {
    // A page lost from now on must be writable too, as the one it replaces.
    SetMappedRangeWritable(guard_, true);
    if (::mprotect(data_, mapped_, PROT_READ | PROT_WRITE) != 0) {
      SetMappedRangeWritable(guard_, false);
      return false;
    }
    read_only_ = false;
  }
  return true;
}

std::size_t ZeroedBuffer::IntactFileBytes() const {
  if (!file_mapped_) return 0;
  struct stat now {};
  if (::fstat(file_, &now) != 0) return 0;
  const std::size_t mapped = mapped_file_bytes();
  std::size_t intact = mapped;
  if (now.st_size < 0) {
    intact = 0;
  } else if (static_cast<std::uint64_t>(now.st_size) < mapped) {
    intact = static_cast<std::size_t>(now.st_size);
  }
  return std::min(intact, MappedRangeLostFrom(guard_));
}

void ZeroedBuffer::DiscardPages(std::size_t offset, std::size_t bytes) {
  static const std::size_t page =
      static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  if (!data_ || offset >= size_ || page == 0) return;
  bytes = std::min(bytes, size_ - offset);
  const auto begin = reinterpret_cast<std::uintptr_t>(data_ + offset);
  std::uintptr_t first = (begin + page - 1) / page * page;
  std::uintptr_t last = (begin + bytes) / page * page;
#if defined(__linux__)
  // Part of a huge page given back would split it, and the system would
  // keep all of it until it ran short: within a buffer's huge pages (from
  // its start, which is aligned to them) only whole ones go.
  if (mapped_ != 0 && !file_mapped_) {
    const std::uintptr_t huge_end =
        reinterpret_cast<std::uintptr_t>(data_) + size_ / kHugePage * kHugePage;
    if (first < huge_end)
      first = (first + kHugePage - 1) / kHugePage * kHugePage;
    if (last < huge_end) last = last / kHugePage * kHugePage;
  }
#endif
  if (last > first) {
    ::madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED);
  }
}

namespace {

ZeroedBuffer* BufferOf(void* handle) {
  return static_cast<ZeroedBuffer*>(handle);
}

}  // namespace

GlobalBlock GlobalBlock::Allocate(std::size_t bytes, AllocationSite site) {
  GlobalBlock block;
  ZeroedBuffer memory = ZeroedBuffer::Allocate(bytes, site);
  if (!memory.valid()) return block;
  block.handle_ = new (std::nothrow) ZeroedBuffer(std::move(memory));
  block.owned_ = block.handle_ != nullptr;
  return block;
}

std::size_t GlobalBlock::Size() const {
  return handle_ ? BufferOf(handle_)->size() : 0;
}

char* GlobalBlock::Lock() {
  if (!handle_) return nullptr;
  ++lock_count_;
  return BufferOf(handle_)->data();
}

bool GlobalBlock::Unlock() {
  if (lock_count_ > 0) --lock_count_;
  return lock_count_ > 0;
}

void GlobalBlock::Free() {
  if (owned_) delete BufferOf(handle_);
  handle_ = nullptr;
  lock_count_ = 0;
  owned_ = false;
}

}  // namespace tarnel
