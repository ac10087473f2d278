#include "engine/layout/rows.h"

#include <cmath>

namespace tabrix::engine {

namespace {

constexpr double kMaxHeight = 409.0;
constexpr uint16_t kCustomHeight = 0x0140;
constexpr uint16_t kHiddenRow = 0x0120;
constexpr uint16_t kOwnFormat = 0x0080;

// Upper ends of the fraction bands that become 0, 25, 50 and 75 (above the last: 0 of the
// next point), by the whole points mod 3.
constexpr int64_t kBands[3][4] = {{7, 27, 67, 82}, {2, 42, 57, 77}, {17, 32, 52, 92}};

}  // namespace

double snap_row_height(double points) {
    // Far outside the accepted heights the value is refused as it is.
    if (!std::isfinite(points) || std::fabs(points) > 1.0e6) return points;
    const double hundredths = points * 100.0;
    int64_t whole = static_cast<int64_t>(hundredths / 100.0);
    int64_t fraction = static_cast<int64_t>(hundredths) % 100;
    if (whole < 0 || fraction < 0) return points;  // refused by the range check
    const int64_t(&bands)[4] = kBands[whole % 3];
    if (fraction <= bands[0]) {
        fraction = 0;
    } else if (fraction <= bands[1]) {
        fraction = 25;
    } else if (fraction <= bands[2]) {
        fraction = 50;
    } else if (fraction <= bands[3]) {
        fraction = 75;
    } else {
        fraction = 0;
        ++whole;
    }
    return static_cast<double>(whole * 100 + fraction) / 100.0;
}

int32_t set_row_height(const BookRef &ref, int32_t sheet_number, int32_t row, double points) {
    Workbook *book = ref.book;
    if (!book) return ref.missing;
    if (row < 0 || static_cast<uint32_t>(row) >= book->max_rows) return err::kPosition;
    if (sheet_number < 0 || sheet_number >= book->sheet_count()) return err::kSheetNo;
    if (book->read_only) return err::of(errMode);
    const double snapped = snap_row_height(points);
    if (!(snapped >= 0.0 && snapped <= kMaxHeight)) return err::kParam;

    RowSetting setting;
    setting.height = static_cast<uint16_t>(snapped * 20.0);
    setting.options = snapped == 0.0 ? kHiddenRow : kCustomHeight;
    setting.xf = 0;
    auto &rows = book->sheets[sheet_number]->rows_columns.row_settings;
    auto [at, added] = rows.try_emplace(static_cast<uint16_t>(row), setting);
    if (!added) {
        // A row format (from a template) stays: only the size and the hidden mark change.
        if (at->second.options & kOwnFormat) {
            setting.options |= kOwnFormat;
            setting.xf = at->second.xf;
        }
        at->second = setting;
    }
    return 0;
}

}  // namespace tabrix::engine
