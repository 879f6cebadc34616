#include "platform/file_dialogs.h"

namespace tarnel {

namespace {

class NoFileDialogs : public FileDialogs {
 public:
  std::optional<std::string> Run(WindowHandle,
                                 const FileDialogRequest&) override {
    return std::nullopt;
  }
};

}  // namespace

FileDialogs& FileDialogs::Fallback() {
  static NoFileDialogs no_file_dialogs;
  return no_file_dialogs;
}

}  // namespace tarnel
