// The help engine for TARNEL's own help files (format: help_file.h), shown
// in a HelpWindow. Help files named without a folder are looked up in a list
// of folders, by default the one the program runs from; the first folder
// that holds the file serves. What goes wrong with the file is told in the
// engine's own box.
#ifndef TARNEL_PLATFORM_QT_QT_HELP_ENGINE_H_
#define TARNEL_PLATFORM_QT_QT_HELP_ENGINE_H_

#include <memory>
#include <string>
#include <vector>

#include "platform/help_engine.h"

namespace tarnel {

class HelpWindow;

class QtHelpEngine : public HelpEngine {
 public:
  /// Looks help files up in |folder|; empty for the executable's folder.
  explicit QtHelpEngine(std::string folder = {});
  /// Looks help files up in |folders|, in order.
  explicit QtHelpEngine(std::vector<std::string> folders);
  ~QtHelpEngine() override;
  QtHelpEngine(const QtHelpEngine&) = delete;
  QtHelpEngine& operator=(const QtHelpEngine&) = delete;

  /// kHelpContents shows the contents, kHelpPartialKey the keyword index
  /// with |keyword| in its search field. A file that cannot be read or is
  /// not a help file gets an error box owned by |owner| and shows nothing.
  void Command(WindowHandle owner, const std::string& help_file,
               unsigned command, const std::string& keyword) override;

  /// The window the commands show; null until one was shown.
  HelpWindow* Window() const { return window_.get(); }

 private:
  std::vector<std::string> folders_;
  std::unique_ptr<HelpWindow> window_;
};

}  // namespace tarnel

#endif  // TARNEL_PLATFORM_QT_QT_HELP_ENGINE_H_
