// What a print run and a report put on the canvas: shapes, colours, fonts and where the
// texts go on each sheet type.
#include "core/printing/label_printer.h"

#include <gtest/gtest.h>

#include "core/printing/report.h"
#include "core/printing/sheet_grid.h"
#include "recording_canvas.h"

namespace labelora {
namespace {

constexpr int kDpi = 600;

int dev(int units) {
    return unitsToDevice(units, kDpi);
}

PrintJob job(int sheetType, int layout, int count, int start = 1) {
    PrintJob j;
    j.run.sheetType = sheetType;
    j.run.layoutType = layout;
    j.run.sampleCount = count;
    j.startPosition = start;
    return j;
}

std::vector<DrawCall> print(const PrintJob &j, std::vector<PrintedLabel> *log = nullptr,
                            RecordingCanvas *into = nullptr) {
    RecordingCanvas own({kDpi, kDpi});
    RecordingCanvas &canvas = into ? *into : own;
    std::vector<PrintedLabel> entries;
    EXPECT_TRUE(printRun(canvas, j, entries));
    if (log) *log = entries;
    return canvas.calls;
}

std::vector<DrawCall> texts(const std::vector<DrawCall> &calls) {
    std::vector<DrawCall> out;
    for (const auto &call : calls)
        if (call.kind == DrawCall::Text) out.push_back(call);
    return out;
}

TEST(LabelPrinter, FontSizeFollowsTheByteLength) {
    EXPECT_EQ(roundFontSize("ABCDE"), 8);
    EXPECT_EQ(roundFontSize("血清A"), 8);  // five bytes
    EXPECT_EQ(roundFontSize("血清"), 9);
    EXPECT_EQ(roundFontSize("ABCDEF"), 9);
    // 12 x 24 mm sheet.
    EXPECT_EQ(rectangleFontSize(2, 1, {"ABC", ""}), 12);
    EXPECT_EQ(rectangleFontSize(2, 1, {"A", "血清血"}), 10);
    EXPECT_EQ(rectangleFontSize(2, 1, {"123456789"}), 8);
    EXPECT_EQ(rectangleFontSize(2, 1, {"1234567890"}), 6);
    EXPECT_EQ(rectangleFontSize(2, 11, {"A"}), 8);         // framed
    EXPECT_EQ(rectangleFontSize(2, 17, {"ー８０℃"}), 12);  // fixed texts
    // The tube sheets.
    EXPECT_EQ(rectangleFontSize(3, 1, {"ABC"}), 18);
    EXPECT_EQ(rectangleFontSize(3, 1, {"ABCD"}), 12);
    EXPECT_EQ(rectangleFontSize(4, 4, {"x", "123456789012"}), 8);
    EXPECT_EQ(rectangleFontSize(4, 4, {"1234567890123"}), 6);
    EXPECT_EQ(rectangleFontSize(3, 9, {"123456789"}), 14);
    EXPECT_EQ(rectangleFontSize(3, 10, {"1234567890123"}), 12);
    EXPECT_EQ(rectangleFontSize(4, 12, {"12345678901234"}), 10);
    EXPECT_EQ(rectangleFontSize(3, 16, {"A", "B", "C"}), 6);   // three lines on 10 x 30
    EXPECT_EQ(rectangleFontSize(4, 16, {"A", "B", "C"}), 18);  // not on 12 x 40
}

TEST(LabelPrinter, RoundLabelsCentreTheirTexts) {
    PrintJob j = job(1, 1, 2);
    j.run.texts["Edit1"] = "ABC";
    std::vector<PrintedLabel> log;
    auto calls = print(j, &log);
    ASSERT_EQ(calls[0].kind, DrawCall::Ellipse);
    EXPECT_EQ(calls[0].box, (DeviceRect{468, 494, 780, 806}));
    EXPECT_EQ(calls[0].penWidth, 5);
    EXPECT_EQ(calls[0].brush, kWhite);

    auto t = texts(calls);
    ASSERT_EQ(t.size(), 4u);
    const int cx = dev(260), cy = dev(272);
    EXPECT_EQ(t[0].text, "ABC");
    EXPECT_EQ(t[0].fontSize, 9);
    EXPECT_EQ((t[0].box.left + t[0].box.right) / 2, cx);
    EXPECT_EQ(t[0].box.bottom, cy);  // layout 1: bottom on the centre line
    EXPECT_EQ(t[1].text, "0001");
    EXPECT_EQ(t[1].box.top, cy);
    EXPECT_EQ((t[1].box.left + t[1].box.right) / 2, cx);
    EXPECT_EQ(t[3].text, "0002");
    EXPECT_EQ(t[3].box.top, dev(272 + 167 * 0) + 0);  // same row
    EXPECT_EQ((t[3].box.left + t[3].box.right) / 2, dev(260 + 167));
    EXPECT_EQ(log, (std::vector<PrintedLabel>{{"ABC", "0001"}, {"ABC", "0002"}}));

    // Other layouts lift the upper line 10 pixels; a five-byte line takes size 8.
    j = job(1, 2, 1);
    j.run.texts["Edit2"] = "ABCDE";
    t = texts(print(j));
    EXPECT_EQ(t[0].fontSize, 8);
    EXPECT_EQ(t[0].box.bottom, cy - 10);
    EXPECT_EQ(t[1].text, "A001");
    EXPECT_EQ(t[1].fontSize, 8);  // the lower line follows the upper's size

    // Layouts 8 to 12 choose the lower line's size by itself.
    j = job(1, 8, 1);
    j.run.memoLines = {"ABCDE", "XY"};
    t = texts(print(j));
    EXPECT_EQ(t[0].fontSize, 8);
    EXPECT_EQ(t[1].fontSize, 9);
}

TEST(LabelPrinter, FrameAndColoursOfRoundLabels) {
    PrintJob j = job(1, 1, 1);
    j.style.frame = true;
    j.style.background = {255, 255, 0};
    j.style.text = {255, 0, 0};
    auto calls = print(j);
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0].brush, (Rgb{255, 255, 0}));
    EXPECT_EQ(calls[0].pen, (Rgb{255, 255, 0}));
    EXPECT_EQ(calls[1].kind, DrawCall::Ellipse);
    EXPECT_EQ(calls[1].brush, kWhite);
    EXPECT_EQ(calls[1].box, (DeviceRect{dev(215), dev(226), dev(305), dev(316)}));
    for (const auto &t : texts(calls)) EXPECT_EQ(t.textColour, (Rgb{255, 0, 0}));
}

