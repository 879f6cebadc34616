// Check boxes and radio buttons that answer a click anywhere in their
// rectangle, as Windows buttons do. Qt's own take a click only on the
// indicator and the label's text, so the blank part to the right of a short
// label would move the focus and change nothing.
#ifndef TARNEL_UI_QT_WHOLE_AREA_BUTTONS_H_
#define TARNEL_UI_QT_WHOLE_AREA_BUTTONS_H_

#include <QCheckBox>
#include <QRadioButton>

namespace tarnel {

class WholeAreaCheckBox : public QCheckBox {
 public:
  using QCheckBox::QCheckBox;

 protected:
  bool hitButton(const QPoint& pos) const override {
    return rect().contains(pos);
  }
};

class WholeAreaRadioButton : public QRadioButton {
 public:
  using QRadioButton::QRadioButton;

 protected:
  bool hitButton(const QPoint& pos) const override {
    return rect().contains(pos);
  }
};

}  // namespace tarnel

#endif  // TARNEL_UI_QT_WHOLE_AREA_BUTTONS_H_
