// Random and mutated formula texts: the compiler either refuses them with a formula code or
// produces a token stream that a reader can walk to exactly one value, with every byte of
// tokens and array data accounted for.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "engine/formula/formula_compiler.h"
#include "engine/formula/function_table.h"
#include "engine/lifecycle/workbook_table.h"
#include "tabrix.h"
#include "tests/engine/workbook_test_util.h"

namespace tabrix::engine {
namespace {

const FunctionInfo *function_by_number(uint16_t number) {
    for (const FunctionInfo *f = FunctionTable; f->name != nullptr; ++f) {
        if (biff_function_number(*f) == number) return f;
    }
    return nullptr;
}

// Walks tokens the way a reader does, keeping the depth of the value stack.
class TokenWalker {
  public:
    TokenWalker(const CompiledFormula &formula, bool biff8) : f_(formula), biff8_(biff8) {}

    // Empty when the stream is sound, else what is wrong.
    std::string check() {
        size_t depth = 0;
        size_t pos = 0;
        const std::vector<uint8_t> &t = f_.tokens;
        auto need = [&](size_t n) { return pos + n <= t.size(); };
        while (pos < t.size()) {
            uint8_t code = t[pos++];
            size_t pops = 0;
            size_t size = 0;
            switch (code) {
                case 0x03:
                case 0x04:
                case 0x05:
                case 0x06:
                case 0x07:
                case 0x08:
                case 0x09:
                case 0x0A:
                case 0x0B:
                case 0x0C:
                case 0x0D:
                case 0x0E:
                    pops = 2;
                    break;
                case 0x12:
                case 0x13:
                case 0x14:
                case 0x15:
                    pops = 1;
                    break;
                case 0x16:
                    break;
                case 0x17: {
                    if (!need(biff8_ ? 2 : 1)) return "short string";
                    size_t count = t[pos];
                    size = biff8_ ? 2 + count * (t[pos + 1] ? 2 : 1) : 1 + count;
                    break;
                }
                case 0x1C:
                case 0x1D:
                    size = 1;
                    break;
                case 0x1E:
                    size = 2;
                    break;
                case 0x1F:
                    size = 8;
                    break;
                case 0x24:
                case 0x44:
                case 0x64:
                    size = biff8_ ? 4 : 3;
                    break;
                case 0x25:
                case 0x45:
                case 0x65:
                    size = biff8_ ? 8 : 6;
                    break;
                case 0x3A:
                case 0x5A:
                    size = biff8_ ? 6 : 17;
                    break;
                case 0x3B:
                    size = biff8_ ? 10 : 20;
                    break;
                case 0x4A:
                    size = biff8_ ? 4 : 3;
                    break;
                case 0x60: {
                    size = 7;
                    if (!need(size)) return "short array token";
                    std::string error =
                        walk_array(t[pos], static_cast<unsigned>(t[pos + 1] | t[pos + 2] << 8));
                    if (!error.empty()) return error;
                    break;
                }
                case 0x41: {
                    size = 2;
                    if (!need(size)) return "short call";
                    const FunctionInfo *f = function_by_number(t[pos] | t[pos + 1] << 8);
                    if (f == nullptr || f->maxArgs != 1) return "bad fixed call";
                    pops = 1;
                    break;
                }
                case 0x42: {
                    size = 3;
                    if (!need(size)) return "short call";
                    const FunctionInfo *f = function_by_number(t[pos + 1] | t[pos + 2] << 8);
                    pops = t[pos];
                    if (f == nullptr || static_cast<int>(pops) < f->minArgs ||
                        static_cast<int>(pops) > f->maxArgs) {
                        return "bad call";
                    }
                    break;
                }
                default:
                    return "unknown token " + std::to_string(code);
            }
            if (!need(size)) return "token past the end";
            pos += size;
            if (depth < pops) return "stack underflow";
            depth = depth - pops + 1;
        }
        if (depth != 1) return "stack ends with " + std::to_string(depth) + " values";
        if (data_pos_ != f_.array_data.size()) return "array data left over";
        return {};
    }

