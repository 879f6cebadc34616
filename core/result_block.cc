#include "core/result_block.h"

#include <cstring>

namespace tarnel {

GlobalBlock hMem;
char* lpMem = nullptr;

std::uint64_t ResultTextLength() {
  if (!lpMem) return 0;
  const void* end = std::memchr(lpMem, 0, hMem.Size());
  return end ? static_cast<std::uint64_t>(static_cast<const char*>(end) - lpMem)
             : hMem.Size();
}

}  // namespace tarnel
