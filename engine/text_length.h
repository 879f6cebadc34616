// The length of a text up to the NUL that ends it, found on two threads.
//
// The first touch of every small page of a mapped file costs the system a
// trip of its own, and the search for the NUL is the first pass over the
// text: two threads make those trips side by side.
#ifndef TARNEL_ENGINE_TEXT_LENGTH_H_
#define TARNEL_ENGINE_TEXT_LENGTH_H_

#include <cstddef>
#include <cstring>

#include "platform/helper_thread.h"
#include "platform/memory.h"

namespace tarnel {

/// A text shorter than this is searched on one thread.
inline constexpr std::size_t kSplitSearchBytes = std::size_t{1} << 22;

/// The length of the text at the start of |buffer| (not counting its NUL),
/// which ends within the buffer when the buffer's last byte is a NUL, as it
/// is in every buffer a run reads its text into; otherwise the text is
/// taken to end where strlen says.
inline std::size_t TextLength(const ZeroedBuffer& buffer) {
  const char* const text = buffer.data();
  const std::size_t size = buffer.size();
  if (size <= kSplitSearchBytes || text[size - 1] != '\0' ||
      HardwareThreads() < 2) {
    return std::strlen(text);
  }
  const std::size_t half = (size - 1) / 2;
  const void* upper = nullptr;
  const void* lower = nullptr;
  {
    HelperThread helper(
        [&] { upper = std::memchr(text + half, 0, size - half); });
    lower = std::memchr(text, 0, half);
  }
  const void* const end = lower ? lower : upper;
  return static_cast<std::size_t>(static_cast<const char*>(end) - text);
}

}  // namespace tarnel

#endif  // TARNEL_ENGINE_TEXT_LENGTH_H_
