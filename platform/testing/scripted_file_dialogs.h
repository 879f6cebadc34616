// File dialogs for tests: each dialog takes the next answer the test has
// queued (a name, or nothing for a cancel) and is recorded with its owner.
#ifndef TARNEL_PLATFORM_TESTING_SCRIPTED_FILE_DIALOGS_H_
#define TARNEL_PLATFORM_TESTING_SCRIPTED_FILE_DIALOGS_H_

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_dialogs.h"
#include "platform/service.h"

namespace tarnel {

class ScriptedFileDialogs : public FileDialogs {
 public:
  /// Installs itself for its lifetime and restores the previous dialogs
  /// after.
  ScriptedFileDialogs();
  ~ScriptedFileDialogs() override;
  ScriptedFileDialogs(const ScriptedFileDialogs&) = delete;
  ScriptedFileDialogs& operator=(const ScriptedFileDialogs&) = delete;

  /// Records the request and returns the first queued answer; a cancel
  /// when none is left.
  std::optional<std::string> Run(WindowHandle owner,
                                 const FileDialogRequest& request) override;

  /// Called while each dialog is "open", before Run returns.
  std::function<void(const FileDialogRequest&)> on_run;

  std::deque<std::optional<std::string>> answers;
  std::vector<FileDialogRequest> requests;
  std::vector<WindowHandle> owners;

 private:
  Installed<FileDialogs> installed_{this};
};

}  // namespace tarnel

#endif  // TARNEL_PLATFORM_TESTING_SCRIPTED_FILE_DIALOGS_H_
