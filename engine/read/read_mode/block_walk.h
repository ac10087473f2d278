// The walk over a sheet's cells many at a time, for readers that go through whole sheets
// (one call per cell costs more than the cell itself). Whole records are delivered into a
// block while they fit; the walk returns where the next call goes on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/biff/errors.h"
#include "engine/model/workbook.h"

namespace tabrix::engine {

// Kinds of a walked cell: booleans and errors (value) with their values and texts.
enum BlockCellKind : int32_t {
    kBlockBlank = 0,
    kBlockInteger = 1,
    kBlockNumber = 2,
    kBlockValue = 3,
    kBlockText = 4
};

struct BlockCell {
    uint16_t row = 0, column = 0, xf = 0;
    int32_t kind = kBlockBlank;
    double value = 0;          // a number; -1.0/0.0 for TRUE/FALSE; an error's number
    std::u16string_view text;  // kinds kBlockValue and kBlockText
};

// A decoded cell as the walk delivers it: booleans and errors with their values and texts
// (the text is the value's own, valid while it lives).
struct CellValue;
BlockCell walked_of(const CellValue &value, uint16_t row, uint16_t column);

// Where the walked cells go.
class CellBlockSink {
  public:
    virtual ~CellBlockSink() = default;
    virtual size_t count() const = 0;
    // Whether `cells` more cells with `units` more text units fit.
    virtual bool fits(size_t cells, size_t units) const = 0;
    // Has room: fits() said so.
    virtual void put(const BlockCell &cell) = 0;
};

// What the block walk returns instead of a position.
inline constexpr int32_t kBlockSheetEnd = 0;       // the sheet's EOF (also a chart sheet)
inline constexpr int32_t kBlockSheetObjects = -1;  // the sheet's first drawing object
inline constexpr int32_t kBlockNoFile = err::of(errMode);

// The cells of `sheet` from `position` on (at or before its BOF: its start), whole records
// while they fit: the position to go on from, or kBlockSheetEnd, kBlockSheetObjects,
// kBlockNoFile for a workbook made from no file, err::kParam for no such sheet or a next
// record that does not fit an empty sink. Records of embedded charts are stepped over,
// unreadable cell records skipped, a formula gives its result.
int32_t walk_cell_block(Workbook &book, int32_t sheet, int32_t position, CellBlockSink &sink);

}  // namespace tabrix::engine
