#include "app/qt/dialog_units.h"

#include <QFontMetrics>
#include <cstdint>
#include <cstdlib>

namespace wobbet {

DialogBaseUnits DialogBaseUnits::Of(const QFont& font) {
    const QFontMetrics metrics(font);
    const int alphabetWidth = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(alphabetWidth / 26 + 1) / 2, metrics.height()};
}

int DialogBaseUnits::ToPixelsX(int dialogUnits) const {
    return MultiplyDivide(dialogUnits, width, 4);
}

int DialogBaseUnits::ToPixelsY(int dialogUnits) const {
    return MultiplyDivide(dialogUnits, height, 8);
}

QRect DialogBaseUnits::ToPixels(int x, int y, int widthUnits, int heightUnits) const {
    return {ToPixelsX(x), ToPixelsY(y), ToPixelsX(widthUnits), ToPixelsY(heightUnits)};
}

QSize DialogBaseUnits::ToPixels(int widthUnits, int heightUnits) const {
    return {ToPixelsX(widthUnits), ToPixelsY(heightUnits)};
}

int MultiplyDivide(int a, int b, int divisor) {
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    const std::int64_t magnitude = (std::llabs(product) + divisor / 2) / divisor;
    return static_cast<int>(product < 0 ? -magnitude : magnitude);
}

}  // namespace wobbet