TEST(LabelPrinter, RectangularTextPlacementPerSheet) {
    struct Case {
        int sheet, layout;
        Align align;
        int anchor;  // left edge, middle or right edge, units from the label's corner
    };
    for (const Case c : {Case{2, 1, Align::Left, 30}, Case{2, 1, Align::Centre, 130},
                         Case{2, 1, Align::Right, 230}, Case{3, 1, Align::Left, 30},
                         Case{3, 1, Align::Centre, 160}, Case{3, 1, Align::Right, 290},
                         Case{4, 1, Align::Left, 30}, Case{4, 1, Align::Centre, 210},
                         Case{4, 1, Align::Right, 390}}) {
        SCOPED_TRACE(testing::Message() << "sheet " << c.sheet << " align " << int(c.align));
        PrintJob j = job(c.sheet, c.layout, 1, 2);
        j.style.align = c.align;
        j.run.texts = {{"Label20", "26/03/15"}, {"Label30", "26/03/15"}};
        j.previewLines = {"0001", "26/03/15"};
        auto calls = print(j);
        ASSERT_EQ(calls[0].kind, DrawCall::Rectangle);
        UnitRect label = labelRect(c.sheet, 2, 10, 10);
        EXPECT_EQ(calls[0].box, (DeviceRect{dev(label.x), dev(label.y), dev(label.right()),
                                            dev(label.bottom())}));
        auto t = texts(calls);
        ASSERT_EQ(t.size(), 2u);
        EXPECT_EQ(t[0].box.top, dev(label.y + 30));
        EXPECT_EQ(t[1].box.top, dev(label.y + 60));
        for (const auto &line : t) {
            int anchor = dev(label.x + c.anchor);
            int edge = c.align == Align::Left     ? line.box.left
                       : c.align == Align::Centre ? (line.box.left + line.box.right) / 2
                                                  : line.box.right;
            EXPECT_NEAR(edge, anchor, 1);
            EXPECT_GE(line.box.left, dev(label.x));
            EXPECT_LE(line.box.right, dev(label.right()));
        }
    }
}

