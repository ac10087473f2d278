// The plan of a print run: which positions of which sheets it prints, the shading of the
// sheet picture, the colours, and where the next run starts.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/printing/canvas.h"
#include "core/forms/catalogue.h"

namespace labelora {

struct PageSpan {
    int page;  // 1-based
    int firstPosition, lastPosition;
};

// Sheets a run of `runLength` labels touches when it starts at `startPosition`.
int pageCount(int startPosition, int runLength, int capacity);
// The positions printed on each sheet: from startPosition on the first, from 1 after it.
std::vector<PageSpan> pageSpans(int startPosition, int runLength, int capacity);
// Labels from the start of the run to position `pos` of sheet `page`.
int labelsBefore(int pos, int page, int startPosition, int capacity);
// The first free position after the run, in 1..capacity.
int nextStartPosition(int startPosition, int runLength, int capacity);

enum class Shade { Used, Printed, Free };  // gray, red, white on the sheet picture
inline constexpr Rgb kUsedShade{128, 128, 128};
inline constexpr Rgb kPrintedShade{255, 0, 0};
// The shading of every position (index 0 = position 1) for `page` of the run.
std::vector<Shade> sheetShading(int startPosition, int runLength, int capacity, int page);

// The start number and letters of the next run.
struct NumberAdvance {
    int startNumber;
    std::vector<std::pair<std::string, int>> letters;  // letter list and its new index
};
struct NumberingState {
    Family family;
    int layoutType;
    int startNumber, sampleCount, numberStep;
    std::vector<std::pair<std::string, int>> letters;  // the layout's letter lists
};
NumberAdvance advanceStartNumber(const NumberingState &state);

// The colour lists of the print screen.
struct NamedColour {
    const char *name;
    Rgb rgb;
    int palette;  // the workbook palette code the export gives this colour
};
const std::vector<NamedColour> &textColours();        // ListBox21
const std::vector<NamedColour> &backgroundColours();  // ListBox19
std::optional<Rgb> textColour(const std::string &name);
std::optional<Rgb> backgroundColour(const std::string &name);

// "RainBow": the colour of each copy of a label, and for the blank labels of each group of
// sampleCount labels. `n` counts labels from the start of the run.
Rgb rainbowByCopy(int n, int repeatCount);
Rgb rainbowByGroup(int n, int sampleCount);

// The sheet picture of the print screen: pixel bands of each column and row. A click
// outside every band selects nothing.
struct PixelBand {
    int first, last;
};
const std::vector<PixelBand> &columnBands(int sheetType);
const std::vector<PixelBand> &rowBands(int sheetType);
std::optional<int> positionAtPixel(int sheetType, int x, int y);

}  // namespace labelora
