#include "platform/local_text.h"

namespace tarnel {

std::string LocalText(std::string_view utf8) { return std::string(utf8); }

}  // namespace tarnel
