// XF bodies of both formats read back into the fields and the attribute they were written from.
#include <gtest/gtest.h>

#include <random>

#include "engine/biff/le_bytes.h"
#include "engine/styles/xf_records.h"

namespace tabrix::engine::test {
namespace {

// Fields with every value inside its bit width, the Excel 97 fields only in Excel 97.
XfFields random_fields(std::mt19937 &random, bool biff8) {
    auto bits = [&random](int width) {
        return static_cast<uint8_t>(random() & ((1u << width) - 1));
    };
    XfFields f;
    f.font = static_cast<uint16_t>(random());
    f.format = static_cast<uint16_t>(random());
    f.protection = static_cast<uint16_t>(random());
    f.pos_horz = bits(3);
    f.wrap = bits(1);
    f.pos_vert = bits(3);
    f.justify_last = bits(1);
    f.used = static_cast<uint8_t>(bits(6) << 2);
    for (int i = 0; i < 4; ++i) {
        f.style[i] = bits(biff8 ? 4 : 3);
        f.colour[i] = bits(7);
    }
    f.pattern = bits(6);
    f.pattern_colour = bits(7);
    f.back_colour = bits(7);
    if (biff8) {
        f.rotation = bits(8);
        f.indent = bits(4);
        f.fit = bits(1);
        f.joint = bits(1);
        f.diag_kind = bits(2);
        f.diag_style = bits(4);
        f.diag_colour = bits(7);
    } else {
        f.orient = bits(2);
    }
    return f;
}

TEST(XfBodyTest, StoredFieldsReadBackInBothFormats) {
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        const XfFields biff5 = random_fields(random, false);
        const std::vector<uint8_t> body5 = xf_body_biff5(biff5);
        ASSERT_EQ(body5.size(), 16u);
        EXPECT_EQ(read_xf_biff5(body5), biff5);

        const XfFields biff8 = random_fields(random, true);
        const std::vector<uint8_t> body8 = xf_body_biff8(biff8);
        ASSERT_EQ(body8.size(), 20u);
        EXPECT_EQ(read_xf_biff8(body8), biff8);
    }
}

TEST(XfBodyTest, EveryFieldHasBitsOfItsOwn) {
    // One field at its largest value and the rest zero reads back alone.
    XfFields one;
    one.diag_style = 0xF;
    EXPECT_EQ(read_xf_biff8(xf_body_biff8(one)), one);
    one = XfFields{};
    one.pattern = 0x3F;
    EXPECT_EQ(read_xf_biff8(xf_body_biff8(one)), one);
    EXPECT_EQ(read_xf_biff5(xf_body_biff5(one)), one);
    one = XfFields{};
    one.orient = 3;
    EXPECT_EQ(read_xf_biff5(xf_body_biff5(one)), one);
}

TEST(XfBodyTest, ShortBodiesAreRefused) {
    EXPECT_FALSE(read_xf_biff5(std::vector<uint8_t>(15)).has_value());
    EXPECT_FALSE(read_xf_biff8(std::vector<uint8_t>(19)).has_value());
    EXPECT_FALSE(read_xf_attribute(XfFormat{true, false}, std::vector<uint8_t>(16)).has_value());
}

CellAttribute random_request(std::mt19937 &random) {
    auto pick = [&random](int low, int high) {
        return static_cast<int16_t>(low + static_cast<int>(random() % (high - low + 1)));
    };
    CellAttribute a = unset_attribute();
    a.font = pick(-1, 9);
    a.format = pick(-1, 200);
    a.pos_horz = pick(-1, 9);
    a.over_return = pick(-1, 1);
    a.pos_vert = pick(-1, 5);
    a.orient = pick(-1, 4);
    for (int16_t *line : {&a.line_top, &a.line_bottom, &a.line_left, &a.line_right}) {
        *line = random() % 5 == 0 ? kNoLine : pick(-1, 14);
    }
    for (int16_t *colour : {&a.color_top, &a.color_bottom, &a.color_left, &a.color_right}) {
        *colour = pick(-1, 66);
    }
    a.pattern = pick(-1, 19);
    a.pattern_color = pick(-1, 66);
    a.back_color = pick(-1, 66);
    a.fit = pick(-1, 1);
    a.joint = pick(-1, 1);
    a.diag_kind = pick(-1, 4);
    a.diag_style = pick(-1, 14);
    a.diag_color = pick(-1, 66);
    a.indent = pick(-1, 16);
    a.rotation = random() % 9 == 0 ? kRotationUnset : pick(-90, 255);
    a.locked = pick(-1, 1);
    a.hidden = pick(-1, 1);
    return a;
}

TEST(XfBodyTest, AttributesReadBackToTheSameBody) {
    std::mt19937 random(11);
    for (XfFormat format : {XfFormat{false, false}, XfFormat{true, false}, XfFormat{true, true}}) {
        for (int round = 0; round < 3000; ++round) {
            CellAttribute a = random_request(random);
            normalise_attribute(format, a);
            const std::vector<uint8_t> body = xf_body(format, a);
            std::optional<CellAttribute> read = read_xf_attribute(format, body);
            ASSERT_TRUE(read.has_value());
            EXPECT_EQ(xf_body(format, *read), body);
            // Fields the body holds as they are come back unchanged.
            EXPECT_EQ(read->font, a.font);
            EXPECT_EQ(read->format, a.format);
            EXPECT_EQ(read->pos_horz, a.pos_horz);
            EXPECT_EQ(read->pos_vert, a.pos_vert);
            EXPECT_EQ(read->locked, a.locked);
            EXPECT_EQ(read->hidden, a.hidden);
            EXPECT_EQ(read->pattern, a.pattern);
            EXPECT_EQ(read->pattern_color, a.pattern_color);
            EXPECT_EQ(read->back_color, a.back_color);
            if (a.line_top >= 1 && a.line_top <= 7) {
                EXPECT_EQ(read->line_top, a.line_top);
                EXPECT_EQ(read->color_top, a.color_top);
            }
            if (format.biff8) {
                EXPECT_EQ(read->indent, a.indent);
                EXPECT_EQ(read->diag_kind, a.diag_kind);
                if (a.rotation >= 0 && a.rotation <= 255) {
                    EXPECT_EQ(read->rotation, a.rotation);
                }
            } else {
                EXPECT_EQ(read->orient, a.orient);
            }
        }
    }
}

}  // namespace
}  // namespace tabrix::engine::test
