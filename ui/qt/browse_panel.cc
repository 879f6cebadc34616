#include "ui/qt/browse_panel.h"

#include <QFocusEvent>
#include <QMouseEvent>

namespace tarnel {

BrowsePanel::BrowsePanel(const QString& caption, QWidget* parent)
    : QLabel(caption, parent) {
  setFrameStyle(QFrame::Panel | QFrame::Raised);
  setLineWidth(1);
  setAlignment(Qt::AlignCenter);
  // A tab stop, but a click does not move the focus: only Tab does.
  setFocusPolicy(Qt::TabFocus);
}

void BrowsePanel::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) pressed_ = true;
  QLabel::mousePressEvent(event);
}

void BrowsePanel::mouseReleaseEvent(QMouseEvent* event) {
  const bool click = pressed_ && event->button() == Qt::LeftButton &&
                     rect().contains(event->position().toPoint());
  pressed_ = false;
  QLabel::mouseReleaseEvent(event);
  if (click) emit Clicked();
}

void BrowsePanel::focusInEvent(QFocusEvent* event) {
  QLabel::focusInEvent(event);
  emit FocusReceived(event->reason());
}

}  // namespace tarnel
