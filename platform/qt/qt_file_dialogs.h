// The common file dialogs drawn by Qt: always Qt's own widget dialog, so
// the dialog looks and behaves the same on every platform and tests can
// drive it. On top of what QFileDialog does by itself, the save dialog
// refuses a name in a missing folder and a read-only file when asked to.
#ifndef TARNEL_PLATFORM_QT_QT_FILE_DIALOGS_H_
#define TARNEL_PLATFORM_QT_QT_FILE_DIALOGS_H_

#include <QFileDialog>
#include <QStringList>
#include <string>

#include "platform/file_dialogs.h"

namespace tarnel {

class QtFileDialogs : public FileDialogs {
 public:
  /// Runs a QFileDialog for |request|. |owner| is a QWidget* or null.
  std::optional<std::string> Run(WindowHandle owner,
                                 const FileDialogRequest& request) override;
};

/// A request's filter ("Text|*.TXT;*.CSV|All|*.*") as QFileDialog's name
/// filters ("Text (*.TXT *.CSV)", "All (*.*)"). A description without its
/// patterns is dropped.
QStringList QtNameFilters(const std::string& filter);

/// The dialog QtFileDialogs runs, with the request's checks on accepting.
class CheckedFileDialog : public QFileDialog {
  Q_OBJECT

 public:
  CheckedFileDialog(QWidget* parent, const FileDialogRequest& request);

  /// The name the user confirmed, in the locale's encoding.
  std::string ChosenName() const;

 public slots:
  /// Stays open, after a box that says why, when the name breaks one of the
  /// request's rules; otherwise QFileDialog's own accepting.
  void accept() override;

 private:
  // The box that says why a name was refused, as QFileDialog shows its own.
  void Refuse(const QString& message);

  unsigned options_;
};

}  // namespace tarnel

#endif  // TARNEL_PLATFORM_QT_QT_FILE_DIALOGS_H_
