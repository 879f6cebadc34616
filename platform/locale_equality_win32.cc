// Windows: the system's own locale-aware comparison.
#include <windows.h>

#include "platform/locale_equality.h"

namespace tarnel {

LocaleEquality::LocaleEquality(bool ignore_case)
    : ignore_case_(ignore_case), byte_order_(false) {}

bool LocaleEquality::operator()(const char* a, const char* b) const {
  return (ignore_case_ ? lstrcmpiA(a, b) : lstrcmpA(a, b)) == 0;
}

}  // namespace tarnel
