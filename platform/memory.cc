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

ZeroedBuffer ZeroedBuffer::Allocate(std::size_t bytes, AllocationSite site) {
  ZeroedBuffer buffer;
  if (allocation_filter && !allocation_filter(site, bytes)) return buffer;
  // calloc hands out fresh zero pages for big blocks without touching them.
  buffer.data_ = static_cast<char*>(std::calloc(bytes ? bytes : 1, 1));
  if (buffer.data_) buffer.size_ = bytes;
  return buffer;
}

ZeroedBuffer::ZeroedBuffer(ZeroedBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)) {}

ZeroedBuffer& ZeroedBuffer::operator=(ZeroedBuffer&& other) noexcept {
  if (this != &other) {
    Reset();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

ZeroedBuffer::~ZeroedBuffer() { Reset(); }

void ZeroedBuffer::Reset() {
  std::free(data_);
  data_ = nullptr;
  size_ = 0;
}

void ZeroedBuffer::DiscardPages(std::size_t offset, std::size_t bytes) {
#if defined(__unix__)
  static const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
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
