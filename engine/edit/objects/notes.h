// Comments (NOTE records and the drawing shapes that show them) and the other drawing objects
// of a sheet kept in step with its cells: rows or columns inserted or deleted move them (a
// comment whose cell goes goes with everything that makes it, an object whose rows or columns
// all go goes too), and copies carry the comments of the copied cells to where they are
// pasted. Clearing cells keeps their comments.
#pragma once

#include <cstdint>

#include "engine/edit/references/reference_moves.h"
#include "engine/model/workbook.h"

namespace tabrix::engine {

// The sheet's records after rows (else columns) of it move as `move` says, and the drawing
// group after it; kUnwalkableFormula when the NOTE records or the drawing cannot be walked.
struct ObjectRecords {
    bool changed = false;
    RecordList objects;
    RecordList drawing_group;
};
int32_t move_objects(const Workbook &book, const Sheet &sheet, const AxisMove &move, bool rows,
                     ObjectRecords &out);

// Puts the records move_objects or paste_notes gave in place.
void store_objects(RecordList &drawing_group, Sheet &sheet, ObjectRecords &records);

// Takes the comments of the cells in the rectangle into the buffer.
void copy_notes(const Sheet &sheet, int32_t x, int32_t y, int32_t width, int32_t height,
                CopyBuffer &buffer);

// The sheet's records once the comments of the rectangle the buffer covers at (x, y) are
// replaced by copies of the buffer's, with new object and shape ids; a sheet without a drawing
// gets one, and the workbook a drawing group when it has none. kUnwalkableFormula when the
// drawing or the drawing group cannot be walked or no new id is free.
int32_t paste_notes(const Sheet &sheet, const RecordList &drawing_group, const CopyBuffer &buffer,
                    int32_t x, int32_t y, ObjectRecords &out);

}  // namespace tabrix::engine
