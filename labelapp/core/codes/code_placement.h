// Where a label's code goes on the label, in device pixels, and the room that leaves for the
// label's texts. A code keeps its quiet zone on the label or is not placed at all.
#pragma once

#include <optional>

#include "core/printing/canvas.h"
#include "core/codes/label_code.h"
#include "core/printing/sheet_grid.h"

namespace labelora {

// The smallest modules a common scanner reads: 0.25 mm for 2-D codes, 0.125 mm (5 mil) for
// the narrow bar of Code 128. Modules are whole device pixels, rounded up from these.
inline constexpr double kMinMatrixModuleMm = 0.25;
inline constexpr double kMinBarModuleMm = 0.125;
inline constexpr double kMinBarHeightMm = 3.0;
// The smallest type a text beside a code is shrunk to.
inline constexpr int kMinTextPoints = 4;
// The printed label box runs past the label sheet's own label; a code keeps this far inside
// it, so that its quiet zone stays on the label.
inline constexpr int kCodeMarginUnits = 12;

struct CodePlacement {
    DeviceRect quietBox;              // the symbol with its quiet zone, kept light
    int left = 0, top = 0;            // the symbol's first module
    int moduleWidth = 0;              // device pixels
    int moduleHeight = 0;             // device pixels; the bar height for Code 128
    DeviceRect textArea{0, 0, 0, 0};  // what is left for the texts
};

// The part of a label that may hold a code: the label box less the margin, or for the framed
// layouts the inside of the frame drawn with a pen `framePen` device pixels wide.
DeviceRect codeContentBox(const UnitRect &label, std::optional<int> framePen, Resolution dpi);

// Round labels: the code in the middle with a line of text above and below; rectangular
// labels: a 2-D code at the right end beside the texts, Code 128 across the lower half below
// them. Nothing when the symbol does not fit at the smallest readable module.
std::optional<CodePlacement> placeCode(bool round, const DeviceRect &content, Resolution dpi,
                                       const CodeSymbol &symbol);

}  // namespace labelora
