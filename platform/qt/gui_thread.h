// Running the engine off the window thread while every box and every
// clipboard call still happens on it: Qt draws windows and talks to the
// clipboard only from the thread of the application object.
#ifndef TARNEL_PLATFORM_QT_GUI_THREAD_H_
#define TARNEL_PLATFORM_QT_GUI_THREAD_H_

#include <functional>

#include "platform/clipboard.h"
#include "platform/message_boxes.h"

namespace tarnel {

/// Runs |work| on the application object's thread and returns once it has
/// run: at once when called there, else through that thread's event loop,
/// which must be running.
void RunOnGuiThread(const std::function<void()>& work);

/// Shows the boxes of |inner| on the application object's thread.
class GuiThreadMessageBoxes : public MessageBoxes {
 public:
  explicit GuiThreadMessageBoxes(MessageBoxes& inner) : inner_(inner) {}
  int Show(WindowHandle owner, const std::string& text,
           const std::string& caption, unsigned flags) override;

 private:
  MessageBoxes& inner_;
};

/// Makes every call of |inner| on the application object's thread.
class GuiThreadClipboard : public Clipboard {
 public:
  explicit GuiThreadClipboard(Clipboard& inner) : inner_(inner) {}
  bool Open(WindowHandle owner) override;
  bool IsTextAvailable() override;
  GlobalBlock* GetText() override;
  bool Empty() override;
  bool SetText(GlobalBlock& block) override;
  void Close() override;

 private:
  Clipboard& inner_;
};

}  // namespace tarnel

#endif  // TARNEL_PLATFORM_QT_GUI_THREAD_H_
