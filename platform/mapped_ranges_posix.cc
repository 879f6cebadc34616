#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>

#include "platform/mapped_ranges.h"

namespace tarnel {

namespace {

// The handler may only touch what cannot be caught half-changed by a
// signal: lock-free atomics.
static_assert(std::atomic<std::uintptr_t>::is_always_lock_free);
static_assert(std::atomic<std::size_t>::is_always_lock_free);
static_assert(std::atomic<int>::is_always_lock_free);
static_assert(std::atomic<bool>::is_always_lock_free);

enum SlotState : int {
  kFree,  ///< holds nothing
  kBusy,  ///< being filled or emptied; the handler passes it by
  kLive,  ///< guards a mapping
};

struct Slot {
  std::atomic<int> state{kFree};
  std::atomic<std::uintptr_t> begin{0};
  std::atomic<std::size_t> length{0};
  std::atomic<bool> writable{false};
  /// Offset of the lowest page replaced; |length| while none was.
  std::atomic<std::size_t> lost_from{0};
};

Slot slots[kMappedRangeSlots];

// Set once before the handler is installed; sysconf is not for handlers.
std::atomic<std::size_t> page_size{0};

// The fault is not one of ours: end the process as if nobody had caught
// it. The signal is blocked while its handler runs, so the raised one is
// taken as soon as the handler returns.
void TakeDefaultAction(int signal_number) {
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  ::sigemptyset(&action.sa_mask);
  ::sigaction(signal_number, &action, nullptr);
  ::raise(signal_number);
}

// Replaces the faulting page with zeros when it lies in a guarded range,
// so that the read or write that faulted goes on when the handler returns.
bool ReplaceLostPage(std::uintptr_t address) {
  const std::size_t page = page_size.load(std::memory_order_relaxed);
  for (Slot& slot : slots) {
    if (slot.state.load(std::memory_order_acquire) != kLive) continue;
    const std::uintptr_t begin = slot.begin.load(std::memory_order_relaxed);
    const std::size_t length = slot.length.load(std::memory_order_relaxed);
    if (address < begin || address - begin >= length) continue;
    const std::uintptr_t lost = address / page * page;
    const int protection = slot.writable.load(std::memory_order_relaxed)
                               ? PROT_READ | PROT_WRITE
                               : PROT_READ;
    // mmap is a plain system call here, which a handler may make.
    if (::mmap(reinterpret_cast<void*>(lost), page, protection,
               MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) == MAP_FAILED) {
      return false;
    }
    const std::size_t offset = lost - begin;
    std::size_t seen = slot.lost_from.load(std::memory_order_relaxed);
    while (offset < seen && !slot.lost_from.compare_exchange_weak(
                                seen, offset, std::memory_order_relaxed)) {
    }
    return true;
  }
  return false;
}

void OnBusError(int signal_number, siginfo_t* info, void*) {
  const int saved_errno = errno;
  // A positive code is the system's report of a fault; a SIGBUS sent by
  // kill or raise has none, and no address to look at.
  const bool fault = info != nullptr && info->si_code > 0;
  if (!fault ||
      !ReplaceLostPage(reinterpret_cast<std::uintptr_t>(info->si_addr))) {
    TakeDefaultAction(signal_number);
  }
  errno = saved_errno;
}

bool InstallHandler() {
  static const bool installed = [] {
    const long page = ::sysconf(_SC_PAGESIZE);
    if (page <= 0) return false;
    page_size.store(static_cast<std::size_t>(page));
    struct sigaction action {};
    action.sa_sigaction = OnBusError;
    action.sa_flags = SA_SIGINFO | SA_RESTART | SA_ONSTACK;
    ::sigemptyset(&action.sa_mask);
    return ::sigaction(SIGBUS, &action, nullptr) == 0;
  }();
  return installed;
}

}  // namespace

int GuardMappedRange(void* begin, std::size_t length, bool writable) {
  if (!InstallHandler()) return -1;
  for (int i = 0; i < kMappedRangeSlots; ++i) {
    Slot& slot = slots[i];
    int expected = kFree;
    if (!slot.state.compare_exchange_strong(expected, kBusy,
                                            std::memory_order_acq_rel)) {
      continue;
    }
    slot.begin.store(reinterpret_cast<std::uintptr_t>(begin),
                     std::memory_order_relaxed);
    slot.length.store(length, std::memory_order_relaxed);
    slot.writable.store(writable, std::memory_order_relaxed);
    slot.lost_from.store(length, std::memory_order_relaxed);
    slot.state.store(kLive, std::memory_order_release);
    return i;
  }
  return -1;
}

void SetMappedRangeWritable(int slot, bool writable) {
  if (slot < 0 || slot >= kMappedRangeSlots) return;
  slots[slot].writable.store(writable, std::memory_order_relaxed);
}

std::size_t MappedRangeLostFrom(int slot) {
  if (slot < 0 || slot >= kMappedRangeSlots) return 0;
  return slots[slot].lost_from.load(std::memory_order_relaxed);
}

void ReleaseMappedRange(int slot) {
  if (slot < 0 || slot >= kMappedRangeSlots) return;
  slots[slot].state.store(kFree, std::memory_order_release);
}

}  // namespace tarnel
