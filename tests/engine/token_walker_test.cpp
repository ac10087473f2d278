// The token walker on expressions our compiler writes in both formats, on hand-built streams
// with the tokens it never writes (ptgAttr with jump tables, memory tokens, names), and on
// cut and unknown streams, which it refuses without reading past them.
#include "engine/formula/token_walker.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/biff/errors.h"
#include "engine/formula/formula_compiler.h"

namespace tabrix::engine {
namespace {

using Bytes = std::vector<uint8_t>;

FormulaContext context(BiffVersion version) {
    FormulaContext ctx;
    ctx.version = version;
    ctx.row_count = version == BiffVersion::kBiff5 ? 16384 : 65536;
    ctx.sheet_names = {u"Sheet1", u"Sheet2", u"Sheet3"};
    ctx.ref_sheets = {u"Sheet2", u"Sheet3"};
    return ctx;
}

struct Seen {
    TokenKind kind;
    uint8_t code;
    size_t offset;
    size_t size;
    uint16_t subexpression;
};

// Records every token through its kind's call, so a wrong dispatch shows as a wrong kind.
class Recorder : public TokenVisitor {
  public:
    std::vector<Seen> seen;

    int on_shared(WalkedToken &t) override { return note(TokenKind::kShared, t); }
    int on_operator(WalkedToken &t) override { return note(TokenKind::kOperator, t); }
    int on_constant(WalkedToken &t) override { return note(TokenKind::kConstant, t); }
    int on_attribute(WalkedToken &t) override { return note(TokenKind::kAttribute, t); }
    int on_array(WalkedToken &t) override { return note(TokenKind::kArray, t); }
    int on_function(WalkedToken &t) override { return note(TokenKind::kFunction, t); }
    int on_name(WalkedToken &t) override { return note(TokenKind::kName, t); }
    int on_cell(WalkedToken &t) override { return note(TokenKind::kCell, t); }
    int on_area(WalkedToken &t) override { return note(TokenKind::kArea, t); }
    int on_cell_3d(WalkedToken &t) override { return note(TokenKind::kCell3d, t); }
    int on_area_3d(WalkedToken &t) override { return note(TokenKind::kArea3d, t); }
    int on_memory(WalkedToken &t) override { return note(TokenKind::kMemory, t); }

    std::vector<uint8_t> codes() const {
        std::vector<uint8_t> out;
        for (const Seen &s : seen) out.push_back(s.code);
        return out;
    }

