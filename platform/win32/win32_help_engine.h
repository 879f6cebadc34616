// The help engine of the Windows program. WinHelp is gone from current
// Windows, so TARNEL's own help files (format: help_file.h) are shown in a
// small window of the engine's own, with contents and index
// (win32_help_window.h). A help file named without a folder is looked for
// in a list of folders, by default the one the program runs from. What
// goes wrong with the file is told in the engine's own box.
#ifndef TARNEL_PLATFORM_WIN32_WIN32_HELP_ENGINE_H_
#define TARNEL_PLATFORM_WIN32_WIN32_HELP_ENGINE_H_

#include <memory>
#include <string>
#include <vector>

#include "platform/help_engine.h"

namespace tarnel {

class Win32HelpWindow;

class Win32HelpEngine : public HelpEngine {
 public:
  /// Looks help files up in |folders|, in order; an empty one stands for
  /// the executable's folder. Folders are in the ANSI code page.
  explicit Win32HelpEngine(std::vector<std::string> folders = {""});
  ~Win32HelpEngine() override;
  Win32HelpEngine(const Win32HelpEngine&) = delete;
  Win32HelpEngine& operator=(const Win32HelpEngine&) = delete;

  /// kHelpContents shows the contents, kHelpPartialKey the keyword index
  /// with |keyword| in its search field. A file that cannot be read or is
  /// not a help file gets an error box owned by |owner| and shows nothing.
  void Command(WindowHandle owner, const std::string& help_file,
               unsigned command, const std::string& keyword) override;

  /// The window the commands show; null until one was shown.
  Win32HelpWindow* Window() const { return window_.get(); }

 private:
  std::vector<std::string> folders_;
  std::unique_ptr<Win32HelpWindow> window_;
};

}  // namespace tarnel

#endif  // TARNEL_PLATFORM_WIN32_WIN32_HELP_ENGINE_H_
