// A message box fake for tests: records every box and answers OK at once.
#ifndef TARNEL_PLATFORM_TESTING_RECORDING_MESSAGE_BOXES_H_
#define TARNEL_PLATFORM_TESTING_RECORDING_MESSAGE_BOXES_H_

#include <functional>
#include <string>
#include <vector>

#include "platform/message_boxes.h"
#include "platform/service.h"

namespace tarnel {

struct RecordedBox {
  WindowHandle owner;
  std::string text;
  std::string caption;
  unsigned flags;

  bool operator==(const RecordedBox&) const = default;
};

class RecordingMessageBoxes : public MessageBoxes {
 public:
  /// Installs itself for its lifetime and restores the previous boxes after.
  RecordingMessageBoxes();
  ~RecordingMessageBoxes() override;
  RecordingMessageBoxes(const RecordingMessageBoxes&) = delete;
  RecordingMessageBoxes& operator=(const RecordingMessageBoxes&) = delete;

  int Show(WindowHandle owner, const std::string& text,
           const std::string& caption, unsigned flags) override;

  /// Called while each box is "open", before Show returns.
  std::function<void(const RecordedBox&)> on_show;

  std::vector<RecordedBox> boxes;
  /// Just the texts, in order: the usual thing a test compares.
  std::vector<std::string> Texts() const;

 private:
  Installed<MessageBoxes> installed_{this};
};

}  // namespace tarnel

#endif  // TARNEL_PLATFORM_TESTING_RECORDING_MESSAGE_BOXES_H_
