// The texts of a run's labels and the plan of its sheets.
#include <gtest/gtest.h>

#include "core/printing/label_texts.h"
#include "core/printing/print_plan.h"
#include "core/printing/sheet_grid.h"

namespace labelora {
namespace {

// The lower (C) or first (M, T) line of the labels at n = 0 .. count-1 of the run.
std::vector<std::string> numberLines(const LabelRun &run, int count) {
    size_t line = run.family() == Family::C ? 1 : 0;
    std::vector<std::string> out;
    for (int n = 0; n < count; ++n)
        out.push_back(labelTexts(run, seriesIndex(n, run.repeatCount)).line(line));
    return out;
}

LabelRun roundRun(int layout) {
    LabelRun run;
    run.sheetType = 1;
    run.layoutType = layout;
    return run;
}

TEST(LabelSeries, RepeatPrintsEachNumberThatManyTimes) {
    LabelRun run = roundRun(1);
    run.repeatCount = 3;
    EXPECT_EQ(numberLines(run, 7),
              (std::vector<std::string>{"0001", "0001", "0001", "0002", "0002", "0002", "0003"}));
}

TEST(LabelSeries, FourDigitsWrapAfter9999PaddedOrPlain) {
    LabelRun run = roundRun(1);
    run.startNumber = 9999;
    EXPECT_EQ(numberLines(run, 3), (std::vector<std::string>{"9999", "0000", "0001"}));
    run.plainNumbers = true;
    EXPECT_EQ(numberLines(run, 3), (std::vector<std::string>{"9999", "0", "1"}));
    // The tube layouts wrap the same way and join the optional text.
    LabelRun tube;
    tube.sheetType = 3;
    tube.layoutType = 1;
    tube.startNumber = 9998;
    tube.texts = {{"Edit11", "血清"}, {"Label30", "26/03/15"}};
    tube.separator = "-";
    EXPECT_EQ(labelTexts(tube, 2).lines, (std::vector<std::string>{"血清-0000", "26/03/15"}));
    tube.texts["Edit11"] = "";
    EXPECT_EQ(labelTexts(tube, 0).line(0), "9998");  // no text: the number alone
}

TEST(LabelSeries, ALetterCarriesTheThousands) {
    LabelRun run = roundRun(2);
    run.texts["Edit2"] = "ABCDEFG";
    run.letters["ListBox4"] = 25;  // Z
    run.startNumber = 999;
    EXPECT_EQ(numberLines(run, 2), (std::vector<std::string>{"Z999", "A000"}));
    EXPECT_EQ(labelTexts(run, 0).line(0), "ABCDE");  // the round upper line holds five bytes

    // Step 10 from 995: the second label has passed the thousand.
    run.letters["ListBox4"] = 0;
    run.startNumber = 995;
    run.numberStep = 10;
    EXPECT_EQ(numberLines(run, 2), (std::vector<std::string>{"A995", "B005"}));
    run.plainNumbers = true;
    EXPECT_EQ(numberLines(run, 2), (std::vector<std::string>{"A995", "B5"}));

    // M layout 2 puts the separator between letter and number.
    LabelRun rect;
    rect.sheetType = 2;
    rect.layoutType = 2;
    rect.letters["ListBox10"] = 1;
    rect.startNumber = 999;
    rect.texts["Label22"] = "26/03/15";
    EXPECT_EQ(labelTexts(rect, 1).lines, (std::vector<std::string>{"C 000", "26/03/15"}));
}

TEST(LabelSeries, TwoLettersCarryTheHundreds) {
    LabelRun run = roundRun(3);
    run.letters = {{"ListBox5", 0}, {"ListBox6", 25}};  // A Z
    run.startNumber = 99;
    EXPECT_EQ(numberLines(run, 2), (std::vector<std::string>{"AZ99", "BA00"}));
    run.letters = {{"ListBox5", 25}, {"ListBox6", 25}};  // Z Z
    EXPECT_EQ(numberLines(run, 2), (std::vector<std::string>{"ZZ99", "AA00"}));
    // More than one round of the second letter keeps moving the first.
    EXPECT_EQ(twoLettersAndNumber(0, 0, 5307, false), "CB07");
    EXPECT_EQ(twoLettersAndNumber(0, 0, 5, true), "AA5");
}

TEST(LabelSeries, DatesWordsAndFixedTexts) {
    LabelRun run = roundRun(6);
    run.texts["Label19"] = "26|03";
    run.letters["ListBox7"] = 2;
    EXPECT_EQ(labelTexts(run, 0).lines, (std::vector<std::string>{"26|03", "C001"}));

    LabelRun rect;
    rect.sheetType = 2;
    rect.layoutType = 7;
    rect.separator = "  ";
    rect.texts = {{"ListBox11", "血清"}, {"ListBox18", "冷凍庫Ａ"}};
    rect.startNumber = 41;
    EXPECT_EQ(labelTexts(rect, 1).lines, (std::vector<std::string>{"血清  042", "冷凍庫Ａ"}));
    rect.layoutType = 17;
    EXPECT_EQ(labelTexts(rect, 5).lines, std::vector<std::string>{"ー８０℃"});
    rect.layoutType = 20;
    EXPECT_EQ(labelTexts(rect, 0).lines, std::vector<std::string>{"注意"});

    LabelRun tube;
    tube.sheetType = 4;
    tube.layoutType = 9;
    tube.texts["Label45"] = "26/03/15";
    tube.startNumber = 998;
    EXPECT_EQ(labelTexts(tube, 3).lines, std::vector<std::string>{"001 26/03/15"});
}

TEST(LabelSeries, TextListEntriesReplaceTheNumber) {
    LabelRun run = roundRun(10);
    run.texts["Edit22"] = "ABC";
    run.letters["ListBox30"] = 3;
    run.startNumber = 5000;  // no carry for the text-list letter
    run.textList = {"一二三", "XY"};
    EXPECT_EQ(labelTexts(run, 0).lines, (std::vector<std::string>{"ABC", "D一二"}));
    EXPECT_EQ(labelTexts(run, 1).line(1), "DXY");
    EXPECT_EQ(labelTexts(run, 2).line(1), "D");  // past the list: no entry, nothing read

    LabelRun tube;
    tube.sheetType = 3;
    tube.layoutType = 16;
    tube.textList = {"S1", "S2"};
    tube.texts = {{"Edit31", "AB"}, {"ListBox37", "棚"}, {"Label66", "26/03/15"}};
    EXPECT_EQ(labelTexts(tube, 1).lines, (std::vector<std::string>{"AB S2", "棚", "26/03/15"}));
    // What the user left in the preview memo wins over the input.
    tube.previewSecondLine = "冷蔵";
    EXPECT_EQ(labelTexts(tube, 0).line(1), "冷蔵");
}

TEST(LabelSeries, MemoLayoutsAndBlankLabels) {
    LabelRun run = roundRun(8);
    run.memoLines = {"血清ABC", "12345"};
    EXPECT_EQ(labelTexts(run, 0).lines, (std::vector<std::string>{"血清A", "12345"}));
    EXPECT_FALSE(isBlankLayout(run));
    run.memoLines.clear();
    EXPECT_TRUE(labelTexts(run, 0).lines.empty());
    EXPECT_TRUE(isBlankLayout(run));
    run.layoutType = 7;
    EXPECT_FALSE(isBlankLayout(run));

    LabelRun rect;
    rect.sheetType = 2;
    rect.layoutType = 8;
    rect.memoLines = {"only line"};
    EXPECT_EQ(labelTexts(rect, 0).lines, std::vector<std::string>{"only line"});
}

TEST(SheetGrid, CornersPitchesAndOffsets) {
    // Offsets at "0" (index 10) put the first label at (x0 + 50, y0 + 50).
    UnitRect first = labelRect(1, 1, 10, 10);
    EXPECT_EQ(first.x, 195);
    EXPECT_EQ(first.y, 206);
    EXPECT_EQ(labelRect(1, 1, 0, 10).x, 145);   // "-5"
    EXPECT_EQ(labelRect(1, 1, 20, 10).x, 245);  // "+5"
    EXPECT_EQ(labelRect(1, 1, 10, 8).y, 196);   // "-1": two steps up
    UnitRect last = labelRect(1, 150, 10, 10);
    EXPECT_EQ(last.x, 195 + 9 * 167);
    EXPECT_EQ(last.y, 206 + 14 * 168);
    UnitRect rect = labelRect(2, 7, 10, 10);  // first of the second row
    EXPECT_EQ(rect.x, 170);
    EXPECT_EQ(rect.y, 395 + 217);
    EXPECT_EQ(rect.width, 260);
    EXPECT_EQ(rect.height, 140);
    UnitRect tube = labelRect(3, 95, 10, 10);
    EXPECT_EQ(tube.x, 165 + 4 * 345);
    EXPECT_EQ(tube.y, 135 + 18 * 138);
    UnitRect micro = labelRect(4, 6, 12, 10);
    EXPECT_EQ(micro.x, 150 + 445);
    EXPECT_EQ(micro.y, 120 + 148);
    for (int sheet = 1; sheet <= 4; ++sheet)
        EXPECT_EQ(sheetGeometry(sheet).capacity(), sheetType(sheet).capacity);

    UnitRect inset = insetBox(first);
    EXPECT_EQ(inset.x, 215);
    EXPECT_EQ(inset.right(), 195 + 130 - 20);
    EXPECT_EQ(roundLabelCentre(first).x, 260);
    EXPECT_EQ(roundLabelCentre(first).y, 272);
}

TEST(SheetGrid, LayoutUnitsToDevicePixels) {
    EXPECT_EQ(unitsToDevice(250, 600), 600);
    EXPECT_EQ(unitsToDevice(195, 600), 468);
    EXPECT_EQ(unitsToDevice(145, 300), 174);
    EXPECT_EQ(unitsToDevice(1, 300), 1);          // 1.2 truncated
    EXPECT_EQ(unitsToDevice(3000, 1200), 14400);  // whole pixels stay whole
    EXPECT_EQ(unitsToDevice(10, 96), 3);          // 3.84 truncated
}

TEST(PrintPlan, PagesOfARun) {
    // Round sheet from 141, 30 labels: 141..150, then 1..20; the next run starts at 21.
    auto spans = pageSpans(141, 30, 150);
    ASSERT_EQ(spans.size(), 2u);
    EXPECT_EQ(spans[0].firstPosition, 141);
    EXPECT_EQ(spans[0].lastPosition, 150);
    EXPECT_EQ(spans[1].firstPosition, 1);
    EXPECT_EQ(spans[1].lastPosition, 20);
    EXPECT_EQ(pageCount(141, 30, 150), 2);
    EXPECT_EQ(nextStartPosition(141, 30, 150), 21);
    // The second sheet continues the series where the first stopped.
    EXPECT_EQ(labelsBefore(1, 2, 141, 150), 10);
    EXPECT_EQ(labelsBefore(141, 1, 141, 150), 0);

    // A full sheet from 1: one page, and the next run starts at 1 again.
    EXPECT_EQ(pageSpans(1, 150, 150).size(), 1u);
    EXPECT_EQ(nextStartPosition(1, 150, 150), 1);
    EXPECT_EQ(pageCount(1, 151, 150), 2);

    // 10 x 30 mm from 90, 400 labels: six sheets.
    spans = pageSpans(90, 400, 95);
    ASSERT_EQ(spans.size(), 6u);
    EXPECT_EQ(pageCount(90, 400, 95), 6);
    EXPECT_EQ(spans[0].firstPosition, 90);
    EXPECT_EQ(spans[0].lastPosition, 95);
    for (int i = 1; i < 5; ++i) {
        EXPECT_EQ(spans[i].firstPosition, 1);
        EXPECT_EQ(spans[i].lastPosition, 95);
    }
    EXPECT_EQ(spans[5].lastPosition, 14);
    EXPECT_EQ(nextStartPosition(90, 400, 95), 15);
    EXPECT_EQ(labelsBefore(14, 6, 90, 95), 399);
}

TEST(PrintPlan, ShadingOfEachPage) {
    auto count = [](const std::vector<Shade> &shades, Shade which) {
        return std::count(shades.begin(), shades.end(), which);
    };
    // One page: used, printed, free.
    auto one = sheetShading(21, 30, 150, 1);
    EXPECT_EQ(one[19], Shade::Used);
    EXPECT_EQ(one[20], Shade::Printed);
    EXPECT_EQ(one[49], Shade::Printed);
    EXPECT_EQ(one[50], Shade::Free);
    EXPECT_EQ(count(one, Shade::Used), 20);
    EXPECT_EQ(count(one, Shade::Printed), 30);
    // Several pages: first used + printed to the end, middle all printed, last from 1.
    auto first = sheetShading(90, 400, 95, 1);
    EXPECT_EQ(count(first, Shade::Used), 89);
    EXPECT_EQ(count(first, Shade::Printed), 6);
    EXPECT_EQ(count(sheetShading(90, 400, 95, 3), Shade::Printed), 95);
    auto last = sheetShading(90, 400, 95, 6);
    EXPECT_EQ(count(last, Shade::Printed), 14);
    EXPECT_EQ(last[13], Shade::Printed);
    EXPECT_EQ(last[14], Shade::Free);
}

TEST(PrintPlan, StartNumberAdvances) {
    // C layout 2 with "A" from 990, 30 labels: 20 and "B".
    NumberAdvance next = advanceStartNumber({Family::C, 2, 990, 30, 1, {{"ListBox4", 0}}});
    EXPECT_EQ(next.startNumber, 20);
    EXPECT_EQ(next.letters[0].second, 1);
    // "Z" wraps to "A".
    next = advanceStartNumber({Family::M, 5, 999, 1, 1, {{"ListBox16", 25}}});
    EXPECT_EQ(next.startNumber, 0);
    EXPECT_EQ(next.letters[0].second, 0);
    // Four digits wrap at 10000, with the step.
    EXPECT_EQ(advanceStartNumber({Family::T, 1, 9990, 30, 1, {}}).startNumber, 20);
    EXPECT_EQ(advanceStartNumber({Family::C, 1, 1, 30, 10, {}}).startNumber, 301);
    EXPECT_EQ(advanceStartNumber({Family::M, 9, 995, 1, 10, {}}).startNumber, 5);
    // Two letters: the hundreds move the second letter, and past "Z" the first.
    next = advanceStartNumber({Family::C, 3, 90, 30, 1, {{"ListBox5", 0}, {"ListBox6", 25}}});
    EXPECT_EQ(next.startNumber, 20);
    EXPECT_EQ(next.letters[0].second, 1);
    EXPECT_EQ(next.letters[1].second, 0);
    // Layouts without a serial number keep it.
    EXPECT_EQ(advanceStartNumber({Family::C, 8, 77, 30, 1, {}}).startNumber, 77);
    EXPECT_EQ(advanceStartNumber({Family::T, 12, 77, 30, 1, {}}).startNumber, 77);
}

TEST(PrintPlan, RainbowColours) {
    const Rgb yellow{255, 255, 0}, aqua{0, 255, 255}, red{255, 0, 0}, lime{0, 255, 0},
        cream{255, 251, 240};
    EXPECT_EQ(rainbowByCopy(0, 3), yellow);
    EXPECT_EQ(rainbowByCopy(1, 3), aqua);
    EXPECT_EQ(rainbowByCopy(2, 3), red);
    EXPECT_EQ(rainbowByCopy(3, 3), yellow);
    EXPECT_EQ(rainbowByCopy(3, 5), lime);
    EXPECT_EQ(rainbowByCopy(4, 5), cream);
    EXPECT_EQ(rainbowByCopy(5, 7), cream);  // copies 5 and 6 keep the colour before
    EXPECT_EQ(rainbowByCopy(6, 7), cream);
    EXPECT_EQ(rainbowByGroup(0, 10), (Rgb{255, 255, 128}));
    EXPECT_EQ(rainbowByGroup(9, 10), (Rgb{255, 255, 128}));
    EXPECT_EQ(rainbowByGroup(10, 10), (Rgb{128, 255, 128}));
    EXPECT_EQ(rainbowByGroup(69, 10), (Rgb{206, 206, 206}));
}

TEST(PrintPlan, ColourLists) {
    EXPECT_EQ(textColours().size(), 9u);
    EXPECT_EQ(backgroundColours().size(), 9u);
    EXPECT_EQ(textColour("Lime"), (Rgb{0, 255, 0}));
    EXPECT_EQ(backgroundColour("Lime"), (Rgb{128, 128, 0}));
    EXPECT_EQ(backgroundColour("SkyBlue"), (Rgb{166, 202, 240}));
    EXPECT_FALSE(textColour("Orange"));
}

TEST(PrintPlan, SheetPictureBands) {
    EXPECT_EQ(positionAtPixel(1, 10, 16), 1);
    EXPECT_EQ(positionAtPixel(1, 25, 29), 2);
    EXPECT_EQ(positionAtPixel(1, 159, 366), 150);
    EXPECT_EQ(positionAtPixel(1, 20, 235), 91);
    EXPECT_FALSE(positionAtPixel(1, 9, 16));    // left of the first column
    EXPECT_FALSE(positionAtPixel(1, 20, 35));   // between two rows
    EXPECT_FALSE(positionAtPixel(1, 20, 230));  // the wider gap above row 10
    EXPECT_EQ(positionAtPixel(2, 238, 238), 60);
    EXPECT_FALSE(positionAtPixel(2, 40, 10));
    EXPECT_EQ(positionAtPixel(3, 56, 152), 47);  // row 10 is the taller band
    EXPECT_EQ(positionAtPixel(3, 240, 310), 95);
    EXPECT_FALSE(positionAtPixel(3, 100, 168));
    EXPECT_EQ(positionAtPixel(4, 15, 15), 1);
    EXPECT_EQ(positionAtPixel(4, 299, 302), 72);
    EXPECT_EQ(positionAtPixel(4, 87, 31), 6);
    EXPECT_FALSE(positionAtPixel(4, 84, 31));
    EXPECT_FALSE(positionAtPixel(4, 100, 303));
    for (int sheet = 1; sheet <= 4; ++sheet) {
        EXPECT_EQ(static_cast<int>(columnBands(sheet).size()), sheetGeometry(sheet).across);
        EXPECT_EQ(static_cast<int>(rowBands(sheet).size()), sheetGeometry(sheet).down);
    }
}

}  // namespace
}  // namespace labelora
