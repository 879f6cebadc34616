#include "platform/qt/gui_thread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace tarnel {

void RunOnGuiThread(const std::function<void()>& work) {
  QCoreApplication* application = QCoreApplication::instance();
  if (!application || QThread::currentThread() == application->thread()) {
    work();
    return;
  }
  QMetaObject::invokeMethod(
      application, [&work] { work(); }, Qt::BlockingQueuedConnection);
}

int GuiThreadMessageBoxes::Show(WindowHandle owner, const std::string& text,
                                const std::string& caption, unsigned flags) {
  int result = 0;
  RunOnGuiThread([&] { result = inner_.Show(owner, text, caption, flags); });
  return result;
}

bool GuiThreadClipboard::Open(WindowHandle owner) {
  bool result = false;
  RunOnGuiThread([&] { result = inner_.Open(owner); });
  return result;
}

bool GuiThreadClipboard::IsTextAvailable() {
  bool result = false;
  RunOnGuiThread([&] { result = inner_.IsTextAvailable(); });
  return result;
}

GlobalBlock* GuiThreadClipboard::GetText() {
  GlobalBlock* result = nullptr;
  RunOnGuiThread([&] { result = inner_.GetText(); });
  return result;
}

bool GuiThreadClipboard::Empty() {
  bool result = false;
  RunOnGuiThread([&] { result = inner_.Empty(); });
  return result;
}

bool GuiThreadClipboard::SetText(GlobalBlock& block) {
  bool result = false;
  RunOnGuiThread([&] { result = inner_.SetText(block); });
  return result;
}

void GuiThreadClipboard::Close() {
  RunOnGuiThread([&] { inner_.Close(); });
}

}  // namespace tarnel
