#include "ui/qt/typed_length_validator.h"

#include <QLineEdit>
#include <algorithm>

namespace tarnel {

TypedLengthValidator::TypedLengthValidator(QLineEdit* edit, int limit)
    : QValidator(edit), edit_(edit), limit_(limit), current_(edit->text()) {
  connect(edit, &QLineEdit::textChanged, this,
          [this](const QString& text) { current_ = text; });
  edit->setValidator(this);
}

QValidator::State TypedLengthValidator::validate(QString& input,
                                                 int& pos) const {
  // Text set by the program clears the modified flag before it is checked;
  // the user's editing sets it.
  if (!edit_->isModified()) return Acceptable;
  const auto length = static_cast<int>(input.size());
  if (length <= limit_ || length <= current_.size()) return Acceptable;

  // The insertion ends at the caret; what follows the caret is the old
  // text's end, and the old text's beginning is kept in front of it.
  const int caret = std::clamp(pos, 0, length);
  const int tail = length - caret;
  int head = 0;
  const int head_limit =
      std::min(caret, static_cast<int>(current_.size()) - tail);
  while (head < head_limit && input[head] == current_[head]) ++head;
  const int room = limit_ - head - tail;
  if (room <= 0) return Invalid;
  input = input.left(head + room) + input.right(tail);
  pos = head + room;
  return Acceptable;
}

}  // namespace tarnel
