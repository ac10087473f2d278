// The walk over a sheet's cells many at a time, for readers that go through whole sheets
// (one call per cell costs more than the cell itself). Whole records are delivered into a
// block while they fit; the walk returns where the next call goes on.
//
// The records nearly every sheet is made of (RK, NUMBER, LABELSST, BLANK, MULRK, MULBLANK,
// and the ROW and DBCELL records between them) are read straight from the stream, one branch
// on the record number each; every other record takes the general decoding.
#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/biff/errors.h"
#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"
#include "engine/biff/record_reader.h"
#include "engine/model/workbook.h"
#include "engine/read/read_mode/cell_values.h"
#include "engine/read/read_mode/cell_walk_records.h"

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
BlockCell walked_of(const CellValue &value, uint16_t row, uint16_t column);

// What the walk returns instead of a position.
inline constexpr int32_t kBlockSheetEnd = 0;       // the sheet's EOF (also a chart sheet)
inline constexpr int32_t kBlockSheetObjects = -1;  // the sheet's first drawing object
inline constexpr int32_t kBlockNoFile = err::of(errMode);

// The cells of one record that the general decoding read; a single cell's text is held in
// `value`, so the cells live as long as this.
struct DecodedRecord {
    CellValue value;
    std::vector<BlockCell> cells;  // grown when first needed: most walks never need it
    size_t units = 0;              // text units of all the cells
};

// The sheet's stream and what the walk needs besides its fast path.
class BlockWalkSource {
  public:
    // Returned by start() when the walk goes on.
    static constexpr int32_t kGoOn = INT32_MIN;

    // Sets the walk up at `position` (at or before the sheet's BOF: its start): kGoOn, or
    // what the walk returns at once (kBlockNoFile, err::kParam for no such sheet,
    // kBlockSheetEnd for a sheet without cells).
    int32_t start(Workbook &book, int32_t sheet, int32_t position);

    std::span<const uint8_t> stream() const { return stream_; }
    size_t offset() const { return offset_; }
    const std::vector<std::u16string> &shared_strings() const { return *shared_; }

    // The record at `at` (its number and data as given), decoded the general way: false for
    // one that is no cell record or cannot be read. `at` moves past it and past the
    // CONTINUE and STRING records read with it.
    bool decode(size_t &at, uint16_t number, std::span<const uint8_t> data, DecodedRecord &out);

  private:
    const WorkbookReader *reader_ = nullptr;
    std::span<const uint8_t> stream_;
    size_t offset_ = 0;
    const std::vector<std::u16string> *shared_ = nullptr;
};

// Where a walk that stopped before the record at `offset` goes on: there, or a refusal when
// not even an empty block holds that record.
inline int32_t block_stop_before(size_t offset, size_t delivered) {
    if (delivered == 0) return err::kParam;
    return offset > INT32_MAX ? kBlockSheetEnd : static_cast<int32_t>(offset);
}

