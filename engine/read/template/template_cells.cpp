// The cells of a template sheet: value and text records as they are (a keyword text becomes a
// blank), formulas with their ARRAY, TABLE and STRING records, shared formulas expanded.
#include <algorithm>
#include <cstring>
#include <utility>

#include "engine/biff/continued_text.h"
#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"
#include "engine/formula/formula_record.h"
#include "engine/formula/token_walker.h"
#include "engine/model/keywords.h"
#include "engine/read/template/template_parts.h"
#include "engine/styles/attribute_registry.h"

namespace tabrix::engine {
namespace {

// Every cell record starts with row, column and XF.
constexpr size_t kCellHeadSize = 6;
constexpr size_t kXfOffset = 4;
constexpr uint16_t kLastColumn = 255;
// MULRK and MULBLANK: row and first column, the cells, the last column.
constexpr size_t kRunFrameSize = 6;

// FORMULA data: the cached result, option flags, expression length and expression.
constexpr size_t kResultOffset = 6;
constexpr size_t kResultSize = 8;
constexpr size_t kOptionsOffset = 14;
constexpr size_t kLengthOffset = 20;
constexpr uint16_t kAlwaysCalculate = 0x0001;
constexpr uint16_t kCalculateOnLoad = 0x0002;
constexpr uint16_t kSharedFlag = 0x0008;
// A result whose last two bytes are FF FF is no number; its first byte says what it is.
constexpr uint16_t kNotANumber = 0xFFFF;
constexpr uint8_t kResultText = 0;
constexpr uint8_t kResultBool = 1;
constexpr uint8_t kResultError = 2;

// ARRAY: range, options, a reserved field, the expression's length; TABLE: range, options and
// the two input cells.
constexpr size_t kArrayHeadSize = 14;
constexpr size_t kTableSize = 16;

size_t fixed_data_size(uint16_t number) {
    switch (number) {
        case rec::kNumber:
            return 14;
        case rec::kRk:
        case rec::kLabelSst:
            return 10;
        case rec::kBoolErr:
            return 8;
        default:  // BLANK
            return kCellHeadSize;
    }
}

struct CellPlace {
    uint16_t row = 0;
    uint16_t column = 0;
    uint16_t xf = 0;
};

// Row, column and XF of a cell record that lies on the sheet's grid; an XF the workbook does
// not hold becomes the default one.
bool cell_place(const SheetLoad &state, std::span<const uint8_t> data, CellPlace *place) {
    if (data.size() < kCellHeadSize) return false;
    place->row = load_u16(data.data());
    place->column = load_u16(data.data() + 2);
    place->xf = held_attribute(state.load.book, load_u16(data.data() + kXfOffset));
    return place->row < state.load.book.max_rows && place->column <= kLastColumn;
}

// Stores a cell image and widens the sheet's used range; a refused image is left out.
void store_cell(SheetLoad &state, std::span<const uint8_t> image) {
    Sheet &sheet = state.sheet;
    if (sheet.cells.insert(image) != 0) return;
    const uint32_t row = load_u16(image.data() + 4);
    const uint32_t first = load_u16(image.data() + 6);
    const uint16_t number = load_u16(image.data());
    const uint32_t last = number == rec::kMulRk || number == rec::kMulBlank
                              ? load_u16(image.data() + image.size() - 2)
                              : first;
    sheet.lowest_key = std::min(sheet.lowest_key, row * 256 + first);
    sheet.highest_key = std::max<int64_t>(sheet.highest_key, row * 256 + last);
}

std::vector<uint8_t> cell_data(const CellPlace &place, std::span<const uint8_t> rest) {
    std::vector<uint8_t> data;
    data.reserve(kCellHeadSize + rest.size());
    put_u16(data, place.row);
    put_u16(data, place.column);
    put_u16(data, place.xf);
    data.insert(data.end(), rest.begin(), rest.end());
    return data;
}

std::vector<uint8_t> cell_image(uint16_t number, const CellPlace &place,
                                std::span<const uint8_t> rest) {
    return record_image(number, cell_data(place, rest));
}

// A text cell's keyword: when the text starts with the keyword prefix, the sheet gets its
// keyword entry and the result is true.
bool take_keyword(SheetLoad &state, std::u16string text, const CellPlace &place) {
    if (!text.starts_with(state.load.keyword_prefix)) return false;
    add_keyword(state.sheet, KeywordEntry{place.row, place.column, static_cast<int16_t>(place.xf),
                                          std::move(text)});
    return true;
}

// A text cell, or a blank with its format when the text is a keyword that goes.
void store_text_cell(SheetLoad &state, std::vector<uint8_t> image, std::u16string text,
                     const CellPlace &place) {
    if (take_keyword(state, std::move(text), place) && !state.load.keep_keywords) {
        image = cell_image(rec::kBlank, place, {});
    }
    store_cell(state, image);
}

// RSTRING: after the text, its formatting runs (a 16-bit count of 4-byte runs in Excel 97,
// an 8-bit count of 2-byte runs in Excel 95). The bytes they take, or nothing.
std::optional<size_t> runs_size(bool biff8, std::span<const uint8_t> rest) {
    const size_t count_size = biff8 ? 2 : 1;
    if (rest.size() < count_size) return std::nullopt;
    const size_t count = biff8 ? load_u16(rest.data()) : rest[0];
    const size_t size = count_size + count * (biff8 ? 4 : 2);
    if (size > rest.size()) return std::nullopt;
    return size;
}

bool is_array_or_table(std::span<const uint8_t> expression) {
    return !expression.empty() && (expression[0] == ptg::kExp || expression[0] == ptg::kTbl);
}

// The FORMULA of a shared formula's cell with the expression written out for that cell; empty
// when its ptgExp names no SHRFMLA of the sheet that holds the cell, or the expression cannot
// be resolved.
std::vector<uint8_t> expanded_formula(const SheetLoad &state, std::span<const uint8_t> data,
                                      std::span<const uint8_t> expression, const CellPlace &place) {
    // The ptgExp names the first cell of the shared range: its row, then its column in the
    // low byte of what follows.
    if (expression.size() < 4) return {};
    const uint32_t first_cell = uint32_t{load_u16(expression.data() + 1)} << 8 | expression[3];
    const auto found = state.shared_by_first_cell.find(first_cell);
    if (found == state.shared_by_first_cell.end()) return {};
    const SharedFormula *shared = &state.shared[found->second];
    if (!shared->holds(place.row, place.column)) return {};
    std::vector<uint8_t> resolved = shared->expression;
    const BiffVersion version = state.load.book.biff8() ? BiffVersion::kBiff8 : BiffVersion::kBiff5;
    if (resolve_shared_expression(resolved, place.row, place.column, version) != 0) return {};
    if (kFormulaHeadSize + resolved.size() + shared->array_values.size() > kMaxRecordData) {
        return {};
    }
    std::vector<uint8_t> out(data.begin(), data.begin() + kFormulaHeadSize);
    store_u16(&out[kOptionsOffset], kAlwaysCalculate | kCalculateOnLoad);
    store_u16(&out[kLengthOffset], static_cast<uint16_t>(resolved.size()));
    out.insert(out.end(), resolved.begin(), resolved.end());
    out.insert(out.end(), shared->array_values.begin(), shared->array_values.end());
    return record_image(rec::kFormula, out);
}

// A formula that cannot stand as one keeps its cached result as a plain cell.
void store_cached_value(SheetLoad &state, HeldFormula &held) {
    const CellPlace place{held.row, held.column, held.xf};
    const uint8_t *result = held.image.data() + 4 + kResultOffset;
    if (load_u16(result + 6) != kNotANumber) {
        store_cell(state, cell_image(rec::kNumber, place, std::span(result, kResultSize)));
        return;
    }
    if (result[0] == kResultBool || result[0] == kResultError) {
        const uint8_t value[] = {result[2], result[0] == kResultError ? uint8_t{1} : uint8_t{0}};
        store_cell(state, cell_image(rec::kBoolErr, place, value));
        return;
    }
    if (result[0] == kResultText && held.string_data) {
        // A STRING holds its text as LABEL does; a long one goes on in CONTINUE records.
        const bool biff8 = state.load.book.biff8();
        store_text_cell(
            state,
            continued_text_images(rec::kLabel, cell_data(place, *held.string_data), kCellHeadSize,
                                  biff8, biff8 ? kMaxRecordData : kMaxBiff5RecordData),
            std::move(held.text), place);
        return;
    }
    store_cell(state, cell_image(rec::kBlank, place, {}));
}

// The range an ARRAY or TABLE covers; false when the record is too short for its kind or the
// range is upside down.
bool read_formula_range(const RawRecord &record, FormulaRange *range) {
    const auto data = record.data;
    if (record.number == rec::kArray) {
        if (data.size() < kArrayHeadSize ||
            load_u16(data.data() + kArrayHeadSize - 2) > data.size() - kArrayHeadSize) {
            return false;
        }
    } else if (data.size() < kTableSize) {
        return false;
    }
    range->first_row = load_u16(data.data());
    range->last_row = load_u16(data.data() + 2);
    range->first_column = data[4];
    range->last_column = data[5];
    return range->first_row <= range->last_row && range->first_column <= range->last_column;
}

}  // namespace

void load_value_cell(SheetLoad &state, const RawRecord &record) {
    const uint16_t number = record.number;
    const bool run = number == rec::kMulRk || number == rec::kMulBlank;
    std::span<const uint8_t> data = record.data;
    if (!run) {
        const size_t size = fixed_data_size(number);
        if (data.size() < size) return;
        data = data.first(size);
    }
    CellPlace place;
    if (!cell_place(state, data, &place)) return;
    std::vector<uint8_t> image = record_image(number, data);
    if (!run) {
        store_u16(&image[4 + kXfOffset], place.xf);
    } else {
        // cell_place() saw the frame's row, column and a first XF.
        const size_t cell_size = number == rec::kMulRk ? 6 : 2;
        const size_t cells_size = data.size() - kRunFrameSize;
        if (cells_size % cell_size != 0) return;
        for (size_t at = 4 + kXfOffset; at < 4 + kXfOffset + cells_size; at += cell_size) {
            store_u16(&image[at], held_attribute(state.load.book, load_u16(&image[at])));
        }
    }
    store_cell(state, image);
}

void load_string_cell(SheetLoad &state, const RawRecord &record, const ContinuedRecord *continued) {
    const TemplateLoad &load = state.load;
    std::span<const uint8_t> data = record.data;
    CellPlace place;
    if (!cell_place(state, data, &place)) return;
    std::u16string text;
    std::vector<uint8_t> image;
    if (record.number == rec::kLabelSst) {
        if (data.size() < fixed_data_size(rec::kLabelSst)) return;
        const uint32_t index = load_u32(data.data() + kCellHeadSize);
        if (index >= load.string_index.size()) return;
        text = load.reader.shared_strings()[index];
        std::vector<uint8_t> sst_index;
        put_u32(sst_index, load.string_index[index]);
        image = cell_image(rec::kLabelSst, place, sst_index);
    } else {
        // A long text goes on in CONTINUE records: read whole, they stay behind the record.
        std::optional<std::vector<uint8_t>> joined;
        if (continued) {
            joined = joined_text(*continued, kCellHeadSize, load.book.biff8());
            if (!joined) return;
        }
        const std::span<const uint8_t> whole = joined ? std::span<const uint8_t>(*joined) : data;
        size_t end = kCellHeadSize;
        auto read = read_cell_text(load.reader, whole, end, false);
        if (!read) return;
        if (record.number == rec::kRString) {
            auto runs = runs_size(load.book.biff8(), whole.subspan(end));
            if (!runs) return;
            end += *runs;
        }
        text = std::move(*read);
        if (continued) {
            image = cell_image(record.number, place, data.subspan(kCellHeadSize));
            const std::vector<uint8_t> rest = continue_images(*continued);
            image.insert(image.end(), rest.begin(), rest.end());
        } else {
            image =
                cell_image(record.number, place, data.subspan(kCellHeadSize, end - kCellHeadSize));
        }
    }
    store_text_cell(state, std::move(image), std::move(text), place);
}

void load_formula(SheetLoad &state, const RawRecord &record) {
    const std::span<const uint8_t> data = record.data;
    CellPlace place;
    if (data.size() < kFormulaHeadSize || !cell_place(state, data, &place)) return;
    const size_t length = load_u16(data.data() + kLengthOffset);
    if (length > data.size() - kFormulaHeadSize) return;
    const std::span<const uint8_t> expression = data.subspan(kFormulaHeadSize, length);

    HeldFormula held;
    held.row = place.row;
    held.column = place.column;
    held.xf = place.xf;
    held.awaits_string = data[kResultOffset] == kResultText &&
                         load_u16(data.data() + kResultOffset + 6) == kNotANumber;
    const bool shared = (load_u16(data.data() + kOptionsOffset) & kSharedFlag) != 0 &&
                        !expression.empty() && expression[0] == ptg::kExp;
    if (shared) held.image = expanded_formula(state, data, expression, place);
    if (held.image.empty()) {
        held.as_value = shared;
        held.image = record_image(rec::kFormula, data);
    }
    uint8_t *options = &held.image[4 + kOptionsOffset];
    store_u16(options, load_u16(options) | kAlwaysCalculate);
    store_u16(&held.image[4 + kXfOffset], place.xf);
    if (!shared && is_array_or_table(expression)) {
        held.needs_range =
            std::none_of(state.ranges.begin(), state.ranges.end(), [&](const FormulaRange &range) {
                return place.row >= range.first_row && place.row <= range.last_row &&
                       place.column >= range.first_column && place.column <= range.last_column;
            });
    }
    state.held = std::move(held);
}

void attach_to_formula(SheetLoad &state, const RawRecord &record,
                       const ContinuedRecord *continued) {
    if (!state.held) return;
    HeldFormula &held = *state.held;
    if (record.number == rec::kString) {
        if (!held.awaits_string) return;
        // A long text goes on in CONTINUE records: read whole, they stay behind the STRING.
        std::optional<std::vector<uint8_t>> joined;
        if (continued) joined = joined_text(*continued, 0, state.load.book.biff8());
        const std::span<const uint8_t> whole =
            joined ? std::span<const uint8_t>(*joined)
                   : (continued ? std::span<const uint8_t>() : record.data);
        size_t end = 0;
        if (auto text = read_cell_text(state.load.reader, whole, end, false)) {
            held.text = std::move(*text);
            if (continued) {
                held.string_data = std::move(joined);
                held.string_images = record_image(rec::kString, record.data);
                const std::vector<uint8_t> rest = continue_images(*continued);
                held.string_images.insert(held.string_images.end(), rest.begin(), rest.end());
            } else {
                held.string_data.emplace(record.data.begin(), record.data.begin() + end);
                held.string_images = record_image(rec::kString, *held.string_data);
            }
        }
        // Nothing else belongs behind a formula after its STRING.
        store_held_formula(state);
        return;
    }
    // ARRAY or TABLE: behind the first cell of its range, before the STRING.
    FormulaRange range;
    if (!held.needs_range || held.anchors_range || !read_formula_range(record, &range) ||
        range.first_row != held.row || range.first_column != held.column) {
        return;
    }
    const std::vector<uint8_t> image = record_image(record.number, record.data);
    held.image.insert(held.image.end(), image.begin(), image.end());
    held.anchors_range = true;
    state.ranges.push_back(range);
}

void store_held_formula(SheetLoad &state) {
    if (!state.held) return;
    HeldFormula held = std::move(*state.held);
    state.held.reset();
    if (held.as_value || (held.needs_range && !held.anchors_range)) {
        store_cached_value(state, held);
        return;
    }
    if (held.awaits_string) {
        const CellPlace place{held.row, held.column, held.xf};
        const bool keyword = held.string_data && take_keyword(state, held.text, place);
        if (!held.string_data || (keyword && !state.load.keep_keywords)) {
            // No text to go with it: the result becomes the number 0 until it is calculated.
            held.string_data.reset();
            std::fill_n(&held.image[4 + kResultOffset], kResultSize, uint8_t{0});
            uint8_t *options = &held.image[4 + kOptionsOffset];
            store_u16(options, load_u16(options) | kCalculateOnLoad);
        }
    }
    if (held.string_data) {
        held.image.insert(held.image.end(), held.string_images.begin(), held.string_images.end());
    }
    store_cell(state, held.image);
}

}  // namespace tabrix::engine
