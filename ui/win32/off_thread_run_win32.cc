#include <windows.h>

#include "engine/run_sort.h"
#include "platform/clipboard.h"
#include "platform/helper_thread.h"
#include "platform/message_boxes.h"
#include "platform/service.h"
#include "platform/win32/dialog_keys.h"
#include "platform/win32/window_thread.h"
#include "ui/logic/off_thread_run.h"

namespace tarnel {

namespace {

// Routes the services in use through the window thread for as long as it
// lives.
class WindowThreadServices {
 public:
  WindowThreadServices() = default;
  WindowThreadServices(const WindowThreadServices&) = delete;
  WindowThreadServices& operator=(const WindowThreadServices&) = delete;

 private:
  WindowThread thread_;
  WindowThreadMessageBoxes boxes_{Current<MessageBoxes>(), thread_};
  WindowThreadClipboard clipboard_{Current<Clipboard>(), thread_};
  Installed<MessageBoxes> installed_boxes_{&boxes_};
  Installed<Clipboard> installed_clipboard_{&clipboard_};
};

// Serves the window thread's messages, the worker's calls among them,
// until |done| is set. A quit that arrives meanwhile waits for the end.
void PumpUntil(HANDLE done) {
  bool quit = false;
  int quit_code = 0;
  for (;;) {
    const DWORD woke = ::MsgWaitForMultipleObjectsEx(
        1, &done, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woke == WAIT_OBJECT_0 || woke == WAIT_FAILED) break;
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        quit = true;
        quit_code = static_cast<int>(message.wParam);
        continue;
      }
      DispatchWithDialogKeys(message);
    }
  }
  if (quit) ::PostQuitMessage(quit_code);
}

}  // namespace

std::int32_t RunSortOffThread(const SortRequest& request) {
  WindowThreadServices services;
  const HANDLE done = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  {
    // Where no thread can be had the run happens here, and the window
    // stands still for a while; the event is set either way.
    HelperThread worker([&] {
      RunSort(request);
      ::SetEvent(done);
    });
    PumpUntil(done);
    worker.Join();
  }
  ::CloseHandle(done);
  return LastResult;
}

}  // namespace tarnel
