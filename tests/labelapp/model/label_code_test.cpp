// Codes on labels: where they go and what they refuse; list files for the text lists.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/files/cp932.h"
#include "core/printing/label_printer.h"
#include "core/files/list_file.h"
#include "core/forms/main_form.h"
#include "core/printing/sheet_grid.h"
#include "recording_canvas.h"
#include "tabrix.h"
#include "temp_folder.h"

namespace labelora {
namespace {

constexpr int kDpi = 600;

PrintJob job(int sheet, int layout, Symbology code, std::string text = "AB") {
    PrintJob j;
    j.run.sheetType = sheet;
    j.run.layoutType = layout;
    j.run.sampleCount = 3;
    j.run.texts = {{"Edit1", text}, {"Edit4", text}, {"Edit8", text}, {"Edit16", "serum"}};
    j.style.code = code;
    j.previewLines = {text + " 0001", "serum"};
    return j;
}

bool inside(const DeviceRect &inner, const DeviceRect &outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool overlap(const DeviceRect &a, const DeviceRect &b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

TEST(LabelCode, EveryCodeLiesOnItsLabelClearOfTheTextsAtAReadableModule) {
    struct Case {
        int sheet, layout;
        Symbology code;
        int minModule;  // device pixels at 600 dpi
    };
    for (Case c : {Case{1, 1, Symbology::Qr, 6}, Case{1, 2, Symbology::DataMatrix, 6},
                   Case{2, 3, Symbology::DataMatrix, 6}, Case{3, 4, Symbology::Qr, 6},
                   Case{4, 4, Symbology::Code128, 3}, Case{2, 11, Symbology::Qr, 6}}) {
        SCOPED_TRACE(std::to_string(c.sheet) + "/" + std::to_string(c.layout));
        PrintJob j = job(c.sheet, c.layout, c.code);
        ASSERT_FALSE(codeRefusal(j, {kDpi, kDpi}));
        RecordingCanvas canvas({kDpi, kDpi});
        std::vector<PrintedLabel> log;
        ASSERT_TRUE(printRun(canvas, j, log));
        int pos = 0, quietBoxes = 0;
        DeviceRect label{}, quiet{};
        std::vector<DeviceRect> textBoxes;
        // Framed labels show only their frame; the others their filled shape.
        const auto shape = isFramedLayout(sheetType(c.sheet).family, c.layout) ? DrawCall::RoundRect
                           : c.sheet == 1                                      ? DrawCall::Ellipse
                                          : DrawCall::Rectangle;
        for (const DrawCall &call : canvas.calls) {
            if (call.kind == shape) {
                UnitRect r = labelRect(c.sheet, ++pos, 10, 10);
                label = {unitsToDevice(r.x, kDpi), unitsToDevice(r.y, kDpi),
                         unitsToDevice(r.right(), kDpi), unitsToDevice(r.bottom(), kDpi)};
                textBoxes.clear();
            } else if (call.kind == DrawCall::Text) {
                textBoxes.push_back(call.box);
            } else if (call.brush == kWhite) {
                quiet = call.box;
                ++quietBoxes;
                EXPECT_TRUE(inside(quiet, label));
                for (const DeviceRect &text : textBoxes) EXPECT_FALSE(overlap(text, quiet));
            } else {
                EXPECT_TRUE(inside(call.box, quiet));
                EXPECT_GE(std::min(call.box.right - call.box.left, call.box.bottom - call.box.top),
                          c.minModule);
            }
        }
        EXPECT_EQ(quietBoxes, 3);
    }
    // Without a code nothing but shapes and texts is drawn.
    RecordingCanvas plain({kDpi, kDpi});
    std::vector<PrintedLabel> log;
    ASSERT_TRUE(printRun(plain, job(4, 4, Symbology::None), log));
    EXPECT_TRUE(plain.ofKind(DrawCall::Fill).empty());
}

TEST(LabelCode, RefusesTextsItCannotHoldAndLabelsWithoutRoom) {
    using R = CodeRefusal::Reason;
    auto refusal = [](const PrintJob &j) { return codeRefusal(j, {kDpi, kDpi}); };
    EXPECT_EQ(refusal(job(1, 1, Symbology::Code128))->reason, R::NoRoom);
    std::optional<CodeRefusal> japanese = refusal(job(4, 4, Symbology::Code128, "検体"));
    ASSERT_TRUE(japanese);
    EXPECT_EQ(japanese->reason, R::CannotEncode);
    EXPECT_EQ(japanese->text, "検体 0001 serum");
    EXPECT_FALSE(refusal(job(4, 4, Symbology::Qr, "検体")));
    EXPECT_FALSE(refusal(job(4, 4, Symbology::DataMatrix, "検体")));
    // A text too long for the bars across a 30 mm label.
    PrintJob longer = job(3, 4, Symbology::Code128, "ABCD");
    longer.run.texts["Edit16"] = "serum sample";
    EXPECT_EQ(refusal(longer)->reason, R::NoRoom);
    EXPECT_FALSE(encodeCode(Symbology::Qr, ""));
}

// CSV, Shift-JIS and workbook columns are read back in the interop test; here what is refused.
TEST(ListFile, NamesWhatCannotBeRead) {
    TempFolder folder;
    const std::string book = (folder.path() / "list.xls").string();
    int32_t h = XM_Create97(book.c_str(), 1);
    ASSERT_GE(h, 0);
    XM_WriteStrW(h, 0, 0, 0, u"血清");
    ASSERT_EQ(XM_Close(h), 0);
    EXPECT_EQ(readListFile(book).entries, (std::vector<std::string>{"血清"}));
    EXPECT_NE(readListFile(book + ":none!A").error, "");
    EXPECT_NE(readListFile(book + ":Sheet1!A1").error, "");
    folder.write("list.xlsx", "PK\x03\x04rest");
    EXPECT_NE(readListFile((folder.path() / "list.xlsx").string()).error, "");
    EXPECT_NE(readListFile((folder.path() / "missing.csv").string()).error, "");
}

TEST(ListFile, FillsTheTextListAsTypingWouldAndCounts) {
    TempFolder folder;
    std::string lines;
    for (int i = 1; i <= 62; ++i) lines += (i == 2 ? "ABCDEFG" : "S" + std::to_string(i)) + "\n";
    folder.write("list.csv", lines + "\n");
    MainForm form(folder.path());
    form.startUp();
    ListImport import = form.importTextList("Memo10", (folder.path() / "list.csv").string());
    EXPECT_EQ(import.taken, 60);
    EXPECT_EQ(import.cut, 1);
    EXPECT_EQ(import.beyond, 2);
    EXPECT_EQ(import.skipped, 1);
    std::vector<std::string> memo = form.memo("Memo10").lines();
    ASSERT_EQ(memo.size(), 60u);
    EXPECT_EQ(memo[1], "ABCDE");
    EXPECT_EQ(memo[59], "S60");
    // A file that cannot be read leaves the list as it was.
    EXPECT_NE(form.importTextList("Memo10", (folder.path() / "none.csv").string()).error, "");
    EXPECT_EQ(form.memo("Memo10").lines().size(), 60u);
}

}  // namespace
}  // namespace labelora
