#include "platform/qt/qt_help_engine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <utility>

#include "platform/help_file.h"
#include "platform/message_boxes.h"
#include "platform/program_folder.h"
#include "platform/qt/help_window.h"
#include "platform/service.h"

namespace tarnel {

namespace {

constexpr char kBoxCaption[] = "Help";
constexpr char kCannotRead[] = "Cannot open the help file %1.\n(%2)";
constexpr char kNotReadable[] = "The help file %1 cannot be read.\n(%2: %3)";

void ShowEngineBox(WindowHandle owner, const QString& text) {
  Current<MessageBoxes>().Show(owner, text.toLocal8Bit().toStdString(),
                               kBoxCaption, kBoxIconError);
}

}  // namespace

QtHelpEngine::QtHelpEngine(std::string folder)
    : QtHelpEngine(std::vector<std::string>{std::move(folder)}) {}

QtHelpEngine::QtHelpEngine(std::vector<std::string> folders)
    : folders_(std::move(folders)) {}

QtHelpEngine::~QtHelpEngine() = default;

void QtHelpEngine::Command(WindowHandle owner, const std::string& help_file,
                           unsigned command, const std::string& keyword) {
  if (command != kHelpContents && command != kHelpPartialKey) return;

  const QString name = QFile::decodeName(QByteArray::fromStdString(help_file));
  // The box names the first place looked in: where the file belongs.
  QString first_path;
  QString path;
  QFile file;
  for (const std::string& folder_name : folders_) {
    const QDir folder(QFile::decodeName(QByteArray::fromStdString(
        folder_name.empty() ? ProgramFolder() : folder_name)));
    path = folder.absoluteFilePath(name);
    if (first_path.isEmpty()) first_path = path;
    file.setFileName(path);
    if (file.open(QIODevice::ReadOnly)) break;
  }
  if (!file.isOpen()) {
    ShowEngineBox(owner, QString::fromLatin1(kCannotRead)
                             .arg(name, QDir::toNativeSeparators(first_path)));
    return;
  }
  // Read again on every command: the file may have changed meanwhile.
  const QByteArray bytes = file.readAll();
  HelpDocument document;
  const std::string error =
      ParseHelpFile(std::string_view(bytes.constData(),
                                     static_cast<std::size_t>(bytes.size())),
                    &document);
  if (!error.empty()) {
    ShowEngineBox(owner, QString::fromLatin1(kNotReadable)
                             .arg(name, QDir::toNativeSeparators(path),
                                  QString::fromStdString(error)));
    return;
  }

  if (!window_) window_ = std::make_unique<HelpWindow>();
  window_->CentreOn(static_cast<const QWidget*>(owner));
  window_->SetDocument(std::move(document));
  if (command == kHelpContents) {
    window_->ShowContents();
  } else {
    window_->ShowIndex(QString::fromLocal8Bit(keyword));
  }
}

}  // namespace tarnel
