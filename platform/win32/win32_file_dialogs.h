// The system's common open and save dialogs (GetOpenFileNameA /
// GetSaveFileNameA), for the program built without Qt's. Names and filters
// are bytes in the ANSI code page.
#ifndef TARNEL_PLATFORM_WIN32_WIN32_FILE_DIALOGS_H_
#define TARNEL_PLATFORM_WIN32_WIN32_FILE_DIALOGS_H_

#include <optional>
#include <string>
#include <string_view>

#include "platform/file_dialogs.h"

namespace tarnel {

class Win32FileDialogs : public FileDialogs {
 public:
  /// Runs the dialog with exactly the request's options, its filter's first
  /// pair selected and its name offered at the start.
  std::optional<std::string> Run(WindowHandle owner,
                                 const FileDialogRequest& request) override;
};

/// |filter| with its vertical bars turned into the NULs the system takes,
/// ended by two NULs. A bar that is the second byte of a double-byte
/// character stays a bar.
std::string NulSeparatedFilter(std::string_view filter);

/// The system's OFN_ flags for a set of kDialog... options.
unsigned Win32DialogFlags(unsigned options);

}  // namespace tarnel

#endif  // TARNEL_PLATFORM_WIN32_WIN32_FILE_DIALOGS_H_
