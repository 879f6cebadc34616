// The program's entry off Windows. Without a display it runs on its own. A
// batch run on an X11 display or a Wayland compositor needs only the
// clipboard and perhaps a box: it speaks to the X server or the compositor
// itself and loads the Qt front end (window_module.h) only for a box.
// Everything else loads the front end from its module, beside the executable in
// a build folder, in the library folder once installed.
#include <clocale>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/clipboard.h"
#include "platform/clipboard_holder_launcher.h"
#include "platform/message_boxes.h"
#include "platform/program_folder.h"
#include "platform/service.h"
#include "platform/wayland/wayland_clipboard.h"
#include "platform/x11/x11_clipboard.h"
#include "ui/headless/headless_run.h"
#include "ui/launcher/window_module_loader.h"
#include "ui/logic/display.h"
#include "ui/logic/program_arguments.h"

namespace tarnel {
namespace {

const char* Getenv(const char* name) { return std::getenv(name); }

// A batch run with |clipboard|; nothing when the arguments ask for no batch
// run.
std::optional<int> RunBatchWith(WindowModule& module, Clipboard& clipboard,
                                int argc, char** argv) {
  ModuleMessageBoxes boxes(module);
  Installed<MessageBoxes> installed_boxes(&boxes);
  Installed<Clipboard> installed_clipboard(&clipboard);
  const std::optional<int> status = RunBatch(ProgramArguments(argc, argv));
  module.EndBoxes();
  return status;
}

// Text that does not survive the trip through UTF-16 as the window module
// makes it. Without the module the bytes go as they are; the holder takes
// only well-formed UTF-8 and refuses the rest.
std::function<std::string(std::string_view)> ThroughUtf16(
    WindowModule& module) {
  return [&module](std::string_view bytes) {
    std::optional<std::string> converted = module.ThroughUtf16(bytes);
    return converted ? std::move(*converted) : std::string(bytes);
  };
}

}  // namespace
}  // namespace tarnel

int main(int argc, char** argv) {
  // The repeat filter compares lines under the user's locale.
  std::setlocale(LC_ALL, "");
  if (!tarnel::HasDisplay(&tarnel::Getenv)) {
    return tarnel::RunWithoutDisplay(tarnel::ProgramArguments(argc, argv));
  }
  const std::string folder = tarnel::ProgramFolder();
  tarnel::WindowModule module(folder, TARNEL_MODULE_FROM_PROGRAM);
  // A Wayland session's own clipboard comes first: an Xwayland's need not
  // be the one the session's programs share.
  std::optional<int> status;
  if (tarnel::UsesWaylandDirectly(&tarnel::Getenv)) {
    tarnel::WaylandClipboard clipboard(
        folder + "/" + tarnel::kWaylandHolderExecutableName,
        tarnel::ThroughUtf16(module));
    status = tarnel::RunBatchWith(module, clipboard, argc, argv);
  } else if (tarnel::UsesX11Directly(&tarnel::Getenv)) {
    tarnel::X11Clipboard clipboard(folder + "/" + tarnel::kHolderExecutableName,
                                   tarnel::ThroughUtf16(module));
    status = tarnel::RunBatchWith(module, clipboard, argc, argv);
  }
  if (status) return *status;
  return module.RunWithDisplay(argc, argv);
}
