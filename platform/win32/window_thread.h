// Calls made on the window thread for a worker: Windows ties a window, a
// box's owner and the open clipboard to the thread that made them, so a run
// on a worker thread hands every box and clipboard call to the window
// thread, which serves them while it pumps its messages.
#ifndef TARNEL_PLATFORM_WIN32_WINDOW_THREAD_H_
#define TARNEL_PLATFORM_WIN32_WINDOW_THREAD_H_

#include <functional>

#include "platform/clipboard.h"
#include "platform/message_boxes.h"

namespace tarnel {

/// Made on the window thread; runs work there for any thread.
class WindowThread {
 public:
  WindowThread();
  ~WindowThread();
  WindowThread(const WindowThread&) = delete;
  WindowThread& operator=(const WindowThread&) = delete;

  /// Runs |work| on the window thread and returns once it has run: at once
  /// when called there, else as soon as that thread takes its messages
  /// (GetMessage, PeekMessage, a box's own loop). An exception |work|
  /// throws reaches the caller.
  void Run(const std::function<void()>& work) const;
  /// Whether the caller is on the window thread.
  bool IsCurrent() const;

 private:
  unsigned long thread_id_;
  void* window_ = nullptr;
};

/// Shows the boxes of |inner| on the window thread.
class WindowThreadMessageBoxes : public MessageBoxes {
 public:
  WindowThreadMessageBoxes(MessageBoxes& inner, const WindowThread& thread)
      : inner_(inner), thread_(thread) {}
  int Show(WindowHandle owner, const std::string& text,
           const std::string& caption, unsigned flags) override;

 private:
  MessageBoxes& inner_;
  const WindowThread& thread_;
};

/// Makes every call of |inner| on the window thread.
class WindowThreadClipboard : public Clipboard {
 public:
  WindowThreadClipboard(Clipboard& inner, const WindowThread& thread)
      : inner_(inner), thread_(thread) {}
  bool Open(WindowHandle owner) override;
  bool IsTextAvailable() override;
  GlobalBlock* GetText() override;
  bool Empty() override;
  bool SetText(GlobalBlock& block) override;
  void Close() override;

 private:
  Clipboard& inner_;
  const WindowThread& thread_;
};

}  // namespace tarnel

#endif  // TARNEL_PLATFORM_WIN32_WINDOW_THREAD_H_
