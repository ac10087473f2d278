// Token bytes of representative formulas in both formats.
#include "engine/formula/formula_compiler.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace tabrix::engine {
namespace {

using Bytes = std::vector<uint8_t>;

FormulaContext context(BiffVersion version) {
    FormulaContext ctx;
    ctx.version = version;
    ctx.row_count = version == BiffVersion::kBiff5 ? 16384 : 65536;
    ctx.sheet_names = {u"Sheet1", u"Sheet2", u"Sheet3", u"My Sheet", u"Sheet5"};
    ctx.ref_sheets = {u"Sheet3", u"Sheet2", u"My Sheet", u"Sheet5"};
    return ctx;
}

const FormulaContext kBiff5 = context(BiffVersion::kBiff5);
const FormulaContext kBiff8 = context(BiffVersion::kBiff8);

CompiledFormula compile_ok(std::u16string_view text, const FormulaContext &ctx) {
    CompiledFormula out;
    int rc = compile_formula(text, ctx, &out);
    EXPECT_EQ(rc, 0) << std::string(text.begin(), text.end());
    return out;
}

Bytes tokens(std::u16string_view text, const FormulaContext &ctx) {
    return compile_ok(text, ctx).tokens;
}

Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes &part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

Bytes num(double value) {
    Bytes bytes{0x1F};
    uint64_t bits = std::bit_cast<uint64_t>(value);
    for (int i = 0; i < 8; ++i) bytes.push_back(static_cast<uint8_t>(bits >> (8 * i)));
    return bytes;
}

Bytes dbl(double value) {
    Bytes bytes = num(value);
    bytes.erase(bytes.begin());
    return bytes;
}

// A1 as ptgRefV: BIFF8 row, column with both relative bits; BIFF5 row with the bits, column.
const Bytes kA1v8{0x44, 0x00, 0x00, 0x00, 0xC0};
const Bytes kA1v5{0x44, 0x00, 0xC0, 0x00};

TEST(FormulaCompilerNumbers, IntegersUpTo65535AreInt) {
    EXPECT_EQ(tokens(u"=1", kBiff8), (Bytes{0x1E, 0x01, 0x00}));
    EXPECT_EQ(tokens(u"=65535", kBiff8), (Bytes{0x1E, 0xFF, 0xFF}));
    EXPECT_EQ(tokens(u"=+5", kBiff8), (Bytes{0x1E, 0x05, 0x00}));
    EXPECT_EQ(tokens(u"  =007", kBiff5), (Bytes{0x1E, 0x07, 0x00}));
}

TEST(FormulaCompilerNumbers, OthersAreFloats) {
    EXPECT_EQ(tokens(u"=65536", kBiff8), num(65536));
    EXPECT_EQ(tokens(u"=-5", kBiff8), num(-5));
    EXPECT_EQ(tokens(u"=1.5E3", kBiff8), num(1500));
    EXPECT_EQ(tokens(u"=1e+3", kBiff8), num(1000));
    EXPECT_EQ(tokens(u"=2.5e-1", kBiff5), num(0.25));
    EXPECT_EQ(tokens(u"=.5", kBiff5), num(0.5));
}

TEST(FormulaCompilerReferences, EachDollarCombination) {
    EXPECT_EQ(tokens(u"=B3", kBiff8), (Bytes{0x44, 0x02, 0x00, 0x01, 0xC0}));
    EXPECT_EQ(tokens(u"=$B3", kBiff8), (Bytes{0x44, 0x02, 0x00, 0x01, 0x80}));
    EXPECT_EQ(tokens(u"=B$3", kBiff8), (Bytes{0x44, 0x02, 0x00, 0x01, 0x40}));
    EXPECT_EQ(tokens(u"=$B$3", kBiff8), (Bytes{0x44, 0x02, 0x00, 0x01, 0x00}));
    EXPECT_EQ(tokens(u"=B3", kBiff5), (Bytes{0x44, 0x02, 0xC0, 0x01}));
    EXPECT_EQ(tokens(u"=$B3", kBiff5), (Bytes{0x44, 0x02, 0x80, 0x01}));
    EXPECT_EQ(tokens(u"=B$3", kBiff5), (Bytes{0x44, 0x02, 0x40, 0x01}));
    EXPECT_EQ(tokens(u"=$B$3", kBiff5), (Bytes{0x44, 0x02, 0x00, 0x01}));
}

TEST(FormulaCompilerReferences, GridCorners) {
    EXPECT_EQ(tokens(u"=iv65536", kBiff8), (Bytes{0x44, 0xFF, 0xFF, 0xFF, 0xC0}));
    EXPECT_EQ(tokens(u"=IV16384", kBiff5), (Bytes{0x44, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(tokens(u"=AA10", kBiff8), (Bytes{0x44, 0x09, 0x00, 0x1A, 0xC0}));
}

TEST(FormulaCompilerReferences, RangesAreStoredTopLeftFirst) {
    const Bytes a1b3{0x25, 0x00, 0x00, 0x02, 0x00, 0x00, 0xC0, 0x01, 0xC0};
    EXPECT_EQ(tokens(u"=A1:B3", kBiff8), a1b3);
    EXPECT_EQ(tokens(u"=B3:A1", kBiff8), a1b3);
    // The "$" flags travel with the coordinate they belong to.
    EXPECT_EQ(tokens(u"=$B$3:A1", kBiff8),
              (Bytes{0x25, 0x00, 0x00, 0x02, 0x00, 0x00, 0xC0, 0x01, 0x00}));
    EXPECT_EQ(tokens(u"=B3:A1", kBiff5), (Bytes{0x25, 0x00, 0xC0, 0x02, 0xC0, 0x00, 0x01}));
}

TEST(FormulaCompilerReferences, WholeColumnsSpanTheFormatsRows) {
    EXPECT_EQ(tokens(u"=A:A", kBiff8),
              (Bytes{0x25, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x40, 0x00, 0x40}));
    EXPECT_EQ(tokens(u"=C:$A", kBiff8),
              (Bytes{0x25, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x02, 0x40}));
    EXPECT_EQ(tokens(u"=A:A", kBiff5), (Bytes{0x25, 0x00, 0x40, 0xFF, 0x7F, 0x00, 0x00}));
}

TEST(FormulaCompilerReferences, WholeRowsSpanAllColumns) {
    EXPECT_EQ(tokens(u"=1:3", kBiff8),
              (Bytes{0x25, 0x00, 0x00, 0x02, 0x00, 0x00, 0x80, 0xFF, 0x80}));
    EXPECT_EQ(tokens(u"=$3:1", kBiff8),
              (Bytes{0x25, 0x00, 0x00, 0x02, 0x00, 0x00, 0x80, 0xFF, 0x00}));
    EXPECT_EQ(tokens(u"=1:3", kBiff5), (Bytes{0x25, 0x00, 0x80, 0x02, 0x80, 0x00, 0xFF}));
    EXPECT_EQ(tokens(u"=65536:65536", kBiff8),
              (Bytes{0x25, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x80, 0xFF, 0x80}));
}

TEST(FormulaCompilerClasses, ArgumentsTakeTheFunctionsClass) {
    // SUM: reference class for ranges and cells.
    EXPECT_EQ(tokens(u"=sum(a1:b2)", kBiff8), (Bytes{0x25, 0x00, 0x00, 0x01, 0x00, 0x00, 0xC0, 0x01,
                                                     0xC0, 0x42, 0x01, 0x04, 0x00}));
    EXPECT_EQ(tokens(u"=@SUM(A1:B2)", kBiff8), tokens(u"=SUM(A1:B2)", kBiff8));
    // ABS: value class for cells.
    EXPECT_EQ(tokens(u"=ABS(A1)", kBiff8), cat({kA1v8, {0x41, 0x18, 0x00}}));
    // LEN: value class for ranges.
    EXPECT_EQ(tokens(u"=LEN(A1:A2)", kBiff5),
              (Bytes{0x45, 0x00, 0xC0, 0x01, 0xC0, 0x00, 0x00, 0x41, 0x20, 0x00}));
    // SUMPRODUCT and MDETERM: array class.
    EXPECT_EQ(
        tokens(u"=SUMPRODUCT(A1:A2)", kBiff8),
        (Bytes{0x65, 0x00, 0x00, 0x01, 0x00, 0x00, 0xC0, 0x00, 0xC0, 0x42, 0x01, 0xE4, 0x00}));
    EXPECT_EQ(tokens(u"=MDETERM(B1)", kBiff8),
              (Bytes{0x64, 0x00, 0x00, 0x01, 0xC0, 0x41, 0xA3, 0x00}));
    // ROW: reference class, and written with its argument count.
    EXPECT_EQ(tokens(u"=ROW(A1)", kBiff8),
              (Bytes{0x24, 0x00, 0x00, 0x00, 0xC0, 0x42, 0x01, 0x08, 0x00}));
    // The innermost call decides.
    EXPECT_EQ(tokens(u"=SUM(ABS(A1))", kBiff8),
              cat({kA1v8, {0x41, 0x18, 0x00, 0x42, 0x01, 0x04, 0x00}}));
    // Outside every call a range keeps the reference class and a cell is a value.
    EXPECT_EQ(tokens(u"=A1:A2", kBiff8)[0], 0x25);
    EXPECT_EQ(tokens(u"=A1", kBiff8), kA1v8);
}

TEST(FormulaCompilerClasses, CountIsWrittenAsFunctionZero) {
    EXPECT_EQ(tokens(u"=COUNT(A1:A3)", kBiff8), (Bytes{0x25, 0x00, 0x00, 0x02, 0x00, 0x00, 0xC0,
                                                       0x00, 0xC0, 0x42, 0x01, 0x00, 0x00}));
}

TEST(FormulaCompilerOperators, UnarySigns) {
    EXPECT_EQ(tokens(u"=-A1", kBiff8), cat({kA1v8, {0x13}}));
    EXPECT_EQ(tokens(u"=+A1", kBiff5), cat({kA1v5, {0x12}}));
    EXPECT_EQ(tokens(u"=-(A1)", kBiff8), cat({kA1v8, {0x15, 0x13}}));
    EXPECT_EQ(tokens(u"=-SUM(A1)", kBiff8),
              (Bytes{0x24, 0x00, 0x00, 0x00, 0xC0, 0x42, 0x01, 0x04, 0x00, 0x13}));
    // A signed cell inside a call is a value.
    EXPECT_EQ(tokens(u"=SUM(-A1)", kBiff8), cat({kA1v8, {0x13, 0x42, 0x01, 0x04, 0x00}}));
    // Signs apply innermost first; the nearest sign of a number is part of it.
    EXPECT_EQ(tokens(u"=-+A1", kBiff8), cat({kA1v8, {0x12, 0x13}}));
    EXPECT_EQ(tokens(u"=--5", kBiff8), cat({num(-5), {0x13}}));
    EXPECT_EQ(tokens(u"=-\"x\"", kBiff8), (Bytes{0x17, 0x01, 0x00, 'x', 0x13}));
    EXPECT_EQ(tokens(u"=A1<=-1", kBiff8), cat({kA1v8, num(-1), {0x0A}}));
    EXPECT_EQ(tokens(u"=2^-1", kBiff8), cat({{0x1E, 0x02, 0x00}, num(-1), {0x07}}));
    EXPECT_EQ(tokens(u"=1--1", kBiff8), cat({{0x1E, 0x01, 0x00}, num(-1), {0x04}}));
}

TEST(FormulaCompilerOperators, PercentFollowsItsOperand) {
    EXPECT_EQ(tokens(u"=50%", kBiff8), (Bytes{0x1E, 0x32, 0x00, 0x14}));
    EXPECT_EQ(tokens(u"=A1%*2", kBiff8), cat({kA1v8, {0x14, 0x1E, 0x02, 0x00, 0x05}}));
}

TEST(FormulaCompilerOperators, ConcatenationAndComparisons) {
    const Bytes one{0x1E, 0x01, 0x00};
    const Bytes two{0x1E, 0x02, 0x00};
    EXPECT_EQ(tokens(u"=\"a\"&\"b\"", kBiff8),
              (Bytes{0x17, 0x01, 0x00, 'a', 0x17, 0x01, 0x00, 'b', 0x08}));
    EXPECT_EQ(tokens(u"=1<2", kBiff8), cat({one, two, {0x09}}));
    EXPECT_EQ(tokens(u"=1<=2", kBiff8), cat({one, two, {0x0A}}));
    EXPECT_EQ(tokens(u"=1=2", kBiff8), cat({one, two, {0x0B}}));
    EXPECT_EQ(tokens(u"=1>=2", kBiff8), cat({one, two, {0x0C}}));
    EXPECT_EQ(tokens(u"=1>2", kBiff8), cat({one, two, {0x0D}}));
    EXPECT_EQ(tokens(u"=1<>2", kBiff8), cat({one, two, {0x0E}}));
}

TEST(FormulaCompilerOperators, PrecedenceLevels) {
    const Bytes i1{0x1E, 0x01, 0x00};
    const Bytes i2{0x1E, 0x02, 0x00};
    const Bytes i3{0x1E, 0x03, 0x00};
    EXPECT_EQ(tokens(u"=1+2*3", kBiff8), cat({i1, i2, i3, {0x05, 0x03}}));
    EXPECT_EQ(tokens(u"=(1+2)*3", kBiff8), cat({i1, i2, {0x03, 0x15}, i3, {0x05}}));
    EXPECT_EQ(tokens(u"=1*2^3", kBiff8), cat({i1, i2, i3, {0x07, 0x05}}));
    EXPECT_EQ(tokens(u"=1-2-3", kBiff8), cat({i1, i2, {0x04}, i3, {0x04}}));
    // Left-associative, "^" included.
    EXPECT_EQ(tokens(u"=1^2^3", kBiff8), cat({i1, i2, {0x07}, i3, {0x07}}));
    EXPECT_EQ(tokens(u"=1<2+3", kBiff8), cat({i1, i2, i3, {0x03, 0x09}}));
    // "&" binds more tightly than the comparisons and more loosely than arithmetic.
    EXPECT_EQ(tokens(u"=A1&B1=C1", kBiff8),
              (Bytes{0x44, 0x00, 0x00, 0x00, 0xC0, 0x44, 0x00, 0x00, 0x01, 0xC0, 0x08, 0x44, 0x00,
                     0x00, 0x02, 0xC0, 0x0B}));
    EXPECT_EQ(tokens(u"=1=2&3", kBiff8), cat({i1, i2, i3, {0x08, 0x0B}}));
    EXPECT_EQ(tokens(u"=1&2+3", kBiff8), cat({i1, i2, i3, {0x03, 0x08}}));
    EXPECT_EQ(tokens(u"=1+2&3", kBiff8), cat({i1, i2, {0x03}, i3, {0x08}}));
}

TEST(FormulaCompilerOperators, NestingEightDeep) {
    Bytes parens = cat({{0x1E, 0x01, 0x00}, Bytes(8, 0x15)});
    EXPECT_EQ(tokens(u"=((((((((1))))))))", kBiff8), parens);
    Bytes calls = kA1v8;
    for (int i = 0; i < 8; ++i) calls.insert(calls.end(), {0x41, 0x18, 0x00});
    EXPECT_EQ(tokens(u"=ABS(ABS(ABS(ABS(ABS(ABS(ABS(ABS(A1))))))))", kBiff8), calls);
}

TEST(FormulaCompilerConstants, StringsBooleansAndErrors) {
    EXPECT_EQ(tokens(u"=\"a\"\"b\"", kBiff8), (Bytes{0x17, 0x03, 0x00, 'a', '"', 'b'}));
    EXPECT_EQ(tokens(u"=\"a\"\"b\"", kBiff5), (Bytes{0x17, 0x03, 'a', '"', 'b'}));
    EXPECT_EQ(tokens(u"=\"\"", kBiff8), (Bytes{0x17, 0x00, 0x00}));
    EXPECT_EQ(tokens(u"=\" a b \"", kBiff5), (Bytes{0x17, 0x05, ' ', 'a', ' ', 'b', ' '}));
    // Non-ASCII text: UTF-16 in BIFF8, code page 932 in BIFF5.
    EXPECT_EQ(tokens(u"=\"日本\"", kBiff8), (Bytes{0x17, 0x02, 0x01, 0xE5, 0x65, 0x2C, 0x67}));
    EXPECT_EQ(tokens(u"=\"日本\"", kBiff5), (Bytes{0x17, 0x04, 0x93, 0xFA, 0x96, 0x7B}));

    EXPECT_EQ(tokens(u"=TRUE", kBiff8), (Bytes{0x1D, 0x01}));
    EXPECT_EQ(tokens(u"=false", kBiff5), (Bytes{0x1D, 0x00}));
    EXPECT_EQ(tokens(u"=TRUE()", kBiff8), (Bytes{0x42, 0x00, 0x22, 0x00}));

    EXPECT_EQ(tokens(u"=#DIV/0!", kBiff8), (Bytes{0x1C, 0x07}));
    EXPECT_EQ(tokens(u"=#n/a", kBiff8), (Bytes{0x1C, 0x2A}));
    EXPECT_EQ(tokens(u"=#NAME?", kBiff8), (Bytes{0x1C, 0x1D}));
    EXPECT_EQ(tokens(u"=#NULL!", kBiff8), (Bytes{0x1C, 0x00}));
    EXPECT_EQ(tokens(u"=#NUM!", kBiff8), (Bytes{0x1C, 0x24}));
    EXPECT_EQ(tokens(u"=#VALUE!", kBiff5), (Bytes{0x1C, 0x0F}));
    EXPECT_EQ(tokens(u"=#REF!", kBiff8), (Bytes{0x4A, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(tokens(u"=#REF!", kBiff5), (Bytes{0x4A, 0x00, 0x00, 0x00}));
    EXPECT_EQ(tokens(u"=ISNA(#N/A)", kBiff8), (Bytes{0x1C, 0x2A, 0x41, 0x02, 0x00}));
}

TEST(FormulaCompilerArguments, MissingArguments) {
    EXPECT_EQ(tokens(u"=IF(A1,,1)", kBiff8),
              cat({kA1v8, {0x16, 0x1E, 0x01, 0x00, 0x42, 0x03, 0x01, 0x00}}));
    EXPECT_EQ(tokens(u"=SUM(1,)", kBiff8), (Bytes{0x1E, 0x01, 0x00, 0x16, 0x42, 0x02, 0x04, 0x00}));
    EXPECT_EQ(tokens(u"=IF(,,)", kBiff5), (Bytes{0x16, 0x16, 0x16, 0x42, 0x03, 0x01, 0x00}));
    EXPECT_EQ(tokens(u"=PI()", kBiff8), (Bytes{0x42, 0x00, 0x13, 0x00}));
    EXPECT_EQ(tokens(u"=PI( )", kBiff8), (Bytes{0x42, 0x00, 0x13, 0x00}));
}

TEST(FormulaCompilerSheets, Biff8UsesTheExternSheetTable) {
    CompiledFormula one = compile_ok(u"=Sheet2!B3", kBiff8);
    EXPECT_EQ(one.tokens, (Bytes{0x5A, 0x00, 0x00, 0x02, 0x00, 0x01, 0xC0}));
    EXPECT_EQ(one.new_extern_sheets, (std::vector<ExternSheetEntry>{{0, 1, 1}}));

    // Existing entries are reused, new ones follow the table.
    FormulaContext ctx = kBiff8;
    std::vector<ExternSheetEntry> table{{0, 2, 2}, {0, 1, 1}};
    ctx.extern_sheets = table;
    CompiledFormula two =
        compile_ok(u"=sheet2!A1+'My Sheet'!A1+Sheet2!A1:B2+Sheet3:Sheet5!A1", ctx);
    EXPECT_EQ(two.tokens, (Bytes{0x5A, 0x01, 0x00, 0x00, 0x00, 0x00, 0xC0,        //
                                 0x5A, 0x02, 0x00, 0x00, 0x00, 0x00, 0xC0, 0x03,  //
                                 0x3B, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00,  //
                                 0xC0, 0x01, 0xC0, 0x03,                          //
                                 0x3A, 0x03, 0x00, 0x00, 0x00, 0x00, 0xC0, 0x03}));
    EXPECT_EQ(two.new_extern_sheets, (std::vector<ExternSheetEntry>{{0, 3, 3}, {0, 2, 4}}));

    // New entries carry the workbook's own SUPBOOK index.
    ctx.extern_sheets = {};
    ctx.self_supbook = 2;
    EXPECT_EQ(compile_ok(u"=Sheet5!A1", ctx).new_extern_sheets,
              (std::vector<ExternSheetEntry>{{2, 4, 4}}));
}

TEST(FormulaCompilerSheets, Biff8TableCapacity) {
    FormulaContext ctx = kBiff8;
    std::vector<ExternSheetEntry> full(kExternSheetCapacity, ExternSheetEntry{0, 9, 9});
    ctx.extern_sheets = full;
    CompiledFormula out;
    EXPECT_EQ(compile_formula(u"=Sheet2!A1", ctx, &out), err::kFormulaExternSheetFull);
    EXPECT_TRUE(out.tokens.empty());
    full.back() = {0, 1, 1};
    ctx.extern_sheets = full;
    EXPECT_EQ(compile_formula(u"=Sheet2!A1", ctx, &out), 0);
}

TEST(FormulaCompilerSheets, Biff5NamesTheSheetsRecordPosition) {
    // Sheet2 is the second name of the ref-sheet list: index -2, sheets 1 to 1.
    EXPECT_EQ(tokens(u"=Sheet2!B3", kBiff5), (Bytes{0x5A, 0xFE, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0x01,
                                                    0x00, 0x01, 0x00, 0x02, 0xC0, 0x01}));
    EXPECT_EQ(tokens(u"=-Sheet3!A1:B2", kBiff5),
              (Bytes{0x3B, 0xFF, 0xFF, 0,    0,    0,    0,    0,    0,    0,    0,
                     0x02, 0x00, 0x02, 0x00, 0x00, 0xC0, 0x01, 0xC0, 0x00, 0x01, 0x13}));
    // A sheet range written backwards is stored in sheet order.
    EXPECT_EQ(tokens(u"=Sheet3:Sheet2!$A$1", kBiff5),
              (Bytes{0x3A, 0xFE, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00,
                     0x00}));
}

TEST(FormulaCompilerSheets, QuotedNamesAndWholeRanges) {
    EXPECT_EQ(tokens(u"='My Sheet'!A:A", kBiff8),
              (Bytes{0x3B, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x40, 0x00, 0x40}));
    EXPECT_EQ(tokens(u"=SUM(Sheet5!2:2)", kBiff8),
              (Bytes{0x3B, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x80, 0xFF, 0x80, 0x42, 0x01,
                     0x04, 0x00}));
}

TEST(FormulaCompilerArrays, ConstantDataFollowsTheTokens) {
    CompiledFormula b8 = compile_ok(u"={1,2;3}", kBiff8);
    EXPECT_EQ(b8.tokens, (Bytes{0x60, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(b8.array_data, cat({{0x01, 0x01, 0x00, 0x01},
                                  dbl(1),
                                  {0x01},
                                  dbl(2),
                                  {0x01},
                                  dbl(3),
                                  {0x00},
                                  Bytes(8, 0)}));
    CompiledFormula b5 = compile_ok(u"={1,2;3}", kBiff5);
    EXPECT_EQ(b5.tokens, (Bytes{0x60, 0x02, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(b5.array_data, cat({{0x02, 0x02, 0x00, 0x01},
                                  dbl(1),
                                  {0x01},
                                  dbl(2),
                                  {0x01},
                                  dbl(3),
                                  {0x00},
                                  Bytes(8, 0)}));
}

TEST(FormulaCompilerArrays, StringsBooleansAndSignedNumbers) {
    CompiledFormula b8 = compile_ok(u"=SUM({\"a\",TRUE;-1.5,false})", kBiff8);
    EXPECT_EQ(b8.tokens, (Bytes{0x60, 0x01, 0x01, 0x00, 0, 0, 0, 0, 0x42, 0x01, 0x04, 0x00}));
    EXPECT_EQ(b8.array_data, cat({{0x01, 0x01, 0x00},
                                  {0x02, 0x01, 0x00, 0x00, 'a'},
                                  {0x04, 0x01, 0, 0, 0, 0, 0, 0, 0},
                                  {0x01},
                                  dbl(-1.5),
                                  {0x04, 0x00, 0, 0, 0, 0, 0, 0, 0}}));
    CompiledFormula b5 = compile_ok(u"={\"日\"}", kBiff5);
    EXPECT_EQ(b5.array_data, (Bytes{0x01, 0x01, 0x00, 0x02, 0x02, 0x93, 0xFA}));
    // Two constants: their data in token order.
    CompiledFormula two = compile_ok(u"={1}+{2}", kBiff8);
    EXPECT_EQ(two.array_data,
              cat({{0x00, 0x00, 0x00, 0x01}, dbl(1), {0x00, 0x00, 0x00, 0x01}, dbl(2)}));
}

TEST(FormulaCompilerText, BlanksSeparateButDoNotMatter) {
    EXPECT_EQ(tokens(u"  = SUM( A1 : B2 , 1 )  ", kBiff8), tokens(u"=SUM(A1:B2,1)", kBiff8));
    EXPECT_EQ(tokens(u"1+2", kBiff8), tokens(u"=1+2", kBiff8));
}

TEST(FormulaCompilerText, RefSheetListSplitsOnSlashes) {
    EXPECT_EQ(split_ref_sheet_list(u"Sheet2/My Sheet/x"),
              (std::vector<std::u16string>{u"Sheet2", u"My Sheet", u"x"}));
    EXPECT_EQ(split_ref_sheet_list(u"Sheet2"), (std::vector<std::u16string>{u"Sheet2"}));
}

}  // namespace
}  // namespace tabrix::engine