TEST(LabelPrinter, OneAndThreeLineLabels) {
    PrintJob j = job(2, 9, 1);  // one line on 12 x 24
    j.previewLines = {"001"};
    UnitRect label = labelRect(2, 1, 10, 10);
    EXPECT_EQ(texts(print(j))[0].box.top, dev(label.y + 55));

    j = job(3, 12, 1);  // one line on 10 x 30, framed
    j.run.texts["Edit15"] = "ABC";
    j.previewLines = {"ABC"};
    auto calls = print(j);
    label = labelRect(3, 1, 10, 10);
    EXPECT_EQ(texts(calls)[0].box.top, dev(label.y + 45));
    EXPECT_EQ(texts(calls)[0].fontSize, 14);

    for (int sheet : {3, 4}) {
        j = job(sheet, 16, 1);
        j.run.textList = {"S1"};
        j.run.texts = {{"Edit31", "AB"}, {"ListBox37", "棚"}, {"Label66", "26/03/15"}};
        j.previewLines = {"AB S1", "棚", "26/03/15"};
        auto t = texts(print(j));
        ASSERT_EQ(t.size(), 3u);
        label = labelRect(sheet, 1, 10, 10);
        std::vector<int> tops =
            sheet == 3 ? std::vector<int>{20, 45, 70} : std::vector<int>{25, 55, 85};
        for (size_t i = 0; i < 3; ++i) EXPECT_EQ(t[i].box.top, dev(label.y + tops[i]));
        EXPECT_EQ(t[0].fontSize, sheet == 3 ? 6 : 8);  // eight bytes of the date
    }
}

TEST(LabelPrinter, FramedLayoutsDrawAnOpenRoundedFrame) {
    for (auto [sheet, layout] : {std::pair{3, 9}, std::pair{2, 11}}) {
        PrintJob j = job(sheet, layout, 2);
        j.style.background = {0, 0, 255};
        auto calls = print(j);
        int rectangles = 0, frames = 0;
        for (const auto &call : calls) {
            if (call.kind == DrawCall::Rectangle) ++rectangles;
            if (call.kind != DrawCall::RoundRect) continue;
            ++frames;
            EXPECT_EQ(call.penWidth, 15);
            EXPECT_EQ(call.pen, (Rgb{0, 0, 255}));
            EXPECT_FALSE(call.filled);
        }
        EXPECT_EQ(rectangles, 0);
        EXPECT_EQ(frames, 2);
        UnitRect label = labelRect(sheet, 1, 10, 10);
        EXPECT_EQ(calls[0].box, (DeviceRect{dev(label.x + 20), dev(label.y + 20),
                                            dev(label.right() - 20), dev(label.bottom() - 20)}));
    }
}

