// What the fuzz targets share: a check that stops the run with a message,
// so that libFuzzer keeps the input that broke it as a crash, and the key
// position the sort targets draw.
#ifndef TARNEL_FUZZ_FUZZ_SUPPORT_H_
#define TARNEL_FUZZ_FUZZ_SUPPORT_H_

#include <fuzzer/FuzzedDataProvider.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace tarnel {

[[noreturn]] inline void FuzzCheckFailed(const char* condition, int line,
                                         const std::string& detail) {
  std::fprintf(stderr, "fuzz check failed at line %d: %s\n%s\n", line,
               condition, detail.c_str());
  std::abort();
}

// Near the lines' lengths most of the time, at the 32-bit edges sometimes.
inline std::int32_t FuzzedKeyPosition(FuzzedDataProvider& input) {
  switch (input.ConsumeIntegralInRange(0, 3)) {
    case 0:
      return input.ConsumeIntegralInRange<std::int32_t>(-3, 20);
    case 1:
      return input.PickValueInArray(
          {INT32_MIN, INT32_MIN + 1, -2, -1, INT32_MAX - 1, INT32_MAX});
    case 2:
      return input.ConsumeIntegralInRange<std::int32_t>(0, 600);
    default:
      return input.ConsumeIntegral<std::int32_t>();
  }
}

}  // namespace tarnel

// |detail| is evaluated only when the check fails.
#define FUZZ_CHECK(condition, detail)                            \
  do {                                                           \
    if (!(condition)) {                                          \
      ::tarnel::FuzzCheckFailed(#condition, __LINE__, (detail)); \
    }                                                            \
  } while (0)

#endif  // TARNEL_FUZZ_FUZZ_SUPPORT_H_
