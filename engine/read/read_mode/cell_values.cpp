#include "engine/read/read_mode/cell_values.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#include "engine/biff/biff_string.h"
#include "engine/biff/continued_text.h"
#include "engine/biff/le_bytes.h"
#include "engine/read/reader/sheet_scan.h"
#include "engine/read/reader/workbook_reader.h"
#include "platform/interface_text.h"

namespace tabrix::engine {

namespace {

constexpr uint16_t kSpecialResult = 0xFFFF;
constexpr uint8_t kResultText = 0;
constexpr uint8_t kResultBoolean = 1;
constexpr uint8_t kResultError = 2;
constexpr uint8_t kResultEmptyText = 3;

// The errors in the order of their numbers 1 to 7.
struct ErrorName {
    uint8_t code;
    std::u16string_view text;
};
constexpr std::array<ErrorName, 7> kErrors{{{0x00, u"#NULL!"},
                                            {0x07, u"#DIV/0!"},
                                            {0x0F, u"#VALUE!"},
                                            {0x17, u"#REF!"},
                                            {0x1D, u"#NAME?"},
                                            {0x24, u"#NUM!"},
                                            {0x2A, u"#N/A"}}};

// A text with a 16-bit count at `pos`: Excel 97 characters after their option byte, Excel 95
// bytes in the file's code page. An empty Excel 97 text may lack its option byte.
std::optional<std::u16string> read_text(const CellTexts &texts, std::span<const uint8_t> data,
                                        size_t pos) {
    if (pos > data.size() || data.size() - pos < 2) return std::nullopt;
    const size_t count = load_u16(data.data() + pos);
    if (texts.biff8()) {
        if (count == 0) return std::u16string();
        return read_biff8_string(data, pos);
    }
    if (data.size() - pos - 2 < count) return std::nullopt;
    return texts.narrow(data.subspan(pos + 2, count));
}

// The element of a MULRK or MULBLANK that holds `column`; false when it holds none.
bool element_of(std::span<const uint8_t> data, size_t element_size, uint8_t column,
                size_t *element) {
    if (data.size() < kCellHeader + element_size) return false;
    const uint16_t first = load_u16(data.data() + 2);
    const size_t count = (data.size() - kCellHeader) / element_size;
    if (column < first || static_cast<size_t>(column - first) >= count) return false;
    *element = column - first;
    return true;
}

void set_rk(uint32_t rk, CellValue &out) {
    out.number = rk_value(rk);
    if (rk_is_integer(rk)) {
        out.kind = CellKind::integer;
        out.integer = static_cast<int32_t>(rk) >> 2;
    } else {
        out.kind = CellKind::number;
    }
}

bool decode_formula(const CellTexts &texts, std::span<const uint8_t> data,
                    const std::span<const uint8_t> *string, CellValue &out) {
    if (data.size() < 14) return false;
    out.formula = true;
    if (load_u16(data.data() + 12) != kSpecialResult) {
        out.kind = CellKind::number;
        out.number = load_f64(data.data() + 6);
        return true;
    }
    switch (data[6]) {
        case kResultText: {
            if (!string) return false;
            auto text = read_text(texts, *string, 0);
            if (!text) return false;
            out.kind = CellKind::text;
            out.text = std::move(*text);
            return true;
        }
        case kResultBoolean:
            out.kind = CellKind::boolean;
            out.code = data[8] != 0 ? 1 : 0;
            return true;
        case kResultError:
            out.kind = CellKind::error;
            out.code = data[8];
            return true;
        case kResultEmptyText:
            out.kind = CellKind::text;
            return true;
        default:
            return false;
    }
}

}  // namespace

bool FileTexts::biff8() const {
    return reader_.biff8();
}

std::u16string FileTexts::narrow(std::span<const uint8_t> bytes) const {
    return reader_.decode_narrow(bytes);
}

const std::u16string *FileTexts::shared(uint32_t index) const {
    const auto &strings = reader_.shared_strings();
    return index < strings.size() ? &strings[index] : nullptr;
}

bool formula_has_string(std::span<const uint8_t> data) {
    return data.size() >= 14 && load_u16(data.data() + 12) == kSpecialResult &&
           data[6] == kResultText;
}

WholeCellRecord::WholeCellRecord(RecordReader &records, const RawRecord &record, bool biff8)
    : data_(record.data) {
    const CellRecord kind = cell_record_of(record.number);
    if (kind == CellRecord::label || kind == CellRecord::rstring) {
        data_ = text_record_data(records, record, kCellHeader, biff8, joined_);
    } else if (kind == CellRecord::formula && formula_has_string(record.data)) {
        RawRecord string;
        has_string_ = next_string_record(records, string);
        if (has_string_) string_ = text_record_data(records, string, 0, biff8, joined_string_);
    }
}

bool decode_cell(const CellTexts &texts, CellRecord kind, std::span<const uint8_t> data,
                 uint8_t column, const std::span<const uint8_t> *string, CellValue &out) {
    // Field by field: assigning a fresh value would build and free a text each time.
    out.kind = CellKind::blank;
    out.formula = false;
    out.xf = 0;
    out.number = 0;
    out.integer = 0;
    out.code = 0;
    out.text.clear();
    out.shared_text = nullptr;
    if (data.size() < kCellHeader) return false;
    out.xf = load_u16(data.data() + 4);
    switch (kind) {
        case CellRecord::rk:
            if (data.size() < 10) return false;
            set_rk(load_u32(data.data() + 6), out);
            return true;
        case CellRecord::number:
            if (data.size() < 14) return false;
            out.kind = CellKind::number;
            out.number = load_f64(data.data() + 6);
            return true;
        case CellRecord::label:
        case CellRecord::rstring: {
            auto text = read_text(texts, data, kCellHeader);
            if (!text) return false;
            out.kind = CellKind::text;
            out.text = std::move(*text);
            return true;
        }
        case CellRecord::label_sst: {
            if (data.size() < 10) return false;
            const std::u16string *text = texts.shared(load_u32(data.data() + 6));
            if (!text) return false;
            out.kind = CellKind::text;
            out.shared_text = text;
            return true;
        }
        case CellRecord::boolerr:
            if (data.size() < 8) return false;
            out.kind = data[7] != 0 ? CellKind::error : CellKind::boolean;
            out.code = data[7] != 0 ? data[6] : (data[6] != 0 ? 1 : 0);
            return true;
        case CellRecord::formula:
            return decode_formula(texts, data, string, out);
        case CellRecord::mulrk: {
            size_t element = 0;
            if (!element_of(data, 6, column, &element)) return false;
            out.xf = load_u16(data.data() + 4 + 6 * element);
            set_rk(load_u32(data.data() + 6 + 6 * element), out);
            return true;
        }
        case CellRecord::mulblank: {
            size_t element = 0;
            if (!element_of(data, 2, column, &element)) return false;
            out.xf = load_u16(data.data() + 4 + 2 * element);
            out.kind = CellKind::blank;
            return true;
        }
        case CellRecord::none:
            break;
    }
    return false;
}

int32_t error_number(uint8_t code) {
    for (size_t i = 0; i < kErrors.size(); ++i) {
        if (kErrors[i].code == code) return static_cast<int32_t>(i + 1);
    }
    return 0;
}

std::u16string_view error_text(uint8_t code) {
    const int32_t number = error_number(code);
    return number == 0 ? std::u16string_view() : kErrors[number - 1].text;
}

void TextBuffer::put(std::u16string_view text) const {
    if (!given()) return;
    const size_t limit = static_cast<size_t>(size) - 1;
    if (wide) {
        size_t end = std::min(text.size(), limit);
        if (end < text.size() && end > 0 && text[end - 1] >= 0xD800 && text[end - 1] <= 0xDBFF) {
            --end;
        }
        std::copy_n(text.begin(), end, wide);
        wide[end] = u'\0';
        return;
    }
    if (std::all_of(text.begin(), text.end(), [](char16_t unit) { return unit < 0x80; })) {
        // ASCII reads the same in either narrow form.
        const size_t end = std::min(text.size(), limit);
        std::transform(text.begin(), text.begin() + static_cast<ptrdiff_t>(end), narrow,
                       [](char16_t unit) { return static_cast<char>(unit); });
        narrow[end] = '\0';
        return;
    }
    const std::string bytes = platform::utf16_to_narrow(text);
    const size_t end = platform::narrow_fit(bytes, limit);
    std::memcpy(narrow, bytes.data(), end);
    narrow[end] = '\0';
}

}  // namespace tabrix::engine
