// The help engine: the program names its help file and sends a command;
// how the help is stored and shown is the engine's business, and so is
// telling the user when the file cannot be found. The program looks at no
// result.
#ifndef TARNEL_PLATFORM_HELP_ENGINE_H_
#define TARNEL_PLATFORM_HELP_ENGINE_H_

#include <string>

#include "platform/message_boxes.h"

namespace tarnel {

/// Help commands, with the values WinHelp uses.
inline constexpr unsigned kHelpContents = 3;      ///< the contents
inline constexpr unsigned kHelpPartialKey = 261;  ///< the keyword index

class HelpEngine {
 public:
  virtual ~HelpEngine() = default;
  /// Carries out |command| on |help_file| for the window |owner|.
  /// |keyword| is the data of kHelpPartialKey (empty: no keyword chosen);
  /// the other commands take none. Unknown commands are ignored.
  virtual void Command(WindowHandle owner, const std::string& help_file,
                       unsigned command, const std::string& keyword) = 0;

  /// The engine in use until another is installed: commands are ignored,
  /// as there is no screen to show help on.
  static HelpEngine& Fallback();
};

}  // namespace tarnel

#endif  // TARNEL_PLATFORM_HELP_ENGINE_H_
