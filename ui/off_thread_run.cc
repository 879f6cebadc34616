#include "ui/off_thread_run.h"

#include <QEventLoop>
#include <QMetaObject>
#include <system_error>
#include <thread>

#include "engine/run_sort.h"
#include "platform/clipboard.h"
#include "platform/qt/gui_thread.h"

namespace tarnel {

namespace {

// Routes the services in use through the window thread for as long as it
// lives.
class GuiThreadServices {
 public:
  GuiThreadServices()
      : boxes_(CurrentMessageBoxes()),
        clipboard_(CurrentClipboard()),
        previous_boxes_(InstallMessageBoxes(&boxes_)),
        previous_clipboard_(InstallClipboard(&clipboard_)) {}
  GuiThreadServices(const GuiThreadServices&) = delete;
  GuiThreadServices& operator=(const GuiThreadServices&) = delete;
  ~GuiThreadServices() {
    InstallClipboard(previous_clipboard_);
    InstallMessageBoxes(previous_boxes_);
  }

 private:
  GuiThreadMessageBoxes boxes_;
  GuiThreadClipboard clipboard_;
  MessageBoxes* previous_boxes_;
  Clipboard* previous_clipboard_;
};

}  // namespace

std::int32_t RunSortOffThread(WindowHandle owner, std::int32_t sort_mode,
                              const char* input_name, const char* output_name,
                              std::int32_t key_pos, std::int32_t key_kind,
                              std::uint8_t quiet) {
  GuiThreadServices services;
  QEventLoop loop;
  auto run = [&] {
    RunSort(owner, sort_mode, input_name, output_name, key_pos, key_kind,
            quiet);
    // Queued, so it takes effect even if the loop has not started yet.
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  };
  std::thread worker;
  try {
    worker = std::thread(run);
  } catch (const std::system_error&) {
    // No thread to be had: run here, with the window still for a while.
    RunSort(owner, sort_mode, input_name, output_name, key_pos, key_kind,
            quiet);
    return LastResult;
  }
  loop.exec();
  worker.join();
  return LastResult;
}

}  // namespace tarnel
