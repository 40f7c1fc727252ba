#include "qt/DialogUnits.h"

#include <QFontMetrics>

#include <cstdint>

namespace ditdahl {

BaseUnits baseUnitsFromMetrics(int alphabetWidth, int fontHeight) { return {(alphabetWidth / 26 + 1) / 2, fontHeight}; }

BaseUnits baseUnitsFor(const QFont& font) {
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return baseUnitsFromMetrics(width, metrics.height());
}

int mulDivRounded(int a, int b, int c) {
    if (c == 0) return -1;
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    const bool negative = (product < 0) != (c < 0);
    const std::int64_t magnitude = (product < 0 ? -product : product);
    const std::int64_t divisor = c < 0 ? -static_cast<std::int64_t>(c) : c;
    const std::int64_t rounded = (magnitude + divisor / 2) / divisor;
    return static_cast<int>(negative ? -rounded : rounded);
}

int horizontalPixels(const BaseUnits& units, int dialogUnits) { return mulDivRounded(dialogUnits, units.x, 4); }

int verticalPixels(const BaseUnits& units, int dialogUnits) { return mulDivRounded(dialogUnits, units.y, 8); }

QRect dialogRectToPixels(const BaseUnits& units, int x, int y, int width, int height) {
    return {horizontalPixels(units, x), verticalPixels(units, y), horizontalPixels(units, width),
            verticalPixels(units, height)};
}

}  // namespace ditdahl
