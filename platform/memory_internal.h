// What memory.cc shares with its platform twins.
#ifndef TARNEL_PLATFORM_MEMORY_INTERNAL_H_
#define TARNEL_PLATFORM_MEMORY_INTERNAL_H_

#include "platform/memory.h"

namespace tarnel {
namespace memory_internal {

/// The filter SetAllocationFilter installed; null for none.
extern AllocationFilter allocation_filter;

/// False when the filter refuses an allocation of |bytes| at |site|.
inline bool Allowed(AllocationSite site, std::size_t bytes) {
  return !allocation_filter || allocation_filter(site, bytes);
}

}  // namespace memory_internal
}  // namespace tarnel

#endif  // TARNEL_PLATFORM_MEMORY_INTERNAL_H_
