// Where each label of a sheet lies on the page, in layout units (250 to the inch), and the
// conversion of layout units to the printer's device pixels.
#pragma once

namespace labelora {

inline constexpr int kLayoutUnitsPerInch = 250;
inline constexpr int kUnitsPerOffsetStep = 5;  // one 0.5 mm step of the offset lists

struct SheetGeometry {
    int across, down;
    int x0, y0;
    int pitchX, pitchY;
    int width, height;
    int capacity() const { return across * down; }
};

const SheetGeometry &sheetGeometry(int sheetType);  // 1..4

struct UnitRect {
    int x, y, width, height;
    int right() const { return x + width; }
    int bottom() const { return y + height; }
};

// The label at position `pos` (1-based) with the user's offset indexes (0..20, 10 = none).
UnitRect labelRect(int sheetType, int pos, int offsetRight, int offsetDown);

// The box 20 units inside the label: the white ring of round labels and the frames.
UnitRect insetBox(const UnitRect &label);

struct UnitPoint {
    int x, y;
};
// The centre used to place the texts of round labels.
UnitPoint roundLabelCentre(const UnitRect &label);

// Layout units to device pixels at `dotsPerInch`, truncated. Exact integer arithmetic, so
// that a coordinate on a whole pixel never loses one to rounding.
int unitsToDevice(int units, int dotsPerInch);

}  // namespace labelora
