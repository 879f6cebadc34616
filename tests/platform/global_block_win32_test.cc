// On Windows a global block is a real HGLOBAL: what the clipboard takes
// from SetClipboardData and hands out from GetClipboardData.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include "platform/memory.h"

namespace tarnel {
namespace {

TEST(GlobalBlockWin32Test, BlockIsAMovableGlobalMemoryObject) {
  GlobalBlock block = GlobalBlock::Allocate(100, AllocationSite::kResultBlock);
  const HGLOBAL handle = block.handle();
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(::GlobalSize(handle), 100u);
  char* bytes = block.Lock();
  ASSERT_NE(bytes, nullptr);
  // A movable block's address differs from its handle, which it maps back
  // to; the system counts the lock.
  EXPECT_NE(static_cast<void*>(bytes), handle);
  EXPECT_EQ(::GlobalHandle(bytes), handle);
  EXPECT_EQ(::GlobalFlags(handle) & GMEM_LOCKCOUNT, 1u);
  block.Unlock();
  EXPECT_EQ(::GlobalFlags(handle) & GMEM_LOCKCOUNT, 0u);
}

TEST(GlobalBlockWin32Test, ReleasedBlockIsLeftToItsNewOwner) {
  GlobalBlock block = GlobalBlock::Allocate(8, AllocationSite::kClipboardCopy);
  std::memcpy(block.Lock(), "kept", 5);
  block.Unlock();
  const HGLOBAL handle = block.handle();

  block.Release();

  EXPECT_FALSE(block.valid());
  block.Free();  // nothing to free any more
  // Still allocated, and ours to free now: GlobalFree returns null on
  // success.
  const char* bytes = static_cast<const char*>(::GlobalLock(handle));
  ASSERT_NE(bytes, nullptr);
  EXPECT_STREQ(bytes, "kept");
  ::GlobalUnlock(handle);
  EXPECT_EQ(::GlobalFree(handle), nullptr);
}

TEST(GlobalBlockWin32Test, BorrowedHandleOutlivesTheBlock) {
  const HGLOBAL handle = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 32);
  ASSERT_NE(handle, nullptr);
  {
    GlobalBlock view = GlobalBlock::Borrow(handle);
    EXPECT_EQ(view.Size(), 32u);
    char* bytes = view.Lock();
    ASSERT_NE(bytes, nullptr);
    bytes[0] = 'y';
    // Destroyed while locked: its own lock is undone, the block stays.
  }
  EXPECT_EQ(::GlobalFlags(handle) & GMEM_LOCKCOUNT, 0u);
  const char* bytes = static_cast<const char*>(::GlobalLock(handle));
  ASSERT_NE(bytes, nullptr);
  EXPECT_EQ(bytes[0], 'y');
  ::GlobalUnlock(handle);
  EXPECT_EQ(::GlobalFree(handle), nullptr);
}

}  // namespace
}  // namespace tarnel
