#include "workbook_fuzz_target.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "engine/edit/column_operations.h"
#include "engine/edit/copy_buffer.h"
#include "engine/edit/row_operations.h"
#include "engine/edit/sheet_edits.h"
#include "engine/lifecycle/read_workbooks.h"
#include "engine/lifecycle/workbook_table.h"
#include "engine/read/read_mode/block_walk.h"
#include "engine/read/read_mode/cell_fetch.h"
#include "engine/read/read_mode/sequential_walk.h"
#include "engine/read/read_mode/sheet_readback.h"
#include "engine/read/reader/stream_check.h"
#include "engine/read/reader/workbook_reader.h"
#include "engine/read/template/template_loader.h"
#include "platform/compound_file.h"

namespace tabrix::engine::fuzz {

namespace {

// Bounds on the work one input may ask for, whatever the stream says.
constexpr int32_t kSheetsRead = 4;
constexpr int kWalkSteps = 4096;
constexpr size_t kCellsFetched = 64;
constexpr size_t kWidthsRead = 8;

// Coordinates every sheet is asked for: the corners of both grids and places off them.
constexpr std::array<std::pair<int32_t, int32_t>, 10> kChosenCells{{{0, 0},
                                                                    {1, 1},
                                                                    {255, 16383},
                                                                    {255, 65535},
                                                                    {256, 0},
                                                                    {0, 65536},
                                                                    {-1, 0},
                                                                    {0, -1},
                                                                    {INT32_MAX, INT32_MAX},
                                                                    {INT32_MIN, 3}}};
constexpr std::array<int32_t, 6> kChosenLines{0, 1, 255, 256, 65535, -1};

// A finding the sanitizers cannot see: a wrong answer or our own output refused.
void require(bool holds, const char *what) {
    if (holds) return;
    std::fprintf(stderr, "workbook fuzz target: %s\n", what);
    std::abort();
}

// The workbook stream the writer writes, held in memory.
class MemoryStream final : public platform::Stream {
  public:
    size_t read(void *buffer, size_t n) override {
        if (position_ >= bytes.size()) return 0;
        const size_t done = std::min(n, bytes.size() - position_);
        std::memcpy(buffer, bytes.data() + position_, done);
        position_ += done;
        return done;
    }
    size_t write(const void *data, size_t n) override {
        if (position_ + n > bytes.size()) bytes.resize(position_ + n);
        std::memcpy(bytes.data() + position_, data, n);
        position_ += n;
        return n;
    }
    bool seek(int64_t offset, platform::SeekOrigin origin) override {
        const int64_t base = origin == platform::SeekOrigin::begin ? 0
                             : origin == platform::SeekOrigin::current
                                 ? static_cast<int64_t>(position_)
                                 : static_cast<int64_t>(bytes.size());
        if (base + offset < 0) return false;
        position_ = static_cast<size_t>(base + offset);
        return true;
    }
    uint64_t position() const override { return position_; }
    uint64_t size() const override { return bytes.size(); }
    platform::StorageStatus set_size(uint64_t size) override {
        bytes.resize(static_cast<size_t>(size));
        return platform::StorageStatus::ok;
    }
    platform::StorageStatus reserve(uint64_t size) override {
        bytes.reserve(static_cast<size_t>(size));
        return platform::StorageStatus::ok;
    }

    std::vector<uint8_t> bytes;

  private:
    size_t position_ = 0;
};

bool nul_inside(const char *text, size_t size) {
    return std::memchr(text, '\0', size) != nullptr;
}

bool nul_inside(const char16_t *text, size_t size) {
    return std::find(text, text + size, u'\0') != text + size;
}

// The sheet's cells as the walk meets them, to its end or the step cap, checking that each
// position lies in the stream.
std::vector<std::pair<int32_t, int32_t>> walk_cells(Workbook &book, int32_t sheet) {
    std::vector<std::pair<int32_t, int32_t>> cells;
    const size_t stream_size = book.source->stream().size();
    int32_t position = 0;
    for (int step = 0; step < kWalkSteps; ++step) {
        int32_t column = -1, row = -1, xf = -1, kind = -1;
        double number = 0;
        std::array<char, 6> text{};
        const TextBuffer buffer{text.data(), nullptr, static_cast<int32_t>(text.size())};
        const int32_t next =
            walk_sheet_into(book, sheet, position, &column, &row, &xf, &kind, &number, buffer);
        if (next == kWalkEnd || next == kWalkObjects) break;
        require(next != kWalkNoSheet && next > 0 && static_cast<size_t>(next) <= stream_size,
                "walk position outside the stream");
        require(column >= 0 && column <= 255 && row >= 0 && row <= 65535,
                "walked cell off the grid");
        require(kind != kWalkText || nul_inside(text.data(), text.size()),
                "walked text without its end");
        if (cells.size() < kCellsFetched) cells.emplace_back(column, row);
        position = next;
    }
    return cells;
}

// Few cells and text units at a time, so that the block walk stops before records often.
class SmallBlock {
  public:
    size_t count() const { return cells.size(); }
    bool fits(size_t more, size_t units) const {
        return cells.size() + more <= 3 && text_units + units <= 8;
    }
    void put(const BlockCell &cell) {
        require(fits(1, cell.text.size()), "block walk put a cell that does not fit");
        cells.emplace_back(cell.column, cell.row);
        text_units += cell.text.size();
    }

