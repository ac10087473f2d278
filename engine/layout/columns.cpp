#include "engine/layout/columns.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <utility>
#include <vector>

#include "engine/biff/le_bytes.h"

namespace tabrix::engine {

namespace {

constexpr int64_t kMaxWidth = 25500;  // 255 characters
constexpr uint16_t kHidden = 0x0001;
constexpr uint16_t kDefaultXf = 15;
// Below this size the conversion's divisor reaches 0 and its step table runs out; 6 points
// gives what every size just above 5 gives.
constexpr double kSmallestConvertedSize = 6.0;

struct Fraction {
    int64_t up_to;  // highest fraction of the band
    int64_t becomes;
};

// Shown fractions of widths of a character or more, and of widths below one character.
constexpr Fraction kWholeBands[] = {{6, 0},   {18, 13}, {31, 25}, {43, 38}, {56, 50},
                                    {68, 63}, {81, 75}, {93, 88}, {99, 100}};
constexpr Fraction kNarrowBands[] = {{3, 0},   {11, 8},  {19, 15}, {26, 23}, {34, 31},
                                     {42, 38}, {49, 46}, {57, 54}, {65, 62}, {73, 69},
                                     {80, 77}, {88, 85}, {96, 92}, {99, 100}};

template <size_t N>
int64_t snapped_fraction(const Fraction (&bands)[N], int64_t fraction) {
    for (const Fraction &band : bands) {
        if (fraction <= band.up_to) return band.becomes;
    }
    return fraction;
}

// What a width call does to one record.
struct WidthChange {
    bool hide = false;
    uint16_t units = 0;         // when not hiding
    uint16_t hidden_units = 0;  // a new hidden record's width: the sheet's default

    void apply(ColumnInfo &column) const {
        if (hide) {
            column.options |= kHidden;
        } else {
            column.width = units;
            column.options &= static_cast<uint16_t>(~kHidden);
        }
    }
};

ColumnInfo piece(const ColumnInfo &from, uint16_t first, uint16_t last) {
    ColumnInfo part = from;
    part.first = first;
    part.last = last;
    return part;
}

// The list with a..b changed: records across the edges are split and keep their old values
// outside, the parts inside take the change, and columns of a..b that no record held get new
// records with the XF of the record that held column a, else 15. No two records overlap.
std::vector<ColumnInfo> changed_list(const std::vector<ColumnInfo> &columns, uint16_t a, uint16_t b,
                                     const WidthChange &change) {
    uint16_t xf = kDefaultXf;
    for (const ColumnInfo &column : columns) {
        if (column.first <= a && a <= column.last) {
            xf = column.xf;
            break;
        }
    }
    std::vector<ColumnInfo> out;
    out.reserve(columns.size() + 3);
    int32_t next = a;  // first column of a..b not yet held
    auto add_gap = [&](int32_t up_to) {
        if (next > up_to) return;
        ColumnInfo gap;
        gap.first = static_cast<uint16_t>(next);
        gap.last = static_cast<uint16_t>(up_to);
        gap.width = change.hidden_units;
        gap.xf = xf;
        change.apply(gap);
        out.push_back(gap);
    };
    for (const ColumnInfo &column : columns) {
        if (column.last < a || column.first > b) {
            out.push_back(column);
            continue;
        }
        if (column.first < a) out.push_back(piece(column, column.first, a - 1));
        ColumnInfo inner = piece(column, std::max(column.first, a), std::min(column.last, b));
        add_gap(inner.first - 1);
        change.apply(inner);
        out.push_back(inner);
        next = std::max<int32_t>(next, inner.last + 1);
        if (column.last > b) out.push_back(piece(column, b + 1, column.last));
    }
    add_gap(b);
    std::stable_sort(out.begin(), out.end(), [](const ColumnInfo &x, const ColumnInfo &y) {
        return x.first != y.first ? x.first < y.first : x.last < y.last;
    });
    return out;
}

// GCW bits of the columns: set for a width when the sheet has the record, cleared on hiding.
void mark_standard_width(std::array<uint8_t, 34> &gcw, uint16_t a, uint16_t b, bool hide) {
    if (!hide && load_u16(gcw.data()) == 0) return;
    for (uint32_t column = a; column <= b; ++column) {
        const auto bit = static_cast<uint8_t>(1u << (column % 8));
        uint8_t &byte = gcw[2 + column / 8];
        byte = hide ? static_cast<uint8_t>(byte & ~bit) : static_cast<uint8_t>(byte | bit);
    }
}

}  // namespace

int64_t snap_column_width(int64_t hundredths) {
    if (hundredths < 0) return hundredths;
    int64_t whole = hundredths / 100;
    const int64_t fraction = whole >= 1 ? snapped_fraction(kWholeBands, hundredths % 100)
                                        : snapped_fraction(kNarrowBands, hundredths % 100);
    return whole * 100 + fraction;
}

uint16_t column_width_units(int64_t snapped, double default_font_size) {
    double s = default_font_size;
    if (!(s > 5.0)) s = kSmallestConvertedSize;
    s = std::min(s, 409.0);
    static constexpr int64_t kSteps[] = {1, 0, 1, 1, 2, 3};
    const auto d = static_cast<int64_t>(2.0 * (s + 1.0) / 3.0);
    const auto k = static_cast<int64_t>(s - 6.0);
    const int64_t p = kSteps[k % 6] + 2 * (k / 6);
    const double units =
        static_cast<double>(snapped) / 100.0 * 256.0 + 255.0 - static_cast<double>(p * 256 / d);
    return static_cast<uint16_t>(std::clamp(std::trunc(units), 0.0, 65535.0));
}

int32_t set_column_width(const BookRef &ref, int32_t sheet_number, int32_t first, int32_t last,
                         int32_t width) {
    Workbook *book = ref.book;
    if (!book) return ref.missing;
    if (sheet_number < 0 || sheet_number >= book->sheet_count()) return err::kSheetNo;
    if (first < 0 || first > 255 || last < 0 || last > 255) return err::kPosition;
    if (book->read_only) return err::of(errMode);
    const int64_t snapped = snap_column_width(static_cast<int64_t>(width) * 100);
    if (snapped < 0 || snapped > kMaxWidth) return err::kParam;

    const auto a = static_cast<uint16_t>(std::min(first, last));
    const auto b = static_cast<uint16_t>(std::max(first, last));
    RowsAndColumns &settings = book->sheets[sheet_number]->rows_columns;
    WidthChange change;
    change.hide = snapped == 0;
    if (!change.hide) change.units = column_width_units(snapped, book->default_font_size);
    change.hidden_units = column_width_units(
        static_cast<int64_t>(settings.default_column_width) * 100, book->default_font_size);
    try {
        settings.columns = changed_list(settings.columns, a, b, change);
    } catch (const std::bad_alloc &) {
        return err::kOpen;  // the list is as it was
    }
    mark_standard_width(settings.gcw, a, b, change.hide);
    return 0;
}

}  // namespace tabrix::engine
