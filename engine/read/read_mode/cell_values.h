// The value of one cell record as the calls that read cells back see it, for records read
// from a file and for the record images of a workbook in memory alike, and the texts handed
// to callers' buffers.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/biff/le_bytes.h"
#include "engine/biff/record_reader.h"
#include "engine/model/read_state.h"

namespace tabrix::engine {

// The cell records the reader knows, told by the low byte of the record number.
enum class CellRecord : uint8_t {
    none,
    rk,
    number,
    label,
    boolerr,
    formula,
    label_sst,
    rstring,
    mulrk,
    mulblank,
};
inline constexpr size_t kCellHeader = 6;  // row, column, XF

namespace detail {
constexpr std::array<CellRecord, 256> cell_records_by_low_byte() {
    std::array<CellRecord, 256> table{};
    table[0x7E] = CellRecord::rk;
    table[0x03] = CellRecord::number;
    table[0x04] = CellRecord::label;
    table[0x05] = CellRecord::boolerr;
    table[0x06] = CellRecord::formula;
    table[0xFD] = CellRecord::label_sst;
    table[0xD6] = CellRecord::rstring;
    table[0xBD] = CellRecord::mulrk;
    table[0xBE] = CellRecord::mulblank;
    return table;
}
inline constexpr std::array<CellRecord, 256> kCellRecords = cell_records_by_low_byte();
}  // namespace detail

// Looked up for every record the readers step over: one table read.
inline CellRecord cell_record_of(uint16_t number) {
    return detail::kCellRecords[number & 0xFF];
}

enum class CellKind : uint8_t { blank, integer, number, boolean, error, text };

struct CellValue {
    CellKind kind = CellKind::blank;
    bool formula = false;  // the result of a FORMULA
    uint16_t xf = 0;
    double number = 0;    // number and integer kinds
    int32_t integer = 0;  // integer kind
    uint8_t code = 0;     // boolean 0 or 1; error: the file's error code
    std::u16string text;  // the text kind's text, unless it is a shared string:
    const std::u16string *shared_text = nullptr;  // a LABELSST's, in its table

    std::u16string_view text_view() const { return shared_text ? *shared_text : text; }
};

// Where the texts of cell records come from: Excel 95 narrow texts are decoded by the
// code page their file names, LABELSST cells point into a shared-string table.
class CellTexts {
  public:
    virtual ~CellTexts() = default;
    virtual bool biff8() const = 0;
    virtual std::u16string narrow(std::span<const uint8_t> bytes) const = 0;
    // Null for an index outside the table.
    virtual const std::u16string *shared(uint32_t index) const = 0;
};

class WorkbookReader;

// The texts of a workbook file: its own code page, its own SST.
class FileTexts final : public CellTexts {
  public:
    explicit FileTexts(const WorkbookReader &reader) : reader_(reader) {}
    bool biff8() const override;
    std::u16string narrow(std::span<const uint8_t> bytes) const override;
    const std::u16string *shared(uint32_t index) const override;

  private:
    const WorkbookReader &reader_;
};

// Row and columns a cell record covers (a MULRK or MULBLANK as many columns as it holds
// elements, up to column 255); false when the record is too short to be one. Inline: the row
// index and the sorted list ask it of every record they pass.
inline bool cell_place_of(CellRecord kind, std::span<const uint8_t> data, CellRecordPlace &out) {
    if (kind == CellRecord::none || data.size() < kCellHeader) return false;
    const uint16_t column = load_u16(data.data() + 2);
    if (column > 255) return false;
    out.row = load_u16(data.data());
    out.first_column = static_cast<uint8_t>(column);
    out.last_column = out.first_column;
    if (kind == CellRecord::mulrk || kind == CellRecord::mulblank) {
        const size_t element_size = kind == CellRecord::mulrk ? 6 : 2;
        const size_t count = (data.size() - kCellHeader) / element_size;
        if (count == 0) return false;
        out.last_column = static_cast<uint8_t>(std::min<size_t>(255, column + count - 1));
    }
    return true;
}

// Whether a FORMULA's result is a text, held by the STRING record that follows it.
bool formula_has_string(std::span<const uint8_t> data);

// A cell record just read from `records`, whole: the rest of a long LABEL or RSTRING text
// joined in from its CONTINUE records, and a FORMULA's STRING (its text joined alike) found
// behind it. `records` moves past what was read.
class WholeCellRecord {
  public:
    WholeCellRecord(RecordReader &records, const RawRecord &record, bool biff8);
    WholeCellRecord(const WholeCellRecord &) = delete;
    WholeCellRecord &operator=(const WholeCellRecord &) = delete;

    std::span<const uint8_t> data() const { return data_; }
    // The STRING's data, or null when none was found.
    const std::span<const uint8_t> *string() const { return has_string_ ? &string_ : nullptr; }

  private:
    std::vector<uint8_t> joined_;
    std::vector<uint8_t> joined_string_;
    std::span<const uint8_t> data_;
    std::span<const uint8_t> string_;
    bool has_string_ = false;
};

// The value at `column` of a cell record; `string` is the data of the STRING record that
// follows a FORMULA with a text result (null when none was found). False when the record
// cannot be read: too short, a text running past its end, an unknown result type, a shared
// string index outside the table, a missing STRING.
bool decode_cell(const CellTexts &texts, CellRecord kind, std::span<const uint8_t> data,
                 uint8_t column, const std::span<const uint8_t> *string, CellValue &out);

// An RK number: a 30-bit integer or the top 30 bits of a double, divided by 100 when bit 0
// is set. An integer only when bit 1 is set and bit 0 is not.
inline double rk_value(uint32_t rk) {
    const double value = (rk & 0x02)
                             ? static_cast<double>(static_cast<int32_t>(rk) >> 2)
                             : std::bit_cast<double>(static_cast<uint64_t>(rk & 0xFFFFFFFC) << 32);
    return (rk & 0x01) ? value / 100 : value;
}
inline bool rk_is_integer(uint32_t rk) {
    return (rk & 0x03) == 0x02;
}

// 1 #NULL!, 2 #DIV/0!, 3 #VALUE!, 4 #REF!, 5 #NAME?, 6 #NUM!, 7 #N/A; 0 for any other code.
int32_t error_number(uint8_t code);
// The error's text ("#DIV/0!"), empty for a code that is no error.
std::u16string_view error_text(uint8_t code);

// A caller's text buffer of `size` units, narrow (code page 932) or UTF-16.
struct TextBuffer {
    char *narrow = nullptr;
    char16_t *wide = nullptr;
    int32_t size = 0;

    bool given() const { return (narrow || wide) && size > 0; }
    // The text, cut at a character boundary (never between the bytes of a double-byte
    // character or the halves of a surrogate pair) so that it ends with NUL inside the
    // buffer. Nothing when no buffer is given.
    void put(std::u16string_view text) const;
};

}  // namespace tabrix::engine
