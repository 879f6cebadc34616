#include "platform/memory.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <utility>

#if defined(__unix__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace tarnel {

namespace {
AllocationFilter allocation_filter = nullptr;
}  // namespace

AllocationFilter SetAllocationFilter(AllocationFilter filter) {
  return std::exchange(allocation_filter, filter);
}

#if defined(__linux__)
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
// Below this a buffer is left to the heap.
constexpr std::size_t kMappedBuffer = std::size_t{8} << 20;

// A run's big buffers are filled once from end to end. Asking for huge pages
// spares the hundred thousand page faults a 400 MB run otherwise takes.
// Returns null when the system will not map the memory.
char* MapHugePages(std::size_t length) {
  void* mapping = ::mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapping == MAP_FAILED) return nullptr;
  const auto start = reinterpret_cast<std::uintptr_t>(mapping);
  const std::uintptr_t aligned =
      (start + kHugePage - 1) / kHugePage * kHugePage;
  if (aligned > start) ::munmap(mapping, aligned - start);
  const std::uintptr_t tail = start + length + kHugePage - (aligned + length);
  if (tail > 0) ::munmap(reinterpret_cast<void*>(aligned + length), tail);
  ::madvise(reinterpret_cast<void*>(aligned), length, MADV_HUGEPAGE);
  return reinterpret_cast<char*>(aligned);
}

}  // namespace
#endif

ZeroedBuffer ZeroedBuffer::Allocate(std::size_t bytes, AllocationSite site) {
  ZeroedBuffer buffer;
  if (allocation_filter && !allocation_filter(site, bytes)) return buffer;
#if defined(__linux__)
  // The line table is given back page by page while the result is built;
  // huge pages would keep it whole until the end.
  if (bytes >= kMappedBuffer && bytes <= SIZE_MAX - 2 * kHugePage &&
      site != AllocationSite::kLineTable) {
    const std::size_t length = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    buffer.data_ = MapHugePages(length);
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

ZeroedBuffer::ZeroedBuffer(ZeroedBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      mapped_(std::exchange(other.mapped_, 0)) {}

ZeroedBuffer& ZeroedBuffer::operator=(ZeroedBuffer&& other) noexcept {
  if (this != &other) {
    Reset();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    mapped_ = std::exchange(other.mapped_, 0);
  }
  return *this;
}

ZeroedBuffer::~ZeroedBuffer() { Reset(); }

void ZeroedBuffer::Reset() {
#if defined(__linux__)
  if (mapped_ != 0) {
    ::munmap(data_, mapped_);
  } else {
    std::free(data_);
  }
#else
  std::free(data_);
#endif
  data_ = nullptr;
  size_ = 0;
  mapped_ = 0;
}

void ZeroedBuffer::DiscardPages(std::size_t offset, std::size_t bytes) {
#if defined(__unix__)
  static const std::size_t page =
      static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  if (!data_ || offset >= size_ || page == 0) return;
  bytes = std::min(bytes, size_ - offset);
  const auto begin = reinterpret_cast<std::uintptr_t>(data_ + offset);
  const std::uintptr_t first = (begin + page - 1) / page * page;
  const std::uintptr_t last = (begin + bytes) / page * page;
  if (last > first) {
    ::madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED);
  }
#else
  (void)offset;
  (void)bytes;
#endif
}

void DiscardTableEntries(ZeroedBuffer* memory, const void* table,
                         std::size_t first, std::size_t last,
                         std::size_t entry_size) {
  if (!memory || last <= first) return;
  const auto offset = static_cast<std::size_t>(static_cast<const char*>(table) -
                                               memory->data());
  memory->DiscardPages(offset + first * entry_size,
                       (last - first) * entry_size);
}

GlobalBlock GlobalBlock::Allocate(std::size_t bytes, AllocationSite site) {
  GlobalBlock block;
  block.memory_ = ZeroedBuffer::Allocate(bytes, site);
  return block;
}

GlobalBlock::GlobalBlock(GlobalBlock&& other) noexcept
    : memory_(std::move(other.memory_)),
      lock_count_(std::exchange(other.lock_count_, 0)) {}

GlobalBlock& GlobalBlock::operator=(GlobalBlock&& other) noexcept {
  if (this != &other) {
    memory_ = std::move(other.memory_);
    lock_count_ = std::exchange(other.lock_count_, 0);
  }
  return *this;
}

GlobalBlock::~GlobalBlock() { Free(); }

char* GlobalBlock::Lock() {
  if (!memory_.valid()) return nullptr;
  ++lock_count_;
  return memory_.data();
}

bool GlobalBlock::Unlock() {
  if (lock_count_ > 0) --lock_count_;
  return lock_count_ > 0;
}

void GlobalBlock::Free() {
  memory_.Reset();
  lock_count_ = 0;
}

}  // namespace tarnel
