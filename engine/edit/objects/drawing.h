// The drawing of a sheet: the shapes its MSODRAWING records describe, one container tree cut
// into the records, with each shape's client records (OBJ, TXO and its CONTINUE records, an
// embedded chart's substream) between the pieces. Read to find the shapes and their cell
// anchors; rebuilt to remove shapes or add copies of them with their lengths and counts kept
// right.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "engine/biff/record_list.h"

namespace tabrix::engine {

// A shape on the top level of the drawing (a group counts as one).
struct DrawingShape {
    size_t start = 0;  // its container's bytes in the drawing stream
    size_t end = 0;
    uint32_t id = 0;
    size_t id_at = 0;
    std::optional<size_t> anchor_at;  // the client anchor's flags, then its 8 fields
    // Records from the one where the shape starts to its last client record, end excluded.
    size_t first_record = 0;
    size_t end_record = 0;
    std::optional<size_t> obj_record;  // its first OBJ
    uint16_t object_type = 0;
    uint16_t object_id = 0;
};

struct SheetDrawing {
    bool present = false;  // the sheet has MSODRAWING records
    std::vector<uint8_t> stream;
    // Per record: where the stream stands before it, and whether its body is part of it.
    std::vector<size_t> record_start;
    std::vector<bool> in_stream;
    size_t fdg_at = 0;    // FDG body: shape count, last shape id
    size_t group_at = 0;  // the top group container's header
    uint16_t drawing_id = 0;
    std::vector<DrawingShape> shapes;  // the group's own shape first
    std::vector<uint32_t> ids;         // every shape id, groups' children too
};

inline constexpr uint16_t kCommentObject = 0x19;

// The sheet's drawing, or nothing when its records cannot be walked: containers whose lengths
// overrun, a stream that is not one drawing, client records where no shape has them.
std::optional<SheetDrawing> read_drawing(const RecordList &objects);

// One shape's records, cut out of the drawing: MSODRAWING pieces hold only its bytes.
std::vector<Record> shape_records(const RecordList &objects, const SheetDrawing &drawing,
                                  const DrawingShape &shape);

// What a rebuild does: shapes to take out (indices into drawing.shapes) and records besides
// theirs to drop, then shapes to add (their records as shape_records gives them) at the end of
// the top group, the highest id among them, and records (NOTE) to add after the last NOTE.
struct DrawingEdit {
    std::vector<size_t> removed_shapes;
    std::vector<size_t> dropped_records;
    std::vector<std::vector<Record>> added_shapes;
    uint32_t last_added_id = 0;
    std::vector<Record> added_notes;
};

// Whether added shapes have a place: the top group ends where a record's piece ends.
bool can_add_shapes(const SheetDrawing &drawing);

// The records with the edit applied to the drawing (its stream as `drawing` holds it, so
// anchors changed there go too), the container lengths and the FDG's shape count and last id
// fixed.
RecordList rebuild_drawing(const RecordList &objects, const SheetDrawing &drawing,
                           const DrawingEdit &edit);

// Appends the header of a drawing record (a container when ver_inst's low four bits are 0xF).
void put_drawing_header(std::vector<uint8_t> &out, uint16_t ver_inst, uint16_t type,
                        uint32_t length);

// The first MSODRAWING of a sheet that had no drawing: the drawing `drawing_id` with only its
// group's own shape, `group_id`.
Record new_drawing(uint16_t drawing_id, uint32_t group_id);

// Whether a record of a list is a piece of the drawing stream: an MSODRAWING, or a CONTINUE
// after one such piece.
bool drawing_piece(uint16_t number, bool after_piece);

// Writes `bytes` at `at` of the drawing bytes of records as shape_records gives them.
void patch_pieces(std::vector<Record> &records, size_t at, const std::vector<uint8_t> &bytes);

}  // namespace tabrix::engine
