#include <utility>

#include "engine/exports/boundary.h"

namespace tabrix::engine {
namespace {

// The public request and the engine's attribute name the same fields.
constexpr std::pair<int16_t XLATTR::*, int16_t CellAttribute::*> kFields[] = {
    {&XLATTR::Font, &CellAttribute::font},
    {&XLATTR::Format, &CellAttribute::format},
    {&XLATTR::PosHorz, &CellAttribute::pos_horz},
    {&XLATTR::OverReturn, &CellAttribute::over_return},
    {&XLATTR::PosVert, &CellAttribute::pos_vert},
    {&XLATTR::Orient, &CellAttribute::orient},
    {&XLATTR::LineTop, &CellAttribute::line_top},
    {&XLATTR::LineBottom, &CellAttribute::line_bottom},
    {&XLATTR::LineLeft, &CellAttribute::line_left},
    {&XLATTR::LineRight, &CellAttribute::line_right},
    {&XLATTR::ColorTop, &CellAttribute::color_top},
    {&XLATTR::ColorBottom, &CellAttribute::color_bottom},
    {&XLATTR::ColorLeft, &CellAttribute::color_left},
    {&XLATTR::ColorRight, &CellAttribute::color_right},
    {&XLATTR::Pattern, &CellAttribute::pattern},
    {&XLATTR::PatternColor, &CellAttribute::pattern_color},
    {&XLATTR::BackColor, &CellAttribute::back_color},
    {&XLATTR::Fit, &CellAttribute::fit},
    {&XLATTR::Joint, &CellAttribute::joint},
    {&XLATTR::DiagKind, &CellAttribute::diag_kind},
    {&XLATTR::DiagStyle, &CellAttribute::diag_style},
    {&XLATTR::DiagColor, &CellAttribute::diag_color},
    {&XLATTR::Indent, &CellAttribute::indent},
    {&XLATTR::Rotation, &CellAttribute::rotation},
    {&XLATTR::Locked, &CellAttribute::locked},
    {&XLATTR::Hidden, &CellAttribute::hidden},
};
static_assert(std::size(kFields) == kAttributeFields);

}  // namespace

CellAttribute attribute_of(const XLATTR &request) {
    CellAttribute attribute{};
    for (const auto &[from, to] : kFields) attribute.*to = request.*from;
    return attribute;
}

XLATTR public_attribute(const CellAttribute &attribute) {
    XLATTR request{};
    for (const auto &[to, from] : kFields) request.*to = attribute.*from;
    return request;
}

}  // namespace tabrix::engine
