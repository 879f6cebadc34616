#include "ui/startup.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QtGlobal>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "platform/clipboard.h"
#include "platform/file_dialogs.h"
#include "platform/help_engine.h"
#include "platform/message_boxes.h"
#include "platform/qt/qt_clipboard.h"
#include "platform/qt/qt_file_dialogs.h"
#include "platform/qt/qt_help_engine.h"
#include "platform/qt/qt_message_boxes.h"
#include "platform/qt/tarnel_font.h"
#include "platform/service.h"
#include "ui/about_box.h"
#include "ui/display.h"
#include "ui/main_form.h"
#include "ui/program_arguments.h"
#include "ui/quiet_stderr.h"
#include "ui/tarnel_application.h"

namespace tarnel {

namespace {

constexpr char kApplicationTitle[] = "TARNEL";
constexpr char kHelpFile[] = "Tarnel.hlp";
constexpr char kNoDisplay[] =
    "tarnel: no display to show the window on (neither DISPLAY nor "
    "WAYLAND_DISPLAY is set); a batch run (-a or -a+) needs none\n";

const char* Getenv(const char* name) { return std::getenv(name); }

// Without a display only the program's own boxes may reach standard error.
void DiscardQtMessage(QtMsgType, const QMessageLogContext&, const QString&) {}

// Exit status of a session that ran to its end.
int ExitStatus(const TTarnelMainForm& form) {
  if (form.AutoRun != 1) return 0;
  return form.BatchDelivered() ? 0 : 1;
}

}  // namespace

void ConfigureApplication(TarnelApplication& application) {
  application.SetTitle(kApplicationTitle);
  application.SetHelpFile(kHelpFile);
}

int RunTarnel(int argc, char** argv) {
  // The repeat filter compares lines under the user's locale.
  std::setlocale(LC_ALL, "");

  const bool has_display = HasDisplay(&Getenv);
  if (!has_display) {
    const std::string platform = HeadlessPlatform(&Getenv);
    qputenv("QT_QPA_PLATFORM", platform.c_str());
    qInstallMessageHandler(DiscardQtMessage);
  }

  const std::vector<std::string> arguments = ProgramArguments(argc, argv);
  // Qt takes options of its own from its arguments ("-style", "-platform",
  // "-reverse" ...), which to TARNEL are file names: it sees only the
  // program's name.
  static char fallback_name[] = "tarnel";
  int qt_argc = 1;
  char* qt_argv[] = {argc > 0 && argv[0] ? argv[0] : fallback_name, nullptr};

  QtMessageBoxes screen_boxes;
  QtClipboard clipboard;
  QtFileDialogs file_dialogs;
  try {
    std::optional<QuietStandardError> quiet;
    if (!has_display) quiet.emplace();
    TarnelApplication application(qt_argc, qt_argv);
    if (quiet) {
      // Matching a font loads the font configuration, with its complaints.
      QFontMetrics(TarnelFont()).height();
      quiet.reset();
    }
    // Without a display the console boxes stay, the clipboard stays shut,
    // and there are no dialogs and no help to show. The help window goes
    // before the application does.
    // Beside the program in a build folder, in the data folder once
    // installed.
    const std::string program_folder =
        QCoreApplication::applicationDirPath().toLocal8Bit().toStdString();
    QtHelpEngine help_engine(std::vector<std::string>{
        program_folder, program_folder + "/" + TARNEL_DATA_FROM_PROGRAM});
    Installed<MessageBoxes> boxes(has_display ? &screen_boxes : nullptr);
    Installed<Clipboard> installed_clipboard(has_display ? &clipboard
                                                         : nullptr);
    Installed<FileDialogs> installed_dialogs(has_display ? &file_dialogs
                                                         : nullptr);
    Installed<HelpEngine> installed_help(has_display ? &help_engine : nullptr);
    try {
      ConfigureApplication(application);
      TTarnelMainForm form(application, arguments);
      TAboutBox about_box;
      form.SetAboutBox(&about_box);
      if (application.ShowMainForm()) {
        if (!has_display) {
          std::fputs(kNoDisplay, stderr);
          return 1;
        }
        CenterOnScreen(form);
        form.show();
      }
      application.exec();
      return ExitStatus(form);
    } catch (const std::exception& error) {
      application.ShowException(error);
      return 1;
    }
  } catch (const std::exception& error) {
    // The application itself failed: only the console is left.
    ConsoleMessageBoxes().Show(nullptr, ExceptionBoxText(error.what()),
                               kApplicationTitle, kBoxIconError);
    return 1;
  }
}

}  // namespace tarnel
