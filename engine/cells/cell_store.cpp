// Rows are reached through a two-level table (256 pages of 256 rows), so any row is found
// without walking the sheet. Each row keeps its record images back to back in column order
// in one byte vector: the row-block writer takes a row as one span, and a cell costs only its
// own bytes. Records inside a row are found by walking that row, which is at most 256 records.
#include "engine/cells/cell_store.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <vector>

#include "engine/biff/errors.h"
#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"
#include "platform/memory_arena.h"

namespace tabrix::engine {
namespace {

constexpr size_t kHeaderBytes = 4;
// Row, column and XF: the fields every cell record starts with.
constexpr size_t kMinimumDataBytes = 6;
// Row and first column before the cells of a run, last column after them.
constexpr size_t kRunFrameBytes = 6;
constexpr size_t kRowsPerPage = 256;
constexpr size_t kPages = 65536 / kRowsPerPage;

// A row's record images, in the store's arena.
using RowBytes = std::vector<uint8_t, platform::ArenaAllocator<uint8_t>>;

// Bytes of the record at p, together with the records a FORMULA carries behind it: the
// ARRAY or TABLE record of the formula range it anchors, then the STRING record of a text
// result; and the CONTINUE records that hold the rest of a long text (a LABEL's, a STRING's).
// They are all one cell. `available` bytes are readable from p.
size_t record_size(const uint8_t *p, size_t available) {
    size_t size = kHeaderBytes + load_u16(p + 2);
    const auto follows = [&](uint16_t number) {
        return size + kHeaderBytes <= available && load_u16(p + size) == number;
    };
    const auto take_continues = [&] {
        while (follows(rec::kContinue)) size += kHeaderBytes + load_u16(p + size + 2);
    };
    take_continues();
    if (load_u16(p) != rec::kFormula) return size;
    if (follows(rec::kArray) || follows(rec::kTable)) size += kHeaderBytes + load_u16(p + size + 2);
    if (follows(rec::kString)) {
        size += kHeaderBytes + load_u16(p + size + 2);
        take_continues();
    }
    return size;
}

// Records stored only behind their FORMULA or text record.
bool is_carried(uint16_t number) {
    return number == rec::kString || number == rec::kArray || number == rec::kTable ||
           number == rec::kContinue;
}

bool is_run(uint16_t number) {
    return number == rec::kMulRk || number == rec::kMulBlank;
}

// Bytes per cell inside a run: XF and RK value for MULRK, XF alone for MULBLANK.
size_t run_cell_bytes(uint16_t number) {
    return number == rec::kMulRk ? 6 : 2;
}

// Where one record sits inside a row's bytes and which columns it covers.
struct Slot {
    size_t offset = 0;
    size_t size = 0;
    uint16_t number = 0;
    uint8_t first = 0;
    uint8_t last = 0;
};

// Reads a record that insert() has already checked.
Slot slot_at(std::span<const uint8_t> bytes, size_t offset) {
    const uint8_t *p = bytes.data() + offset;
    Slot slot;
    slot.offset = offset;
    slot.number = load_u16(p);
    slot.size = record_size(p, bytes.size() - offset);
    slot.first = static_cast<uint8_t>(load_u16(p + 6));
    slot.last =
        is_run(slot.number) ? static_cast<uint8_t>(load_u16(p + slot.size - 2)) : slot.first;
    return slot;
}

// Checks an image handed to insert() and describes it (offset 0).
int check_image(std::span<const uint8_t> image, Slot *out) {
    if (image.size() < kHeaderBytes + kMinimumDataBytes) return err::kLength;
    const uint8_t *p = image.data();
    if (is_carried(load_u16(p)) || record_size(p, image.size()) != image.size())
        return err::kLength;
    Slot slot;
    slot.number = load_u16(p);
    slot.size = image.size();
    const uint16_t first = load_u16(p + 6);
    if (first > 255) return err::kPosition;
    slot.first = slot.last = static_cast<uint8_t>(first);
    if (is_run(slot.number)) {
        const size_t data_bytes = image.size() - kHeaderBytes;
        const size_t cell_bytes = run_cell_bytes(slot.number);
        if (data_bytes < kRunFrameBytes + cell_bytes ||
            (data_bytes - kRunFrameBytes) % cell_bytes != 0) {
            return err::kLength;
        }
        const uint16_t last = load_u16(p + image.size() - 2);
        if (last > 255 || last < first) return err::kPosition;
        if (last - first + 1u != (data_bytes - kRunFrameBytes) / cell_bytes) return err::kLength;
        slot.last = static_cast<uint8_t>(last);
    }
    *out = slot;
    return 0;
}

// Appends the part from..to of the run at `run` inside `source`: RK or BLANK for one
// cell, a shorter MULRK or MULBLANK otherwise.
template <class Bytes>
void append_run_part(Bytes &out, const uint8_t *source, const Slot &run, uint8_t from, uint8_t to) {
    const uint8_t *data = source + run.offset + kHeaderBytes;
    const size_t cell_bytes = run_cell_bytes(run.number);
    const uint8_t *cells = data + 4 + (from - run.first) * cell_bytes;
    const size_t count = static_cast<size_t>(to - from) + 1;
    const bool single = count == 1;
    const size_t data_bytes = single ? 4 + cell_bytes : kRunFrameBytes + count * cell_bytes;
    const size_t start = out.size();
    out.resize(start + kHeaderBytes + data_bytes);
    uint8_t *p = out.data() + start;
    store_u16(p, single ? (run.number == rec::kMulRk ? rec::kRk : rec::kBlank) : run.number);
    store_u16(p + 2, static_cast<uint16_t>(data_bytes));
    std::memcpy(p + 4, data, 2);  // row
    store_u16(p + 6, from);
    std::memcpy(p + 8, cells, count * cell_bytes);
    if (!single) store_u16(p + 8 + count * cell_bytes, to);
}

// Appends the part from..to of the record at `slot` inside `source` (a single cell: the whole
// record with what it carries), its columns moved by `shift`.
template <class Bytes>
void append_moved(Bytes &out, const uint8_t *source, const Slot &slot, uint8_t from, uint8_t to,
                  int32_t shift) {
    const size_t start = out.size();
    if (is_run(slot.number)) {
        append_run_part(out, source, slot, from, to);
    } else {
        out.insert(out.end(), source + slot.offset, source + slot.offset + slot.size);
    }
    if (shift == 0) return;
    uint8_t *p = out.data() + start;
    store_u16(p + 6, static_cast<uint16_t>(from + shift));
    if (is_run(load_u16(p))) {
        store_u16(out.data() + out.size() - 2, static_cast<uint16_t>(to + shift));
    }
}

}  // namespace

size_t CellView::xf_offset(uint8_t column) const {
    if (!is_run(number) || column < first_column || column > last_column) return 8;
    return 8 + (column - first_column) * run_cell_bytes(number);
}

std::span<const uint8_t> CellView::carried(uint16_t record_number) const {
    if (number != rec::kFormula) return {};
    for (size_t at = kHeaderBytes + load_u16(image.data() + 2); at < image.size();) {
        const size_t size = kHeaderBytes + load_u16(image.data() + at + 2);
        if (load_u16(image.data() + at) == record_number) return image.subspan(at, size);
        at += size;
    }
    return {};
}

uint16_t CellView::xf_at(uint8_t column) const {
    return load_u16(image.data() + xf_offset(column));
}

struct CellStore::Impl {
    struct Row {
        explicit Row(platform::MemoryArena &arena)
            : bytes(platform::ArenaAllocator<uint8_t>(arena)) {}
        RowBytes bytes;
        uint8_t first_column = 0;
        uint8_t last_column = 0;
    };
    class Page {
      public:
        explicit Page(platform::MemoryArena &arena) {
            rows_.reserve(kRowsPerPage);
            for (size_t i = 0; i < kRowsPerPage; ++i) rows_.emplace_back(arena);
        }
        Row &operator[](size_t index) { return rows_[index]; }
        const Row &operator[](size_t index) const { return rows_[index]; }
        auto begin() { return rows_.begin(); }
        auto end() { return rows_.end(); }

