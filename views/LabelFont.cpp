#include "views/LabelFont.h"

#include <QFontMetrics>

namespace kavrin {

namespace {
constexpr double SmallestPoints = 6;
constexpr double PointStep = 0.5;
} // namespace

QFont labelFont(const QFont& base, double rowHeight) {
    QFont font = base;
    while (font.pointSizeF() - PointStep >= SmallestPoints &&
           QFontMetrics(font).height() > int(rowHeight))
        font.setPointSizeF(font.pointSizeF() - PointStep);
    return font;
}

} // namespace kavrin
