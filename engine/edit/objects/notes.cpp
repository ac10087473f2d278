#include "engine/edit/objects/notes.h"

#include <algorithm>

#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"
#include "engine/edit/objects/drawing.h"
#include "engine/edit/objects/drawing_group.h"

namespace tabrix::engine {
namespace {

constexpr int32_t kLastRow = 65535;
constexpr int32_t kLastColumn = 255;

// Where the fields of a client anchor lie after its flags: column, offset, row, offset of the
// top-left corner, then of the bottom-right one.
constexpr size_t kFirstColumn = 2;
constexpr size_t kFirstRow = 6;
constexpr size_t kLastColumnAt = 10;
constexpr size_t kLastRowAt = 14;
constexpr size_t kAnchorBytes = 18;

struct NoteRef {
    size_t record = 0;
    int32_t row = 0;
    int32_t column = 0;
    uint16_t object_id = 0;
};

bool read_notes(const RecordList &objects, std::vector<NoteRef> &out) {
    const std::vector<Record> &records = objects.records();
    for (size_t i = 0; i < records.size(); ++i) {
        if (records[i].number != rec::kNote) continue;
        const std::vector<uint8_t> &body = records[i].data;
        if (body.size() < 8) return false;
        out.push_back(NoteRef{i, load_u16(body.data()), load_u16(body.data() + 2),
                              load_u16(body.data() + 6)});
    }
    return true;
}

std::optional<size_t> comment_shape(const SheetDrawing &drawing, uint16_t object_id) {
    for (size_t i = 0; i < drawing.shapes.size(); ++i) {
        const DrawingShape &shape = drawing.shapes[i];
        if (shape.obj_record && shape.object_type == kCommentObject &&
            shape.object_id == object_id && shape.anchor_at) {
            return i;
        }
    }
    return std::nullopt;
}

// Moves both ends by `delta`, less where the box would leave the sheet: it keeps its size.
void shift_ends(uint8_t *first, uint8_t *last, int32_t delta, int32_t edge) {
    const int32_t from = load_u16(first);
    const int32_t to = load_u16(last);
    delta = std::clamp(delta, -std::min(from, to), edge - std::max(from, to));
    store_u16(first, static_cast<uint16_t>(from + delta));
    store_u16(last, static_cast<uint16_t>(to + delta));
}

// A comment's box keeps its place beside the comment's cell.
void shift_anchor(uint8_t *anchor, int32_t columns, int32_t rows) {
    shift_ends(anchor + kFirstColumn, anchor + kLastColumnAt, columns, kLastColumn);
    shift_ends(anchor + kFirstRow, anchor + kLastRowAt, rows, kLastRow);
}

// An object's corner moves with the row (column) it lies in; a corner in deleted ones stops at
// the start of the first one after them. False when it was deleted.
bool move_corner(const AxisMove &move, uint8_t *position, uint8_t *offset) {
    const int32_t at = load_u16(position);
    const int32_t moved = move_position(move, at);
    if (moved >= 0) {
        store_u16(position, static_cast<uint16_t>(moved));
        return true;
    }
    if (move.deleted > 0 && at >= move.at && at < move.at + move.deleted) {
        store_u16(position, static_cast<uint16_t>(std::min(move.at, move.last)));
        store_u16(offset, 0);
        return false;
    }
    store_u16(position, static_cast<uint16_t>(move.last));  // pushed off the sheet's end
    return true;
}

// False when every row (column) under the object was deleted: it goes, as in the reference.
bool move_anchor(const AxisMove &move, bool rows, uint8_t *anchor) {
    const size_t first = rows ? kFirstRow : kFirstColumn;
    const size_t last = rows ? kLastRowAt : kLastColumnAt;
    const bool first_stays = move_corner(move, anchor + first, anchor + first + 2);
    const bool last_stays = move_corner(move, anchor + last, anchor + last + 2);
    return first_stays || last_stays;
}

std::vector<uint8_t> piece_bytes(const std::vector<Record> &records) {
    std::vector<uint8_t> out;
    bool after_piece = false;
    for (const Record &record : records) {
        after_piece = drawing_piece(record.number, after_piece);
        if (after_piece) out.insert(out.end(), record.data.begin(), record.data.end());
    }
    return out;
}

void finish(const RecordList &drawing_group, size_t removed, const std::vector<uint32_t> &added,
            ObjectRecords &out) {
    out.drawing_group = drawing_group;
    if (removed == 0 && added.empty()) return;
    if (std::optional<DrawingGroup> group = read_drawing_group(drawing_group)) {
        count_shapes(*group, added, removed);
        store_drawing_group(out.drawing_group, *group);
    }
}

// A drawing for a sheet that has none, with only its group's own shape, put before the sheet's
// other object records (where drawings come), and a cluster of shape ids for it in the drawing
// group, which is made first when the workbook has none. False when the drawing group cannot be
// walked or has no drawing id left.
bool make_drawing(const RecordList &objects, const RecordList &drawing_group,
                  RecordList &objects_out, RecordList &group_out) {
    group_out = drawing_group.empty() ? new_drawing_group() : drawing_group;
    std::optional<DrawingGroup> group = read_drawing_group(group_out);
    uint16_t drawing_id = 0;
    uint32_t group_id = 0;
    if (!group || !add_cluster(*group, drawing_id, group_id)) return false;
    count_shapes(*group, {group_id}, 0);
    store_drawing_group(group_out, *group);
    objects_out.clear();
    objects_out.records().push_back(new_drawing(drawing_id, group_id));
    const std::vector<Record> &rest = objects.records();
    objects_out.records().insert(objects_out.records().end(), rest.begin(), rest.end());
    return true;
}

}  // namespace

int32_t move_objects(const Workbook &book, const Sheet &sheet, const AxisMove &move, bool rows,
                     ObjectRecords &out) {
    out = ObjectRecords{};
    std::vector<NoteRef> notes;
    std::optional<SheetDrawing> drawing = read_drawing(sheet.carried.objects);
    if (!drawing || !read_notes(sheet.carried.objects, notes)) return kUnwalkableFormula;
    if (!drawing->present && notes.empty()) return 0;

    RecordList objects = sheet.carried.objects;
    DrawingEdit edit;
    std::vector<bool> placed(drawing->shapes.size());
    for (const NoteRef &note : notes) {
        const int32_t from = rows ? note.row : note.column;
        const int32_t to = move_position(move, from);
        const std::optional<size_t> shape = comment_shape(*drawing, note.object_id);
        if (shape) placed[*shape] = true;
        if (to < 0) {
            edit.dropped_records.push_back(note.record);
            if (shape) edit.removed_shapes.push_back(*shape);
            continue;
        }
        store_u16(objects.records()[note.record].data.data() + (rows ? 0 : 2),
                  static_cast<uint16_t>(to));
        if (shape) {
            uint8_t *anchor = drawing->stream.data() + *drawing->shapes[*shape].anchor_at;
            shift_anchor(anchor, rows ? 0 : to - from, rows ? to - from : 0);
        }
    }
    for (size_t i = 0; i < drawing->shapes.size(); ++i) {
        const DrawingShape &shape = drawing->shapes[i];
        if (placed[i] || !shape.anchor_at) continue;
        if (!move_anchor(move, rows, drawing->stream.data() + *shape.anchor_at)) {
            edit.removed_shapes.push_back(i);
        }
    }
    if (drawing->present) {
        out.objects = rebuild_drawing(objects, *drawing, edit);
    } else {
        for (const size_t record : edit.dropped_records) objects.records()[record].number = 0;
        std::erase_if(objects.records(), [](const Record &r) { return r.number == 0; });
        out.objects = std::move(objects);
    }
    finish(book.drawing_group, edit.removed_shapes.size(), {}, out);
    out.changed = true;
    return 0;
}

void store_objects(RecordList &drawing_group, Sheet &sheet, ObjectRecords &records) {
    if (!records.changed) return;
    sheet.carried.objects = std::move(records.objects);
    drawing_group = std::move(records.drawing_group);
}

void copy_notes(const Sheet &sheet, int32_t x, int32_t y, int32_t width, int32_t height,
                CopyBuffer &buffer) {
    std::vector<NoteRef> notes;
    const RecordList &objects = sheet.carried.objects;
    if (!read_notes(objects, notes)) {
        buffer.notes_unreadable = true;
        return;
    }
    std::erase_if(notes, [&](const NoteRef &note) {
        return note.row < y || note.row >= y + height || note.column < x ||
               note.column >= x + width;
    });
    if (notes.empty()) return;
    const std::optional<SheetDrawing> drawing = read_drawing(objects);
    if (!drawing) {
        buffer.notes_unreadable = true;
        return;
    }
    for (const NoteRef &note : notes) {
        const std::optional<size_t> index = comment_shape(*drawing, note.object_id);
        if (!index) continue;  // a NOTE without its shape shows nothing
        const DrawingShape &shape = drawing->shapes[*index];
        buffer.notes.push_back(
            CopiedNote{note.row, note.column, objects.records()[note.record].data,
                       shape_records(objects, *drawing, shape), shape.id_at - shape.start,
                       *shape.anchor_at - shape.start});
    }
}

int32_t paste_notes(const Sheet &sheet, const RecordList &drawing_group, const CopyBuffer &buffer,
                    int32_t x, int32_t y, ObjectRecords &out) {
    out = ObjectRecords{};
    if (buffer.notes_unreadable) return kUnwalkableFormula;
    const int32_t dx = x - buffer.x;
    const int32_t dy = y - buffer.y;
    std::vector<const CopiedNote *> copies;
    for (const CopiedNote &note : buffer.notes) {
        if (note.row + dy <= kLastRow && note.column + dx <= kLastColumn) copies.push_back(&note);
    }
    const RecordList *objects = &sheet.carried.objects;
    const RecordList *group_records = &drawing_group;
    std::vector<NoteRef> notes;
    auto read_target_notes = [&] {
        notes.clear();
        if (!read_notes(*objects, notes)) return false;
        std::erase_if(notes, [&](const NoteRef &note) {
            return note.row < y || note.row >= y + buffer.height || note.column < x ||
                   note.column >= x + buffer.width;
        });
        return true;
    };
    if (!read_target_notes()) return kUnwalkableFormula;
    if (notes.empty() && copies.empty()) return 0;
    std::optional<SheetDrawing> drawing = read_drawing(*objects);
    if (!drawing) return kUnwalkableFormula;
    RecordList made_objects;
    RecordList made_group;
    if (!copies.empty() && !drawing->present) {
        if (!make_drawing(*objects, drawing_group, made_objects, made_group)) {
            return kUnwalkableFormula;
        }
        objects = &made_objects;
        group_records = &made_group;
        drawing = read_drawing(made_objects);
        if (!drawing || !read_target_notes()) return kUnwalkableFormula;
    }

    DrawingEdit edit;
    for (const NoteRef &note : notes) {
        edit.dropped_records.push_back(note.record);
        if (std::optional<size_t> shape = comment_shape(*drawing, note.object_id)) {
            edit.removed_shapes.push_back(*shape);
        }
    }
    std::vector<uint32_t> ids;
    if (!copies.empty()) {
        std::optional<DrawingGroup> group = read_drawing_group(*group_records);
        if (!drawing->present || !can_add_shapes(*drawing) || !group) return kUnwalkableFormula;
        const uint32_t last = load_u32(drawing->stream.data() + drawing->fdg_at + 4);
        if (!free_shape_ids(*group, drawing->drawing_id, drawing->ids, last, copies.size(), ids)) {
            return kUnwalkableFormula;
        }
        uint32_t object_id = 0;
        for (const Record &record : objects->records()) {
            if (record.number == rec::kObj && record.data.size() >= 8) {
                object_id = std::max<uint32_t>(object_id, load_u16(record.data.data() + 6));
            }
        }
        if (object_id + copies.size() > 0xFFFF) return kUnwalkableFormula;
        for (size_t k = 0; k < copies.size(); ++k) {
            const CopiedNote &copy = *copies[k];
            const auto new_object = static_cast<uint16_t>(object_id + 1 + k);
            std::vector<Record> shape = copy.shape;
            std::vector<uint8_t> bytes = piece_bytes(shape);
            if (copy.anchor_at + kAnchorBytes > bytes.size() || copy.id_at + 4 > bytes.size()) {
                return kUnwalkableFormula;
            }
            std::vector<uint8_t> anchor(
                bytes.begin() + static_cast<ptrdiff_t>(copy.anchor_at),
                bytes.begin() + static_cast<ptrdiff_t>(copy.anchor_at + kAnchorBytes));
            shift_anchor(anchor.data(), dx, dy);
            patch_pieces(shape, copy.anchor_at, anchor);
            std::vector<uint8_t> id(4);
            store_u32(id.data(), ids[k]);
            patch_pieces(shape, copy.id_at, id);
            for (Record &record : shape) {
                if (record.number == rec::kObj && record.data.size() >= 8) {
                    store_u16(record.data.data() + 6, new_object);
                    break;
                }
            }
            std::vector<uint8_t> note = copy.note;
            store_u16(note.data(), static_cast<uint16_t>(copy.row + dy));
            store_u16(note.data() + 2, static_cast<uint16_t>(copy.column + dx));
            store_u16(note.data() + 6, new_object);
            edit.added_shapes.push_back(std::move(shape));
            edit.added_notes.push_back(Record{rec::kNote, std::move(note)});
            edit.last_added_id = std::max(edit.last_added_id, ids[k]);
        }
    }
    out.objects = drawing->present ? rebuild_drawing(*objects, *drawing, edit) : *objects;
    if (!drawing->present) {  // notes without a drawing: only NOTE records go
        for (const size_t record : edit.dropped_records) out.objects.records()[record].number = 0;
        std::erase_if(out.objects.records(), [](const Record &r) { return r.number == 0; });
    }
    finish(*group_records, edit.removed_shapes.size(), ids, out);
    out.changed = true;
    return 0;
}

}  // namespace tabrix::engine