// Where the walked cells go, `Block` offers:
//   size_t count() const;                         cells delivered so far
//   bool fits(size_t cells, size_t units) const;  whether so many more cells and text units fit
//   void put(const BlockCell &cell);              a cell that fits
//
// The cells of `sheet` from `position` on (at or before its BOF: its start), whole records
// while they fit: the position to go on from, or kBlockSheetEnd, kBlockSheetObjects,
// kBlockNoFile for a workbook made from no file, err::kParam for no such sheet or a next
// record that does not fit an empty block. Records of embedded charts are stepped over,
// unreadable cell records skipped, a formula gives its result.
template <class Block>
int32_t walk_cell_block(Workbook &book, int32_t sheet, int32_t position, Block &block) {
    BlockWalkSource source;
    if (const int32_t refusal = source.start(book, sheet, position);
        refusal != BlockWalkSource::kGoOn) {
        return refusal;
    }
    const std::span<const uint8_t> stream = source.stream();
    const uint8_t *const bytes = stream.data();
    const size_t size = stream.size();
    const std::vector<std::u16string> &shared = source.shared_strings();
    DecodedRecord decoded;
    size_t depth = 0;  // inside an embedded chart's substream
    for (size_t at = source.offset(); at < size && size - at >= 4;) {
        const uint8_t *header = bytes + at;
        const uint16_t number = load_u16(header);
        const size_t length = load_u16(header + 2);
        if (length > size - at - 4) break;  // a record that runs past the stream
        const uint8_t *data = header + 4;
        const size_t next = at + 4 + length;
        if (depth == 0) {
            switch (number) {
                case rec::kRk: {
                    if (length < 10 || load_u16(data + 2) > 255) break;
                    if (!block.fits(1, 0)) return block_stop_before(at, block.count());
                    const uint32_t rk = load_u32(data + 6);
                    block.put({load_u16(data),
                               load_u16(data + 2),
                               load_u16(data + 4),
                               rk_is_integer(rk) ? kBlockInteger : kBlockNumber,
                               rk_value(rk),
                               {}});
                    break;
                }
                case rec::kNumber: {
                    if (length < 14 || load_u16(data + 2) > 255) break;
                    if (!block.fits(1, 0)) return block_stop_before(at, block.count());
                    block.put({load_u16(data),
                               load_u16(data + 2),
                               load_u16(data + 4),
                               kBlockNumber,
                               load_f64(data + 6),
                               {}});
                    break;
                }
                case rec::kLabelSst: {
                    if (length < 10 || load_u16(data + 2) > 255) break;
                    const uint32_t index = load_u32(data + 6);
                    if (index >= shared.size()) break;  // unreadable
                    const std::u16string &text = shared[index];
                    if (!block.fits(1, text.size())) return block_stop_before(at, block.count());
                    block.put({load_u16(data), load_u16(data + 2), load_u16(data + 4), kBlockText,
                               0, text});
                    break;
                }
                case rec::kBlank:
                    if (length < 6 || load_u16(data + 2) > 255) break;
                    if (!block.fits(1, 0)) return block_stop_before(at, block.count());
                    block.put({load_u16(data),
                               load_u16(data + 2),
                               load_u16(data + 4),
                               kBlockBlank,
                               0,
                               {}});
                    break;
                case rec::kMulRk:
                case rec::kMulBlank: {
                    // Row, first column, then an XF (and RK) per element, up to column 255.
                    const size_t element = number == rec::kMulRk ? 6 : 2;
                    const uint16_t first = length >= 6 ? load_u16(data + 2) : 256;
                    const size_t elements = length >= 6 ? (length - 6) / element : 0;
                    if (first > 255 || elements == 0) break;
                    const size_t count = std::min<size_t>(elements, 256 - first);
                    if (!block.fits(count, 0)) return block_stop_before(at, block.count());
                    const uint16_t row = load_u16(data);
                    for (size_t i = 0; i < count; ++i) {
                        const uint8_t *item = data + 4 + element * i;
                        const auto column = static_cast<uint16_t>(first + i);
                        if (element == 2) {
                            block.put({row, column, load_u16(item), kBlockBlank, 0, {}});
                            continue;
                        }
                        const uint32_t rk = load_u32(item + 2);
                        block.put({row,
                                   column,
                                   load_u16(item),
                                   rk_is_integer(rk) ? kBlockInteger : kBlockNumber,
                                   rk_value(rk),
                                   {}});
                    }
                    break;
                }
                case rec::kRow:
                case rec::kDbCell:
                    break;
                case rec::kBof:
                    ++depth;
                    break;
                case rec::kEof:
                    return kBlockSheetEnd;
                default: {
                    if (ends_cell_walk(number)) return kBlockSheetObjects;
                    size_t after = at;
                    if (!source.decode(after, number, {data, length}, decoded)) {
                        at = after;
                        continue;
                    }
                    if (!block.fits(decoded.cells.size(), decoded.units)) {
                        return block_stop_before(at, block.count());
                    }
                    for (const BlockCell &cell : decoded.cells) block.put(cell);
                    at = after;
                    continue;
                }
            }
        } else if (number == rec::kBof) {
            ++depth;
        } else if (number == rec::kEof) {
            --depth;
        }
        at = next;
    }
    return kBlockSheetEnd;
}

}  // namespace tabrix::engine
