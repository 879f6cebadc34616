#include "ui/typed_length_validator.h"

#include <QLineEdit>

namespace tarnel {

TypedLengthValidator::TypedLengthValidator(QLineEdit* edit, int limit)
    : QValidator(edit),
      edit_(edit),
      limit_(limit),
      current_length_(static_cast<int>(edit->text().size())) {
  // The edit reports its new text only after validation, so the length
  // known here is always the text before the change being validated.
  connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) {
    current_length_ = static_cast<int>(text.size());
  });
  edit->setValidator(this);
}

QValidator::State TypedLengthValidator::validate(QString& input, int&) const {
  // Text set by the program clears the modified flag before it is checked;
  // the user's editing sets it.
  if (!edit_->isModified()) return Acceptable;
  const int length = static_cast<int>(input.size());
  return (length <= limit_ || length <= current_length_) ? Acceptable : Invalid;
}

}  // namespace tarnel
