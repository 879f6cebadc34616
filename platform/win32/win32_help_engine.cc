#include "platform/win32/win32_help_engine.h"

#include <windows.h>

#include <optional>
#include <utility>

#include "platform/help_file.h"
#include "platform/message_boxes.h"
#include "platform/program_folder.h"
#include "platform/service.h"
#include "platform/win32/win32_help_window.h"

namespace tarnel {

namespace {

constexpr char kBoxCaption[] = "Help";

void ShowEngineBox(WindowHandle owner, const std::string& text) {
  Current<MessageBoxes>().Show(owner, text, kBoxCaption, kBoxIconError);
}

bool HasFolder(const std::string& name) {
  return name.find_first_of("\\/:") != std::string::npos;
}

// The whole file, or nothing when it cannot be opened or read.
std::optional<std::string> ReadFile(const std::string& path) {
  const HANDLE file =
      ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  char chunk[65536];
  DWORD got = 0;
  bool ok = true;
  while ((ok = ::ReadFile(file, chunk, sizeof chunk, &got, nullptr) != 0) &&
         got > 0) {
    bytes.append(chunk, got);
  }
  ::CloseHandle(file);
  if (!ok) return std::nullopt;
  return bytes;
}

}  // namespace

Win32HelpEngine::Win32HelpEngine(std::vector<std::string> folders)
    : folders_(std::move(folders)) {}

Win32HelpEngine::~Win32HelpEngine() = default;

void Win32HelpEngine::Command(WindowHandle owner, const std::string& help_file,
                              unsigned command, const std::string& keyword) {
  if (command != kHelpContents && command != kHelpPartialKey) return;

  // The box names the first place looked in: where the file belongs.
  std::string first_path;
  std::string path;
  std::optional<std::string> bytes;
  for (const std::string& folder : HasFolder(help_file)
                                       ? std::vector<std::string>{std::string()}
                                       : folders_) {
    if (HasFolder(help_file)) {
      path = help_file;
    } else {
      path = (folder.empty() ? ProgramFolder() : folder) + "\\" + help_file;
    }
    if (first_path.empty()) first_path = path;
    if ((bytes = ReadFile(path))) break;
  }
  if (!bytes) {
    ShowEngineBox(owner, "Cannot open the help file " + help_file + ".\n(" +
                             first_path + ")");
    return;
  }
  // Read again on every command: the file may have changed meanwhile.
  HelpDocument document;
  const std::string error = ParseHelpFile(*bytes, &document);
  if (!error.empty()) {
    ShowEngineBox(owner, "The help file " + help_file + " cannot be read.\n(" +
                             path + ": " + error + ")");
    return;
  }

  if (!window_) window_ = std::make_unique<Win32HelpWindow>();
  window_->CentreOn(owner);
  window_->SetDocument(std::move(document));
  if (command == kHelpContents) {
    window_->ShowContents();
  } else {
    window_->ShowIndex(keyword);
  }
}

}  // namespace tarnel
