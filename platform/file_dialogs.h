// The common open and save dialogs: the program describes a dialog (its
// kind, options, filter and starting name) and gets back the name the user
// confirmed, or nothing when the user cancelled. The program installs a real
// implementation when it has a screen; tests install one that answers for
// the user.
#ifndef TARNEL_PLATFORM_FILE_DIALOGS_H_
#define TARNEL_PLATFORM_FILE_DIALOGS_H_

#include <optional>
#include <string>

#include "platform/message_boxes.h"

namespace tarnel {

enum class FileDialogKind { kOpen, kSave };

/// Dialog options, with the values the Win32 common dialogs use.
inline constexpr unsigned kDialogOverwritePrompt = 0x2;      ///< ask first
inline constexpr unsigned kDialogHideReadOnly = 0x4;         ///< no such box
inline constexpr unsigned kDialogPathMustExist = 0x800;      ///< folder exists
inline constexpr unsigned kDialogFileMustExist = 0x1000;     ///< file exists
inline constexpr unsigned kDialogNoReadOnlyReturn = 0x8000;  ///< refuse one

struct FileDialogRequest {
  FileDialogKind kind = FileDialogKind::kOpen;
  /// A set of the kDialog... options; only these apply.
  unsigned options = 0;
  /// Pairs of a description and its patterns, all separated by vertical
  /// bars; patterns within a pair by semicolons ("Text|*.TXT;*.CSV|All|*.*").
  /// The first pair is selected. In the locale's encoding.
  std::string filter;
  /// The name offered at the start (a full path selects its folder too);
  /// empty for the platform's default. In the locale's encoding.
  std::string file_name;

  bool operator==(const FileDialogRequest&) const = default;
};

class FileDialogs {
 public:
  virtual ~FileDialogs() = default;
  /// Runs the dialog that |request| describes, modal, owned by |owner|.
  /// Returns the full path the user confirmed (in the locale's encoding),
  /// or nothing when the user cancelled.
  virtual std::optional<std::string> Run(WindowHandle owner,
                                         const FileDialogRequest& request) = 0;

  /// The dialogs in use until others are installed: every dialog is
  /// cancelled at once, as there is no screen to show one on.
  static FileDialogs& Fallback();
};

}  // namespace tarnel

#endif  // TARNEL_PLATFORM_FILE_DIALOGS_H_
