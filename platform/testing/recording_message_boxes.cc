#include "platform/testing/recording_message_boxes.h"

namespace tarnel {

RecordingMessageBoxes::RecordingMessageBoxes() = default;

RecordingMessageBoxes::~RecordingMessageBoxes() = default;

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
