#include "platform/testing/scripted_file_dialogs.h"

namespace tarnel {

ScriptedFileDialogs::ScriptedFileDialogs() = default;

ScriptedFileDialogs::~ScriptedFileDialogs() = default;

std::optional<std::string> ScriptedFileDialogs::Run(
    WindowHandle owner, const FileDialogRequest& request) {
  requests.push_back(request);
  owners.push_back(owner);
  if (on_run) on_run(request);
  if (answers.empty()) return std::nullopt;
  std::optional<std::string> answer = answers.front();
  answers.pop_front();
  return answer;
}

}  // namespace tarnel
