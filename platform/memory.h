// Memory for a run's big buffers: the source text, the line table, the result
// block and the clipboard's copies. Every such allocation goes through here so
// that tests can make a chosen one fail, which the real heap will not do on
// demand.
//
// ZeroedBuffer owns plain zero-filled memory. GlobalBlock is a movable global
// memory block (GlobalAlloc / GlobalLock / GlobalUnlock / GlobalSize /
// GlobalFree; elsewhere heap memory that behaves alike): zero-filled, sized,
// locked to reach its bytes, and freed exactly once, by its destructor unless
// it was handed on or only borrowed. The twins memory_posix.cc and
// memory_win32.cc hold what differs.
#ifndef TARNEL_PLATFORM_MEMORY_H_
#define TARNEL_PLATFORM_MEMORY_H_

#include <cstddef>
#include <string_view>

namespace tarnel {

/// Where an allocation is made; tests pick one to fail.
enum class AllocationSite {
  kReadBuffer,     ///< the file reader's buffer
  kLineTable,      ///< the run's line table (Base)
  kResultBlock,    ///< the run's result block (hMem)
  kClipboardRead,  ///< the copy of the clipboard's text
  kClipboardCopy,  ///< the block handed to the clipboard
  kClipboardData,  ///< the clipboard's own block of text
  kSortKeys,       ///< the sort's table of precomputed keys
  kSortFallback,   ///< the rank tree of a range the sort's fallback takes
};

/// Test hook: return false to make an allocation at |site| fail.
using AllocationFilter = bool (*)(AllocationSite site, std::size_t bytes);
/// Installs |filter| (null: allocations fail only when the heap does) and
/// returns the previous one.
AllocationFilter SetAllocationFilter(AllocationFilter filter);

/// Zero-filled heap memory owned by one object.
class ZeroedBuffer {
 public:
  ZeroedBuffer() = default;
  /// An empty buffer (valid() false) when the memory cannot be had.
  static ZeroedBuffer Allocate(std::size_t bytes, AllocationSite site);
  ZeroedBuffer(ZeroedBuffer&& other) noexcept;
  ZeroedBuffer& operator=(ZeroedBuffer&& other) noexcept;
  ZeroedBuffer(const ZeroedBuffer&) = delete;
  ZeroedBuffer& operator=(const ZeroedBuffer&) = delete;
  ~ZeroedBuffer();

  bool valid() const { return data_ != nullptr; }
  char* data() const { return data_; }
  std::size_t size() const { return size_; }
  /// Frees the memory now; the buffer becomes empty.
  void Reset();
  /// Gives the whole pages inside [offset, offset + bytes) back to the
  /// system, where it allows that; their contents are then undefined. For a
  /// large table that is read once from its ends inwards. A large buffer's
  /// pages are huge ones: ask for everything that may go, not for the last
  /// few entries alone.
  void DiscardPages(std::size_t offset, std::size_t bytes);

#if defined(__unix__)
  /// The first |bytes| bytes of the open file |fd| followed by a NUL, mapped
  /// instead of copied: no fresh pages to zero, no copy. The pages are the
  /// file's own until written; call MakeWritable before the first write.
  /// Empty when the system will not map the file or the filter refuses
  /// |site|, and when the mapping cannot be guarded against the file being
  /// cut short meanwhile (see platform/mapped_ranges.h).
  static ZeroedBuffer MapFile(int fd, std::size_t bytes, AllocationSite site);
#endif
  /// Lets a mapped file's bytes be written (each page written becomes a
  /// private copy); false when the system refuses. Other buffers are
  /// writable already.
  bool MakeWritable();
  /// Whether the bytes are a file's mapped pages rather than fresh memory.
  bool file_mapped() const { return file_mapped_; }

  /// For a mapped file, the bytes of it that were mapped (the text without
  /// its NUL); 0 for any other buffer.
  std::size_t mapped_file_bytes() const { return file_mapped_ ? size_ - 1 : 0; }
  /// For a mapped file, how many of the bytes mapped are still the file's:
  /// all of them, unless another process cut the file short since, when the
  /// lesser of its present size and the offset of the first page that was
  /// touched past its new end (such pages read as zeros from then on). 0
  /// for any other buffer.
  std::size_t IntactFileBytes() const;
  /// Whether a mapped file was cut short while mapped, so that not all of
  /// the bytes are the file's; false for any other buffer, which nobody
  /// else can change.
  bool CutShort() const { return IntactFileBytes() < mapped_file_bytes(); }

 private:
  char* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t mapped_ = 0;  ///< length of the mapping; 0 when from the heap
  bool file_mapped_ = false;
  bool read_only_ = false;
  int file_ = -1;   ///< a mapped file's own descriptor, to look at its size
  int guard_ = -1;  ///< a mapped file's slot among the guarded ranges
};

/// A table read once, from its ends inwards, is given back every this many
/// entries.
inline constexpr std::size_t kDiscardStep = std::size_t{1} << 16;

/// Gives back the pages of entries [first, last) of a table of
/// |entry_size|-byte entries that starts at |table| inside |memory|. Does
/// nothing when |memory| is null or the range is empty.
void DiscardTableEntries(ZeroedBuffer* memory, const void* table,
                         std::size_t first, std::size_t last,
                         std::size_t entry_size);

class GlobalBlock {
 public:
  GlobalBlock() = default;
  /// A zero-filled block of |bytes|; an empty block (valid() false) when the
  /// memory cannot be had.
  static GlobalBlock Allocate(std::size_t bytes, AllocationSite site);
  /// A block holding |text| and a terminating zero; empty when the memory
  /// cannot be had.
  static GlobalBlock Holding(std::string_view text, AllocationSite site);
  /// The block behind |handle|, which someone else owns (the clipboard's
  /// text): used like any other, never freed by this object. Null gives an
  /// empty block.
  static GlobalBlock Borrow(void* handle);
  GlobalBlock(GlobalBlock&& other) noexcept;
  GlobalBlock& operator=(GlobalBlock&& other) noexcept;
  GlobalBlock(const GlobalBlock&) = delete;
  GlobalBlock& operator=(const GlobalBlock&) = delete;
  ~GlobalBlock();

  bool valid() const { return handle_ != nullptr; }
  /// The block's full allocated size in bytes.
  std::size_t Size() const;
  /// Pins the block and returns its bytes; null for an empty block.
  char* Lock();
  /// Undoes one Lock. Returns true while the block is still locked.
  bool Unlock();
  int lock_count() const { return lock_count_; }
  /// Frees the block now (a borrowed one is only let go of); it becomes
  /// empty. Freeing twice does nothing.
  void Free();

  /// The system's handle of the block (an HGLOBAL on Windows); null when
  /// empty.
  void* handle() const { return handle_; }
  /// Lets go of the block without freeing it, once whoever was given
  /// handle() owns it (the clipboard, after taking it); the block becomes
  /// empty.
  void Release();

 private:
  void* handle_ = nullptr;
  int lock_count_ = 0;
  bool owned_ = false;
};

}  // namespace tarnel

#endif  // TARNEL_PLATFORM_MEMORY_H_