TEST(LabelPrinter, RainbowColoursFollowTheCopies) {
    // Three copies from 141: yellow, aqua, red on the first sheet; the second sheet goes on
    // with the copy it starts on (n = 10 is the second copy).
    PrintJob j = job(1, 1, 10, 141);
    j.run.repeatCount = 3;
    j.style.rainbow = true;
    RecordingCanvas canvas({kDpi, kDpi});
    std::vector<PrintedLabel> log;
    ASSERT_TRUE(printRun(canvas, j, log));
    auto shapes = canvas.ofKind(DrawCall::Ellipse);
    ASSERT_EQ(shapes.size(), 30u);
    const Rgb yellow{255, 255, 0}, aqua{0, 255, 255}, red{255, 0, 0};
    EXPECT_EQ(shapes[0].brush, yellow);
    EXPECT_EQ(shapes[1].brush, aqua);
    EXPECT_EQ(shapes[2].brush, red);
    EXPECT_EQ(shapes[3].brush, yellow);
    EXPECT_EQ(shapes[9].page, 1);
    EXPECT_EQ(shapes[10].page, 2);
    EXPECT_EQ(shapes[10].brush, aqua);
    EXPECT_EQ(log[9].lower, log[10].lower);  // the same label across the page break
    EXPECT_EQ(shapes[0].pen, kWhite);        // the outline keeps the background colour

    // Blank labels are coloured by group of sampleCount labels.
    j = job(1, 8, 4);
    j.run.repeatCount = 3;
    j.style.rainbow = true;
    RecordingCanvas blank({kDpi, kDpi});
    ASSERT_TRUE(printRun(blank, j, log));
    shapes = blank.ofKind(DrawCall::Ellipse);
    ASSERT_EQ(shapes.size(), 12u);
    EXPECT_TRUE(blank.ofKind(DrawCall::Text).empty());
    EXPECT_EQ(shapes[3].brush, (Rgb{255, 255, 128}));
    EXPECT_EQ(shapes[4].brush, (Rgb{128, 255, 128}));
    EXPECT_EQ(shapes[11].brush, (Rgb{128, 255, 255}));
}

TEST(LabelPrinter, PagesOfARunAndTheSecondSheetContinuesTheSeries) {
    PrintJob j = job(3, 1, 400, 90);
    j.previewLines = {"0001", ""};
    RecordingCanvas canvas({kDpi, kDpi});
    std::vector<PrintedLabel> log;
    int pauses = 0;
    ASSERT_TRUE(printRun(canvas, j, log, [&] { ++pauses; }));
    EXPECT_EQ(canvas.documents, 1);
    EXPECT_TRUE(canvas.ended);
    EXPECT_EQ(canvas.page, 6);
    EXPECT_EQ(pauses, 5);
    ASSERT_EQ(log.size(), 400u);
    EXPECT_EQ(log[5].upper, "0006");  // position 95 of the first sheet
    EXPECT_EQ(log[6].upper, "0007");  // position 1 of the second
    EXPECT_EQ(log[399].upper, "0400");
    auto shapes = canvas.ofKind(DrawCall::Rectangle);
    ASSERT_EQ(shapes.size(), 400u);
    UnitRect first = labelRect(3, 90, 10, 10), second = labelRect(3, 1, 10, 10);
    EXPECT_EQ(shapes[0].box.left, dev(first.x));
    EXPECT_EQ(shapes[6].box.left, dev(second.x));
    EXPECT_EQ(shapes[6].box.top, dev(second.y));
    EXPECT_EQ(shapes[6].page, 2);
    EXPECT_EQ(shapes[399].page, 6);

    RecordingCanvas refusing;
    refusing.acceptDocument = false;
    EXPECT_FALSE(printRun(refusing, j, log));
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(refusing.calls.empty());
}

TEST(LabelPrinter, OffsetsMoveEveryLabel) {
    PrintJob j = job(4, 9, 1);
    j.style.offsetRight = 0;  // -5 mm
    j.style.offsetDown = 20;  // +5 mm
    auto calls = print(j);
    EXPECT_EQ(calls[0].box.left, dev(90 + 20));
    EXPECT_EQ(calls[0].box.top, dev(70 + 100 + 20));
}

std::vector<PrintedLabel> entries(int count) {
    std::vector<PrintedLabel> out;
    for (int i = 1; i <= count; ++i)
        out.push_back({"E" + std::to_string(i), "L" + std::to_string(i)});
    return out;
}

const DrawCall *findText(const std::vector<DrawCall> &calls, const std::string &text, int page) {
    for (const auto &call : calls)
        if (call.kind == DrawCall::Text && call.text == text && call.page == page) return &call;
    return nullptr;
}

