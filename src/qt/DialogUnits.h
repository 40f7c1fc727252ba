// Dialog units to pixels, the way the Windows dialog manager converts them:
// the horizontal base unit is the average width of the Latin letters in the
// dialog's font, the vertical one the font's height; a dialog unit is a
// quarter of the first and an eighth of the second, rounded to the nearest
// pixel. Window thread.
#pragma once

#include <QFont>
#include <QRect>

namespace ditdahl {

struct BaseUnits {
    int x = 0;  // pixels per 4 horizontal dialog units
    int y = 0;  // pixels per 8 vertical dialog units
};

// Base units from the pixel width of the 52 letters "A" to "Z", "a" to "z"
// and the font's pixel height.
BaseUnits baseUnitsFromMetrics(int alphabetWidth, int fontHeight);
BaseUnits baseUnitsFor(const QFont& font);

// a * b / c rounded to the nearest integer, halves away from zero.
int mulDivRounded(int a, int b, int c);

int horizontalPixels(const BaseUnits& units, int dialogUnits);
int verticalPixels(const BaseUnits& units, int dialogUnits);
QRect dialogRectToPixels(const BaseUnits& units, int x, int y, int width, int height);

}  // namespace ditdahl
