// C entry point: the cells of a sheet of a workbook's file, many in one call, into the
// caller's cell array and text buffer.
#include <algorithm>
#include <cstdint>

#include "engine/exports/boundary.h"
#include "engine/read/read_mode/block_walk.h"
#include "tabrix.h"

using namespace tabrix::engine;

namespace {

// The caller's cells and text buffer, filled from the front.
class CellBlock {
  public:
    CellBlock(XLWALKCELL *cells, int32_t capacity, char16_t *text, int32_t text_size)
        : cells_(cells),
          capacity_(static_cast<size_t>(capacity)),
          text_(text),
          text_size_(text && text_size > 0 ? static_cast<size_t>(text_size) : 0) {}

    size_t count() const { return count_; }
    bool fits(size_t cells, size_t units) const {
        return capacity_ - count_ >= cells && text_size_ - text_used_ >= units;
    }

    void put(const BlockCell &walked) {
        XLWALKCELL &cell = cells_[count_++];
        cell.x = walked.column;
        cell.y = walked.row;
        cell.xf = walked.xf;
        cell.kind = walked.kind;
        cell.value = walked.value;
        cell.text = static_cast<int32_t>(text_used_);
        cell.length = static_cast<int32_t>(walked.text.size());
        std::copy(walked.text.begin(), walked.text.end(), text_ + text_used_);
        text_used_ += walked.text.size();
    }

  private:
    XLWALKCELL *cells_;
    size_t capacity_;
    char16_t *text_;
    size_t text_size_;
    size_t count_ = 0;
    size_t text_used_ = 0;
};

}  // namespace

extern "C" {

TABRIX_API int32_t XM_WalkCellsW(int32_t h, int32_t s, int32_t position, XLWALKCELL *cells,
                                 int32_t capacity, char16_t *text, int32_t text_size,
                                 int32_t *count) {
    if (count) *count = 0;
    return guarded([&] {
        const BookRef ref = book_ref(h);
        if (!ref.book) return ref.missing;
        if (!cells || capacity <= 0 || !count) return err::kParam;
        CellBlock block(cells, capacity, text, text_size);
        const int32_t next = walk_cell_block(*ref.book, s, position, block);
        *count = static_cast<int32_t>(block.count());
        return next;
    });
}

}  // extern "C"
