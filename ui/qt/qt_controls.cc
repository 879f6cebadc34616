#include "ui/qt/qt_controls.h"

#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QMetaObject>
#include <QVariant>
#include <utility>

#include "ui/qt/about_box.h"
#include "ui/qt/tarnel_application.h"
#include "ui/qt/up_down.h"

namespace tarnel {

namespace {

constexpr char kPathBytesProperty[] = "tarnelPathBytes";

QString FromLocal(const std::string& bytes) {
  return QString::fromLocal8Bit(bytes.data(),
                                static_cast<qsizetype>(bytes.size()));
}

std::string ToLocal(const QString& text) {
  return text.toLocal8Bit().toStdString();
}

}  // namespace

void SetPathText(QLineEdit* edit, const std::string& bytes) {
  const QByteArray raw = QByteArray::fromStdString(bytes);
  edit->setText(QFile::decodeName(raw));
  edit->setProperty(kPathBytesProperty, raw);
}

std::string PathBytes(const QLineEdit* edit) {
  const QVariant raw = edit->property(kPathBytesProperty);
  if (raw.isValid() && QFile::decodeName(raw.toByteArray()) == edit->text()) {
    return raw.toByteArray().toStdString();
  }
  return QFile::encodeName(edit->text()).toStdString();
}

void QtCheckControl::OnChange(std::function<void()> handler) {
  QObject::connect(button_, &QAbstractButton::toggled, button_,
                   [handler = std::move(handler)] { handler(); });
}

QtEditControl::QtEditControl(QLineEdit* edit, Bytes bytes)
    : edit_(edit), bytes_(bytes) {
  QObject::connect(edit_, &QLineEdit::textEdited, edit_,
                   [this] { edited_ = true; });
}

std::string QtEditControl::Text() const {
  return bytes_ == Bytes::kFileName ? PathBytes(edit_) : ToLocal(edit_->text());
}

void QtEditControl::SetText(const std::string& text) {
  if (bytes_ == Bytes::kFileName) {
    SetPathText(edit_, text);
  } else {
    edit_->setText(FromLocal(text));
  }
}

void QtEditControl::SetCaret(std::size_t position) {
  // Only digits are left when the logic moves the caret, so bytes and
  // characters count alike.
  edit_->setCursorPosition(static_cast<int>(position));
}

void QtEditControl::OnChange(std::function<void()> handler) {
  QObject::connect(edit_, &QLineEdit::textChanged, edit_,
                   [this, handler = std::move(handler)] {
                     modified_ = std::exchange(edited_, false);
                     handler();
                   });
}

std::string QtStatusControl::Text() const {
  return ToLocal(status_line_->currentMessage());
}

void QtStatusControl::SetText(const std::string& text) {
  status_line_->showMessage(FromLocal(text));
  status_line_->repaint();
}

int QtSpinControl::Position() const { return spin_->Position(); }

void QtSpinControl::SetPosition(int position) { spin_->SetPosition(position); }

void QtSpinControl::OnStep(std::function<void()> handler) {
  QObject::connect(spin_, &UpDown::Clicked, spin_,
                   [handler = std::move(handler)] { handler(); });
}

void QtFormControl::CloseLater() {
  QMetaObject::invokeMethod(window_, &QWidget::close, Qt::QueuedConnection);
}

void QtFormControl::RunLater(std::function<void()> work) {
  QMetaObject::invokeMethod(window_, std::move(work), Qt::QueuedConnection);
}

void QtFormControl::SetWaitCursor(bool wait) {
  if (wait) {
    window_->setCursor(Qt::WaitCursor);
  } else {
    window_->unsetCursor();
  }
}

WindowHandle QtApplicationControl::Handle() const {
  return application_.Handle();
}

const std::string& QtApplicationControl::HelpFile() const {
  return application_.HelpFile();
}

void QtApplicationControl::SetWaitCursor(bool wait) {
  if (wait) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

std::string QtApplicationControl::Hint() const {
  return ToLocal(application_.Hint());
}

void QtApplicationControl::OnHint(std::function<void()> handler) {
  application_.SetOnHint(receiver_, std::move(handler));
}

void QtApplicationControl::SetShowMainForm(bool show) {
  application_.SetShowMainForm(show);
}

void QtApplicationControl::Terminate() { application_.Terminate(); }

void QtAboutBoxControl::SetVersionText(const std::string& text) {
  about_box_->SetVersionText(QString::fromStdString(text));
}

bool QtAboutBoxControl::IsVisible() const { return about_box_->isVisible(); }

void QtAboutBoxControl::Show() { about_box_->show(); }

}  // namespace tarnel
