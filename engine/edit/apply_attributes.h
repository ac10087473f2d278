// Applying attribute requests to cells: one cell, a rectangle, borders drawn as lines, and
// the attribute an empty cell inherits from its row or column.
#pragma once

#include <cstdint>

#include "engine/model/attribute.h"
#include "engine/model/workbook.h"

namespace tabrix::engine {

struct Workbook;

// What to apply: a request record merged into each cell, or the record of an attribute
// number (a negative number -n replaces the cell's attribute with attribute n).
struct AttributeRequest {
    CellAttribute record{};
    int32_t number = 0;
    bool by_number = false;

    static AttributeRequest of_record(const CellAttribute &record) { return {record, 0, false}; }
    static AttributeRequest of_number(int32_t number) { return {{}, number, true}; }
};

// XM_SetAttr / XM_SetAttr2: while the process-wide replace mode is on, the cell's attribute
// is replaced instead of merged. A cell without a record gets a BLANK.
int32_t set_cell_attribute(BookRef ref, int32_t sheet, int32_t x, int32_t y,
                           const AttributeRequest &request);
// XM_SetAttrExt / XM_SetAttrExt2 over a rectangle given by two corners in any order. Empty
// cells get BLANK and MULBLANK records; a request with Joint 1 records a merged range.
int32_t set_range_attribute(BookRef ref, int32_t sheet, int32_t x1, int32_t y1, int32_t x2,
                            int32_t y2, const AttributeRequest &request);

enum class LineKind { box, lattice, over, under, left, right };
// Borders over a rectangle; `line_code` holds the style in bits 0-3 and the colour in 8-15.
int32_t draw_lines(BookRef ref, int32_t sheet, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                   LineKind kind, int32_t line_code);

// The attribute an empty cell starts from: its row's own format, else the format of a
// column record covering it, else the default cell attribute 15.
uint16_t inherited_attribute(bool biff8, const Sheet &sheet, uint16_t x, uint16_t y);

}  // namespace tabrix::engine
