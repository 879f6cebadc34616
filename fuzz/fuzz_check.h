// The one helper the fuzz targets share: a check that stops the run with a
// message, so that libFuzzer keeps the input that broke it as a crash.
#ifndef TARNEL_FUZZ_FUZZ_CHECK_H_
#define TARNEL_FUZZ_FUZZ_CHECK_H_

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

}  // namespace tarnel

// |detail| is evaluated only when the check fails.
#define FUZZ_CHECK(condition, detail)                            \
  do {                                                           \
    if (!(condition)) {                                          \
      ::tarnel::FuzzCheckFailed(#condition, __LINE__, (detail)); \
    }                                                            \
  } while (0)

#endif  // TARNEL_FUZZ_FUZZ_CHECK_H_
