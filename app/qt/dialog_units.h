#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

namespace wobbet {

// The pixel size of one dialog unit, measured from a dialog's font the way Windows measures it:
// a quarter of the average character width across, an eighth of the character height down.
struct DialogBaseUnits {
    int width = 0;   // average character width
    int height = 0;  // character height

    // Measures the font: the average width is half of (the width of A-Z a-z over 26, plus one).
    static DialogBaseUnits Of(const QFont& font);

    int ToPixelsX(int dialogUnits) const;
    int ToPixelsY(int dialogUnits) const;
    QRect ToPixels(int x, int y, int width, int height) const;
    QSize ToPixels(int width, int height) const;
};

// a * b / divisor rounded to the nearest integer, halves away from zero; divisor > 0.
int MultiplyDivide(int a, int b, int divisor);

}  // namespace wobbet
