// The application object: its title and help file, the hidden application
// window that owns every box, whether the main window is shown, the request
// to terminate, the exception box for errors that escape an event handler,
// and the application's hint text with its handler.
#ifndef TARNEL_UI_QT_TARNEL_APPLICATION_H_
#define TARNEL_UI_QT_TARNEL_APPLICATION_H_

#include <QApplication>
#include <QIcon>
#include <QPointer>
#include <QString>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "platform/message_boxes.h"
#include "ui/logic/exception_text.h"

class QWidget;

namespace tarnel {

class TarnelApplication : public QApplication {
 public:
  /// |argc| and |argv| must outlive the application, as Qt requires.
  TarnelApplication(int& argc, char** argv);
  ~TarnelApplication() override;

  void SetTitle(std::string title);
  const std::string& Title() const { return title_; }
  void SetHelpFile(std::string help_file);
  const std::string& HelpFile() const { return help_file_; }

  /// The hidden top-level window that owns the program's boxes; never shown.
  QWidget* ApplicationWindow() const { return application_window_.get(); }
  /// ApplicationWindow() as the handle the engine and the boxes take.
  WindowHandle Handle() const { return application_window_.get(); }

  /// Whether the program shows its main window once it is created.
  bool ShowMainForm() const { return show_main_form_; }
  void SetShowMainForm(bool show) { show_main_form_ = show; }

  /// Ends the message loop: at once when it runs, else as soon as it starts.
  void Terminate();

  /// Shows |error| in the exception box: its message (see ExceptionBoxText)
  /// under the title, error icon, every window disabled while it is open.
  void ShowException(const std::exception& error);

  /// The application's hint text: empty at start, then the text of the
  /// last status tip that any widget or menu sent.
  const QString& Hint() const { return hint_; }
  /// Makes |hint| the hint text; when that changes it, runs the handler.
  void SetHint(const QString& hint);
  /// Installs |handler| of |receiver| to run whenever the hint text
  /// changes, replacing any other; it stops running once |receiver| is
  /// destroyed.
  void SetOnHint(QObject* receiver, std::function<void()> handler) {
    hint_receiver_ = receiver;
    on_hint_ = std::move(handler);
  }

  /// Delivers |event|; an exception derived from std::exception that
  /// escapes its handler is shown in the exception box, and the program
  /// goes on. Status tips on their way feed the hint text.
  bool notify(QObject* receiver, QEvent* event) override;

 private:
  std::string title_;
  std::string help_file_;
  bool show_main_form_ = true;
  std::unique_ptr<QWidget> application_window_;
  QString hint_;
  QPointer<QObject> hint_receiver_;
  std::function<void()> on_hint_;
};

/// The program's icon, in its 32 x 32 and 16 x 16 images.
QIcon TarnelIcon();

/// Moves |window| so that it is centred on its screen.
void CenterOnScreen(QWidget& window);

}  // namespace tarnel

#endif  // TARNEL_UI_QT_TARNEL_APPLICATION_H_
