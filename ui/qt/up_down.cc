#include "ui/qt/up_down.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>
#include <climits>
#include <optional>

namespace tarnel {

namespace {

constexpr int kRepeatDelayMs = 400;
constexpr int kRepeatIntervalMs = 60;

// The edit's text as a number when it is nothing but decimal digits;
// numbers beyond int saturate, which the range clamps anyway.
std::optional<long long> DecimalValue(const QString& text) {
  if (text.isEmpty()) return std::nullopt;
  long long value = 0;
  for (const QChar c : text) {
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
    value = std::min<long long>(value * 10 + (c.unicode() - '0'), INT_MAX);
  }
  return value;
}

}  // namespace

UpDown::UpDown(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::NoFocus);
  repeat_.setSingleShot(false);
  connect(&repeat_, &QTimer::timeout, this, &UpDown::Repeat);
}

void UpDown::SetRange(int minimum, int maximum) {
  minimum_ = minimum;
  maximum_ = std::max(minimum, maximum);
  position_ = std::clamp(position_, minimum_, maximum_);
}

void UpDown::SetIncrement(int increment) {
  increment_ = std::max(1, increment);
}

void UpDown::SetPosition(int position) {
  position_ = std::clamp(position, minimum_, maximum_);
}

void UpDown::SetAssociate(QLineEdit* edit) {
  if (associate_) associate_->removeEventFilter(this);
  associate_ = edit;
  if (associate_) associate_->installEventFilter(this);
}

bool UpDown::Step(Button button) {
  if (button == Button::kNone) return false;
  int start = position_;
  if (associate_) {
    if (const std::optional<long long> value =
            DecimalValue(associate_->text())) {
      start =
          static_cast<int>(std::clamp<long long>(*value, minimum_, maximum_));
    }
  }
  const long long target = static_cast<long long>(start) +
                           (button == Button::kUp ? increment_ : -increment_);
  position_ =
      static_cast<int>(std::clamp<long long>(target, minimum_, maximum_));
  if (position_ == start) return false;
  // Plain decimal: a thousands separator would make the text something the
  // run cannot read as a number.
  if (associate_) associate_->setText(QString::number(position_));
  emit Clicked(button);
  return true;
}

QSize UpDown::sizeHint() const { return QSize(16, 20); }

QRect UpDown::ButtonRect(Button button) const {
  const int half = height() / 2;
  return button == Button::kUp ? QRect(0, 0, width(), half)
                               : QRect(0, half, width(), height() - half);
}

UpDown::Button UpDown::ButtonAt(const QPoint& point) const {
  if (ButtonRect(Button::kUp).contains(point)) return Button::kUp;
  if (ButtonRect(Button::kDown).contains(point)) return Button::kDown;
  return Button::kNone;
}

void UpDown::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  for (const Button button : {Button::kUp, Button::kDown}) {
    QStyleOptionButton panel;
    panel.initFrom(this);
    panel.rect = ButtonRect(button);
    panel.state |=
        (pressed_ == button) ? QStyle::State_Sunken : QStyle::State_Raised;
    style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &panel, &painter, this);
    QStyleOption arrow;
    arrow.initFrom(this);
    arrow.rect = panel.rect.adjusted(3, 2, -3, -2);
    if (pressed_ == button) arrow.rect.translate(1, 1);
    style()->drawPrimitive(button == Button::kUp
                               ? QStyle::PE_IndicatorArrowUp
                               : QStyle::PE_IndicatorArrowDown,
                           &arrow, &painter, this);
  }
}

void UpDown::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QWidget::mousePressEvent(event);
    return;
  }
  pressed_ = ButtonAt(event->position().toPoint());
  if (pressed_ == Button::kNone) return;
  update();
  Step(pressed_);
  repeat_.start(kRepeatDelayMs);
}

void UpDown::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) Release();
  QWidget::mouseReleaseEvent(event);
}

void UpDown::hideEvent(QHideEvent* event) {
  Release();
  QWidget::hideEvent(event);
}

void UpDown::Repeat() {
  repeat_.setInterval(kRepeatIntervalMs);
  if (pressed_ != Button::kNone) Step(pressed_);
}

void UpDown::Release() {
  repeat_.stop();
  if (pressed_ != Button::kNone) {
    pressed_ = Button::kNone;
    update();
  }
}

bool UpDown::eventFilter(QObject* watched, QEvent* event) {
  // The type first: an edit being destroyed still passes its last events
  // here, and is no longer a QLineEdit to look at.
  if (event->type() == QEvent::KeyPress && watched == associate_.data()) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() == Qt::NoModifier ||
        key->modifiers() == Qt::KeypadModifier) {
      if (key->key() == Qt::Key_Up) {
        Step(Button::kUp);
        return true;
      }
      if (key->key() == Qt::Key_Down) {
        Step(Button::kDown);
        return true;
      }
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace tarnel
