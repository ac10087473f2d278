// FORMULA and STRING record data: head, cached result encodings, tokens and array data.
#include "engine/formula/formula_record.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstddef>
#include <cstring>
#include <limits>
#include <vector>

#include "engine/exports/boundary.h"

namespace tabrix::engine {
namespace {

using Bytes = std::vector<uint8_t>;

CompiledFormula sample_formula() {
    CompiledFormula formula;
    formula.tokens = {0x60, 0x00, 0x00, 0x00, 0, 0, 0, 0};
    formula.array_data = {0x00, 0x00, 0x00, 0x04, 0x01, 0, 0, 0, 0, 0, 0, 0};
    return formula;
}

FormulaResult result(int16_t kind, double value = 0) {
    FormulaResult r{};
    r.kind = kind;
    r.value = value;
    return r;
}

FormulaResult text_result(const char *text) {
    FormulaResult r = result(kResultString);
    r.length = static_cast<int16_t>(std::strlen(text));
    std::memcpy(r.text, text, static_cast<size_t>(r.length));
    return r;
}

// The engine's view of a caller's result block, as the C entry points make it.
const CachedResult *cached(const FormulaResult &result) {
    static std::optional<CachedResult> held;
    held = cached_of(&result);
    return &*held;
}

Bytes cached_bytes(const FormulaCellRecords &records) {
    const Bytes &data = records.formula.data;
    return Bytes(data.begin() + 6, data.begin() + 14);
}

TEST(FormulaRecord, WithoutResultCalculatesOnLoad) {
    FormulaCellRecords records;
    ASSERT_EQ(build_formula_records(0x1234, 7, 15, sample_formula(), nullptr, BiffVersion::kBiff8,
                                    &records),
              0);
    EXPECT_EQ(records.formula.number, 0x0006);
    Bytes expected{0x34, 0x12, 0x07, 0x00, 0x0F, 0x00,        // row, column, XF
                   0,    0,    0,    0,    0,    0,    0, 0,  // no cached result
                   0x03, 0x00, 0,    0,    0,    0,           // always calculate, calculate on load
                   0x08, 0x00};                               // token length without array data
    const CompiledFormula formula = sample_formula();
    expected.insert(expected.end(), formula.tokens.begin(), formula.tokens.end());
    expected.insert(expected.end(), formula.array_data.begin(), formula.array_data.end());
    EXPECT_EQ(records.formula.data, expected);
    EXPECT_FALSE(records.string.has_value());
}

TEST(FormulaRecord, CachedResultEncodings) {
    FormulaCellRecords records;
    FormulaResult number = result(kResultNumber, -2.5);
    ASSERT_EQ(build_formula_records(0, 0, 15, sample_formula(), cached(number), BiffVersion::kBiff5,
                                    &records),
              0);
    uint64_t bits = std::bit_cast<uint64_t>(-2.5);
    Bytes expected;
    for (int i = 0; i < 8; ++i) expected.push_back(static_cast<uint8_t>(bits >> (8 * i)));
    EXPECT_EQ(cached_bytes(records), expected);
    EXPECT_EQ(records.formula.data[14], 0);  // a given result: no recalculation flags
    EXPECT_EQ(records.formula.data[15], 0);

    FormulaResult boolean = result(kResultBoolean, 1.9);
    ASSERT_EQ(build_formula_records(0, 0, 15, sample_formula(), cached(boolean),
                                    BiffVersion::kBiff8, &records),
              0);
    EXPECT_EQ(cached_bytes(records), (Bytes{1, 0, 1, 0, 0, 0, 0xFF, 0xFF}));
    boolean.value = 0.4;
    ASSERT_EQ(build_formula_records(0, 0, 15, sample_formula(), cached(boolean),
                                    BiffVersion::kBiff8, &records),
              0);
    EXPECT_EQ(cached_bytes(records), (Bytes{1, 0, 0, 0, 0, 0, 0xFF, 0xFF}));

    FormulaResult error = result(kResultError, 7);
    ASSERT_EQ(build_formula_records(0, 0, 15, sample_formula(), cached(error), BiffVersion::kBiff8,
                                    &records),
              0);
    EXPECT_EQ(cached_bytes(records), (Bytes{2, 0, 7, 0, 0, 0, 0xFF, 0xFF}));
    EXPECT_FALSE(records.string.has_value());
}

TEST(FormulaRecord, StringResultAddsStringRecord) {
    FormulaCellRecords records;
    FormulaResult text = text_result("abc");
    ASSERT_EQ(build_formula_records(0, 0, 15, sample_formula(), cached(text), BiffVersion::kBiff5,
                                    &records),
              0);
    EXPECT_EQ(cached_bytes(records), (Bytes{0, 0, 0, 0, 0, 0, 0xFF, 0xFF}));
    ASSERT_TRUE(records.string.has_value());
    EXPECT_EQ(records.string->number, 0x0207);
    EXPECT_EQ(records.string->data, (Bytes{0x03, 0x00, 'a', 'b', 'c'}));

    ASSERT_EQ(build_formula_records(0, 0, 15, sample_formula(), cached(text), BiffVersion::kBiff8,
                                    &records),
              0);
    EXPECT_EQ(records.string->data, (Bytes{0x03, 0x00, 0x00, 'a', 'b', 'c'}));

    // Code page 932 text: the bytes in BIFF5, UTF-16 in BIFF8.
    FormulaResult japanese = text_result(
        "\x93\xfa\x96\x7b"
        "A");
    ASSERT_EQ(build_formula_records(0, 0, 15, sample_formula(), cached(japanese),
                                    BiffVersion::kBiff5, &records),
              0);
    EXPECT_EQ(records.string->data, (Bytes{0x05, 0x00, 0x93, 0xFA, 0x96, 0x7B, 'A'}));
    ASSERT_EQ(build_formula_records(0, 0, 15, sample_formula(), cached(japanese),
                                    BiffVersion::kBiff8, &records),
              0);
    EXPECT_EQ(records.string->data, (Bytes{0x03, 0x00, 0x01, 0xE5, 0x65, 0x2C, 0x67, 'A', 0x00}));

    FormulaResult empty = text_result("");
    ASSERT_EQ(build_formula_records(0, 0, 15, sample_formula(), cached(empty), BiffVersion::kBiff8,
                                    &records),
              0);
    EXPECT_EQ(records.string->data, (Bytes{0x00, 0x00, 0x00}));

    FormulaResult longest = result(kResultString);
    longest.length = 256;
    std::memset(longest.text, 'x', sizeof longest.text);
    ASSERT_EQ(build_formula_records(0, 0, 15, sample_formula(), cached(longest),
                                    BiffVersion::kBiff8, &records),
              0);
    EXPECT_EQ(records.string->data.size(), 3u + 256u);
}

TEST(FormulaRecord, RefusedResults) {
    FormulaCellRecords records;
    FormulaResult text = text_result("abc");
    text.length = 257;
    EXPECT_EQ(build_formula_records(0, 0, 15, sample_formula(), cached(text), BiffVersion::kBiff8,
                                    &records),
              -31);
    text.length = -1;
    EXPECT_EQ(build_formula_records(0, 0, 15, sample_formula(), cached(text), BiffVersion::kBiff5,
                                    &records),
              -31);
    FormulaResult kind = result(4);
    EXPECT_EQ(build_formula_records(0, 0, 15, sample_formula(), cached(kind), BiffVersion::kBiff8,
                                    &records),
              -34);
    kind.kind = -1;
    EXPECT_EQ(build_formula_records(0, 0, 15, sample_formula(), cached(kind), BiffVersion::kBiff8,
                                    &records),
              -34);
    // Boolean and error values must be codes a byte can hold.
    for (double bad : {std::numeric_limits<double>::quiet_NaN(),
                       std::numeric_limits<double>::infinity(), -1.0, 256.0}) {
        FormulaResult error = result(kResultError, bad);
        EXPECT_EQ(build_formula_records(0, 0, 15, sample_formula(), cached(error),
                                        BiffVersion::kBiff8, &records),
                  -34);
        FormulaResult boolean = result(kResultBoolean, bad);
        EXPECT_EQ(build_formula_records(0, 0, 15, sample_formula(), cached(boolean),
                                        BiffVersion::kBiff8, &records),
                  -34);
    }
    // Nothing beyond the record buffer.
    CompiledFormula huge;
    huge.tokens.assign(10240 - 22, 0x16);
    EXPECT_EQ(build_formula_records(0, 0, 15, huge, nullptr, BiffVersion::kBiff8, &records), -31);
    huge.tokens.pop_back();
    EXPECT_EQ(build_formula_records(0, 0, 15, huge, nullptr, BiffVersion::kBiff8, &records), 0);
}

TEST(FormulaRecord, ResultBlockIsTheBookApisLayout) {
    EXPECT_EQ(sizeof(FormulaResult), 268u);
    EXPECT_EQ(offsetof(FormulaResult, kind), 8u);
    EXPECT_EQ(offsetof(FormulaResult, length), 10u);
    EXPECT_EQ(offsetof(FormulaResult, text), 12u);
}

}  // namespace
}  // namespace tabrix::engine
