// Position texts as callers may get them wrong: random mixes of letters, digits, separators,
// offsets, keyword prefixes and double-byte characters through the calls that parse them.
// Under the sanitizers a read or write outside a buffer stops the run.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "../engine/workbook_test_util.h"
#include "tabrix.h"

namespace tabrix::engine::fuzz {
namespace {

constexpr int kPositions = 4000;

std::string random_position(std::mt19937 &rng) {
    // Corner rows stay small (at most a few "1" and "0" in a row), so that a setter over a
    // random range styles thousands of cells, not millions; offsets may be anything.
    static const char *const pieces[] = {"A",
                                         "z",
                                         "1",
                                         "0",
                                         ":",
                                         ",",
                                         "_[",
                                         "]",
                                         "-",
                                         "$",
                                         "**",
                                         "_",
                                         "\\",
                                         "\x83",
                                         "\x5F",
                                         "\x93\x8C",
                                         "Target",
                                         " ",
                                         "_[1:2]",
                                         "_[-3:0]",
                                         "_[99999:0]",
                                         "_[0:-2147483648]",
                                         "_[2147483647:1]"};
    std::string text;
    const int parts = std::uniform_int_distribution<int>(0, 12)(rng);
    for (int i = 0; i < parts; ++i) text += pieces[rng() % std::size(pieces)];
    return text;
}

TEST(PositionFuzz, RandomPositionsAreRefusedOrWrittenOnTheSheet) {
    test::TempFolder folder;
    for (int version : {95, 97}) {
        ASSERT_EQ(XlsCreateBook(folder.file("fuzz.xls").c_str(), version, 1, nullptr), 1);
        std::mt19937 rng(20261207 + version);
        for (int i = 0; i < kPositions; ++i) {
            const std::string position = random_position(rng);
            XlsPutLong(i, position.c_str());
            XlsPutFontColor(xcRed, position.c_str());
            XlsPutBox(lsNormal, btLtc, position.c_str());
            XlsPutColWidth(3, position.c_str());
            char text[4];
            XlsGetStr(text, sizeof text, position.c_str());
            CELL(position.c_str(), static_cast<int32_t>(rng()), static_cast<int32_t>(rng()));
        }
        int32_t x = -2, y = -2;
        ASSERT_EQ(XlsGetLastPos(&x, &y, 0, 0), 1);
        EXPECT_LE(x, 255);
        EXPECT_LT(y, version == 95 ? 16384 : 65536);
        ASSERT_EQ(XlsCloseBook(1), 1);
    }
    reset_process_state();
}

}  // namespace
}  // namespace tabrix::engine::fuzz
