#include "platform/qt/tarnel_font.h"

#include <QString>
#include <QStringList>

namespace tarnel {

namespace {
constexpr int kFontPixelSize = 12;
}  // namespace

QFont TarnelFont() {
  QFont font;
  font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"),
                    QStringLiteral("IPAPGothic"),
                    QStringLiteral("Noto Sans CJK JP")});
  font.setPixelSize(kFontPixelSize);
  return font;
}

}  // namespace tarnel
