#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <clocale>
#include <exception>
#include <string>
#include <vector>

#include "platform/clipboard.h"
#include "platform/file_dialogs.h"
#include "platform/help_engine.h"
#include "platform/message_boxes.h"
#include "platform/native_clipboard.h"
#include "platform/native_file_dialogs.h"
#include "platform/native_help_engine.h"
#include "platform/native_message_boxes.h"
#include "platform/service.h"
#include "ui/about_box_win32.h"
#include "ui/application_win32.h"
#include "ui/exception_text.h"
#include "ui/main_form_win32.h"
#include "ui/program_arguments.h"
#include "ui/startup.h"

namespace tarnel {

namespace {

constexpr char kApplicationTitle[] = "TARNEL";
constexpr char kHelpFile[] = "Tarnel.hlp";

// Exit status of a session that ran to its end.
int ExitStatus(const Win32MainForm& form) {
  if (form.AutoRun != 1) return 0;
  return form.BatchDelivered() ? 0 : 1;
}

}  // namespace

int RunTarnel(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  // The up-down, tab and status bar classes.
  INITCOMMONCONTROLSEX classes{
      sizeof classes, ICC_UPDOWN_CLASS | ICC_TAB_CLASSES | ICC_BAR_CLASSES |
                          ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&classes);

  const std::vector<std::string> arguments = ProgramArguments(argc, argv);
  NativeMessageBoxes boxes;
  NativeClipboard clipboard;
  NativeFileDialogs file_dialogs;
  // Beside the program, where the build and an installation put it.
  NativeHelpEngine help_engine;
  const Installed<MessageBoxes> installed_boxes(&boxes);
  const Installed<Clipboard> installed_clipboard(&clipboard);
  const Installed<FileDialogs> installed_dialogs(&file_dialogs);
  const Installed<HelpEngine> installed_help(&help_engine);
  try {
    Win32Application application;
    application.SetTitle(kApplicationTitle);
    application.SetHelpFile(kHelpFile);
    try {
      Win32MainForm form(application, arguments);
      form.on_destroyed = [&application] { application.Terminate(); };
      Win32AboutBox about_box(static_cast<HWND>(application.Handle()));
      form.SetAboutBox(&about_box);
      if (application.ShowMainForm() && !application.Terminated()) form.Show();
      application.Run();
      return ExitStatus(form);
    } catch (const std::exception& error) {
      application.ShowException(error);
      return 1;
    }
  } catch (const std::exception& error) {
    boxes.Show(nullptr, ExceptionBoxText(error.what()), kApplicationTitle,
               kBoxIconError);
    return 1;
  }
}

}  // namespace tarnel
