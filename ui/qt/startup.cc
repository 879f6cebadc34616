#include "ui/logic/startup.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <QtGlobal>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "platform/clipboard.h"
#include "platform/file_dialogs.h"
#include "platform/help_engine.h"
#include "platform/message_boxes.h"
#include "platform/program_folder.h"
#include "platform/qt/qt_clipboard.h"
#include "platform/qt/qt_file_dialogs.h"
#include "platform/qt/qt_help_engine.h"
#include "platform/qt/qt_message_boxes.h"
#include "platform/service.h"
#include "ui/headless/headless_run.h"
#include "ui/logic/display.h"
#include "ui/logic/program_arguments.h"
#include "ui/logic/window_texts.h"
#include "ui/qt/about_box.h"
#include "ui/qt/main_form.h"
#include "ui/qt/tarnel_application.h"
#include "ui/qt/window_module.h"

namespace tarnel {

namespace {

const char* Getenv(const char* name) { return std::getenv(name); }

}  // namespace

void ConfigureApplication(TarnelApplication& application) {
  application.SetTitle(kApplicationTitle);
  application.SetHelpFile(kHelpFileName);
}

int RunTarnel(int argc, char** argv) {
  // The repeat filter compares lines under the user's locale.
  std::setlocale(LC_ALL, "");

  // Without a display nothing can be shown and there is no clipboard: the
  // toolkit is not started at all.
  if (!HasDisplay(&Getenv)) {
    return RunWithoutDisplay(ProgramArguments(argc, argv));
  }
  return RunWithDisplay(argc, argv);
}

int RunWithDisplay(int argc, char** argv) {
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
    TarnelApplication application(qt_argc, qt_argv);
    // The help window goes before the application does. Beside the program
    // in a build folder, in the data folder once installed.
    const std::string program_folder = ProgramFolder();
    QtHelpEngine help_engine(std::vector<std::string>{
        program_folder, program_folder + "/" + TARNEL_DATA_FROM_PROGRAM});
    Installed<MessageBoxes> boxes(&screen_boxes);
    Installed<Clipboard> installed_clipboard(&clipboard);
    Installed<FileDialogs> installed_dialogs(&file_dialogs);
    Installed<HelpEngine> installed_help(&help_engine);
    try {
      ConfigureApplication(application);
      TTarnelMainForm form(application, arguments);
      TAboutBox about_box;
      form.SetAboutBox(&about_box);
      if (application.ShowMainForm()) {
        CenterOnScreen(form);
        form.show();
      }
      application.exec();
      return form.Logic().ExitStatus();
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

namespace {

// The application a batch run's boxes need, started with the first box.
std::unique_ptr<TarnelApplication>& ScreenApplication() {
  static std::unique_ptr<TarnelApplication> application;
  return application;
}

}  // namespace

int ShowBoxOnScreen(const char* text, const char* caption, unsigned flags) {
  std::unique_ptr<TarnelApplication>& application = ScreenApplication();
  if (!application) {
    // Qt's arguments stay valid for as long as the application lives.
    static char name[] = "tarnel";
    static char* argv[] = {name, nullptr};
    static int argc = 1;
    application = std::make_unique<TarnelApplication>(argc, argv);
    ConfigureApplication(*application);
  }
  // The hidden application window owns the box, as in a run with the
  // window.
  return QtMessageBoxes().Show(application->Handle(), text, caption, flags);
}

void EndScreen() { ScreenApplication().reset(); }

void ThroughUtf16(const char* bytes, std::size_t size, TextSink sink,
                  void* context) {
  const QByteArray converted =
      QString::fromLocal8Bit(bytes, static_cast<qsizetype>(size)).toLocal8Bit();
  sink(converted.constData(), static_cast<std::size_t>(converted.size()),
       context);
}

}  // namespace tarnel
