#include "engine/formula/formula_record.h"

#include <cmath>
#include <optional>
#include <string>

#include "engine/biff/biff_string.h"
#include "engine/biff/le_bytes.h"
#include "engine/biff/narrow_string.h"
#include "engine/biff/record_numbers.h"

namespace tabrix::engine {
namespace {

// FORMULA option flags without a cached result: always calculate, calculate on load.
constexpr uint16_t kRecalculateFlags = 0x0003;

// The 8 result bytes of a boolean, error or string result: type, 0, value, three zeros,
// then 0xFFFF where a number would have its exponent.
void put_special_result(std::vector<uint8_t> &bytes, uint8_t type, uint8_t value) {
    const uint8_t special[8] = {type, 0, value, 0, 0, 0, 0xFF, 0xFF};
    bytes.insert(bytes.end(), special, special + 8);
}

// The boolean or error code in a result's value; false when it cannot be one.
bool result_byte(double value, uint8_t *byte) {
    if (!std::isfinite(value)) return false;
    double truncated = std::trunc(value);
    if (truncated < 0 || truncated > 255) return false;
    *byte = static_cast<uint8_t>(truncated);
    return true;
}

// BIFF5: length and the bytes in the code page. BIFF8: the counted string.
int string_record_data(std::u16string_view text, BiffVersion version, uint16_t code_page,
                       std::vector<uint8_t> &data) {
    if (version == BiffVersion::kBiff8) {
        put_biff8_string(data, biff8_chars(text));
        return 0;
    }
    const std::optional<std::string> narrow = encode_narrow(text, code_page);
    if (!narrow) return err::kParam;
    if (narrow->size() > kMaxResultStringBytes) return err::kLength;
    data.reserve(2 + narrow->size());  // one allocation; also keeps GCC 12 -O3 quiet
    put_u16(data, static_cast<uint16_t>(narrow->size()));
    put_bytes(data, narrow->data(), narrow->size());
    return 0;
}

}  // namespace

int build_formula_records(uint16_t row, uint16_t column, uint16_t xf,
                          const CompiledFormula &formula, const CachedResult *result,
                          BiffVersion version, FormulaCellRecords *records, uint16_t code_page) {
    std::vector<uint8_t> data;
    data.reserve(kFormulaHeadSize + formula.tokens.size() + formula.array_data.size());
    put_u16(data, row);
    put_u16(data, column);
    put_u16(data, xf);

    std::optional<Record> string;
    if (result == nullptr) {
        data.insert(data.end(), 8, 0);
    } else {
        uint8_t byte = 0;
        switch (result->kind) {
            case kResultNumber:
                if (!std::isfinite(result->value)) return err::kParam;
                put_f64(data, result->value);
                break;
            case kResultBoolean:
                if (!result_byte(result->value, &byte)) return err::kParam;
                put_special_result(data, 1, byte != 0 ? 1 : 0);
                break;
            case kResultError:
                if (!result_byte(result->value, &byte)) return err::kParam;
                put_special_result(data, 2, byte);
                break;
            case kResultString:
                if (result->length < 0 ||
                    static_cast<size_t>(result->length) > kMaxResultStringBytes) {
                    return err::kLength;
                }
                // A NUL would end the text early in readers that take it as a C string.
                if (result->text.find(u'\0') != std::u16string::npos) return err::kParam;
                put_special_result(data, 0, 0);
                string = Record{rec::kString, {}};
                if (int rc = string_record_data(result->text, version, code_page, string->data);
                    rc != 0) {
                    return rc;
                }
                break;
            default:
                return err::kParam;
        }
    }
    put_u16(data, result == nullptr ? kRecalculateFlags : 0);
    data.insert(data.end(), 4, 0);
    put_u16(data, static_cast<unsigned>(formula.tokens.size()));
    data.insert(data.end(), formula.tokens.begin(), formula.tokens.end());
    data.insert(data.end(), formula.array_data.begin(), formula.array_data.end());

    size_t total = data.size() + (string ? string->disk_size() : 0);
    if (total >= kRecordBufferSize) return err::kLength;
    records->formula = Record{rec::kFormula, std::move(data)};
    records->string = std::move(string);
    return 0;
}

}  // namespace tabrix::engine
