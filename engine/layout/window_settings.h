// How a sheet shows in its window: grid lines and zoom.
#pragma once

#include <cstdint>

#include "engine/model/workbook.h"

namespace tabrix::engine {

inline constexpr int32_t kMinZoom = 10;
inline constexpr int32_t kMaxZoom = 400;
inline bool zoom_in_range(int32_t zoom) {
    return zoom >= kMinZoom && zoom <= kMaxZoom;
}

// zoom/100 reduced by the first of 100, 50, 25, 20, 10, 5, 4, 2, 1 that divides the zoom.
struct ZoomFraction {
    uint16_t numerator = 0;
    uint16_t denominator = 0;
};
ZoomFraction zoom_fraction(int32_t zoom);

// -34 for a zoom outside 10-400, -4 for a sheet outside the workbook.
int32_t set_zoom(Workbook &book, int32_t sheet, int32_t zoom);
int32_t set_grid_shown(Workbook &book, int32_t sheet, bool shown);

}  // namespace tabrix::engine
