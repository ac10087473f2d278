#include "core/printing/sheet_grid.h"

#include <stdexcept>

namespace labelora {

const SheetGeometry &sheetGeometry(int sheetType) {
    static const SheetGeometry sheets[] = {
        {10, 15, 145, 156, 167, 168, 130, 130},  // round 11 mm, 150 labels
        {6, 10, 120, 345, 286, 217, 260, 140},   // 12 x 24 mm, 60 labels
        {5, 19, 115, 85, 345, 138, 320, 120},    // 10 x 30 mm, 95 labels
        {4, 18, 90, 70, 445, 148, 420, 140},     // 12 x 40 mm, 72 labels
    };
    if (sheetType < 1 || sheetType > 4) throw std::out_of_range("sheet type");
    return sheets[sheetType - 1];
}

UnitRect labelRect(int sheetType, int pos, int offsetRight, int offsetDown) {
    const SheetGeometry &g = sheetGeometry(sheetType);
    int col = (pos - 1) % g.across;
    int row = (pos - 1) / g.across;
    return {g.x0 + kUnitsPerOffsetStep * offsetRight + col * g.pitchX,
            g.y0 + kUnitsPerOffsetStep * offsetDown + row * g.pitchY, g.width, g.height};
}

UnitRect insetBox(const UnitRect &label) {
    return {label.x + 20, label.y + 20, label.width - 40, label.height - 40};
}

UnitPoint roundLabelCentre(const UnitRect &label) {
    return {label.x + label.width / 2, label.y + label.height / 2 + 1};
}

int unitsToDevice(int units, int dotsPerInch) {
    long long product = static_cast<long long>(units) * dotsPerInch;
    return static_cast<int>(product / kLayoutUnitsPerInch);
}

}  // namespace labelora
