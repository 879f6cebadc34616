// A limit on how long the user can make a line edit's text by typing or
// pasting, which text set by the program does not obey: the program may put
// a longer text there, and the user can still shorten it. As in a Windows
// edit with a length limit, a paste that would not fit is cut to what fits,
// and a key that would not fit is refused.
#ifndef TARNEL_UI_QT_TYPED_LENGTH_VALIDATOR_H_
#define TARNEL_UI_QT_TYPED_LENGTH_VALIDATOR_H_

#include <QString>
#include <QValidator>

class QLineEdit;

namespace tarnel {

class TypedLengthValidator : public QValidator {
 public:
  /// Installs itself on |edit|, which owns it.
  TypedLengthValidator(QLineEdit* edit, int limit);

  /// Acceptable for text the program sets, and for a user's change that
  /// leaves at most the limit's characters or no more than were there. A
  /// longer insertion ending at |pos| is cut to what fits, and |pos| follows
  /// it; when none of it fits, Invalid (the edit keeps its text).
  State validate(QString& input, int& pos) const override;

 private:
  const QLineEdit* edit_;
  int limit_;
  // The text before the change being validated: the edit reports its new
  // text only after validation.
  QString current_;
};

}  // namespace tarnel

#endif  // TARNEL_UI_QT_TYPED_LENGTH_VALIDATOR_H_