  private:
    int note(TokenKind kind, const WalkedToken &t) {
        EXPECT_EQ(t.kind, kind);
        EXPECT_EQ(t.bytes[0], t.base + (t.operand_class == OperandClass::kValue   ? 0x20
                                        : t.operand_class == OperandClass::kArray ? 0x40
                                                                                  : 0));
        seen.push_back({kind, t.bytes[0], t.offset, t.bytes.size(), t.subexpression});
        return 0;
    }
};

std::vector<Seen> walk_ok(Bytes bytes, BiffVersion version) {
    EXPECT_EQ(check_tokens(bytes, version), 0);
    Recorder recorder;
    EXPECT_EQ(walk_tokens(bytes, version, recorder), 0);
    return recorder.seen;
}

struct CorpusEntry {
    const char16_t *text;
    std::vector<uint8_t> codes;  // the same in both formats
};

// Every token the compiler writes, with each class it gives references.
const std::vector<CorpusEntry> kCorpus = {
    {u"=1+2.5", {0x1E, 0x1F, 0x03}},
    {u"=1-2*3/4^5&6", {0x1E, 0x1E, 0x1E, 0x05, 0x1E, 0x1E, 0x07, 0x06, 0x04, 0x1E, 0x08}},
    {u"=(1<2)+(1<=2)+(1=2)+(1>=2)+(1>2)+(1<>2)",
     {0x1E, 0x1E, 0x09, 0x15, 0x1E, 0x1E, 0x0A, 0x15, 0x03, 0x1E, 0x1E, 0x0B, 0x15, 0x03, 0x1E,
      0x1E, 0x0C, 0x15, 0x03, 0x1E, 0x1E, 0x0D, 0x15, 0x03, 0x1E, 0x1E, 0x0E, 0x15, 0x03}},
    {u"=-+A1%", {0x44, 0x12, 0x13, 0x14}},
    {u"=IF(A1,,\"t\u65E5\")", {0x44, 0x16, 0x17, 0x42}},
    {u"=TRUE+#N/A", {0x1D, 0x1C, 0x03}},
    {u"=#REF!", {0x4A}},
    {u"=SUM(A1:B2)+ROW(C3)", {0x25, 0x42, 0x24, 0x42, 0x03}},
    {u"=LEN(A1:A2)+ABS(B1)", {0x45, 0x41, 0x44, 0x41, 0x03}},
    {u"=SUMPRODUCT(A1:A2)+MDETERM(B1)", {0x65, 0x42, 0x64, 0x41, 0x03}},
    {u"=Sheet2!A1*2", {0x5A, 0x1E, 0x05}},
    {u"=SUM(Sheet2:Sheet3!A1:B2,Sheet3!C1)", {0x3B, 0x5A, 0x42}},
    {u"=SUM({1,\"a\";TRUE,-2})", {0x60, 0x42}},
};

class CompiledCorpus : public ::testing::TestWithParam<BiffVersion> {};

TEST_P(CompiledCorpus, EveryCompiledTokenIsWalkedWithItsKindAndLength) {
    const BiffVersion version = GetParam();
    const FormulaContext ctx = context(version);
    for (const CorpusEntry &entry : kCorpus) {
        const std::u16string text(entry.text);
        SCOPED_TRACE(std::string(text.begin(), text.end()));
        CompiledFormula compiled;
        ASSERT_EQ(compile_formula(text, ctx, &compiled), 0);
        const std::vector<Seen> seen = walk_ok(compiled.tokens, version);
        std::vector<uint8_t> codes;
        size_t next = 0;
        for (const Seen &s : seen) {
            EXPECT_EQ(s.offset, next) << "tokens tile the expression";
            next = s.offset + s.size;
            codes.push_back(s.code);
        }
        EXPECT_EQ(next, compiled.tokens.size());
        EXPECT_EQ(codes, entry.codes);
    }
}

TEST_P(CompiledCorpus, ReferenceTokensHaveTheirFormatsLengths) {
    const BiffVersion version = GetParam();
    const bool biff8 = version == BiffVersion::kBiff8;
    CompiledFormula compiled;
    ASSERT_EQ(compile_formula(u"=A1+SUM(A1:B2)+Sheet2!A1+SUM(Sheet2!A1:B2)+#REF!+\"ab\"",
                              context(version), &compiled),
              0);
    std::vector<size_t> sizes;
    std::vector<TokenKind> kinds;
    for (const Seen &s : walk_ok(compiled.tokens, version)) {
        if (s.kind == TokenKind::kOperator || s.kind == TokenKind::kFunction) continue;
        sizes.push_back(s.size);
        kinds.push_back(s.kind);
    }
    EXPECT_EQ(kinds,
              (std::vector<TokenKind>{TokenKind::kCell, TokenKind::kArea, TokenKind::kCell3d,
                                      TokenKind::kArea3d, TokenKind::kCell, TokenKind::kConstant}));
    EXPECT_EQ(sizes, biff8 ? (std::vector<size_t>{5, 9, 7, 11, 5, 5})
                           : (std::vector<size_t>{4, 7, 18, 21, 4, 4}));
}

// Cut anywhere inside a token, the expression is refused; cut between tokens, it walks.
TEST_P(CompiledCorpus, CutStreamsAreRefusedUnlessCutBetweenTokens) {
    const BiffVersion version = GetParam();
    for (const CorpusEntry &entry : kCorpus) {
        CompiledFormula compiled;
        ASSERT_EQ(compile_formula(entry.text, context(version), &compiled), 0);
        std::vector<bool> boundary(compiled.tokens.size() + 1, false);
        for (const Seen &s : walk_ok(compiled.tokens, version)) boundary[s.offset] = true;
        for (size_t cut = 1; cut < compiled.tokens.size(); ++cut) {
            // Its own allocation, so a read past the cut is a read past the buffer.
            Bytes part(compiled.tokens.begin(), compiled.tokens.begin() + cut);
            Recorder recorder;
            const int expected = boundary[cut] ? 0 : err::kFormulaNotWalkable;
            EXPECT_EQ(check_tokens(part, version), expected) << "cut at " << cut;
            EXPECT_EQ(walk_tokens(part, version, recorder), expected) << "cut at " << cut;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(BothFormats, CompiledCorpus,
                         ::testing::Values(BiffVersion::kBiff5, BiffVersion::kBiff8));

// CHOOSE(A1,1,2) as a reader writes it: tAttrChoose with its jump table, a tAttrSkip after
// each choice, then the call.
Bytes choose_stream() {
    const Bytes parts[] = {
        {0x44, 0x00, 0x00, 0x00, 0xC0},                                             // A1 (BIFF8)
        {ptg::kAttr, kAttrChoose, 0x02, 0x00, 0x06, 0x00, 0x0D, 0x00, 0x14, 0x00},  // 3 offsets
        {0x1E, 0x01, 0x00},                                                         // 1
        {ptg::kAttr, kAttrSkip, 0x0A, 0x00},
        {0x1E, 0x02, 0x00},  // 2
        {ptg::kAttr, kAttrSkip, 0x03, 0x00},
        {0x42, 0x03, 0x64, 0x00},  // CHOOSE
    };
    Bytes stream;
    for (const Bytes &part : parts) stream.insert(stream.end(), part.begin(), part.end());
    return stream;
}

TEST(TokenWalkerAttributes, ChooseCarriesItsJumpTableAndSkipsAreFixed) {
    const std::vector<Seen> seen = walk_ok(choose_stream(), BiffVersion::kBiff8);
    std::vector<size_t> offsets, sizes;
    for (const Seen &s : seen) {
        offsets.push_back(s.offset);
        sizes.push_back(s.size);
    }
    EXPECT_EQ(offsets, (std::vector<size_t>{0, 5, 15, 18, 22, 25, 29}));
    EXPECT_EQ(sizes, (std::vector<size_t>{5, 10, 3, 4, 3, 4, 4}));
    EXPECT_EQ(seen[1].kind, TokenKind::kAttribute);
    EXPECT_EQ(seen[3].kind, TokenKind::kAttribute);

    // BIFF5 uses the same ptgAttr layout; sum, space and volatile forms are 4 bytes.
    const Bytes biff5{0x19, 0x01, 0x00, 0x00,               // volatile
                      0x44, 0x00, 0xC0, 0x00,               // A1
                      0x19, 0x40, 0x00, 0x02,               // two spaces
                      0x19, 0x10, 0x00, 0x00,               // sum
                      0x19, 0x04, 0x00, 0x00, 0x02, 0x00};  // choose of nothing: one offset
    std::vector<size_t> b5;
    for (const Seen &s : walk_ok(biff5, BiffVersion::kBiff5)) b5.push_back(s.size);
    EXPECT_EQ(b5, (std::vector<size_t>{4, 4, 4, 4, 6}));
}

TEST(TokenWalkerAttributes, AJumpTablePastTheEndIsRefused) {
    Bytes stream = choose_stream();
    stream[7] = 0x20;  // 32 choices: the table would run far past the stream
    EXPECT_EQ(check_tokens(stream, BiffVersion::kBiff8), err::kFormulaNotWalkable);
    Recorder recorder;
    EXPECT_EQ(walk_tokens(stream, BiffVersion::kBiff8, recorder), err::kFormulaNotWalkable);
    EXPECT_EQ(recorder.seen.size(), 1u) << "A1 was visited, the choice was not";
}

TEST(TokenWalkerMemory, TheSubexpressionIsWalkedAndMustFit) {
    // ptgMemFunc over Sheet2!A1 (BIFF5 3-D reference, 18 bytes), then ptgMemArea (6 + 0).
    Bytes ref3d{0x3A, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0x01, 0x00, 0x01, 0x00, 0x00, 0xC0, 0x00};
    Bytes stream{0x29, 18, 0x00};
    stream.insert(stream.end(), ref3d.begin(), ref3d.end());
    stream.insert(stream.end(), {0x26, 0, 0, 0, 0, 0x00, 0x00});
    const std::vector<Seen> seen = walk_ok(stream, BiffVersion::kBiff5);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].kind, TokenKind::kMemory);
    EXPECT_EQ(seen[0].subexpression, 18);
    EXPECT_EQ(seen[1].kind, TokenKind::kCell3d);
    EXPECT_EQ(seen[1].size, 18u);
    EXPECT_EQ(seen[2].kind, TokenKind::kMemory);
    EXPECT_EQ(seen[2].size, 7u);

    stream[1] = 30;  // longer than what follows
    EXPECT_EQ(check_tokens(stream, BiffVersion::kBiff5), err::kFormulaNotWalkable);
}

TEST(TokenWalkerNames, NamesAndSharedCellsHaveTheirFormatsLengths) {
    // ptgName, ptgNameX, ptgExp; then ptgTbl in the other format.
    Bytes b8{0x43, 1, 0, 0, 0, 0x39, 0, 0, 1, 0, 0, 0, 0x01, 0, 0, 0, 0};
    std::vector<size_t> sizes;
    for (const Seen &s : walk_ok(b8, BiffVersion::kBiff8)) sizes.push_back(s.size);
    EXPECT_EQ(sizes, (std::vector<size_t>{5, 7, 5}));
    Bytes b5(1 + 14 + 1 + 24 + 1 + 4, 0);
    b5[0] = 0x23;
    b5[15] = 0x59;
    b5[40] = 0x02;
    sizes.clear();
    for (const Seen &s : walk_ok(b5, BiffVersion::kBiff5)) sizes.push_back(s.size);
    EXPECT_EQ(sizes, (std::vector<size_t>{15, 25, 5}));
}

TEST(TokenWalkerRefusals, CodesWithoutASizeAreRefused) {
    for (unsigned code : {0x00u, 0x18u, 0x1Au, 0x1Bu, 0x30u, 0x38u, 0x3Eu, 0x3Fu, 0x50u, 0x5Eu,
                          0x7Fu, 0x80u, 0xFFu}) {
        // Behind a valid token, with room for any payload after it.
        Bytes stream{0x1E, 0x01, 0x00, static_cast<uint8_t>(code)};
        stream.resize(64, 0);
        for (BiffVersion version : {BiffVersion::kBiff5, BiffVersion::kBiff8}) {
            EXPECT_EQ(check_tokens(stream, version), err::kFormulaNotWalkable) << code;
        }
    }
    // A BIFF8 string with rich-text or phonetic bits: a layout this token never has.
    EXPECT_EQ(check_tokens(Bytes{0x17, 0x01, 0x08, 'a'}, BiffVersion::kBiff8),
              err::kFormulaNotWalkable);
    // UTF-16 characters counted in units of two.
    EXPECT_EQ(check_tokens(Bytes{0x17, 0x02, 0x01, 'a', 0, 'b'}, BiffVersion::kBiff8),
              err::kFormulaNotWalkable);
    EXPECT_EQ(check_tokens(Bytes{0x17, 0x02, 0x01, 'a', 0, 'b', 0}, BiffVersion::kBiff8), 0);
    EXPECT_EQ(check_tokens(Bytes{}, BiffVersion::kBiff5), 0);
}

// Rewrites every 3-D reference into its deleted form and stops at the first function.
class Deleter : public TokenVisitor {
  public:
    int on_cell_3d(WalkedToken &t) override { return erase(t); }
    int on_area_3d(WalkedToken &t) override { return erase(t); }
    int on_function(WalkedToken &) override { return 7; }

  private:
    static int erase(WalkedToken &t) {
        t.bytes[0] = deleted_reference_code(t.bytes[0]);
        return 0;
    }
};

TEST(TokenWalkerRewrites, VisitorsRewriteInPlaceAndStopTheWalk) {
    CompiledFormula compiled;
    ASSERT_EQ(compile_formula(u"=Sheet2!A1+SUM(Sheet2:Sheet3!A1:B2)+Sheet3!B1",
                              context(BiffVersion::kBiff5), &compiled),
              0);
    Bytes tokens = compiled.tokens;
    Deleter deleter;
    EXPECT_EQ(walk_tokens(tokens, BiffVersion::kBiff5, deleter), 7);
    EXPECT_EQ(tokens[0], 0x5C) << "ptgRef3dV became ptgRefErr3dV";
    EXPECT_EQ(tokens[18], 0x3D) << "ptgArea3d became ptgAreaErr3d";
    const size_t last = tokens.size() - 1 - 18;  // the ptgAdd is last, Sheet3!B1 before it
    EXPECT_EQ(tokens[last], 0x5A) << "not reached after the visitor stopped";
    EXPECT_EQ(tokens.size(), compiled.tokens.size());
}

TEST(TokenWalkerRewrites, DeletedFormsKeepTheClass) {
    EXPECT_EQ(deleted_reference_code(0x24), 0x2A);
    EXPECT_EQ(deleted_reference_code(0x45), 0x4B);
    EXPECT_EQ(deleted_reference_code(0x6C), 0x6A);
    EXPECT_EQ(deleted_reference_code(0x2D), 0x2B);
    EXPECT_EQ(deleted_reference_code(0x3A), 0x3C);
    EXPECT_EQ(deleted_reference_code(0x5A), 0x5C);
    EXPECT_EQ(deleted_reference_code(0x7B), 0x7D);
    EXPECT_EQ(deleted_reference_code(0x3D), 0x3D);
    EXPECT_EQ(deleted_reference_code(0x1E), 0);
    EXPECT_EQ(deleted_reference_code(0x42), 0);
    EXPECT_EQ(deleted_reference_code(0x83), 0);
}

}  // namespace
}  // namespace tabrix::engine
