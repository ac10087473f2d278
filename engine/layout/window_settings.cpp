#include "engine/layout/window_settings.h"

#include <array>

namespace tabrix::engine {

namespace {

Sheet *sheet_of(Workbook &book, int32_t sheet) {
    if (sheet < 0 || sheet >= book.sheet_count()) return nullptr;
    return book.sheets[sheet].get();
}

}  // namespace

ZoomFraction zoom_fraction(int32_t zoom) {
    constexpr std::array<int32_t, 9> kDivisors{100, 50, 25, 20, 10, 5, 4, 2, 1};
    for (int32_t d : kDivisors) {
        if (zoom % d == 0) {
            return {static_cast<uint16_t>(zoom / d), static_cast<uint16_t>(100 / d)};
        }
    }
    return {};
}

int32_t set_zoom(Workbook &book, int32_t sheet, int32_t zoom) {
    if (!zoom_in_range(zoom)) return err::kParam;
    Sheet *target = sheet_of(book, sheet);
    if (!target) return err::kSheetNo;
    const ZoomFraction fraction = zoom_fraction(zoom);
    target->window.zoom_numerator = fraction.numerator;
    target->window.zoom_denominator = fraction.denominator;
    return 0;
}

int32_t set_grid_shown(Workbook &book, int32_t sheet, bool shown) {
    Sheet *target = sheet_of(book, sheet);
    if (!target) return err::kSheetNo;
    target->window.show_grid = shown;
    return 0;
}

}  // namespace tabrix::engine
