// A vertical spin (up-down) control: two arrows that step a position within
// a range, without wrapping. It can be attached to a line edit: a step then
// starts from the number in the edit, writes the new number back into it in
// plain decimal, and the Up and Down keys in the edit step as the arrows do.
// It never takes the keyboard focus.
#ifndef TARNEL_UI_QT_UP_DOWN_H_
#define TARNEL_UI_QT_UP_DOWN_H_

#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace tarnel {

class UpDown : public QWidget {
  Q_OBJECT

 public:
  enum class Button { kNone, kUp, kDown };
  Q_ENUM(Button)

  explicit UpDown(QWidget* parent);

  /// The range, |minimum| <= |maximum|; the position is brought into it.
  void SetRange(int minimum, int maximum);
  int Minimum() const { return minimum_; }
  int Maximum() const { return maximum_; }
  /// How far one step moves; at least 1.
  void SetIncrement(int increment);
  int Increment() const { return increment_; }
  /// Sets the position, brought into the range; the attached edit is not
  /// touched and Clicked is not emitted.
  void SetPosition(int position);
  int Position() const { return position_; }

  /// Attaches |edit| (null detaches); it must outlive the attachment or be
  /// destroyed first.
  void SetAssociate(QLineEdit* edit);
  QLineEdit* Associate() const { return associate_; }

  /// One step, as a press of |button| does: from the attached edit's
  /// number when it holds one (a number outside the range counts as the
  /// nearer end), else from the position; stops at the ends. When the
  /// position moved, writes it into the attached edit and emits Clicked.
  /// Returns whether it moved.
  bool Step(Button button);

  QSize sizeHint() const override;

 signals:
  /// The position moved by a step of |button|.
  void Clicked(UpDown::Button button);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Button ButtonAt(const QPoint& point) const;
  QRect ButtonRect(Button button) const;
  void Repeat();
  void Release();

  int minimum_ = 0;
  int maximum_ = 100;
  int increment_ = 1;
  int position_ = 0;
  QPointer<QLineEdit> associate_;
  Button pressed_ = Button::kNone;
  // Holding an arrow down steps again and again, as a key does.
  QTimer repeat_;
};

}  // namespace tarnel

#endif  // TARNEL_UI_QT_UP_DOWN_H_
