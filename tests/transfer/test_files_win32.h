// What only the Windows transfer tests need: a write cut short on demand,
// since Windows has no file size limit for a process to set.
#ifndef TARNEL_TESTS_TRANSFER_TEST_FILES_WIN32_H_
#define TARNEL_TESTS_TRANSFER_TEST_FILES_WIN32_H_

#include <cstdint>

#include "transfer/write_limit.h"

namespace tarnel {

/// Lets at most |bytes| of file output land while it lives.
class ScopedWriteLimit {
 public:
  explicit ScopedWriteLimit(std::uint64_t bytes)
      : previous_(SetWriteLimitForTesting(bytes)) {}
  ~ScopedWriteLimit() { SetWriteLimitForTesting(previous_); }
  ScopedWriteLimit(const ScopedWriteLimit&) = delete;
  ScopedWriteLimit& operator=(const ScopedWriteLimit&) = delete;

 private:
  std::uint64_t previous_;
};

}  // namespace tarnel

#endif  // TARNEL_TESTS_TRANSFER_TEST_FILES_WIN32_H_
