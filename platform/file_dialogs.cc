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

NoFileDialogs no_file_dialogs;
FileDialogs* installed_file_dialogs = nullptr;

}  // namespace

FileDialogs& CurrentFileDialogs() {
  return installed_file_dialogs ? *installed_file_dialogs : no_file_dialogs;
}

FileDialogs* InstallFileDialogs(FileDialogs* dialogs) {
  FileDialogs* previous = installed_file_dialogs;
  installed_file_dialogs = dialogs;
  return previous ? previous : &no_file_dialogs;
}

}  // namespace tarnel
