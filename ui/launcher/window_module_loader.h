// The launcher's side of the window module (window_module.h): finding and
// loading it, once, when something needs the screen, and calling its
// entries. Nothing of C++ crosses to the module: only C types and function
// pointers, as the two carry a C++ runtime each.
#ifndef TARNEL_UI_LAUNCHER_WINDOW_MODULE_LOADER_H_
#define TARNEL_UI_LAUNCHER_WINDOW_MODULE_LOADER_H_

#include <optional>
#include <string>
#include <string_view>

#include "platform/message_boxes.h"

namespace tarnel {

class WindowModule {
 public:
  /// Looks for the module in |program_folder|, then in |library_folder|
  /// (relative to |program_folder| unless absolute), on first use.
  WindowModule(std::string program_folder, std::string library_folder);
  ~WindowModule();
  WindowModule(const WindowModule&) = delete;
  WindowModule& operator=(const WindowModule&) = delete;

  /// The Qt front end for the process's arguments; 1, with a line on
  /// standard error, when the module cannot be loaded.
  int RunWithDisplay(int argc, char** argv);

  /// A box on the screen; nothing when the module cannot be loaded.
  std::optional<int> ShowBox(const std::string& text,
                             const std::string& caption, unsigned flags);

  /// Ends what the boxes started on the screen; nothing to do when none was
  /// shown.
  void EndBoxes();

  /// |bytes| as Qt's trip through UTF-16 leaves them; nothing when the
  /// module cannot be loaded.
  std::optional<std::string> ThroughUtf16(std::string_view bytes);

 private:
  void* Entry(const char* name);

  std::string program_folder_;
  std::string library_folder_;
  bool tried_ = false;
  void* handle_ = nullptr;
  std::string failure_;
};

/// Boxes on the screen through the window module; on standard error when
/// the module cannot be loaded.
class ModuleMessageBoxes : public MessageBoxes {
 public:
  explicit ModuleMessageBoxes(WindowModule& module) : module_(module) {}
  int Show(WindowHandle owner, const std::string& text,
           const std::string& caption, unsigned flags) override;

 private:
  WindowModule& module_;
  ConsoleMessageBoxes console_;
};

}  // namespace tarnel

#endif  // TARNEL_UI_LAUNCHER_WINDOW_MODULE_LOADER_H_
