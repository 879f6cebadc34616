// The movable global block: what the run and the clipboard rely on. Freeing
// twice or not at all is caught by the sanitizer build.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "platform/memory.h"

namespace tarnel {
namespace {

TEST(GlobalBlockTest, AllocatedBlockIsZeroFilledAndHasRequestedSize) {
  GlobalBlock block = GlobalBlock::Allocate(4096, AllocationSite::kResultBlock);
  ASSERT_TRUE(block.valid());
  EXPECT_EQ(block.Size(), 4096u);
  const char* bytes = block.Lock();
  ASSERT_NE(bytes, nullptr);
  EXPECT_TRUE(std::all_of(bytes, bytes + 4096, [](char c) { return c == 0; }));
  block.Unlock();
}

TEST(GlobalBlockTest, LocksNestAndUnlockSaysWhetherStillLocked) {
  GlobalBlock block = GlobalBlock::Allocate(8, AllocationSite::kResultBlock);
  char* first = block.Lock();
  char* second = block.Lock();
  EXPECT_EQ(first, second);  // the block does not move while locked
  EXPECT_EQ(block.lock_count(), 2);
  EXPECT_TRUE(block.Unlock());
  EXPECT_FALSE(block.Unlock());
  EXPECT_FALSE(block.Unlock());  // one unlock too many changes nothing
  EXPECT_EQ(block.lock_count(), 0);
}

TEST(GlobalBlockTest, EmptyBlockLocksToNull) {
  GlobalBlock block;
  EXPECT_FALSE(block.valid());
  EXPECT_EQ(block.Size(), 0u);
  EXPECT_EQ(block.Lock(), nullptr);
  EXPECT_EQ(block.lock_count(), 0);
}

TEST(GlobalBlockTest, MoveHandsOverBlockAndLeavesSourceEmpty) {
  GlobalBlock source =
      GlobalBlock::Allocate(16, AllocationSite::kClipboardCopy);
  char* bytes = source.Lock();
  bytes[0] = 'x';
  source.Unlock();

  GlobalBlock target = std::move(source);
  EXPECT_FALSE(source.valid());
  EXPECT_EQ(source.Lock(), nullptr);
  ASSERT_TRUE(target.valid());
  EXPECT_EQ(target.Size(), 16u);
  EXPECT_EQ(target.Lock(), bytes);
  EXPECT_EQ(bytes[0], 'x');
  target.Unlock();
}

TEST(GlobalBlockTest, MoveAssignmentFreesBlockItReplaces) {
  GlobalBlock target = GlobalBlock::Allocate(32, AllocationSite::kResultBlock);
  target.Lock();
  target = GlobalBlock::Allocate(8, AllocationSite::kClipboardCopy);
  EXPECT_EQ(target.Size(), 8u);
  EXPECT_EQ(target.lock_count(), 0);
}

TEST(GlobalBlockTest, FreeEmptiesBlockAndSecondFreeDoesNothing) {
  GlobalBlock block = GlobalBlock::Allocate(8, AllocationSite::kClipboardCopy);
  block.Lock();
  block.Free();
  EXPECT_FALSE(block.valid());
  EXPECT_EQ(block.lock_count(), 0);
  block.Free();
  EXPECT_FALSE(block.valid());
}

TEST(GlobalBlockTest, BorrowedBlockReachesTheSameBytesAndIsNotFreed) {
  GlobalBlock owner = GlobalBlock::Allocate(16, AllocationSite::kClipboardData);
  char* bytes = owner.Lock();
  bytes[0] = 'x';
  owner.Unlock();
  {
    GlobalBlock view = GlobalBlock::Borrow(owner.handle());
    ASSERT_TRUE(view.valid());
    EXPECT_EQ(view.handle(), owner.handle());
    EXPECT_EQ(view.Size(), 16u);
    const char* seen = view.Lock();
    ASSERT_NE(seen, nullptr);
    EXPECT_EQ(seen[0], 'x');
    view.Unlock();
    view.Free();  // lets go of the block only
    EXPECT_FALSE(view.valid());
  }
  // The owner's block is whole after the view has gone (the sanitizer build
  // would see a second free).
  ASSERT_TRUE(owner.valid());
  EXPECT_EQ(owner.Size(), 16u);
  EXPECT_EQ(owner.Lock()[0], 'x');
  owner.Unlock();
}

TEST(GlobalBlockTest, BorrowingNothingGivesAnEmptyBlock) {
  GlobalBlock view = GlobalBlock::Borrow(nullptr);
  EXPECT_FALSE(view.valid());
  EXPECT_EQ(view.Lock(), nullptr);
}

TEST(GlobalBlockTest, MoveHandsOverTheHandle) {
  GlobalBlock source = GlobalBlock::Allocate(8, AllocationSite::kResultBlock);
  void* const handle = source.handle();
  ASSERT_NE(handle, nullptr);
  GlobalBlock target = std::move(source);
  EXPECT_EQ(source.handle(), nullptr);
  EXPECT_EQ(target.handle(), handle);
}

AllocationSite refused_site;
bool RefuseOneSite(AllocationSite site, std::size_t) {
  return site != refused_site;
}

TEST(GlobalBlockTest, FilterFailsOnlyItsSiteUntilRemoved) {
  refused_site = AllocationSite::kClipboardCopy;
  SetAllocationFilter(RefuseOneSite);
  EXPECT_FALSE(
      GlobalBlock::Allocate(8, AllocationSite::kClipboardCopy).valid());
  EXPECT_TRUE(GlobalBlock::Allocate(8, AllocationSite::kResultBlock).valid());
  EXPECT_EQ(SetAllocationFilter(nullptr), &RefuseOneSite);
  EXPECT_TRUE(GlobalBlock::Allocate(8, AllocationSite::kClipboardCopy).valid());
}

}  // namespace
}  // namespace tarnel