      private:
        std::vector<Row> rows_;
    };

    // Before the rows: they give their memory back to it.
    platform::MemoryArena arena;
    std::array<std::unique_ptr<Page>, kPages> pages;

    ~Impl() { arena.closing(); }
    size_t records = 0;
    size_t bytes = 0;
    int32_t tail_row = -1;  // highest row holding records

    const Row *row_at(uint16_t row) const {
        const auto &page = pages[row / kRowsPerPage];
        return page ? &(*page)[row % kRowsPerPage] : nullptr;
    }

    Row &make_row(uint16_t row) {
        auto &page = pages[row / kRowsPerPage];
        if (!page) page = std::make_unique<Page>(arena);
        return (*page)[row % kRowsPerPage];
    }

    bool extend_tail_row(std::span<const uint8_t> image, uint8_t first, uint8_t last) noexcept;
    // The record anywhere: behind the tail, in a new row or inside a row.
    int insert(std::span<const uint8_t> image, const Slot &in);
    int place(std::span<const uint8_t> image, const Slot &in);
    // Rebuilds a row: `part(out, bytes, slot)` appends what stays of each record to `out`.
    template <class Part>
    void rebuild_row(uint16_t row_number, Part &&part);
    void find_tail_from(int32_t row);
    void append_to_new_row(Row &row, std::span<const uint8_t> image, const Slot &in,
                           uint16_t row_number);
    void insert_into_row(Row &row, std::span<const uint8_t> image, const Slot &in);
};

// A sheet written row by row adds each record after the last of the highest row: that takes
// only the row's own bytes, with no search and no allocation, while the row has room. False
// when the record belongs anywhere else or the row must grow (place() grows it).
inline bool CellStore::Impl::extend_tail_row(std::span<const uint8_t> image, uint8_t first,
                                             uint8_t last) noexcept {
    if (tail_row < 0 || load_u16(image.data() + 4) != tail_row) return false;
    Row &row = (*pages[static_cast<size_t>(tail_row) / kRowsPerPage])[tail_row % kRowsPerPage];
    if (first <= row.last_column || row.bytes.capacity() - row.bytes.size() < image.size()) {
        return false;
    }
    row.bytes.insert(row.bytes.end(), image.begin(), image.end());
    row.last_column = last;
    ++records;
    bytes += image.size();
    return true;
}

int CellStore::Impl::insert(std::span<const uint8_t> image, const Slot &in) {
    return extend_tail_row(image, in.first, in.last) ? 0 : place(image, in);
}

int CellStore::Impl::place(std::span<const uint8_t> image, const Slot &in) {
    const uint16_t row_number = load_u16(image.data() + 4);
    Row &row = make_row(row_number);
    if (row_number > tail_row) {
        append_to_new_row(row, image, in, row_number);
    } else {
        insert_into_row(row, image, in);
    }
    return 0;
}

void CellStore::Impl::append_to_new_row(Row &row, std::span<const uint8_t> image, const Slot &in,
                                        uint16_t row_number) {
    // Rows of a sheet tend to be alike: the new row starts with the room the last one took,
    // so it fills without regrowing, and the row left behind, which takes no more appends,
    // gives back any growth slack.
    size_t room = image.size();
    if (tail_row >= 0) {
        RowBytes &previous = make_row(static_cast<uint16_t>(tail_row)).bytes;
        previous.shrink_to_fit();
        room = std::max(room, previous.size());
    }
    row.bytes.reserve(room);
    row.bytes.assign(image.begin(), image.end());
    row.first_column = in.first;
    row.last_column = in.last;
    tail_row = row_number;
    ++records;
    bytes += image.size();
}

// Replaces the records of the row that overlap the new one: a record wholly covered goes, a
// run reaching out on either side keeps its cells outside the new record.
void CellStore::Impl::insert_into_row(Row &row, std::span<const uint8_t> image, const Slot &in) {
    const RowBytes &old = row.bytes;
    size_t begin = 0;
    while (begin < old.size()) {
        const Slot slot = slot_at(old, begin);
        if (slot.last >= in.first) break;
        begin += slot.size;
    }
    size_t end = begin;
    size_t removed = 0;
    Slot first_hit, last_hit;
    while (end < old.size()) {
        const Slot slot = slot_at(old, end);
        if (slot.first > in.last) break;
        if (removed == 0) first_hit = slot;
        last_hit = slot;
        ++removed;
        end += slot.size;
    }

    // Without overlap the image goes in as it is; otherwise it takes the place of the
    // overlapped records together with what is left of runs on either side.
    std::span<const uint8_t> piece = image;
    std::vector<uint8_t> replacement;
    size_t added = 1;
    if (removed > 0) {
        replacement.reserve(image.size() + (end - begin) + 2 * (kHeaderBytes + kRunFrameBytes));
        if (first_hit.first < in.first) {
            append_run_part(replacement, old.data(), first_hit, first_hit.first,
                            static_cast<uint8_t>(in.first - 1));
            ++added;
        }
        replacement.insert(replacement.end(), image.begin(), image.end());
        if (last_hit.last > in.last) {
            append_run_part(replacement, old.data(), last_hit, static_cast<uint8_t>(in.last + 1),
                            last_hit.last);
            ++added;
        }
        piece = replacement;
    }

    const size_t new_size = old.size() - (end - begin) + piece.size();
    const bool was_empty = old.empty();
    if (new_size > old.capacity()) {
        // Build the grown row aside so that a failed allocation leaves the row as it was.
        RowBytes grown(row.bytes.get_allocator());
        grown.reserve(was_empty ? new_size : new_size + new_size / 4);
        grown.insert(grown.end(), old.begin(), old.begin() + static_cast<ptrdiff_t>(begin));
        grown.insert(grown.end(), piece.begin(), piece.end());
        grown.insert(grown.end(), old.begin() + static_cast<ptrdiff_t>(end), old.end());
        row.bytes.swap(grown);
    } else {
        auto at = row.bytes.erase(row.bytes.begin() + static_cast<ptrdiff_t>(begin),
                                  row.bytes.begin() + static_cast<ptrdiff_t>(end));
        row.bytes.insert(at, piece.begin(), piece.end());
    }
    row.first_column = was_empty ? in.first : std::min(row.first_column, in.first);
    row.last_column = was_empty ? in.last : std::max(row.last_column, in.last);
    records = records + added - removed;
    bytes = bytes + piece.size() - (end - begin);
}

template <class Part>
void CellStore::Impl::rebuild_row(uint16_t row_number, Part &&part) {
    const Row *found = row_at(row_number);
    if (found == nullptr || found->bytes.empty()) return;
    Row &row = make_row(row_number);
    RowBytes out(row.bytes.get_allocator());
    out.reserve(row.bytes.size() + 2 * (kHeaderBytes + kRunFrameBytes));
    size_t old_count = 0;
    for (size_t offset = 0; offset < row.bytes.size(); ++old_count) {
        const Slot slot = slot_at(row.bytes, offset);
        part(out, row.bytes.data(), slot);
        offset += slot.size;
    }
    size_t new_count = 0;
    for (size_t offset = 0; offset < out.size(); ++new_count) {
        const Slot slot = slot_at(out, offset);
        if (offset == 0) row.first_column = slot.first;
        row.last_column = slot.last;
        offset += slot.size;
    }
    records = records - old_count + new_count;
    bytes = bytes - row.bytes.size() + out.size();
    row.bytes.swap(out);
    if (row.bytes.empty()) {
        RowBytes(row.bytes.get_allocator()).swap(row.bytes);
        row.first_column = row.last_column = 0;
        if (row_number == tail_row) find_tail_from(row_number - 1);
    }
}

// The tail is the highest row at or above `row` that holds records.
void CellStore::Impl::find_tail_from(int32_t row) {
    while (row >= 0) {
        const Row *candidate = row_at(static_cast<uint16_t>(row));
        if (candidate && !candidate->bytes.empty()) break;
        --row;
    }
    tail_row = row;
}

CellStore::CellStore() : impl_(std::make_unique<Impl>()) {}
CellStore::~CellStore() = default;

int CellStore::insert(std::span<const uint8_t> image) {
    Slot in;
    if (const int rc = check_image(image, &in); rc != 0) return rc;
    try {
        if (is_run(in.number) && in.first == in.last) {
            // A run of one cell is stored as the single-cell record it stands for.
            std::vector<uint8_t> single;
            append_run_part(single, image.data(), in, in.first, in.last);
            Slot cell;
            check_image(single, &cell);
            return impl_->insert(single, cell);
        }
        return impl_->insert(image, in);
    } catch (const std::bad_alloc &) {
        return err::kMemory;
    }
}

int CellStore::insert_plain(std::span<const uint8_t> image) {
    const auto column = static_cast<uint8_t>(load_u16(image.data() + 6));
    if (impl_->extend_tail_row(image, column, column)) return 0;
    Slot in;
    in.size = image.size();
    in.number = load_u16(image.data());
    in.first = in.last = column;
    try {
        return impl_->place(image, in);
    } catch (const std::bad_alloc &) {
        return err::kMemory;
    }
}

int CellStore::copy_from(const CellStore &source) {
    if (&source == this) return 0;
    try {
        auto copy = std::make_unique<Impl>();
        for (size_t page = 0; page < kPages; ++page) {
            if (!source.impl_->pages[page]) continue;
            copy->pages[page] = std::make_unique<Impl::Page>(copy->arena);
            for (size_t index = 0; index < kRowsPerPage; ++index) {
                const Impl::Row &from = (*source.impl_->pages[page])[index];
                Impl::Row &to = (*copy->pages[page])[index];
                to.bytes.assign(from.bytes.begin(), from.bytes.end());
                to.first_column = from.first_column;
                to.last_column = from.last_column;
            }
        }
        copy->records = source.impl_->records;
        copy->bytes = source.impl_->bytes;
        copy->tail_row = source.impl_->tail_row;
        impl_ = std::move(copy);
        return 0;
    } catch (const std::bad_alloc &) {
        return err::kMemory;
    }
}

bool CellStore::find(uint16_t row, uint8_t column, CellView *out) const {
    const Impl::Row *r = impl_->row_at(row);
    if (r == nullptr || r->bytes.empty() || column < r->first_column || column > r->last_column) {
        return false;
    }
    for (size_t offset = 0; offset < r->bytes.size();) {
        const Slot slot = slot_at(r->bytes, offset);
        if (slot.first > column) return false;
        if (slot.last >= column) {
            if (out != nullptr) {
                *out = CellView{slot.number, row, slot.first, slot.last,
                                std::span<const uint8_t>(r->bytes.data() + offset, slot.size)};
            }
            return true;
        }
        offset += slot.size;
    }
    return false;
}

void CellStore::for_each(const std::function<bool(const CellView &)> &visit) const {
    for (size_t page = 0; page < kPages; ++page) {
        if (!impl_->pages[page]) continue;
        for (size_t index = 0; index < kRowsPerPage; ++index) {
            const RowBytes &bytes = (*impl_->pages[page])[index].bytes;
            const auto row = static_cast<uint16_t>(page * kRowsPerPage + index);
            for (size_t offset = 0; offset < bytes.size();) {
                const Slot slot = slot_at(bytes, offset);
                const CellView view{slot.number, row, slot.first, slot.last,
                                    std::span<const uint8_t>(bytes.data() + offset, slot.size)};
                if (!visit(view)) return;
                offset += slot.size;
            }
        }
    }
}

void CellStore::edit_each(
    const std::function<void(uint16_t number, std::span<uint8_t> data)> &edit) {
    for (auto &page : impl_->pages) {
        if (!page) continue;
        for (Impl::Row &row : *page) {
            for (size_t offset = 0; offset < row.bytes.size();) {
                const Slot slot = slot_at(row.bytes, offset);
                uint8_t *p = row.bytes.data() + offset;
                edit(slot.number, std::span<uint8_t>(p + kHeaderBytes, load_u16(p + 2)));
                offset += slot.size;
            }
        }
    }
}

void CellStore::edit_images(const std::function<void(std::span<uint8_t> image)> &edit) {
    for (auto &page : impl_->pages) {
        if (!page) continue;
        for (Impl::Row &row : *page) {
            for (size_t offset = 0; offset < row.bytes.size();) {
                const Slot slot = slot_at(row.bytes, offset);
                edit(std::span<uint8_t>(row.bytes.data() + offset, slot.size));
                offset += slot.size;
            }
        }
    }
}

void CellStore::for_each_row(const std::function<void(const RowView &)> &visit) const {
    for (size_t page = 0; page < kPages; ++page) {
        if (!impl_->pages[page]) continue;
        for (size_t index = 0; index < kRowsPerPage; ++index) {
            const Impl::Row &r = (*impl_->pages[page])[index];
            if (r.bytes.empty()) continue;
            visit(RowView{static_cast<uint16_t>(page * kRowsPerPage + index), r.first_column,
                          r.last_column, std::span<const uint8_t>(r.bytes)});
        }
    }
}

void CellStore::drop_row(uint16_t row) {
    auto &page = impl_->pages[row / kRowsPerPage];
    if (!page) return;
    Impl::Row &r = (*page)[row % kRowsPerPage];
    for (size_t offset = 0; offset < r.bytes.size();) {
        const Slot slot = slot_at(r.bytes, offset);
        --impl_->records;
        impl_->bytes -= slot.size;
        offset += slot.size;
    }
    // Swap, not clear: the point is to hand the memory back.
    RowBytes(r.bytes.get_allocator()).swap(r.bytes);
    r.first_column = r.last_column = 0;
    if (row == impl_->tail_row) impl_->find_tail_from(row - 1);
}

void CellStore::shift_rows(uint16_t from, int32_t by) {
    if (by == 0 || impl_->tail_row < from) return;
    const int32_t last = impl_->tail_row;
    auto move = [&](int32_t row) {
        const Impl::Row *found = impl_->row_at(static_cast<uint16_t>(row));
        if (found == nullptr || found->bytes.empty()) return;
        const auto target = static_cast<uint16_t>(row + by);
        Impl::Row &source = impl_->make_row(static_cast<uint16_t>(row));
        Impl::Row &moved = impl_->make_row(target);
        std::swap(source, moved);
        for (size_t offset = 0; offset < moved.bytes.size();) {
            const Slot slot = slot_at(moved.bytes, offset);
            store_u16(moved.bytes.data() + offset + kHeaderBytes, target);
            offset += slot.size;
        }
    };
    if (by > 0) {
        for (int32_t row = last; row >= from; --row) move(row);
    } else {
        for (int32_t row = from; row <= last; ++row) move(row);
    }
    impl_->tail_row = last + by;
}

void CellStore::shift_columns(uint8_t from, int32_t by) {
    if (by == 0) return;
    for (int32_t row = 0; row <= impl_->tail_row; ++row) {
        const Impl::Row *found = impl_->row_at(static_cast<uint16_t>(row));
        if (found == nullptr || found->last_column < from || found->bytes.empty()) continue;
        impl_->rebuild_row(static_cast<uint16_t>(row), [&](RowBytes &out, const uint8_t *source,
                                                           const Slot &slot) {
            if (slot.last < from) {
                append_moved(out, source, slot, slot.first, slot.last, 0);
                return;
            }
            if (slot.first < from) {
                append_moved(out, source, slot, slot.first, static_cast<uint8_t>(from - 1), 0);
            }
            append_moved(out, source, slot, std::max(slot.first, from), slot.last, by);
        });
    }
}

void CellStore::clear_block(uint16_t first_row, uint16_t last_row, uint8_t first_column,
                            uint8_t last_column) {
    const int32_t end = std::min<int32_t>(last_row, impl_->tail_row);
    for (int32_t row = first_row; row <= end; ++row) {
        if (first_column == 0 && last_column == 255) {
            drop_row(static_cast<uint16_t>(row));
            continue;
        }
        const Impl::Row *found = impl_->row_at(static_cast<uint16_t>(row));
        if (found == nullptr || found->bytes.empty() || found->last_column < first_column ||
            found->first_column > last_column) {
            continue;
        }
        impl_->rebuild_row(static_cast<uint16_t>(row), [&](RowBytes &out, const uint8_t *source,
                                                           const Slot &slot) {
            if (slot.last < first_column || slot.first > last_column) {
                append_moved(out, source, slot, slot.first, slot.last, 0);
                return;
            }
            if (slot.first < first_column) {
                append_moved(out, source, slot, slot.first, static_cast<uint8_t>(first_column - 1),
                             0);
            }
            if (slot.last > last_column) {
                append_moved(out, source, slot, static_cast<uint8_t>(last_column + 1), slot.last,
                             0);
            }
        });
    }
}

void CellStore::copy_block(uint16_t first_row, uint16_t last_row, uint8_t first_column,
                           uint8_t last_column, std::vector<uint8_t> &out) const {
    const int32_t end = std::min<int32_t>(last_row, impl_->tail_row);
    for (int32_t row = first_row; row <= end; ++row) {
        const Impl::Row *found = impl_->row_at(static_cast<uint16_t>(row));
        if (found == nullptr || found->bytes.empty()) continue;
        for (size_t offset = 0; offset < found->bytes.size();) {
            const Slot slot = slot_at(found->bytes, offset);
            offset += slot.size;
            if (slot.last < first_column || slot.first > last_column) continue;
            append_moved(out, found->bytes.data(), slot, std::max(slot.first, first_column),
                         std::min(slot.last, last_column), 0);
        }
    }
}

int32_t CellStore::last_row() const {
    return impl_->tail_row;
}

bool CellStore::empty() const {
    return impl_->records == 0;
}
size_t CellStore::record_count() const {
    return impl_->records;
}
size_t CellStore::byte_total() const {
    return impl_->bytes;
}

}  // namespace tabrix::engine
