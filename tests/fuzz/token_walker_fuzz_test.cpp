// Random and mutated token streams: the walker either refuses them or visits tokens that tile
// the stream exactly, and the check agrees with the walk. Each stream has its own allocation,
// so a sanitizer build catches any read past it.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "engine/biff/errors.h"
#include "engine/formula/formula_compiler.h"
#include "engine/formula/token_walker.h"

namespace tabrix::engine {
namespace {

// Checks that every token lies inside the stream and follows the one before it.
class Tiler : public TokenVisitor {
  public:
    explicit Tiler(std::span<uint8_t> stream) : stream_(stream) {}

    int on_token(WalkedToken &token) override {
        if (token.offset != next_ || token.bytes.empty() ||
            token.bytes.data() != stream_.data() + token.offset ||
            token.offset + token.bytes.size() > stream_.size()) {
            return 1;
        }
        next_ = token.offset + token.bytes.size();
        // Rewrite the way a renumbering does, without changing the token's length.
        if (token.kind == TokenKind::kCell3d || token.kind == TokenKind::kArea3d) {
            token.bytes[0] = deleted_reference_code(token.bytes[0]);
        }
        return 0;
    }
    size_t next() const { return next_; }

  private:
    std::span<uint8_t> stream_;
    size_t next_ = 0;
};

// Returns whether the stream was walked.
bool check_stream(std::vector<uint8_t> stream, BiffVersion version) {
    const int checked = check_tokens(stream, version);
    EXPECT_TRUE(checked == 0 || checked == err::kFormulaNotWalkable);
    Tiler tiler(stream);
    const int walked = walk_tokens(stream, version, tiler);
    EXPECT_EQ(walked, checked);
    if (walked == 0) {
        EXPECT_EQ(tiler.next(), stream.size());
    }
    return walked == 0;
}

std::vector<uint8_t> compiled(std::u16string_view text, BiffVersion version) {
    FormulaContext ctx;
    ctx.version = version;
    ctx.row_count = version == BiffVersion::kBiff5 ? 16384 : 65536;
    ctx.sheet_names = {u"Sheet1", u"Sheet2", u"Sheet3"};
    ctx.ref_sheets = {u"Sheet2", u"Sheet3"};
    CompiledFormula out;
    EXPECT_EQ(compile_formula(text, ctx, &out), 0);
    return out.tokens;
}

TEST(TokenWalkerFuzz, RandomAndMutatedStreams) {
    std::mt19937 rng(20240611);
    int walked = 0;
    int refused = 0;
    const std::u16string seeds[] = {
        u"=SUM(Sheet2:Sheet3!A1:B2,Sheet3!C1)*-A1%",
        u"=IF(A1<>\"x\",{1,2;3,4},#REF!)&\"\u65E5\"",
        u"=ROW(A1)+LEN(A1:A2)+2.5^TRUE",
    };
    for (BiffVersion version : {BiffVersion::kBiff5, BiffVersion::kBiff8}) {
        for (int round = 0; round < 4000; ++round) {
            std::vector<uint8_t> stream;
            if (round % 2 == 0) {
                // Random bytes, weighted to the codes that carry payloads.
                stream.resize(rng() % 48);
                for (uint8_t &b : stream)
                    b = static_cast<uint8_t>(rng() % 3 ? rng() % 0x80 : rng());
            } else {
                stream = compiled(seeds[rng() % 3], version);
                const int edits = 1 + static_cast<int>(rng() % 4);
                for (int e = 0; e < edits && !stream.empty(); ++e) {
                    const size_t at = rng() % stream.size();
                    switch (rng() % 3) {
                        case 0:
                            stream[at] = static_cast<uint8_t>(rng());
                            break;
                        case 1:
                            stream.resize(at);
                            break;
                        default:
                            stream.insert(stream.begin() + static_cast<std::ptrdiff_t>(at),
                                          static_cast<uint8_t>(rng()));
                    }
                }
            }
            (check_stream(std::move(stream), version) ? walked : refused)++;
            if (HasFailure()) return;
        }
    }
    // Both outcomes were reached often enough to mean something.
    EXPECT_GT(walked, 500);
    EXPECT_GT(refused, 500);
}

// Streams of ptgAttr with random option bits and counts, the only token whose length grows
// with a field of its own besides ptgStr.
TEST(TokenWalkerFuzz, AttributeTables) {
    std::mt19937 rng(99);
    for (int round = 0; round < 2000; ++round) {
        std::vector<uint8_t> stream{0x19, static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng()),
                                    static_cast<uint8_t>(rng() % 4)};
        stream.resize(stream.size() + rng() % 24, 0x16);
        check_stream(std::move(stream), round % 2 ? BiffVersion::kBiff8 : BiffVersion::kBiff5);
        if (HasFailure()) return;
    }
}

}  // namespace
}  // namespace tabrix::engine
