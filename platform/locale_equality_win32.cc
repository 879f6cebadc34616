// Windows: the system's own locale-aware comparison.
#include <windows.h>

#include "platform/locale_equality.h"

namespace tarnel {

bool LocaleTextsEqual(const char* a, const char* b) {
  return lstrcmpA(a, b) == 0;
}

bool LocaleTextsEqualIgnoringCase(const char* a, const char* b) {
  return lstrcmpiA(a, b) == 0;
}

}  // namespace tarnel
