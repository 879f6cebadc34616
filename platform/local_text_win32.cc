#include <windows.h>

#include <string>

#include "platform/local_text.h"
#include "platform/wide_text_win32.h"

namespace tarnel {

std::string LocalText(std::string_view utf8) {
  return BytesFrom(WideFrom(utf8, CP_UTF8), CP_ACP);
}

}  // namespace tarnel
