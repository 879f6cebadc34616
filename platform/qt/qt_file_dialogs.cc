#include "platform/qt/qt_file_dialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QWidget>

#include "platform/qt/tarnel_font.h"

namespace tarnel {

namespace {

// The dialog's own refusals, worded like its built-in ones.
constexpr char kFolderMissing[] =
    "%1\nThe folder does not exist.\nCheck the path and try again.";
constexpr char kReadOnly[] =
    "%1\nThis file is read-only.\nTry again with a different file name.";

// A file nobody may write to, whoever is asking: a privileged user can
// write anything, yet a file with no write permission at all is still
// meant to be left alone.
bool IsReadOnly(const QFileInfo& info) {
  constexpr QFile::Permissions kAnyWrite =
      QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
  return !(info.permissions() & kAnyWrite) || !info.isWritable();
}

}  // namespace

QStringList QtNameFilters(const std::string& filter) {
  const QStringList parts =
      QString::fromLocal8Bit(filter).split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    filters.push_back(parts[i] + QStringLiteral(" (") + patterns.trimmed() +
                      QLatin1Char(')'));
  }
  return filters;
}

CheckedFileDialog::CheckedFileDialog(QWidget* parent,
                                     const FileDialogRequest& request)
    : QFileDialog(parent), options_(request.options) {
  setFont(TarnelFont());
  setOption(QFileDialog::DontUseNativeDialog);
  // The list shows the descriptions only, the patterns stay behind them.
  setOption(QFileDialog::HideNameFilterDetails);
  const bool save = request.kind == FileDialogKind::kSave;
  setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  setFileMode(!save && (options_ & kDialogFileMustExist)
                  ? QFileDialog::ExistingFile
                  : QFileDialog::AnyFile);
  setOption(QFileDialog::DontConfirmOverwrite,
            !(options_ & kDialogOverwritePrompt));
  // Patterns such as *.TXT must list a.txt too, as on the systems the
  // filters were written for.
  setFilter(filter() & ~QDir::CaseSensitive);
  const QStringList name_filters = QtNameFilters(request.filter);
  if (!name_filters.isEmpty()) {
    setNameFilters(name_filters);
    selectNameFilter(name_filters.front());
  }
  if (!request.file_name.empty()) {
    selectFile(QFile::decodeName(QByteArray::fromStdString(request.file_name)));
  }
}

std::string CheckedFileDialog::ChosenName() const {
  const QStringList files = selectedFiles();
  if (files.isEmpty()) return std::string();
  return QFile::encodeName(files.front()).toStdString();
}

void CheckedFileDialog::accept() {
  const QStringList files = selectedFiles();
  if (!files.isEmpty()) {
    const QFileInfo info(files.front());
    // A folder is entered, not chosen: QFileDialog does that itself.
    if (!info.isDir()) {
      if ((options_ & kDialogPathMustExist) && !info.dir().exists()) {
        Refuse(QString::fromLatin1(kFolderMissing).arg(info.absolutePath()));
        return;
      }
      if ((options_ & kDialogNoReadOnlyReturn) && info.exists() &&
          IsReadOnly(info)) {
        Refuse(QString::fromLatin1(kReadOnly).arg(info.fileName()));
        return;
      }
    }
  }
  QFileDialog::accept();
}

void CheckedFileDialog::Refuse(const QString& message) {
  QMessageBox::warning(this, windowTitle(), message);
}

std::optional<std::string> QtFileDialogs::Run(
    WindowHandle owner, const FileDialogRequest& request) {
  CheckedFileDialog dialog(static_cast<QWidget*>(owner), request);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  std::string name = dialog.ChosenName();
  if (name.empty()) return std::nullopt;
  return name;
}

}  // namespace tarnel
