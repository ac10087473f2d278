#include "engine/attribute_registry.h"

#include <new>

#include "engine/record_numbers.h"
#include "engine/workbook.h"

namespace tabrix::engine {

namespace {

// XF indexes are 16-bit in cell records.
constexpr size_t kMaxXfs = 0x10000;

// Fields 18-24 (Fit to Rotation) exist in Excel 97 files only; Excel 95 ignores them.
constexpr size_t kFirstBiff8Field = 17;
constexpr size_t kLastBiff8Field = 23;

AttributeFields comparison_key(const XfFormat &format, const XLATTR &attr) {
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

size_t AttributeFieldsHash::operator()(const AttributeFields &fields) const noexcept {
    uint64_t hash = 14695981039346656037ull;  // FNV-1a over the 16-bit fields
    for (int16_t field : fields) {
        hash ^= static_cast<uint16_t>(field);
        hash *= 1099511628211ull;
    }
    return static_cast<size_t>(hash ^ (hash >> 29));
}

XfFormat xf_format(const Workbook &book) {
    return XfFormat{book.biff8(), book.biff8() && book.format.version_stamp >= 2002};
}

XLATTR attribute_record(const Workbook &book, int32_t number) {
    const std::vector<XLATTR> &list = book.attributes.attributes;
    if (number >= kFirstRegisteredXf &&
        static_cast<size_t>(number - kFirstRegisteredXf) < list.size()) {
        return list[number - kFirstRegisteredXf];
    }
    return default_attribute(xf_format(book));
}

uint16_t held_attribute(const Workbook &book, int64_t number) {
    constexpr uint16_t kDefaultXf = 15;
    if (number < 0 || static_cast<uint64_t>(number) >= book.xfs.records().size()) return kDefaultXf;
    return static_cast<uint16_t>(number);
}

int32_t register_attribute(Workbook &book, const XLATTR &normalised) {
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
        return kErrMemoryXf;
    }
    return kFirstRegisteredXf + static_cast<int32_t>(position);
}

int32_t attribute_number(Workbook &book, const XLATTR &request) {
    const XfFormat format = xf_format(book);
    XLATTR a = default_attribute(format);
    for (auto [to, from] : {std::pair{&a.Font, request.Font},
                            {&a.Format, request.Format},
                            {&a.PosHorz, request.PosHorz},
                            {&a.OverReturn, request.OverReturn},
                            {&a.PosVert, request.PosVert},
                            {&a.Orient, request.Orient},
                            {&a.LineTop, request.LineTop},
                            {&a.LineBottom, request.LineBottom},
                            {&a.LineLeft, request.LineLeft},
                            {&a.LineRight, request.LineRight},
                            {&a.ColorTop, request.ColorTop},
                            {&a.ColorBottom, request.ColorBottom},
                            {&a.ColorLeft, request.ColorLeft},
                            {&a.ColorRight, request.ColorRight},
                            {&a.Pattern, request.Pattern},
                            {&a.PatternColor, request.PatternColor},
                            {&a.BackColor, request.BackColor},
                            {&a.Locked, request.Locked},
                            {&a.Hidden, request.Hidden}}) {
        copy_if_set(*to, from);
    }
    // Excel 95 has no indent: a left alignment asked with one becomes general (normalised).
    if (!format.biff8) copy_if_set(a.Indent, request.Indent);
    if (format.biff8) {
        for (auto [to, from] : {std::pair{&a.Fit, request.Fit},
                                {&a.Joint, request.Joint},
                                {&a.DiagKind, request.DiagKind},
                                {&a.DiagStyle, request.DiagStyle},
                                {&a.DiagColor, request.DiagColor},
                                {&a.Indent, request.Indent}}) {
            copy_if_set(*to, from);
        }
        if (request.Rotation != 0) copy_if_set(a.Rotation, request.Rotation);
    }
    normalise_attribute(format, a);
    return register_attribute(book, a);
}

int32_t attribute_number_packed(Workbook &book, uint32_t lines, uint32_t colours, int32_t pos_horz,
                                int32_t font, int32_t format_number) {
    const XfFormat format = xf_format(book);
    XLATTR a = default_attribute(format);
    if (pos_horz != -1) a.PosHorz = static_cast<int16_t>(pos_horz & 7);
    if (font != -1) a.Font = static_cast<int16_t>(font);
    if (format_number != -1) a.Format = static_cast<int16_t>(format_number);
    const unsigned style_mask = format.biff8 ? 0x0F : 0x07;
    int16_t *styles[] = {&a.LineTop, &a.LineBottom, &a.LineLeft, &a.LineRight};
    int16_t *edge_colours[] = {&a.ColorTop, &a.ColorBottom, &a.ColorLeft, &a.ColorRight};
    for (int edge = 0; edge < 4; ++edge) {
        const int shift = 24 - 8 * edge;
        const unsigned style = (lines >> shift) & 0xFF;
        *styles[edge] = static_cast<int16_t>(style == 0xFF ? 0 : style & style_mask);
        *edge_colours[edge] = static_cast<int16_t>((colours >> shift) & 0xFF);
    }
    if (format.biff8 && a.DiagStyle == kUnset) a.DiagStyle = 0;
    normalise_attribute(format, a);
    return attribute_number(book, a);
}

}  // namespace tabrix::engine
