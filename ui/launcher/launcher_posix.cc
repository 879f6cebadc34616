// The program's entry off Windows. Without a display it runs on its own. A
// batch run on an X11 display needs only the clipboard and perhaps a box:
// it speaks to the X server itself and loads the Qt front end
// (window_module.h) only for a box. Everything else loads the front end
// from its module, beside the executable in a build folder, in the library
// folder once installed.
#include <clocale>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/clipboard.h"
#include "platform/clipboard_holder_launcher.h"
#include "platform/message_boxes.h"
#include "platform/program_folder.h"
#include "platform/service.h"
#include "platform/x11/x11_clipboard.h"
#include "ui/headless/headless_run.h"
#include "ui/launcher/window_module_loader.h"
#include "ui/logic/display.h"
#include "ui/logic/program_arguments.h"

namespace tarnel {
namespace {

const char* Getenv(const char* name) { return std::getenv(name); }

// A batch run with the clipboard on the X server; nothing when the
// arguments ask for no batch run.
std::optional<int> RunBatchOnX11(WindowModule& module,
                                 const std::string& program_folder, int argc,
                                 char** argv) {
  ModuleMessageBoxes boxes(module);
  X11Clipboard clipboard(
      program_folder + "/" + kHolderExecutableName,
      [&module](std::string_view bytes) {
        // Without the module the bytes go as they are; the holder takes
        // only well-formed UTF-8 and refuses the rest.
        std::optional<std::string> converted = module.ThroughUtf16(bytes);
        return converted ? std::move(*converted) : std::string(bytes);
      });
  Installed<MessageBoxes> installed_boxes(&boxes);
  Installed<Clipboard> installed_clipboard(&clipboard);
  const std::optional<int> status = RunBatch(ProgramArguments(argc, argv));
  module.EndBoxes();
  return status;
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
  if (tarnel::UsesX11Directly(&tarnel::Getenv)) {
    if (const std::optional<int> status =
            tarnel::RunBatchOnX11(module, folder, argc, argv)) {
      return *status;
    }
  }
  return module.RunWithDisplay(argc, argv);
}
