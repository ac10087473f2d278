// The cells of one sheet: complete BIFF cell record images (header and data) in row-major
// order. Appending after the last cell does no search; any other insert finds its row
// directly and its place inside the row by column, never walking the sheet from its start.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace tabrix::engine {

// Sort key of a cell record: row in bits 16-31, first column in 8-15, last column in 0-7.
constexpr uint32_t cell_key(uint32_t row, uint32_t first_column, uint32_t last_column) {
    return (row << 16) | (first_column << 8) | last_column;
}

// One stored record. `image` is the record as written to the stream: number (16-bit),
// data length (16-bit), data. MULRK and MULBLANK records cover first..last columns.
struct CellView {
    uint16_t number = 0;
    uint16_t row = 0;
    uint8_t first_column = 0;
    uint8_t last_column = 0;
    std::span<const uint8_t> image;

    std::span<const uint8_t> data() const { return image.subspan(4); }
    // The XF index of a single-cell record (data offset 4).
    uint16_t xf() const { return static_cast<uint16_t>(image[8] | image[9] << 8); }
    // The XF index of one covered column: the cell's own slot inside a MULRK or MULBLANK,
    // the record's XF otherwise.
    uint16_t xf_at(uint8_t column) const;
    // Where in the image that XF index lies.
    size_t xf_offset(uint8_t column) const;
    // A record a FORMULA carries behind it (its ARRAY or TABLE, its STRING), header
    // included; empty when it has none of that number.
    std::span<const uint8_t> carried(uint16_t record_number) const;
};

// The records of one row, contiguous in stored order, as the row blocks write them.
struct RowView {
    uint16_t row = 0;
    uint8_t first_column = 0;
    uint8_t last_column = 0;  // last covered column (inclusive)
    std::span<const uint8_t> bytes;
};

class CellStore {
  public:
    CellStore();
    ~CellStore();
    CellStore(const CellStore &) = delete;
    CellStore &operator=(const CellStore &) = delete;

    // Makes this store an independent copy of `source` (a sheet copy). Returns 0, or -40
    // when memory ran out; the store is then unchanged.
    int copy_from(const CellStore &source);

    // Stores a single-cell record image (row and column from data offsets 0 and 2), or a
    // MULRK/MULBLANK image covering a run. A record with the same key replaces the old one.
    // A single cell written inside a MULRK or MULBLANK run splits the run into the part
    // before, the new cell and the part after (a one-cell part becomes RK or BLANK, a longer
    // one stays MULRK or MULBLANK). A MULRK/MULBLANK image replaces every record it covers
    // and cuts runs it overlaps in part down to their cells outside it; a one-cell run image
    // is stored as RK or BLANK. A FORMULA image may carry right behind it the ARRAY or
    // TABLE record of the range it anchors, then the STRING record of its text result; a
    // LABEL, RSTRING or STRING may have behind it the CONTINUE records that hold the rest of
    // its text. They are kept as one cell. Returns 0, or (the store is then unchanged):
    //   -31 the image is shorter than a row, column and XF, its data-length field does not
    //       match its size, a STRING, ARRAY, TABLE or CONTINUE record stands alone, or a
    //       run's length does not match its first and last columns;
    //   -32 a column beyond 255, or a run whose last column is before its first;
    //   -40 memory ran out.
    int insert(std::span<const uint8_t> image);
    // insert() of an image its writer built as one plain cell record (no run, nothing carried
    // behind it, a column up to 255), without checking it again: the value writes' own path.
    int insert_plain(std::span<const uint8_t> image);

    // The record covering (row, column), if any. Views into the store (here and in the
    // visits below) stay valid until the next insert.
    bool find(uint16_t row, uint8_t column, CellView *out) const;

    // Visits every record in stored order; stops early when the visitor returns false. The
    // visitors must not insert.
    void for_each(const std::function<bool(const CellView &)> &visit) const;
    // Visits every record's data in stored order for a change in place that keeps its size,
    // row and columns (the tokens of a FORMULA, say); a FORMULA's data ends before the
    // records it carries. The visitor must not insert.
    void edit_each(const std::function<void(uint16_t number, std::span<uint8_t> data)> &edit);
    // Visits every record's whole image, what a FORMULA carries included, for a change in
    // place that keeps its size, row and columns. The visitor must not insert.
    void edit_images(const std::function<void(std::span<uint8_t> image)> &edit);
    // Visits every row that holds records, ascending.
    void for_each_row(const std::function<void(const RowView &)> &visit) const;

    // Removes every record of the row and gives its memory back.
    void drop_row(uint16_t row);

    // Structure edits. The caller checks the bounds: nothing may move past row 65535 or
    // column 255, and the rows or columns a move lands on are empty.
    //
    // Rows at or below `from` move by `by` rows (negative: up), their records renumbered.
    void shift_rows(uint16_t from, int32_t by);
    // Cells at or right of column `from` move by `by` columns in every row; a run crossing
    // `from` is split there first.
    void shift_columns(uint8_t from, int32_t by);
    // Removes the cells of rows first_row..last_row and columns first_column..last_column;
    // a run crossing the rectangle keeps its cells outside it.
    void clear_block(uint16_t first_row, uint16_t last_row, uint8_t first_column,
                     uint8_t last_column);
    // Appends to `out` the images of the cells inside the rectangle, back to back in stored
    // order, a run cut down to its cells inside.
    void copy_block(uint16_t first_row, uint16_t last_row, uint8_t first_column,
                    uint8_t last_column, std::vector<uint8_t> &out) const;
    // Highest row holding records, -1 for none.
    int32_t last_row() const;

    bool empty() const;
    size_t record_count() const;
    size_t byte_total() const;  // bytes the records occupy on disk, headers included

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace tabrix::engine
