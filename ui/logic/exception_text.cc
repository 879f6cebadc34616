#include "ui/logic/exception_text.h"

namespace tarnel {

std::string ExceptionBoxText(std::string_view message) {
  std::string text(message);
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') {
    text.push_back('.');
  }
  return text;
}

}  // namespace tarnel
