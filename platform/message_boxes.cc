#include "platform/message_boxes.h"

#include <cstdio>

namespace tarnel {

int ConsoleMessageBoxes::Show(WindowHandle, const std::string& text,
                              const std::string& caption, unsigned) {
  std::string line = caption + ": " + text + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
  return kBoxOk;
}

MessageBoxes& MessageBoxes::Fallback() {
  static ConsoleMessageBoxes console_boxes;
  return console_boxes;
}

}  // namespace tarnel
