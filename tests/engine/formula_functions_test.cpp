// Every built-in function compiles with its minimum and maximum argument counts, is written
// with its BIFF number in the right token, and is refused with one argument too few or too many.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "engine/formula/formula_compiler.h"
#include "engine/formula/function_table.h"

namespace tabrix::engine {
namespace {

std::u16string widen(std::string_view text) {
    return std::u16string(text.begin(), text.end());
}

std::u16string call(const FunctionInfo &function, int arguments) {
    std::u16string text = u"=" + widen(function.name) + u"(";
    for (int i = 0; i < arguments; ++i) text += i == 0 ? u"7" : u",7";
    return text + u")";
}

// The argument tokens (ptgInt 7 each) and the call's token.
std::vector<uint8_t> expected_tokens(const FunctionInfo &function, int arguments) {
    std::vector<uint8_t> bytes;
    for (int i = 0; i < arguments; ++i) bytes.insert(bytes.end(), {0x1E, 0x07, 0x00});
    uint16_t number = function.number == 65535 ? 0 : function.number;
    bool fixed_one = function.maxArgs == 1 && number != 8 && number != 9 && number != 77;
    if (fixed_one) {
        bytes.push_back(0x41);
    } else {
        bytes.push_back(0x42);
        bytes.push_back(static_cast<uint8_t>(arguments));
    }
    bytes.push_back(static_cast<uint8_t>(number));
    bytes.push_back(static_cast<uint8_t>(number >> 8));
    return bytes;
}

TEST(FormulaFunctions, EveryFunctionAtItsArgumentLimits) {
    for (BiffVersion version : {BiffVersion::kBiff5, BiffVersion::kBiff8}) {
        FormulaContext ctx;
        ctx.version = version;
        for (const FunctionInfo *f = FunctionTable; f->name != nullptr; ++f) {
            SCOPED_TRACE(f->name);
            for (int arguments : {static_cast<int>(f->minArgs), static_cast<int>(f->maxArgs)}) {
                CompiledFormula out;
                ASSERT_EQ(compile_formula(call(*f, arguments), ctx, &out), 0) << arguments;
                EXPECT_EQ(out.tokens, expected_tokens(*f, arguments)) << arguments;
            }
            CompiledFormula out;
            if (f->minArgs > 0) {
                EXPECT_EQ(compile_formula(call(*f, f->minArgs - 1), ctx, &out),
                          err::kFormulaArgumentCount);
            }
            EXPECT_EQ(compile_formula(call(*f, f->maxArgs + 1), ctx, &out),
                      err::kFormulaArgumentCount);
        }
    }
}

TEST(FormulaFunctions, NamesInAnyCase) {
    FormulaContext ctx;
    CompiledFormula lower;
    CompiledFormula upper;
    ASSERT_EQ(compile_formula(u"=error.type(#N/A)", ctx, &lower), 0);
    ASSERT_EQ(compile_formula(u"=ERROR.TYPE(#N/A)", ctx, &upper), 0);
    EXPECT_EQ(lower.tokens, upper.tokens);
    EXPECT_EQ(lower.tokens, (std::vector<uint8_t>{0x1C, 0x2A, 0x41, 0x05, 0x01}));
}

TEST(FormulaFunctionTable, ShapeAndOrder) {
    size_t count = 0;
    std::set<std::string_view> names;
    std::set<uint16_t> numbers;
    for (const FunctionInfo *f = FunctionTable; f->name != nullptr; ++f) {
        ++count;
        names.insert(f->name);
        numbers.insert(f->number);
        EXPECT_LE(f->minArgs, f->maxArgs) << f->name;
        EXPECT_LE(f->maxArgs, 30) << f->name;
        for (uint8_t delta : {f->areaClassDelta, f->refClassDelta}) {
            EXPECT_TRUE(delta == kReferenceClass || delta == kValueClass || delta == kArrayClass);
        }
    }
    EXPECT_EQ(count, kFunctionCount);
    EXPECT_EQ(names.size(), kFunctionCount);
    EXPECT_EQ(numbers.size(), kFunctionCount);

    const char *first[] = {"COUNT", "IF",  "ISNA",   "ISERROR", "SUM",   "AVERAGE", "MIN",
                           "MAX",   "ROW", "COLUMN", "NA",      "STDEV", "NPV",     "FIXED"};
    for (size_t i = 0; i < std::size(first); ++i) EXPECT_STREQ(FunctionTable[i].name, first[i]);
    for (size_t i = std::size(first) + 1; i < kFunctionCount; ++i) {
        EXPECT_LT(FunctionTable[i - 1].number, FunctionTable[i].number) << FunctionTable[i].name;
    }
    EXPECT_EQ(FunctionTable[0].number, kCountFunctionNumber);
    EXPECT_EQ(biff_function_number(FunctionTable[0]), 0);
}

TEST(FormulaFunctionTable, SampledEntries) {
    const FunctionInfo *vlookup = find_function(u"VLOOKUP");
    ASSERT_NE(vlookup, nullptr);
    EXPECT_EQ(vlookup->number, 102);
    EXPECT_EQ(vlookup->minArgs, 3);
    EXPECT_EQ(vlookup->maxArgs, 4);
    EXPECT_EQ(vlookup->areaClassDelta, kReferenceClass);
    EXPECT_EQ(vlookup->refClassDelta, kValueClass);
    const FunctionInfo *mmult = find_function(u"MMULT");
    ASSERT_NE(mmult, nullptr);
    EXPECT_EQ(mmult->number, 165);
    EXPECT_EQ(mmult->areaClassDelta, kArrayClass);
    EXPECT_EQ(find_function(u"ROW")->minArgs, 1);
    EXPECT_EQ(find_function(u"VDB")->maxArgs, 7);
    EXPECT_EQ(find_function(u"sum"), nullptr);
    EXPECT_EQ(find_function(u""), nullptr);
}

}  // namespace
}  // namespace tabrix::engine
