#include "engine/styles/attribute_registry.h"

#include <new>

#include "engine/biff/record_numbers.h"
#include "engine/model/workbook.h"

namespace tabrix::engine {

namespace {

// XF indexes are 16-bit in cell records.
constexpr size_t kMaxXfs = 0x10000;

// Fields 18-24 (Fit to Rotation) exist in Excel 97 files only; Excel 95 ignores them.
constexpr size_t kFirstBiff8Field = 17;
constexpr size_t kLastBiff8Field = 23;

AttributeFields comparison_key(const XfFormat &format, const CellAttribute &attr) {
    AttributeFields key = fields_of(attr);
    if (!format.biff8) {
        for (size_t i = kFirstBiff8Field; i <= kLastBiff8Field; ++i) key[i] = 0;
    }
    return key;
}

// Entries appended by others (a template's XFs) join the index on the next lookup.
void catch_up_attribute_index(const XfFormat &format, AttributeRegistry &registry) {
    for (size_t i = registry.attributes_indexed; i < registry.attributes.size(); ++i) {
        registry.attribute_positions.emplace(comparison_key(format, registry.attributes[i]), i);
    }
    registry.attributes_indexed = registry.attributes.size();
}

// Takes back an entry being added, so that the attribute list and the XF list stay in step.
void drop_entry(AttributeRegistry &registry, size_t position, const AttributeFields &key) {
    registry.attributes.resize(position);
    registry.attribute_positions.erase(key);
    registry.attributes_indexed = position;
}

void copy_if_set(int16_t &to, int16_t from) {
    if (from != kUnset) to = from;
}

}  // namespace

XfFormat xf_format(const Workbook &book) {
    return XfFormat{book.biff8(), book.biff8() && book.format.version_stamp >= 2002};
}

CellAttribute attribute_record(const Workbook &book, int32_t number) {
    const std::vector<CellAttribute> &list = book.attributes.attributes;
    if (number >= kFirstRegisteredXf &&
        static_cast<size_t>(number - kFirstRegisteredXf) < list.size()) {
        return list[number - kFirstRegisteredXf];
    }
    return default_attribute(xf_format(book));
}

int32_t register_attribute(Workbook &book, const CellAttribute &normalised) {
    const XfFormat format = xf_format(book);
    AttributeRegistry &registry = book.attributes;
    catch_up_attribute_index(format, registry);
    const AttributeFields key = comparison_key(format, normalised);
    if (auto found = registry.attribute_positions.find(key);
        found != registry.attribute_positions.end()) {
        return kFirstRegisteredXf + static_cast<int32_t>(found->second);
    }
    const size_t position = registry.attributes.size();
    if (kFirstRegisteredXf + position >= kMaxXfs) return err::kMemory;
    try {
        registry.attributes.push_back(normalised);
        registry.attribute_positions.emplace(key, position);
        registry.attributes_indexed = registry.attributes.size();
    } catch (const std::bad_alloc &) {
        drop_entry(registry, position, key);
        return err::kMemory;
    }
    try {
        book.xfs.append(rec::kXf, xf_body(format, normalised));
    } catch (const std::bad_alloc &) {
        drop_entry(registry, position, key);
        return err::kMemoryXf;
    }
    return kFirstRegisteredXf + static_cast<int32_t>(position);
}

int32_t attribute_number(Workbook &book, const CellAttribute &request) {
    const XfFormat format = xf_format(book);
    CellAttribute a = default_attribute(format);
    for (auto [to, from] : {std::pair{&a.font, request.font},
                            {&a.format, request.format},
                            {&a.pos_horz, request.pos_horz},
                            {&a.over_return, request.over_return},
                            {&a.pos_vert, request.pos_vert},
                            {&a.orient, request.orient},
                            {&a.line_top, request.line_top},
                            {&a.line_bottom, request.line_bottom},
                            {&a.line_left, request.line_left},
                            {&a.line_right, request.line_right},
                            {&a.color_top, request.color_top},
                            {&a.color_bottom, request.color_bottom},
                            {&a.color_left, request.color_left},
                            {&a.color_right, request.color_right},
                            {&a.pattern, request.pattern},
                            {&a.pattern_color, request.pattern_color},
                            {&a.back_color, request.back_color},
                            {&a.locked, request.locked},
                            {&a.hidden, request.hidden}}) {
        copy_if_set(*to, from);
    }
    // Excel 95 has no indent: a left alignment asked with one becomes general (normalised).
    if (!format.biff8) copy_if_set(a.indent, request.indent);
    if (format.biff8) {
        for (auto [to, from] : {std::pair{&a.fit, request.fit},
                                {&a.joint, request.joint},
                                {&a.diag_kind, request.diag_kind},
                                {&a.diag_style, request.diag_style},
                                {&a.diag_color, request.diag_color},
                                {&a.indent, request.indent}}) {
            copy_if_set(*to, from);
        }
        if (request.rotation != 0) copy_if_set(a.rotation, request.rotation);
    }
    normalise_attribute(format, a);
    return register_attribute(book, a);
}

int32_t attribute_number_packed(Workbook &book, uint32_t lines, uint32_t colours, int32_t pos_horz,
                                int32_t font, int32_t format_number) {
    const XfFormat format = xf_format(book);
    CellAttribute a = default_attribute(format);
    if (pos_horz != -1) a.pos_horz = static_cast<int16_t>(pos_horz & 7);
    if (font != -1) a.font = static_cast<int16_t>(font);
    if (format_number != -1) a.format = static_cast<int16_t>(format_number);
    const unsigned style_mask = format.biff8 ? 0x0F : 0x07;
    int16_t *styles[] = {&a.line_top, &a.line_bottom, &a.line_left, &a.line_right};
    int16_t *edge_colours[] = {&a.color_top, &a.color_bottom, &a.color_left, &a.color_right};
    for (int edge = 0; edge < 4; ++edge) {
        const int shift = 24 - 8 * edge;
        const unsigned style = (lines >> shift) & 0xFF;
        *styles[edge] = static_cast<int16_t>(style == 0xFF ? 0 : style & style_mask);
        *edge_colours[edge] = static_cast<int16_t>((colours >> shift) & 0xFF);
    }
    if (format.biff8 && a.diag_style == kUnset) a.diag_style = 0;
    normalise_attribute(format, a);
    return attribute_number(book, a);
}

}  // namespace tabrix::engine
