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
#include "platform/service.h"
#include "platform/win32/win32_clipboard.h"
#include "platform/win32/win32_file_dialogs.h"
#include "platform/win32/win32_help_engine.h"
#include "platform/win32/win32_message_boxes.h"
#include "ui/logic/exception_text.h"
#include "ui/logic/program_arguments.h"
#include "ui/logic/startup.h"
#include "ui/logic/window_texts.h"
#include "ui/win32/about_box_win32.h"
#include "ui/win32/application_win32.h"
#include "ui/win32/main_form_win32.h"

namespace tarnel {

int RunTarnel(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  // The up-down, tab and status bar classes.
  INITCOMMONCONTROLSEX classes{
      sizeof classes, ICC_UPDOWN_CLASS | ICC_TAB_CLASSES | ICC_BAR_CLASSES |
                          ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&classes);

  const std::vector<std::string> arguments = ProgramArguments(argc, argv);
  Win32MessageBoxes boxes;
  Win32Clipboard clipboard;
  Win32FileDialogs file_dialogs;
  // Beside the program, where the build and an installation put it.
  Win32HelpEngine help_engine;
  const Installed<MessageBoxes> installed_boxes(&boxes);
  const Installed<Clipboard> installed_clipboard(&clipboard);
  const Installed<FileDialogs> installed_dialogs(&file_dialogs);
  const Installed<HelpEngine> installed_help(&help_engine);
  try {
    Win32Application application;
    application.SetTitle(kApplicationTitle);
    application.SetHelpFile(kHelpFileName);
    try {
      Win32MainForm form(application, arguments);
      form.on_destroyed = [&application] { application.Terminate(); };
      Win32AboutBox about_box(static_cast<HWND>(application.Handle()));
      form.SetAboutBox(&about_box);
      if (application.ShowMainForm() && !application.Terminated()) form.Show();
      application.Run();
      return form.Logic().ExitStatus();
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
