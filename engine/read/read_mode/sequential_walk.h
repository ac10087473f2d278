// The sequential walk over the cells of a sheet of the file a workbook was read from, one
// cell per call in stream order, behind the Book API's binary cell readers.
//
// Each call starts at a stream position (a position before the sheet's first record means
// the sheet's start), delivers the next cell and returns the position to pass on the next
// call. A MULRK or MULBLANK record gives one cell per element: the call returns the record's
// own position while elements are left, and the workbook keeps the next element for each
// sheet, so walks over several sheets or workbooks may interleave.
#pragma once

#include <cstdint>
#include <string>

#include "engine/model/workbook.h"
#include "engine/read/read_mode/cell_values.h"

namespace tabrix::engine {

inline constexpr int32_t kWalkBlank = 0;
inline constexpr int32_t kWalkText = 1;
inline constexpr int32_t kWalkNumber = 2;

// What the walk returns instead of a position.
inline constexpr int32_t kWalkEnd = 0;       // the sheet's EOF, or nothing left to read
inline constexpr int32_t kWalkObjects = -1;  // the sheet's first OBJ, IMDATA or MSODRAWING
inline constexpr int32_t kWalkNoSheet = 1;   // a sheet number outside the file

struct WalkedCell {
    int32_t column = 0;
    int32_t row = 0;
    int32_t xf = 0;
    int32_t kind = kWalkBlank;
    double number = 0;  // the number kind's value, else 0
    std::u16string text;
};

// Delivers the next cell at or after `position`: BLANK and MULBLANK elements as blanks;
// NUMBER, RK, MULRK elements and numeric formula results as numbers; LABEL, LABELSST,
// RSTRING and a formula's text result as texts; a formula's boolean or error result as the
// text "TRUE", "FALSE", "#DIV/0!" and so on, a BOOLERR cell as the same text padded with
// blanks to 5 characters (booleans) or 7 (errors). Other records, and cell records that
// cannot be read, are stepped over. `cell` is set only when a position is returned. A
// chart sheet, and a workbook read from no file, have nothing to walk.
int32_t walk_sheet(Workbook &book, int32_t sheet, int32_t position, WalkedCell &cell);

// The same into a caller's outputs (each may be null); the text narrow or UTF-16.
int32_t walk_sheet_into(Workbook &book, int32_t sheet, int32_t position, int32_t *column,
                        int32_t *row, int32_t *xf, int32_t *kind, double *number,
                        const TextBuffer &text);

}  // namespace tabrix::engine
