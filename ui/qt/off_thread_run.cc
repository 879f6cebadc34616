#include "ui/logic/off_thread_run.h"

#include <QEventLoop>
#include <QMetaObject>

#include "engine/run_sort.h"
#include "platform/clipboard.h"
#include "platform/helper_thread.h"
#include "platform/qt/gui_thread.h"
#include "platform/service.h"

namespace tarnel {

namespace {

// Routes the services in use through the window thread for as long as it
// lives.
class GuiThreadServices {
 public:
  GuiThreadServices() = default;
  GuiThreadServices(const GuiThreadServices&) = delete;
  GuiThreadServices& operator=(const GuiThreadServices&) = delete;

 private:
  GuiThreadMessageBoxes boxes_{Current<MessageBoxes>()};
  GuiThreadClipboard clipboard_{Current<Clipboard>()};
  Installed<MessageBoxes> installed_boxes_{&boxes_};
  Installed<Clipboard> installed_clipboard_{&clipboard_};
};

}  // namespace

std::int32_t RunSortOffThread(const SortRequest& request) {
  GuiThreadServices services;
  QEventLoop loop;
  // Where no thread can be had the run happens here, and the window stands
  // still for a while; the quit is queued either way, so the loop below
  // ends at once then.
  HelperThread worker([&] {
    RunSort(request);
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  loop.exec();
  worker.Join();
  return LastResult;
}

}  // namespace tarnel
