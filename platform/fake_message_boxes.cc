#include "platform/fake_message_boxes.h"

namespace tarnel {

RecordingMessageBoxes::RecordingMessageBoxes()
    : previous_(InstallMessageBoxes(this)) {}

RecordingMessageBoxes::~RecordingMessageBoxes() {
  InstallMessageBoxes(previous_);
}

int RecordingMessageBoxes::Show(WindowHandle owner, const std::string& text,
                                const std::string& caption, unsigned flags) {
  boxes.push_back({owner, text, caption, flags});
  if (on_show) on_show(boxes.back());
  return kBoxOk;
}

std::vector<std::string> RecordingMessageBoxes::Texts() const {
  std::vector<std::string> texts;
  for (const RecordedBox& box : boxes) texts.push_back(box.text);
  return texts;
}

}  // namespace tarnel
