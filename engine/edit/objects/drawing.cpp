#include "engine/edit/objects/drawing.h"

#include <algorithm>

#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"

namespace tabrix::engine {
namespace {

constexpr uint16_t kDgContainer = 0xF002;
constexpr uint16_t kSpgrContainer = 0xF003;
constexpr uint16_t kSpContainer = 0xF004;
constexpr uint16_t kFdg = 0xF008;
constexpr uint16_t kFspgr = 0xF009;
constexpr uint16_t kFsp = 0xF00A;
constexpr uint32_t kGroupFlags = 0x5;  // a group, and the drawing's topmost one
constexpr uint16_t kClientAnchor = 0xF010;
constexpr size_t kHeader = 8;
constexpr size_t kAnchorBytes = 18;
constexpr int kDeepest = 32;

struct Header {
    uint16_t type = 0;
    bool container = false;
    size_t body = 0;
    size_t end = 0;
};

// The records lying in [begin, end), which they must fill exactly.
bool children(const std::vector<uint8_t> &s, size_t begin, size_t end, std::vector<Header> &out) {
    out.clear();
    for (size_t at = begin; at < end;) {
        if (end - at < kHeader) return false;
        Header header;
        header.container = (s[at] & 0x0F) == 0x0F;
        header.type = load_u16(s.data() + at + 2);
        const uint32_t length = load_u32(s.data() + at + 4);
        header.body = at + kHeader;
        if (length > end - header.body) return false;
        header.end = header.body + length;
        out.push_back(header);
        at = header.end;
    }
    return true;
}

// Every container below fills its length exactly; the shape ids are gathered on the way.
bool walk_tree(const std::vector<uint8_t> &s, size_t begin, size_t end, int depth,
               std::vector<uint32_t> &ids) {
    if (depth > kDeepest) return false;
    std::vector<Header> list;
    if (!children(s, begin, end, list)) return false;
    for (const Header &h : list) {
        if (h.container && !walk_tree(s, h.body, h.end, depth + 1, ids)) return false;
        if (h.type == kFsp && !h.container) {
            if (h.end - h.body < 8) return false;
            ids.push_back(load_u32(s.data() + h.body));
        }
    }
    return true;
}

const Header *first_of(const std::vector<Header> &list, uint16_t type) {
    for (const Header &h : list) {
        if (h.type == type) return &h;
    }
    return nullptr;
}

// A shape's id and anchor, from its own container (a group's first child for a group).
bool describe_shape(const std::vector<uint8_t> &s, const Header &top, DrawingShape &shape) {
    std::vector<Header> list;
    children(s, top.body, top.end, list);  // checked by walk_tree
    if (top.type == kSpgrContainer) {
        if (list.empty() || list.front().type != kSpContainer) return false;
        const Header own = list.front();
        children(s, own.body, own.end, list);
    } else if (top.type != kSpContainer) {
        return false;
    }
    const Header *fsp = first_of(list, kFsp);
    if (!fsp) return false;
    shape.id_at = fsp->body;
    shape.id = load_u32(s.data() + fsp->body);
    if (const Header *anchor = first_of(list, kClientAnchor)) {
        if (anchor->end - anchor->body < kAnchorBytes) return false;
        shape.anchor_at = anchor->body;
    }
    shape.start = top.body - kHeader;
    shape.end = top.end;
    return true;
}

// A record that travels with the shape before it: its OBJ, TXO and their CONTINUE records, an
// embedded chart's substream.
bool client_record(const Record &record, bool nested) {
    return nested || record.number == rec::kObj || record.number == rec::kTxo ||
           record.number == rec::kContinue || record.number == rec::kImData;
}

// Stream bytes [from, to) without the removed ranges.
std::vector<uint8_t> stream_cut(const std::vector<uint8_t> &stream, size_t from, size_t to,
                                const std::vector<std::pair<size_t, size_t>> &removed) {
    std::vector<uint8_t> out;
    for (size_t at = from; at < to;) {
        auto hit = std::find_if(removed.begin(), removed.end(), [&](const auto &range) {
            return range.first <= at && at < range.second;
        });
        if (hit != removed.end()) {
            at = hit->second;
            continue;
        }
        out.push_back(stream[at]);
        ++at;
    }
    return out;
}

}  // namespace

void put_drawing_header(std::vector<uint8_t> &out, uint16_t ver_inst, uint16_t type,
                        uint32_t length) {
    put_u16(out, ver_inst);
    put_u16(out, type);
    put_u32(out, length);
}

Record new_drawing(uint16_t drawing_id, uint32_t group_id) {
    constexpr uint32_t kGroupShape = 8 + 16 + 8 + 8;  // FSPGR and FSP with their headers
    constexpr uint32_t kGroup = 8 + kGroupShape;
    constexpr uint32_t kFdgBytes = 8 + 8;
    std::vector<uint8_t> out;
    put_drawing_header(out, 0x000F, kDgContainer, kFdgBytes + 8 + kGroup);
    // The drawing's id is the FDG's instance; it counts one shape, the group's own.
    put_drawing_header(out, static_cast<uint16_t>(drawing_id << 4), kFdg, 8);
    put_u32(out, 1);
    put_u32(out, group_id);
    put_drawing_header(out, 0x000F, kSpgrContainer, kGroup);
    put_drawing_header(out, 0x000F, kSpContainer, kGroupShape);
    put_drawing_header(out, 0x0001, kFspgr, 16);
    out.resize(out.size() + 16);  // the group's own rectangle: none
    put_drawing_header(out, 0x0002, kFsp, 8);
    put_u32(out, group_id);
    put_u32(out, kGroupFlags);
    return Record{rec::kMsoDrawing, std::move(out)};
}

bool drawing_piece(uint16_t number, bool after_piece) {
    return number == rec::kMsoDrawing || (number == rec::kContinue && after_piece);
}

std::optional<SheetDrawing> read_drawing(const RecordList &objects) {
    SheetDrawing drawing;
    const std::vector<Record> &records = objects.records();
    std::vector<bool> nested(records.size());
    int depth = 0;
    bool after_piece = false;
    for (size_t i = 0; i < records.size(); ++i) {
        const Record &record = records[i];
        if (record.number == rec::kBof) ++depth;
        nested[i] = depth > 0;
        const bool piece = depth == 0 && drawing_piece(record.number, after_piece);
        if (record.number == rec::kEof && depth > 0) --depth;
        drawing.record_start.push_back(drawing.stream.size());
        drawing.in_stream.push_back(piece);
        if (piece) {
            drawing.stream.insert(drawing.stream.end(), record.data.begin(), record.data.end());
        }
        after_piece = piece;
        drawing.present = drawing.present || piece;
    }
    if (!drawing.present) return drawing;

    const std::vector<uint8_t> &s = drawing.stream;
    std::vector<Header> top;
    if (!children(s, 0, s.size(), top) || top.size() != 1 || top[0].type != kDgContainer ||
        !top[0].container || !walk_tree(s, 0, s.size(), 0, drawing.ids)) {
        return std::nullopt;
    }
    std::vector<Header> parts;
    children(s, top[0].body, top[0].end, parts);
    const Header *fdg = first_of(parts, kFdg);
    const Header *group = first_of(parts, kSpgrContainer);
    if (!fdg || fdg->end - fdg->body < 8 || !group) return std::nullopt;
    drawing.fdg_at = fdg->body;
    drawing.drawing_id = static_cast<uint16_t>(load_u16(s.data() + fdg->body - kHeader) >> 4);
    drawing.group_at = group->body - kHeader;
    std::vector<Header> members;
    children(s, group->body, group->end, members);
    for (const Header &member : members) {
        DrawingShape shape;
        if (!describe_shape(s, member, shape)) return std::nullopt;
        drawing.shapes.push_back(shape);
    }

    // Each shape's records: its pieces, the client records between them and, when it ends
    // with a piece, the client records after it.
    auto piece_of = [&](size_t byte) -> size_t {
        for (size_t i = 0; i < records.size(); ++i) {
            if (drawing.in_stream[i] && drawing.record_start[i] <= byte &&
                byte < drawing.record_start[i] + records[i].data.size()) {
                return i;
            }
        }
        return records.size();
    };
    for (DrawingShape &shape : drawing.shapes) {
        shape.first_record = piece_of(shape.start);
        const size_t last = piece_of(shape.end - 1);
        size_t end = last + 1;
        if (drawing.record_start[last] + records[last].data.size() == shape.end) {
            while (end < records.size() && !drawing.in_stream[end] &&
                   client_record(records[end], nested[end])) {
                ++end;
            }
        }
        shape.end_record = end;
        for (size_t i = shape.first_record + 1; i < end; ++i) {
            if (drawing.in_stream[i]) continue;
            if (!client_record(records[i], nested[i])) return std::nullopt;
            if (records[i].number == rec::kObj && !nested[i] && !shape.obj_record) {
                const std::vector<uint8_t> &body = records[i].data;
                if (body.size() < 8 || load_u16(body.data()) != 0x0015) return std::nullopt;
                shape.obj_record = i;
                shape.object_type = load_u16(body.data() + 4);
                shape.object_id = load_u16(body.data() + 6);
            }
        }
    }
    return drawing;
}

std::vector<Record> shape_records(const RecordList &objects, const SheetDrawing &drawing,
                                  const DrawingShape &shape) {
    std::vector<Record> out;
    bool after_piece = false;
    for (size_t i = shape.first_record; i < shape.end_record; ++i) {
        const Record &record = objects.records()[i];
        if (!drawing.in_stream[i]) {
            out.push_back(record);
            after_piece = false;
            continue;
        }
        const size_t from = std::max(shape.start, drawing.record_start[i]);
        const size_t to = std::min(shape.end, drawing.record_start[i] + record.data.size());
        if (from >= to) continue;
        // A copy starts its pieces with an MSODRAWING even where the drawing continued one.
        out.push_back(Record{after_piece ? record.number : rec::kMsoDrawing,
                             {drawing.stream.begin() + static_cast<ptrdiff_t>(from),
                              drawing.stream.begin() + static_cast<ptrdiff_t>(to)}});
        after_piece = true;
    }
    return out;
}

void patch_pieces(std::vector<Record> &records, size_t at, const std::vector<uint8_t> &bytes) {
    size_t start = 0;
    bool after_piece = false;
    for (Record &record : records) {
        const bool piece = drawing_piece(record.number, after_piece);
        after_piece = piece;
        if (!piece) continue;
        for (size_t k = 0; k < bytes.size(); ++k) {
            if (at + k >= start && at + k < start + record.data.size()) {
                record.data[at + k - start] = bytes[k];
            }
        }
        start += record.data.size();
    }
}

bool can_add_shapes(const SheetDrawing &drawing) {
    if (!drawing.present || drawing.shapes.empty()) return false;
    // New shapes follow the last one's client records, so its bytes must end with a piece.
    const DrawingShape &last = drawing.shapes.back();
    for (size_t i = last.end_record; i-- > last.first_record;) {
        if (!drawing.in_stream[i]) continue;
        const size_t piece_end = i + 1 < drawing.record_start.size() ? drawing.record_start[i + 1]
                                                                     : drawing.stream.size();
        return piece_end == last.end;
    }
    return false;
}

RecordList rebuild_drawing(const RecordList &objects, const SheetDrawing &drawing,
                           const DrawingEdit &edit) {
    const std::vector<Record> &records = objects.records();
    std::vector<uint8_t> stream = drawing.stream;
    std::vector<std::pair<size_t, size_t>> removed;
    std::vector<bool> dropped(records.size());
    for (const size_t index : edit.dropped_records) dropped[index] = true;
    std::vector<size_t> gone = edit.removed_shapes;
    std::sort(gone.begin(), gone.end());
    gone.erase(std::unique(gone.begin(), gone.end()), gone.end());
    size_t removed_bytes = 0;
    for (const size_t index : gone) {
        const DrawingShape &shape = drawing.shapes[index];
        removed.emplace_back(shape.start, shape.end);
        removed_bytes += shape.end - shape.start;
        for (size_t i = shape.first_record; i < shape.end_record; ++i) {
            if (!drawing.in_stream[i]) dropped[i] = true;
        }
    }
    size_t added_bytes = 0;
    for (const std::vector<Record> &shape : edit.added_shapes) {
        bool after_piece = false;
        for (const Record &record : shape) {
            after_piece = drawing_piece(record.number, after_piece);
            if (after_piece) added_bytes += record.data.size();
        }
    }
    auto grow = [&](size_t length_at) {
        store_u32(stream.data() + length_at,
                  static_cast<uint32_t>(load_u32(stream.data() + length_at) + added_bytes -
                                        removed_bytes));
    };
    grow(4);
    grow(drawing.group_at + 4);
    const uint32_t count = load_u32(stream.data() + drawing.fdg_at);
    store_u32(stream.data() + drawing.fdg_at,
              static_cast<uint32_t>(count + edit.added_shapes.size() -
                                    std::min<size_t>(count, gone.size())));
    const uint32_t last_id = load_u32(stream.data() + drawing.fdg_at + 4);
    store_u32(stream.data() + drawing.fdg_at + 4, std::max(last_id, edit.last_added_id));

    const size_t shapes_at =
        drawing.shapes.empty() ? records.size() : drawing.shapes.back().end_record;
    size_t notes_at = shapes_at;
    for (size_t i = 0; i < records.size(); ++i) {
        if (records[i].number == rec::kNote && !drawing.in_stream[i]) notes_at = i + 1;
    }
    RecordList out;
    bool after_piece = false;
    auto emit_added = [&](size_t at) {
        if (at == shapes_at) {
            for (const std::vector<Record> &shape : edit.added_shapes) {
                for (const Record &record : shape) out.append(record.number, record.data);
                after_piece = false;  // a shape's records end with its client records
            }
        }
        if (at == notes_at) {
            for (const Record &record : edit.added_notes) out.append(record.number, record.data);
            after_piece = after_piece && edit.added_notes.empty();
        }
    };
    for (size_t i = 0; i < records.size(); ++i) {
        emit_added(i);
        const Record &record = records[i];
        if (drawing.in_stream[i]) {
            const size_t from = drawing.record_start[i];
            std::vector<uint8_t> body =
                stream_cut(stream, from, from + record.data.size(), removed);
            if (body.empty() && !record.data.empty()) continue;
            // A piece whose MSODRAWING went starts the next run of pieces itself.
            out.append(after_piece ? record.number : rec::kMsoDrawing, std::move(body));
            after_piece = true;
        } else if (!dropped[i]) {
            out.append(record.number, record.data);
            after_piece = false;
        }
    }
    emit_added(records.size());
    return out;
}

}  // namespace tabrix::engine
