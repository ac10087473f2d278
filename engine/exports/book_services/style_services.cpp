// The Book API's view of cell styles: the font a cell shows now, and the XF, FONT and FORMAT
// records of the file a workbook was read or loaded from.
#include <functional>
#include <optional>

#include "engine/biff/biff_string.h"
#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"
#include "engine/biff/record_reader.h"
#include "engine/exports/book_services/book_services.h"
#include "engine/lifecycle/workbook_table.h"
#include "engine/read/number_format_lookup.h"
#include "engine/read/reader/workbook_reader.h"
#include "engine/styles/default_records.h"
#include "engine/styles/xf_records.h"
#include "platform/codepage.h"
#include "platform/interface_text.h"

namespace tabrix::engine::services {

namespace {

// FONT record fields (both formats); the name follows at 14.
constexpr size_t kFontName = 14;
constexpr uint16_t kAutomaticColour = 0x7FFF;
constexpr uint16_t kNormalWeight = 400;
constexpr uint16_t kItalic = 0x0002;
constexpr uint16_t kStrike = 0x0008;
// FORMAT record: the number, then the string.
constexpr size_t kFormatText = 2;

// A font as the Book API's font calls take it: automatic colour as 0 (what XM_FontNo reads
// as automatic), the weight and escapement as XLFONTSTYLE bits. Heavier than normal counts
// as bold, so that a light font of another program does not turn bold when merged. Nothing
// when the body is too short for its fields or its name.
struct DecodedFont {
    std::u16string name;
    double size = 0;
    int32_t colour = 0;
    int32_t style = 0;
    int32_t underline = 0;
};

std::optional<DecodedFont> decode_font(
    std::span<const uint8_t> body, bool biff8,
    const std::function<std::u16string(std::span<const uint8_t>)> &narrow_name) {
    if (body.size() <= kFontName) return std::nullopt;
    const uint8_t *b = body.data();
    DecodedFont font;
    font.size = load_u16(b) / 20.0;
    const uint16_t options = load_u16(b + 2);
    const uint16_t colour = load_u16(b + 4);
    font.colour = colour == kAutomaticColour ? 0 : colour;
    const uint16_t escapement = load_u16(b + 8);
    font.style = (load_u16(b + 6) > kNormalWeight ? 1 : 0) | (options & kItalic ? 2 : 0) |
                 (options & kStrike ? 4 : 0) | (escapement == 1 ? 8 : 0) |
                 (escapement == 2 ? 16 : 0);
    font.underline = b[10];
    if (biff8) {
        size_t at = kFontName;
        std::optional<std::u16string> name = read_biff8_short_string(body, at);
        if (!name) return std::nullopt;
        font.name = std::move(*name);
    } else {
        const size_t length = b[kFontName];
        if (body.size() < kFontName + 1 + length) return std::nullopt;
        font.name = narrow_name(body.subspan(kFontName + 1, length));
    }
    return font;
}

// The FONT list position of a font number: there is no font 4.
std::optional<size_t> font_position(int64_t number) {
    if (number < 0 || number == 4) return std::nullopt;
    return static_cast<size_t>(number < 4 ? number : number - 1);
}

// Visits the workbook-globals records of the workbook's source file, from the start of its
// stream to the first EOF, until `visit` returns false. False when there is no such file.
bool walk_source_globals(int32_t h, const std::function<bool(const RawRecord &)> &visit) {
    Workbook *book = workbook_at(h);
    if (!book || !book->source) return false;
    RecordReader records(book->source->stream(), 0);
    RawRecord record;
    while (records.next(record) && record.number != rec::kEof) {
        if (!visit(record)) break;
    }
    return true;
}

const WorkbookReader &source_of(int32_t h) {
    return *workbook_at(h)->source;
}

}  // namespace

int32_t present_font(int32_t h, int32_t sheet, int32_t x, int32_t y, PresentFont &font) {
    font = PresentFont{};
    const BookRef ref = book_ref(h);
    if (!ref.book) return ref.missing;
    const Workbook &book = *ref.book;
    if (sheet < 0 || sheet >= book.sheet_count()) return err::kSheetNo;
    if (x < 0 || x > 255 || y < 0 || static_cast<uint32_t>(y) >= book.max_rows) {
        return err::kPosition;
    }
    CellView cell;
    const auto column = static_cast<uint8_t>(x);
    if (!book.sheets[sheet]->cells.find(static_cast<uint16_t>(y), column, &cell)) return 0;
    const uint16_t xf = cell.xf_at(column);
    if (xf == kDefaultXf) return 0;
    const std::vector<Record> &xfs = book.xfs.records();
    constexpr int32_t kAttributeError = err::of(errAttrNo);
    if (xf >= xfs.size() || xfs[xf].data.size() < 2) return kAttributeError;
    const std::optional<size_t> position = font_position(load_u16(xfs[xf].data.data()));
    const std::vector<Record> &fonts = book.fonts.records();
    if (!position || *position >= fonts.size()) return kAttributeError;
    // Names in memory are in the workbook's code page (Excel 95) or UTF-16 (Excel 97).
    const std::optional<DecodedFont> decoded = decode_font(
        fonts[*position].data, book.biff8(),
        [&](std::span<const uint8_t> bytes) { return decode_narrow(bytes, book.code_page); });
    if (!decoded) return kAttributeError;
    font.name = platform::utf16_to_narrow(decoded->name);
    font.size = decoded->size;
    font.colour = decoded->colour;
    font.style = decoded->style;
    font.underline = decoded->underline;
    return 0;
}

bool file_xf(int32_t h, int32_t number, XLATTR &attr) {
    std::optional<CellAttribute> found;
    bool biff8 = false;
    int32_t index = 0;
    walk_source_globals(h, [&](const RawRecord &record) {
        if (record.number == rec::kStyle) return false;
        if (record.number != rec::kXf) return true;
        if (index++ != number) return true;
        biff8 = source_of(h).biff8();
        found = read_xf_attribute(XfFormat{biff8, false}, record.data);
        return false;
    });
    if (!found) return false;
    const CellAttribute &a = *found;
    // Only the fields the format stores; the others stay as the caller had them.
    attr.Font = a.font;
    attr.Format = a.format;
    attr.PosHorz = a.pos_horz;
    attr.OverReturn = a.over_return;
    attr.PosVert = a.pos_vert;
    attr.LineTop = a.line_top;
    attr.LineBottom = a.line_bottom;
    attr.LineLeft = a.line_left;
    attr.LineRight = a.line_right;
    attr.ColorTop = a.color_top;
    attr.ColorBottom = a.color_bottom;
    attr.ColorLeft = a.color_left;
    attr.ColorRight = a.color_right;
    attr.Pattern = a.pattern;
    attr.PatternColor = a.pattern_color;
    attr.BackColor = a.back_color;
    attr.Locked = a.locked;
    attr.Hidden = a.hidden;
    if (biff8) {
        attr.Fit = a.fit;
        attr.Joint = a.joint;
        attr.DiagKind = a.diag_kind;
        attr.DiagStyle = a.diag_style;
        attr.DiagColor = a.diag_color;
        attr.Indent = a.indent;
        attr.Rotation = a.rotation;
    } else {
        attr.Orient = a.orient;
    }
    return true;
}

bool file_font(int32_t h, int32_t number, FileFont &font) {
    const std::optional<size_t> wanted = font_position(number);
    if (!wanted) return false;
    std::optional<DecodedFont> found;
    size_t position = 0;
    walk_source_globals(h, [&](const RawRecord &record) {
        if (record.number == rec::kFormat) return false;
        if (record.number != rec::kFont) return true;
        if (position++ != *wanted) return true;
        const WorkbookReader &source = source_of(h);
        found = decode_font(record.data, source.biff8(), [&](std::span<const uint8_t> bytes) {
            return source.decode_narrow(bytes);
        });
        return false;
    });
    if (!found) return false;
    font = FileFont{std::move(found->name), found->size, found->colour, found->style,
                    found->underline};
    return true;
}

bool file_format(int32_t h, int32_t number, std::u16string &format) {
    const Workbook *book = workbook_at(h);
    if (!book) return false;
    if (number >= 0 && number <= 0xFFFF) {
        if (const char *builtin = builtin_number_format(static_cast<uint16_t>(number))) {
            format = platform::cp932_to_utf16(builtin);
            return true;
        }
    }
    std::optional<std::u16string> found;
    walk_source_globals(h, [&](const RawRecord &record) {
        if (record.number == rec::kXf) return false;
        if (record.number != rec::kFormat || record.data.size() < kFormatText) return true;
        if (load_u16(record.data.data()) != number) return true;
        found = format_record_text(*book, record.data);
        return false;
    });
    if (!found) return false;
    format = std::move(*found);
    return true;
}

bool file_record_counts(int32_t h, FileRecordCounts &counts) {
    FileRecordCounts seen;
    const bool read = walk_source_globals(h, [&](const RawRecord &record) {
        seen.xfs += record.number == rec::kXf;
        seen.formats += record.number == rec::kFormat;
        seen.fonts += record.number == rec::kFont;
        return true;
    });
    if (read) counts = seen;
    return read;
}

}  // namespace tabrix::engine::services
