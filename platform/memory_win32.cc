// Windows: the C heap for plain buffers, and for global blocks the real
// thing, an HGLOBAL, so that the clipboard can take one over.
#include <windows.h>

#include <cstdlib>

#include "platform/memory.h"
#include "platform/memory_internal.h"

namespace tarnel {

ZeroedBuffer ZeroedBuffer::Allocate(std::size_t bytes, AllocationSite site) {
  ZeroedBuffer buffer;
  if (!memory_internal::Allowed(site, bytes)) return buffer;
  buffer.data_ = static_cast<char*>(std::calloc(bytes ? bytes : 1, 1));
  if (buffer.data_) buffer.size_ = bytes;
  return buffer;
}

void ZeroedBuffer::Reset() {
  std::free(data_);
  data_ = nullptr;
  size_ = 0;
  mapped_ = 0;
  file_mapped_ = false;
  read_only_ = false;
}

// Nothing is mapped here: Windows would not let a mapped file be cut short.
std::size_t ZeroedBuffer::IntactFileBytes() const { return 0; }

// Heap memory is always writable.
bool ZeroedBuffer::MakeWritable() { return true; }

// Heap memory cannot be given back a page at a time.
void ZeroedBuffer::DiscardPages(std::size_t, std::size_t) {}

GlobalBlock GlobalBlock::Allocate(std::size_t bytes, AllocationSite site) {
  GlobalBlock block;
  if (!memory_internal::Allowed(site, bytes)) return block;
  // The clipboard takes only blocks made like this. A block of no bytes
  // could not be locked, so it gets one.
  block.handle_ = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE,
                                bytes ? bytes : 1);
  block.owned_ = block.handle_ != nullptr;
  return block;
}

std::size_t GlobalBlock::Size() const {
  return handle_ ? ::GlobalSize(handle_) : 0;
}

char* GlobalBlock::Lock() {
  if (!handle_) return nullptr;
  char* bytes = static_cast<char*>(::GlobalLock(handle_));
  if (bytes) ++lock_count_;
  return bytes;
}

bool GlobalBlock::Unlock() {
  if (lock_count_ > 0) {
    --lock_count_;
    ::GlobalUnlock(handle_);
  }
  return lock_count_ > 0;
}

void GlobalBlock::Free() {
  // Only this object's own locks are undone: a borrowed block may be
  // locked by its owner too.
  while (lock_count_ > 0) Unlock();
  if (owned_) ::GlobalFree(handle_);
  handle_ = nullptr;
  owned_ = false;
}

}  // namespace tarnel
