#include "core/codes/code_placement.h"

#include <algorithm>
#include <cmath>

namespace labelora {
namespace {

int modulePixels(double millimetres, int dotsPerInch) {
    return static_cast<int>(std::ceil(millimetres * dotsPerInch / 25.4 - 1e-9));
}

int width(const DeviceRect &r) {
    return r.right - r.left;
}
int height(const DeviceRect &r) {
    return r.bottom - r.top;
}

}  // namespace

DeviceRect codeContentBox(const UnitRect &label, std::optional<int> framePen, Resolution dpi) {
    auto box = [&dpi](const UnitRect &r) {
        return DeviceRect{unitsToDevice(r.x, dpi.x), unitsToDevice(r.y, dpi.y),
                          unitsToDevice(r.right(), dpi.x), unitsToDevice(r.bottom(), dpi.y)};
    };
    if (framePen) {
        DeviceRect inside = box(insetBox(label));
        const int half = (*framePen + 1) / 2;
        return {inside.left + half, inside.top + half, inside.right - half, inside.bottom - half};
    }
    const int m = kCodeMarginUnits;
    return box({label.x + m, label.y + m, label.width - 2 * m, label.height - 2 * m});
}

std::optional<CodePlacement> placeCode(bool round, const DeviceRect &content, Resolution dpi,
                                       const CodeSymbol &symbol) {
    CodePlacement place;
    const int quiet = symbol.quietZone();
    if (symbol.isLinear()) {
        if (round) return std::nullopt;  // bars across a circle leave no room for the texts
        place.moduleWidth = modulePixels(kMinBarModuleMm, dpi.x);
        const int w = (symbol.columns + 2 * quiet) * place.moduleWidth;
        const int bandTop = content.top + height(content) / 2;
        if (w > width(content) || content.bottom - bandTop < modulePixels(kMinBarHeightMm, dpi.y))
            return std::nullopt;
        const int left = content.left + (width(content) - w) / 2;
        place.quietBox = {left, bandTop, left + w, content.bottom};
        place.left = left + quiet * place.moduleWidth;
        place.top = bandTop;
        place.moduleHeight = content.bottom - bandTop;
        place.textArea = {content.left, content.top, content.right, bandTop};
        return place;
    }

    place.moduleWidth = modulePixels(kMinMatrixModuleMm, dpi.x);
    place.moduleHeight = modulePixels(kMinMatrixModuleMm, dpi.y);
    const int w = (symbol.columns + 2 * quiet) * place.moduleWidth;
    const int h = (symbol.rows + 2 * quiet) * place.moduleHeight;
    if (round) {
        // Inside the circle, with a line of the smallest type above and below.
        const double radius = std::min(width(content), height(content)) / 2.0;
        const double line = kMinTextPoints * dpi.y / 72.0;
        if (std::hypot(w / 2.0, h / 2.0) > radius || h / 2.0 + line > radius) return std::nullopt;
        const int cx = (content.left + content.right) / 2, cy = (content.top + content.bottom) / 2;
        place.quietBox = {cx - w / 2, cy - h / 2, cx - w / 2 + w, cy - h / 2 + h};
        place.textArea = content;
    } else {
        // At the right end, leaving at least half the label to the texts.
        if (h > height(content) || w > width(content) / 2) return std::nullopt;
        const int top = content.top + (height(content) - h) / 2;
        place.quietBox = {content.right - w, top, content.right, top + h};
        place.textArea = {content.left, content.top, content.right - w, content.bottom};
    }
    place.left = place.quietBox.left + quiet * place.moduleWidth;
    place.top = place.quietBox.top + quiet * place.moduleHeight;
    return place;
}

}  // namespace labelora
