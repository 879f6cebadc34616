#include "platform/memory.h"

#include <cstring>
#include <utility>

#include "platform/memory_internal.h"

namespace tarnel {

namespace memory_internal {
AllocationFilter allocation_filter = nullptr;
}  // namespace memory_internal

AllocationFilter SetAllocationFilter(AllocationFilter filter) {
  return std::exchange(memory_internal::allocation_filter, filter);
}

GlobalBlock GlobalBlock::Holding(std::string_view text, AllocationSite site) {
  GlobalBlock block = Allocate(text.size() + 1, site);
  char* bytes = block.Lock();
  if (!bytes) return GlobalBlock();
  std::memcpy(bytes, text.data(), text.size());
  block.Unlock();
  return block;
}

ZeroedBuffer::ZeroedBuffer(ZeroedBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      mapped_(std::exchange(other.mapped_, 0)),
      file_mapped_(std::exchange(other.file_mapped_, false)),
      read_only_(std::exchange(other.read_only_, false)),
      file_(std::exchange(other.file_, -1)),
      guard_(std::exchange(other.guard_, -1)) {}

ZeroedBuffer& ZeroedBuffer::operator=(ZeroedBuffer&& other) noexcept {
  if (this != &other) {
    Reset();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    mapped_ = std::exchange(other.mapped_, 0);
    file_mapped_ = std::exchange(other.file_mapped_, false);
    read_only_ = std::exchange(other.read_only_, false);
    file_ = std::exchange(other.file_, -1);
    guard_ = std::exchange(other.guard_, -1);
  }
  return *this;
}

ZeroedBuffer::~ZeroedBuffer() { Reset(); }

void DiscardTableEntries(ZeroedBuffer* memory, const void* table,
                         std::size_t first, std::size_t last,
                         std::size_t entry_size) {
  if (!memory || last <= first) return;
  const auto offset = static_cast<std::size_t>(static_cast<const char*>(table) -
                                               memory->data());
  memory->DiscardPages(offset + first * entry_size,
                       (last - first) * entry_size);
}

GlobalBlock::GlobalBlock(GlobalBlock&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)),
      lock_count_(std::exchange(other.lock_count_, 0)),
      owned_(std::exchange(other.owned_, false)) {}

GlobalBlock& GlobalBlock::operator=(GlobalBlock&& other) noexcept {
  if (this != &other) {
    Free();
    handle_ = std::exchange(other.handle_, nullptr);
    lock_count_ = std::exchange(other.lock_count_, 0);
    owned_ = std::exchange(other.owned_, false);
  }
  return *this;
}

GlobalBlock::~GlobalBlock() { Free(); }

GlobalBlock GlobalBlock::Borrow(void* handle) {
  GlobalBlock block;
  block.handle_ = handle;
  return block;
}

void GlobalBlock::Release() {
  handle_ = nullptr;
  lock_count_ = 0;
  owned_ = false;
}

}  // namespace tarnel