TEST(Report, FortyEntriesAPageInTwoColumns) {
    ReportJob report;
    report.sheetType = 3;
    report.entries = entries(45);
    report.fontFamily = "ＭＳ Ｐゴシック";
    report.printedAt = "2026/03/15 10:20:30";
    report.background = {255, 255, 0};
    RecordingCanvas canvas({kDpi, kDpi});
    ASSERT_TRUE(printReport(canvas, report));
    EXPECT_EQ(canvas.page, 2);
    for (int page : {1, 2}) {
        const DrawCall *title = findText(canvas.calls, "ラベルプリント記録", page);
        ASSERT_TRUE(title);
        EXPECT_EQ(title->box.left, dev(1200));
        EXPECT_EQ(title->box.top, dev(200));
        EXPECT_TRUE(title->bold);
        EXPECT_EQ(title->fontFamily, "ＭＳ Ｐゴシック");
        const DrawCall *name = findText(canvas.calls, "10mmX30mm　９５面", page);
        ASSERT_TRUE(name);
        EXPECT_EQ(name->box.left, dev(1550));
        const DrawCall *time = findText(canvas.calls, "printed in 2026/03/15 10:20:30", page);
        ASSERT_TRUE(time);
        EXPECT_EQ(time->box.top, dev(2600));
    }
    // Entry 1 in the left column at y 310, entry 21 at the top of the right, 40 at the foot.
    const DrawCall *e1 = findText(canvas.calls, "E1", 1);
    ASSERT_TRUE(e1);
    EXPECT_EQ(e1->box.left, dev(210));
    EXPECT_EQ(e1->box.top, dev(340));
    EXPECT_EQ(findText(canvas.calls, "L1", 1)->box.top, dev(375));
    const DrawCall *e21 = findText(canvas.calls, "E21", 1);
    ASSERT_TRUE(e21);
    EXPECT_EQ(e21->box.left, dev(1010));
    EXPECT_EQ(e21->box.top, dev(340));
    EXPECT_EQ(findText(canvas.calls, "E40", 1)->box.top, dev(2400 + 30));
    EXPECT_EQ(findText(canvas.calls, "E41", 2)->box.top, dev(340));
    EXPECT_FALSE(findText(canvas.calls, "E46", 2));

    std::vector<DrawCall> page1Rects;
    for (const auto &call : canvas.calls)
        if (call.kind == DrawCall::Rectangle && call.page == 1) page1Rects.push_back(call);
    ASSERT_EQ(page1Rects.size(), 80u);  // swatch and note box of 40 entries
    EXPECT_EQ(page1Rects[0].box, (DeviceRect{dev(200), dev(310), dev(450), dev(420)}));
    EXPECT_EQ(page1Rects[0].pen, kGray);
    EXPECT_EQ(page1Rects[0].brush, (Rgb{255, 255, 0}));
    EXPECT_EQ(page1Rects[1].box, (DeviceRect{dev(450), dev(310), dev(1000), dev(420)}));
    EXPECT_EQ(page1Rects[1].brush, kWhite);
    EXPECT_EQ(page1Rects[41].box.left, dev(1250));  // note box of entry 21
}

TEST(Report, RoundSwatchesAndRainbow) {
    ReportJob report;
    report.sheetType = 1;
    report.entries = entries(2);
    report.rainbow = true;
    report.background = {255, 0, 0};
    RecordingCanvas canvas({kDpi, kDpi});
    ASSERT_TRUE(printReport(canvas, report));
    auto swatches = canvas.ofKind(DrawCall::Ellipse);
    ASSERT_EQ(swatches.size(), 2u);
    EXPECT_EQ(swatches[0].box, (DeviceRect{dev(200), dev(310), dev(310), dev(420)}));
    EXPECT_EQ(swatches[0].brush, kWhite);  // rainbow swatches stay white
    const DrawCall *upper = findText(canvas.calls, "E1", 1);
    EXPECT_EQ((upper->box.left + upper->box.right) / 2, dev(255));
    EXPECT_EQ(upper->box.top, dev(348));
    EXPECT_EQ(canvas.ofKind(DrawCall::Rectangle)[0].box.right, dev(310 + 690));
    EXPECT_EQ(reportSlot(4, 22).noteX, 1350);
    EXPECT_EQ(reportSlot(4, 22).top, 420);
    EXPECT_EQ(reportPageCount(40), 1);
    EXPECT_EQ(reportPageCount(41), 2);
}

}  // namespace
}  // namespace labelora
