#include "core/files/start_file.h"

#include <gtest/gtest.h>

namespace labelora {
namespace {

const std::array<int, 4> kCapacities = {150, 60, 95, 72};

TEST(StartFile, ReadsFourSheetLinesAndKeepsTheFifth) {
    StartFile file = parseStartFile(
        "10,10,21\r\n0,20,60\r\n9,11,95\r\n10,10,1\r\n\x83\x81\x83\x82\r\n", kCapacities);
    EXPECT_EQ(file.sheets[0].offsetRight, 10);
    EXPECT_EQ(file.sheets[0].offsetDown, 10);
    EXPECT_EQ(file.sheets[0].startPosition, 21);
    EXPECT_EQ(file.sheets[1].offsetRight, 0);
    EXPECT_EQ(file.sheets[1].offsetDown, 20);
    EXPECT_EQ(file.sheets[1].startPosition, 60);
    EXPECT_EQ(file.sheets[2].offsetRight, 9);
    EXPECT_EQ(file.sheets[2].startPosition, 95);
    EXPECT_EQ(file.extraLine, "\x83\x81\x83\x82");  // kept as the bytes it was
    EXPECT_TRUE(file.malformedLines.empty());
}

TEST(StartFile, PositionZeroReadsAsOne) {
    StartFile file = parseStartFile("10,10,0\n10,10,0\n10,10,5\n10,10,0\n", kCapacities);
    EXPECT_EQ(file.sheets[0].startPosition, 1);
    EXPECT_EQ(file.sheets[1].startPosition, 1);
    EXPECT_EQ(file.sheets[2].startPosition, 5);
    EXPECT_EQ(file.sheets[3].startPosition, 1);
    EXPECT_TRUE(file.malformedLines.empty());
}

TEST(StartFile, AMalformedLineKeepsItsGoodFieldsAndTheOtherLines) {
    StartFile file = parseStartFile(
        "10;10;21\r\n"  // no commas: nothing readable
        "3,x,40\r\n"    // one field not a number
        "4,5\r\n"       // a field missing
        "2,30,80\r\n"   // offset and position out of range
        "extra\r\n",
        kCapacities);
    EXPECT_EQ(file.malformedLines, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(file.sheets[0].offsetRight, kNoOffset);
    EXPECT_EQ(file.sheets[0].offsetDown, kNoOffset);
    EXPECT_EQ(file.sheets[0].startPosition, 1);
    EXPECT_EQ(file.sheets[1].offsetRight, 3);
    EXPECT_EQ(file.sheets[1].offsetDown, kNoOffset);
    EXPECT_EQ(file.sheets[1].startPosition, 40);
    EXPECT_EQ(file.sheets[2].offsetRight, 4);
    EXPECT_EQ(file.sheets[2].offsetDown, 5);
    EXPECT_EQ(file.sheets[2].startPosition, 1);
    EXPECT_EQ(file.sheets[3].offsetRight, 2);
    EXPECT_EQ(file.sheets[3].offsetDown, kNoOffset);
    EXPECT_EQ(file.sheets[3].startPosition, 1);  // 80 is beyond the 72 labels of the sheet
    EXPECT_EQ(file.extraLine, "extra");
}

TEST(StartFile, AShortFileTakesDefaultsForWhatIsMissing) {
    StartFile file = parseStartFile("1,2,3", kCapacities);
    EXPECT_EQ(file.sheets[0].offsetRight, 1);
    EXPECT_EQ(file.sheets[0].offsetDown, 2);
    EXPECT_EQ(file.sheets[0].startPosition, 3);
    EXPECT_EQ(file.sheets[3].offsetRight, kNoOffset);
    EXPECT_EQ(file.malformedLines, (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(file.extraLine, "");
    EXPECT_EQ(formatStartFile(file), "1,2,3\r\n10,10,1\r\n10,10,1\r\n10,10,1\r\n\r\n");
}

TEST(StartFile, RoundTripIsByteForByte) {
    const std::string original =
        "10,10,21\r\n8,12,1\r\n10,10,95\r\n0,20,72\r\n\x93\xFA\x96\x7B\x8C\xEA\r\nsixth\r\n";
    StartFile file = parseStartFile(original, kCapacities);
    EXPECT_EQ(formatStartFile(file), original);
    file.sheets[0].startPosition = 22;
    file.sheets[2].offsetDown = 8;
    EXPECT_EQ(formatStartFile(file),
              "10,10,22\r\n8,12,1\r\n10,8,95\r\n0,20,72\r\n\x93\xFA\x96\x7B\x8C\xEA\r\nsixth\r\n");
}

TEST(StartFile, AByteOrderMarkIsSkipped) {
    StartFile file = parseStartFile(
        "\xEF\xBB\xBF"
        "8,12,33\r\n",
        kCapacities);
    EXPECT_EQ(file.sheets[0].offsetRight, 8);
    EXPECT_EQ(file.sheets[0].startPosition, 33);
}

TEST(StartFile, BlanksAroundFieldsAreTolerated) {
    StartFile file = parseStartFile(" 9 , 11 ,7 \r\n", kCapacities);
    EXPECT_EQ(file.sheets[0].offsetRight, 9);
    EXPECT_EQ(file.sheets[0].offsetDown, 11);
    EXPECT_EQ(file.sheets[0].startPosition, 7);
}

}  // namespace
}  // namespace labelora
