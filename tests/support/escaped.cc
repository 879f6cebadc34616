#include "tests/support/escaped.h"

namespace tarnel {
namespace testing_support {

std::string Escaped(std::string_view text, std::size_t limit) {
  static const char kHex[] = "0123456789abcdef";
  std::string out = "\"";
  for (const char byte : text) {
    if (out.size() > limit) {
      out += "...";
      break;
    }
    const auto c = static_cast<unsigned char>(byte);
    if (c >= 0x20 && c < 0x7f && c != '\\' && c != '"') {
      out += byte;
    } else {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out + "\"";
}

}  // namespace testing_support
}  // namespace tarnel
