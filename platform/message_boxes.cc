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

namespace {
ConsoleMessageBoxes console_boxes;
MessageBoxes* installed_boxes = nullptr;
}  // namespace

MessageBoxes& CurrentMessageBoxes() {
  return installed_boxes ? *installed_boxes : console_boxes;
}

MessageBoxes* InstallMessageBoxes(MessageBoxes* boxes) {
  MessageBoxes* previous = installed_boxes;
  installed_boxes = boxes;
  return previous ? previous : &console_boxes;
}

}  // namespace tarnel
