// The font of every window and box of the program.
#ifndef TARNEL_PLATFORM_QT_TARNEL_FONT_H_
#define TARNEL_PLATFORM_QT_TARNEL_FONT_H_

#include <QFont>

namespace tarnel {

/// "ＭＳ Ｐゴシック" at 12 pixels, with IPAPGothic and then Noto Sans CJK JP
/// standing in where that font is not installed.
QFont TarnelFont();

}  // namespace tarnel

#endif  // TARNEL_PLATFORM_QT_TARNEL_FONT_H_