    std::vector<std::pair<int32_t, int32_t>> cells;
    size_t text_units = 0;
};

// The sheet's cells as the block walk meets them, a few a call: the cells the one-at-a-time
// walk met, in its order, up to where a record fits no block.
void walk_blocks(Workbook &book, int32_t sheet,
                 const std::vector<std::pair<int32_t, int32_t>> &walked) {
    const size_t stream_size = book.source->stream().size();
    std::vector<std::pair<int32_t, int32_t>> cells;
    int32_t position = 0;
    for (int step = 0; step < kWalkSteps && cells.size() < walked.size(); ++step) {
        SmallBlock block;
        const int32_t next = walk_cell_block(book, sheet, position, block);
        for (const auto &cell : block.cells) {
            require(cell.first <= 255, "block-walked cell off the grid");
            cells.push_back(cell);
        }
        if (next <= 0) break;
        require(next > position && static_cast<size_t>(next) <= stream_size,
                "block walk position outside the stream or going back");
        position = next;
    }
    cells.resize(std::min(cells.size(), walked.size()));
    require(std::equal(cells.begin(), cells.end(), walked.begin()),
            "the block walk and the one-at-a-time walk disagree");
}

void read_one_cell(Workbook &book, int32_t sheet, int32_t x, int32_t y) {
    const bool in_file = book.read_only;
    std::array<char, 8> narrow{};
    std::array<char16_t, 5> wide{};
    int32_t kind = -1;
    double value = 0;
    if (in_file) {
        int32_t rc = read_cell(book, sheet, x, y, &kind, &value,
                               TextBuffer{narrow.data(), nullptr, narrow.size()});
        require(rc == 0 || rc == err::of(errDataKind) || rc == err::of(errValue),
                "read_cell answer");
        require(rc != 0 || kind != 1 || nul_inside(narrow.data(), narrow.size()),
                "read_cell text without its end");
        // The first read may be answered at the row's cursor, this one (behind the cursor
        // now) through the row index: the two agree.
        const int32_t first_rc = rc, first_kind = kind;
        const double first_value = value;
        rc = read_cell(book, sheet, x, y, &kind, &value,
                       TextBuffer{nullptr, wide.data(), wide.size()});
        require(rc == first_rc && (rc != 0 || kind == first_kind), "read_cell answers differ");
        require(rc != 0 || kind == 1 || std::memcmp(&value, &first_value, sizeof value) == 0,
                "read_cell values differ");
        require(rc != 0 || kind != 1 || nul_inside(wide.data(), wide.size()),
                "read_cell wide text without its end");
        CellValue cell;
        const int32_t fetched = fetch_cell(book, static_cast<size_t>(sheet), x, y, cell);
        require(fetched == 0 || fetched == err::of(errDataKind), "fetch_cell answer");
    }
    int32_t integer = 0, xf = -1;
    const int32_t kind_got = cell_data(book, sheet, x, y, &integer, &value,
                                       TextBuffer{narrow.data(), nullptr, narrow.size()}, &xf);
    require(kind_got >= -8 && kind_got <= 5, "cell_data answer");
    cell_data(book, sheet, x, y, nullptr, nullptr, TextBuffer{}, nullptr);
}

// Every read-back call on the first sheets and on sheet numbers outside the file; the
// cells asked for are those the walk found and the chosen places. With a workbook read from
// the file, the cells come from the file; with a loaded one, from memory.
void read_back(Workbook &book, bool backwards) {
    const auto sheets = static_cast<int32_t>(book.source->sheets().size());
    for (int32_t sheet = 0; sheet < std::min(sheets, kSheetsRead); ++sheet) {
        std::vector<std::pair<int32_t, int32_t>> cells = walk_cells(book, sheet);
        walk_blocks(book, sheet, cells);
        cells.insert(cells.end(), kChosenCells.begin(), kChosenCells.end());
        if (backwards) std::reverse(cells.begin(), cells.end());
        for (size_t i = 0; i < cells.size(); ++i) {
            const auto [x, y] = cells[i];
            read_one_cell(book, sheet, x, y);
            read_row_height(book, sheet, y);
            // A width may scan the whole sheet: a few columns are enough.
            if (i < kWidthsRead) read_column_width(book, sheet, x);
        }
        for (int32_t line : kChosenLines) {
            read_column_width(book, sheet, line);
            read_row_height(book, sheet, line);
        }
        int32_t columns = -1, rows = -1;
        const int32_t used = read_used_area(book, sheet, &columns, &rows);
        require(used == 0 || used == -1, "read_used_area answer");
        require(used != 0 || (columns >= 0 && rows >= 0), "negative used area");
        PageSetupReadback page;
        require(read_page_setup(book, sheet, page) == 0, "read_page_setup answer");
    }
    for (int32_t outside : {-1, sheets, INT32_MAX}) {
        WalkedCell walked;
        require(walk_sheet(book, outside, 0, walked) == kWalkNoSheet, "walk of no sheet");
        int32_t columns = 0, rows = 0;
        require(read_used_area(book, outside, &columns, &rows) == 1, "used area of no sheet");
        require(read_row_height(book, outside, 0) == 0.0, "row height of no sheet");
        PageSetupReadback page;
        require(read_page_setup(book, outside, page) == err::kSheetNo, "page setup of no sheet");
        if (book.read_only) {
            require(read_cell(book, outside, 0, 0, nullptr, nullptr, TextBuffer{}) == err::kParam,
                    "read of no sheet");
        }
    }
}

// Read mode over the reader: false when the workbook refuses it (a protected sheet, no BOF).
bool read_mode(const std::shared_ptr<WorkbookReader> &reader, bool backwards) {
    std::unique_ptr<Workbook> book;
    if (make_read_workbook(reader, &book) != 0) return false;
    read_back(*book, backwards);
    return true;
}

// The template load as a create from a template makes it, without its file. The workbook, or
// null when the load refuses the reader.
std::unique_ptr<Workbook> load(const std::shared_ptr<WorkbookReader> &reader, bool keep_keywords) {
    if (reader->sheets().size() > static_cast<size_t>(kMaxSheets)) return nullptr;
    auto book = std::make_unique<Workbook>();
    book->format = FileFormat{reader->biff8(), reader->version_stamp()};
    fill_new_workbook(*book, static_cast<int32_t>(reader->sheets().size()), false);
    if (load_template(*book, *reader, keep_keywords) != 0) return nullptr;
    book->source = reader;
    return book;
}

// Edits that move what the loaded records name: each refuses or leaves a workbook that still
// writes and reads whole (checked by the write that follows).
void edit(Workbook &book) {
    const BookRef ref{&book};
    insert_rows(ref, 0, 2, 3);
    delete_rows(ref, 0, 0, 1);
    insert_columns(ref, 0, 1, 2);
    delete_columns(ref, 0, 0, 1);
    copy_cells(ref, 0, CellRect{0, 0, 4, 8}, 3, 9);
    clear_cells(ref, 0, CellRect{1, 1, 2, 2});
    if (book.sheet_count() < kSheetsRead) copy_sheet_with_formulas(ref, 0, 0, u"");
}

// Writes the loaded workbook through the close every workbook takes and reads the stream
// again: our reader must accept what our writer made, and the walk must go through it. False
// when the close writes nothing because no sheet is visible.
bool write_and_reread(std::unique_ptr<Workbook> book) {
    const bool biff8 = book->biff8();
    const size_t sheets = book->sheets.size();
    bool visible = false;
    for (size_t i = 0; i < sheets; ++i) visible = visible || !book->sheets[i]->hidden();
    MemoryStream stream;
    book->stream = &stream;
    const int32_t handle = register_workbook(book);
    const int32_t closed = close_workbook(handle);
    if (!visible) return false;
    require(closed == 0, "the close of a loaded workbook failed");
    std::unique_ptr<WorkbookReader> again;
    require(WorkbookReader::from_stream(std::move(stream.bytes), biff8, &again) == 0,
            "our reader refused the workbook our writer wrote");
    require(again->sheets().size() == sheets, "the written workbook lost sheets");
    // What we write must load whole again, or a template of it would be refused.
    require(stream_walks_whole(*again), "our writer wrote records that cannot all be walked");
    // Our own output only needs to walk: its cells were read from the file already.
    std::unique_ptr<Workbook> reread;
    if (make_read_workbook(std::move(again), &reread) == 0) {
        for (int32_t sheet = 0; sheet < std::min(reread->sheet_count(), kSheetsRead); ++sheet) {
            walk_cells(*reread, sheet);
        }
    }
    return true;
}

}  // namespace

FuzzOutcome fuzz_workbook_stream(const uint8_t *data, size_t size) {
    FuzzOutcome outcome;
    if (size < 1) return outcome;
    const uint8_t options = data[0];
    const bool biff8 = (options & kBiff8Bit) != 0;
    const bool backwards = (options & kBackwardsBit) != 0;
    std::shared_ptr<WorkbookReader> reader;
    {
        std::unique_ptr<WorkbookReader> made;
        if (WorkbookReader::from_stream(std::vector<uint8_t>(data + 1, data + size), biff8,
                                        &made) != 0) {
            return outcome;
        }
        reader = std::move(made);
    }
    outcome.accepted = true;
    try {
        outcome.read = read_mode(reader, backwards);
        if (auto book = load(reader, (options & kKeepKeywordsBit) != 0)) {
            outcome.loaded = true;
            read_back(*book, backwards);
            if (options & kEditBit) edit(*book);
            outcome.written = write_and_reread(std::move(book));
        }
    } catch (const std::bad_alloc &) {
        require(false, "out of memory");
    }
    reset_process_state();
    return outcome;
}

}  // namespace tabrix::engine::fuzz
