// Small helpers the windows share when they build their controls.
#ifndef TARNEL_UI_QT_WIDGET_HELPERS_H_
#define TARNEL_UI_QT_WIDGET_HELPERS_H_

#include <QString>
#include <QWidget>
#include <utility>

namespace tarnel {

/// A caption or text written in UTF-8 in the source.
inline QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

/// Creates a control named |name| under |parent|, which owns it from here on.
template <class Widget, class... Args>
Widget* Create(QWidget* parent, const char* name, Args&&... args) {
  auto* widget = new Widget(std::forward<Args>(args)..., parent);
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

}  // namespace tarnel

#endif  // TARNEL_UI_QT_WIDGET_HELPERS_H_