  private:
    std::string walk_array(unsigned columns, unsigned rows) {
        const std::vector<uint8_t> &d = f_.array_data;
        if (data_pos_ + 3 > d.size()) return "short array data";
        if (d[data_pos_] != columns ||
            static_cast<unsigned>(d[data_pos_ + 1] | d[data_pos_ + 2] << 8) != rows) {
            return "array counts differ";
        }
        data_pos_ += 3;
        size_t elements = (columns + (biff8_ ? 1 : 0)) * (rows + (biff8_ ? 1 : 0));
        for (size_t i = 0; i < elements; ++i) {
            if (data_pos_ + 1 > d.size()) return "short element";
            uint8_t type = d[data_pos_++];
            size_t size = 8;
            if (type == 2) {
                if (data_pos_ + (biff8_ ? 3 : 1) > d.size()) return "short element string";
                size = biff8_
                           ? 3 + (d[data_pos_] | d[data_pos_ + 1] << 8) * (d[data_pos_ + 2] ? 2 : 1)
                           : 1 + d[data_pos_];
            } else if (type != 0 && type != 1 && type != 4) {
                return "bad element type";
            }
            if (data_pos_ + size > d.size()) return "element past the end";
            data_pos_ += size;
        }
        return {};
    }

    const CompiledFormula &f_;
    bool biff8_;
    size_t data_pos_ = 0;
};

const char16_t *const kPieces[] = {
    u"A1",          u"$B$2",    u"c3:D$4",      u"A:B",
    u"1:2",         u"Sheet2!", u"'My Sheet'!", u"Sheet2:Sheet3!",
    u"SUM(",        u"IF(",     u"ABS(",        u"PI()",
    u"ROW(",        u"COUNT(",  u"CHOOSE(",     u"VLOOKUP(",
    u"(",           u")",       u",",           u";",
    u"{",           u"}",       u"+",           u"-",
    u"*",           u"/",       u"^",           u"&",
    u"=",           u"<",       u">",           u"<=",
    u"<>",          u"%",       u"\"",          u"\"x\"",
    u"'",           u"#N/A",    u"#REF!",       u"#DIV/0!",
    u"1",           u"65535",   u"65536",       u"1.5",
    u"2E+3",        u".",       u"e",           u"TRUE",
    u"FALSE",       u" ",       u"!",           u":",
    u"@",           u"$",       u"日本",        u"IV65536",
    u"A0",          u"#",       u"Sheet1!",     u"\"\"",
    u"SUMPRODUCT(", u"MMULT(",  u"INDEX(",      u"OFFSET(",
};

const char16_t *const kValid[] = {
    u"=SUM(A1:B2)*2",
    u"=IF(A1>0,\"yes\",\"no\")",
    u"=-SUM(Sheet2!A1:B3,Sheet3!C4)+1.5E3",
    u"={1,2;3,\"a\";TRUE}",
    u"=A1&B1=C1",
    u"=VLOOKUP(A1,'My Sheet'!A:C,3,FALSE)",
    u"=INDEX(1:3,2,,)",
    u"=ROUND(-(A1+B1)%^2,2)",
    u"=COUNT(Sheet2:Sheet3!$A$1:B2)",
    u"=CHOOSE(2,#N/A,#REF!,PI())",
    u"=SUMPRODUCT({1,2}*A1:B1)",
    u"=CONCATENATE(\"a\"\"b\",LEFT(\"日本語\",1))",
};

std::u16string random_text(std::mt19937 &rng) {
    std::u16string text = rng() % 4 ? u"=" : u"";
    size_t pieces = rng() % 24;
    for (size_t i = 0; i < pieces; ++i) {
        if (rng() % 8 == 0) {
            text += static_cast<char16_t>(rng() % 8 == 0 ? 0x3000 + rng() % 0x100
                                                         : 0x20 + rng() % 0x5F);
        } else {
            text += kPieces[rng() % std::size(kPieces)];
        }
    }
    return text;
}

std::u16string mutated_text(std::mt19937 &rng) {
    std::u16string text = kValid[rng() % std::size(kValid)];
    size_t edits = 1 + rng() % 4;
    for (size_t i = 0; i < edits; ++i) {
        size_t at = text.empty() ? 0 : rng() % (text.size() + 1);
        switch (rng() % 5) {
            case 0:
                if (!text.empty() && at < text.size()) text.erase(at, 1 + rng() % 3);
                break;
            case 1:
                text.insert(at, kPieces[rng() % std::size(kPieces)]);
                break;
            case 2:
                if (at < text.size()) text[at] = static_cast<char16_t>(0x20 + rng() % 0x5F);
                break;
            case 3:
                if (at < text.size()) text.insert(at, text.substr(at, 1 + rng() % 8));
                break;
            default:
                if (text.size() > 1)
                    std::swap(text[rng() % text.size()], text[rng() % text.size()]);
                break;
        }
    }
    return text;
}

// A well-formed expression built from the grammar, nested up to `depth` levels.
std::u16string generated_expression(std::mt19937 &rng, int depth) {
    static const char16_t *const operands[] = {u"A1",
                                               u"$IV$65536",
                                               u"B2:$C3",
                                               u"A:A",
                                               u"$2:3",
                                               u"Sheet2!A1",
                                               u"'My Sheet'!B1:B9",
                                               u"Sheet2:Sheet3!C3",
                                               u"7",
                                               u"65536",
                                               u"1.25E-2",
                                               u"\"t\"\"x\"",
                                               u"TRUE",
                                               u"#N/A",
                                               u"#REF!",
                                               u"{1,\"a\";FALSE,2}",
                                               u"\"日本\""};
    static const char16_t *const operators[] = {u"+", u"-", u"*", u"/",  u"^",  u"&",
                                                u"=", u"<", u">", u"<=", u">=", u"<>"};
    if (depth <= 0) return operands[rng() % std::size(operands)];
    switch (rng() % 6) {
        case 0:
            return operands[rng() % std::size(operands)];
        case 1:
            return (rng() % 2 ? u"-" : u"+") + generated_expression(rng, depth - 1);
        case 2:
            return generated_expression(rng, depth - 1) + operators[rng() % std::size(operators)] +
                   generated_expression(rng, depth - 1);
        case 3:
            return u"(" + generated_expression(rng, depth - 1) + u")";
        case 4:
            return generated_expression(rng, depth - 1) + u"%";
        default: {
            const FunctionInfo &f = FunctionTable[rng() % kFunctionCount];
            int count = f.minArgs + static_cast<int>(rng() % (f.maxArgs - f.minArgs + 1));
            std::u16string call(f.name, f.name + std::char_traits<char>::length(f.name));
            call += u"(";
            for (int i = 0; i < count; ++i) {
                if (i > 0) call += u",";
                if (rng() % 8 != 0) call += generated_expression(rng, depth - 1);
            }
            return call + u")";
        }
    }
}

std::u16string long_text(std::mt19937 &rng) {
    std::u16string text = u"=";
    size_t target = 3500 + rng() % 1200;
    while (text.size() < target) text += kPieces[rng() % std::size(kPieces)];
    return text;
}

FormulaContext fuzz_context(BiffVersion version, std::span<const ExternSheetEntry> table) {
    FormulaContext ctx;
    ctx.version = version;
    ctx.row_count = version == BiffVersion::kBiff5 ? 16384 : 65536;
    ctx.sheet_names = {u"Sheet1", u"Sheet2", u"Sheet3", u"My Sheet"};
    ctx.ref_sheets = {u"Sheet2", u"Sheet3", u"My Sheet"};
    ctx.extern_sheets = table;
    return ctx;
}

TEST(FormulaFuzz, RandomAndMutatedTexts) {
    const std::vector<ExternSheetEntry> table{{0, 1, 1}, {0, 3, 3}};
    const FormulaContext contexts[] = {fuzz_context(BiffVersion::kBiff5, {}),
                                       fuzz_context(BiffVersion::kBiff8, table)};
    std::mt19937 rng(20261207);
    constexpr int kTexts = 120000;
    int accepted = 0;
    for (int i = 0; i < kTexts; ++i) {
        std::u16string text;
        if (i % 1000 == 999) {
            text = long_text(rng);
        } else if (i % 3 == 0) {
            text = random_text(rng);
        } else if (i % 3 == 1) {
            text = mutated_text(rng);
        } else {
            text = u"=" + generated_expression(rng, 1 + static_cast<int>(rng() % 5));
        }
        const FormulaContext &ctx = contexts[i % 2];
        CompiledFormula out;
        int rc = compile_formula(text, ctx, &out);
        std::string shown(text.begin(), text.end());
        if (rc != 0) {
            ASSERT_TRUE(rc <= -100 && rc >= -199) << rc << " " << shown;
            ASSERT_TRUE(out.tokens.empty() && out.array_data.empty() &&
                        out.new_extern_sheets.empty());
            continue;
        }
        ++accepted;
        ASSERT_FALSE(out.tokens.empty()) << shown;
        ASSERT_LT(out.tokens.size() + out.array_data.size(), 1400u) << shown;
        std::string problem = TokenWalker(out, ctx.version == BiffVersion::kBiff8).check();
        ASSERT_EQ(problem, "") << shown;
        ASSERT_LE(ctx.extern_sheets.size() + out.new_extern_sheets.size(), kExternSheetCapacity);
        for (const ExternSheetEntry &entry : out.new_extern_sheets) {
            ASSERT_LE(entry.first_sheet, entry.last_sheet);
            ASSERT_LT(entry.last_sheet, ctx.sheet_names.size());
            ASSERT_EQ(std::count(table.begin(), table.end(), entry), 0);
            ASSERT_EQ(std::count(out.new_extern_sheets.begin(), out.new_extern_sheets.end(), entry),
                      1);
        }
    }
    // The generators must reach the compiler's far end often enough to mean something.
    EXPECT_GT(accepted, kTexts / 4);
}

// The same texts through the write call: a refused text leaves the cell and the workbook's
// EXTERNSHEET table as they were, an accepted one stores a FORMULA record, and the workbook
// is written whole afterwards.
TEST(FormulaFuzz, WritesLeaveRefusedCellsAlone) {
    test::TempFolder folder;
    std::mt19937 rng(7);
    for (bool biff8 : {false, true}) {
        std::string path = folder.file(biff8 ? "fuzz8.xls" : "fuzz5.xls");
        int32_t h = biff8 ? XM_Create97(path.c_str(), 4) : XM_Create(path.c_str(), 4);
        ASSERT_GE(h, 0);
        Workbook &book = *workbook_at(h);
        book.sheets.rename(3, u"My Sheet");  // a name to be quoted
        ASSERT_EQ(XM_SetRefSheet(h, 0, "Sheet2/Sheet3/My Sheet"), 0);
        CellStore &cells = book.sheets[0]->cells;
        for (int x = 0; x < 8; ++x) ASSERT_EQ(XM_WriteInt(h, 0, x, 0, x), 0);
        int accepted = 0;
        for (int i = 0; i < 20000; ++i) {
            std::u16string text =
                i % 2 ? mutated_text(rng) : u"=" + generated_expression(rng, 1 + rng() % 4);
            uint8_t x = static_cast<uint8_t>(rng() % 8);
            CellView view;
            ASSERT_TRUE(cells.find(0, x, &view));
            const std::vector<uint8_t> before(view.image.begin(), view.image.end());
            const size_t table = book.extern_sheets.size();
            int32_t rc = XM_WriteFuncW(h, 0, x, 0, text.c_str());
            ASSERT_TRUE(cells.find(0, x, &view));
            if (rc == 0) {
                ++accepted;
                ASSERT_EQ(load_u16(view.image.data()), 0x0006);
                ASSERT_GE(book.extern_sheets.size(), table);
            } else {
                ASSERT_TRUE(rc <= -100 && rc >= -199) << rc;
                ASSERT_EQ(std::vector<uint8_t>(view.image.begin(), view.image.end()), before);
                ASSERT_EQ(book.extern_sheets.size(), table);
            }
        }
        EXPECT_GT(accepted, 2000);
        EXPECT_LE(book.extern_sheets.size(), kExternSheetCapacity);
        EXPECT_EQ(cells.record_count(), 8u);
        ASSERT_EQ(XM_Close(h), 0);
        test::parse_records(test::read_workbook_stream(path, biff8 ? u"Workbook" : u"Book"));
    }
}

}  // namespace
}  // namespace tabrix::engine
