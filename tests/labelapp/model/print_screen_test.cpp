// The print screen of the main window: "PrintSet", the sheet picture, the lists, "Print"
// with the advance of the start position and number, and "Report".
#include <gtest/gtest.h>

#include "core/files/cp932.h"
#include "core/forms/main_form.h"
#include "core/printing/report.h"
#include "recording_canvas.h"
#include "temp_folder.h"

namespace labelora {
namespace {

using namespace std::chrono;

class PrintScreenTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder.write("start.txt", "10,10,141\r\n10,10,1\r\n9,11,90\r\n10,10,1\r\nkeep me\r\n");
        folder.write("DB1.txt", utf8ToCp932("血清\r\n尿\r\n").value());
        folder.write("DB3.txt", utf8ToCp932("冷凍庫Ａ\r\n冷蔵庫\r\n").value());
        form =
            std::make_unique<MainForm>(folder.path(), [] { return sys_days(2026y / March / 15); });
        form->onMessage = [this](const std::string &text) { messages.push_back(text); };
        for (const TimerRequest &timer : form->startUp()) form->timerFired(timer.timer);
        form->choosePrinter = [this](PrintKind kind) -> std::unique_ptr<Canvas> {
            kinds.push_back(kind);
            if (cancel) return nullptr;
            return std::make_unique<RecordingCanvas>(Resolution{600, 600});
        };
        form->printTime = [] { return std::string("2026/03/15 09:30:00"); };
    }
    // Canvases are owned by the form's print call and gone afterwards; keep their calls.
    std::vector<DrawCall> printAndRecord(const std::string &button) {
        std::vector<DrawCall> calls;
        form->choosePrinter = [this, &calls](PrintKind kind) -> std::unique_ptr<Canvas> {
            kinds.push_back(kind);
            if (cancel) return nullptr;
            struct Keeping : RecordingCanvas {
                explicit Keeping(std::vector<DrawCall> &out)
                    : RecordingCanvas({600, 600}), out(out) {}
                ~Keeping() override { out = calls; }
                std::vector<DrawCall> &out;
            };
            return std::make_unique<Keeping>(calls);
        };
        form->clickButton(button);
        return calls;
    }
    std::string startFile() { return folder.read("start.txt"); }

    TempFolder folder;
    std::unique_ptr<MainForm> form;
    std::vector<std::string> messages;
    std::vector<PrintKind> kinds;
    bool cancel = false;
};

TEST_F(PrintScreenTest, PrintSetPreparesThePrintScreen) {
    MainForm &f = *form;
    f.typeEdit("Edit1", "血清ABC");  // seven bytes typed, the round upper line shows five
    f.clickButton("cmdPrintSet");
    ASSERT_EQ(f.screen, Screen::Print);
    EXPECT_TRUE(f.panel("pnlCircle").visible);
    EXPECT_FALSE(f.panel("PnlTube").visible);
    EXPECT_TRUE(f.panel("pnl150").visible);
    EXPECT_FALSE(f.panel("pnlmemo").visible);
    EXPECT_EQ(f.memo("Memo3").lines(), (std::vector<std::string>{"血清A", "0001"}));
    EXPECT_EQ(f.backgroundCaption, "背景の色");
    EXPECT_EQ(f.listBox("ListBox19").selectedText(), "White");
    EXPECT_EQ(f.listBox("ListBox21").selectedText(), "Black");
    EXPECT_FALSE(f.checkBox("CheckBox2").visible);  // one copy: no rainbow
    // From 141, 30 labels take two sheets.
    EXPECT_EQ(f.state.pageCount, 2);
    EXPECT_EQ(f.listBox("ListBox20").items(), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(f.listBox("ListBox20").itemIndex(), 0);
    EXPECT_EQ(f.shading[139], Shade::Used);
    EXPECT_EQ(f.shading[140], Shade::Printed);
    f.clickListBox("ListBox20", 1);
    EXPECT_EQ(f.shading[19], Shade::Printed);
    EXPECT_EQ(f.shading[20], Shade::Free);
    EXPECT_EQ(f.listBox("ListBox23").itemIndex(), 10);
    EXPECT_EQ(f.listBox("ListBox25").items().front(), "-5");
    EXPECT_EQ(f.listBox("ListBox25").items()[9], "-0.5");
    EXPECT_EQ(f.listBox("ListBox25").items()[11], "0.5");
    EXPECT_EQ(f.listBox("ListBox25").items().back(), "5");
}

TEST_F(PrintScreenTest, ColoursAlignmentAndRainbowFollowTheLayout) {
    MainForm &f = *form;
    f.clickSheetType(3);
    f.changeTab(2);
    f.clickLayout(10);  // framed
    f.clickListBox("ListBox1", 2);
    f.clickButton("cmdPrintSet");
    EXPECT_TRUE(f.panel("pnlMemo2").visible);
    EXPECT_EQ(f.backgroundCaption, "線の色");
    EXPECT_EQ(f.listBox("ListBox19").selectedText(), "Blue");
    EXPECT_EQ(f.state.printAlign, 1);
    EXPECT_TRUE(f.radio("RadioButton7").checked);
    EXPECT_EQ(f.listBox("ListBox23").itemIndex(), 11);  // the stored offsets of the sheet
    EXPECT_EQ(f.listBox("ListBox25").itemIndex(), 9);
    ASSERT_TRUE(f.checkBox("CheckBox2").visible);
    f.clickCheckBox("CheckBox2");
    EXPECT_FALSE(f.listBox("ListBox19").enabled);
    EXPECT_TRUE(f.printStyle().rainbow);
    f.clickCheckBox("CheckBox2");
    EXPECT_TRUE(f.listBox("ListBox19").enabled);
    f.clickRadio("RadioButton8");
    EXPECT_EQ(f.printStyle().align, Align::Right);
    f.clickListBox("ListBox21", 1);
    EXPECT_EQ(f.previewText, (Rgb{255, 0, 0}));

    f.clickButton("cmdBack");
    f.clickSheetType(2);
    f.changeTab(4);
    f.clickLayout(17);
    f.clickButton("cmdPrintSet");
    EXPECT_EQ(f.listBox("ListBox19").selectedText(), "Yellow");
    EXPECT_EQ(f.listBox("ListBox21").selectedText(), "Red");
    EXPECT_EQ(f.memo("Memo7").text(), "ー８０℃");
    EXPECT_EQ(f.state.printAlign, 1);
}

TEST_F(PrintScreenTest, TextListLayoutsTakeTheirLines) {
    MainForm &f = *form;
    f.clickSheetType(3);
    f.changeTab(3);
    f.clickLayout(14);
    f.clickButton("cmdPrintSet");  // an empty list: nothing happens
    EXPECT_EQ(f.screen, Screen::Setup);
    EXPECT_TRUE(messages.empty());
    f.typeEdit("Edit28", "AB");
    f.typeEdit("Edit29", "冷凍");
    f.memo("Memo12").setText("S1\nS2\nS3\n\nS5");
    f.clickButton("cmdPrintSet");
    ASSERT_EQ(f.screen, Screen::Print);
    EXPECT_EQ(f.state.textCount, 3);
    EXPECT_EQ(f.state.sampleCount, 3);
    EXPECT_EQ(f.listBox("ListBox2").selectedText(), "3");
    EXPECT_EQ(f.memo("Memo7").lines(), (std::vector<std::string>{"AB S1", "冷凍"}));
    // The preview's second line, as edited, is what the labels carry.
    f.memo("Memo7").setText("AB S1\n冷蔵");
    printAndRecord("cmdPrint");
    ASSERT_EQ(f.state.printedLog.size(), 3u);
    EXPECT_EQ(f.state.printedLog[2], (PrintedLabel{"AB S3", "冷蔵"}));
}

TEST_F(PrintScreenTest, ClickingTheSheetPictureChoosesTheStart) {
    MainForm &f = *form;
    f.clickButton("cmdPrintSet");
    f.clickSheetPicture(9, 16);  // outside every band
    EXPECT_EQ(f.state.startPosition[0], 141);
    f.clickSheetPicture(25, 40);  // column 2, row 2
    EXPECT_EQ(f.state.startPosition[0], 12);
    EXPECT_EQ(f.state.pageCount, 1);
    EXPECT_EQ(f.listBox("ListBox20").count(), 1);
    EXPECT_EQ(f.shading[10], Shade::Used);
    EXPECT_EQ(f.shading[11], Shade::Printed);
    EXPECT_EQ(startFile(), "10,10,12\r\n10,10,1\r\n9,11,90\r\n10,10,1\r\nkeep me\r\n");

    // Only while the first sheet is chosen.
    f.clickSheetPicture(159, 366);
    EXPECT_EQ(f.state.startPosition[0], 150);
    f.clickListBox("ListBox20", 1);
    f.clickSheetPicture(10, 16);
    EXPECT_EQ(f.state.startPosition[0], 150);
}

TEST_F(PrintScreenTest, OffsetListsWriteTheStartFile) {
    MainForm &f = *form;
    f.clickButton("cmdPrintSet");
    f.clickListBox("ListBox23", 8);  // "-1"
    EXPECT_EQ(f.state.offsetDown[0], 8);
    EXPECT_EQ(startFile(), "10,8,141\r\n10,10,1\r\n9,11,90\r\n10,10,1\r\nkeep me\r\n");
    f.clickListBox("ListBox25", 20);
    EXPECT_EQ(startFile(), "20,8,141\r\n10,10,1\r\n9,11,90\r\n10,10,1\r\nkeep me\r\n");
    EXPECT_EQ(f.printStyle().offsetRight, 20);
}

TEST_F(PrintScreenTest, AStartFileThatCannotBeWrittenIsReported) {
    MainForm &f = *form;
    f.clickButton("cmdPrintSet");
    // A folder in the file's place: nothing can write it, not even root.
    std::filesystem::remove(folder.path() / "start.txt");
    std::filesystem::create_directory(folder.path() / "start.txt");
    f.clickListBox("ListBox23", 8);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind(kCannotWriteStartFile, 0), 0u) << messages[0];
    EXPECT_NE(messages[0].find("start.txt"), std::string::npos);
    printAndRecord("cmdPrint");
    EXPECT_EQ(messages.size(), 2u) << "the print's advance is not saved either";
    EXPECT_NE(f.state.startPosition[0], 141) << "the run itself still moves on";
}

TEST_F(PrintScreenTest, PrintAdvancesThePositionAndTheNumberWithItsLetter) {
    MainForm &f = *form;
    f.changeTab(0);
    f.clickLayout(2);
    f.typeEdit("Edit2", "AB");
    f.clickListBox("ListBox12", 989);  // 990
    f.clickButton("cmdPrintSet");
    auto calls = printAndRecord("cmdPrint");
    ASSERT_EQ(kinds, std::vector<PrintKind>{PrintKind::Labels});
    EXPECT_EQ(f.screen, Screen::Setup);
    EXPECT_TRUE(f.state.printedFlag);
    EXPECT_TRUE(f.button("cmdExcel").visible);
    EXPECT_TRUE(f.button("cmdsheet").visible);
    EXPECT_EQ(f.state.startPosition[0], 21);
    EXPECT_EQ(f.state.startNumber, 20);
    EXPECT_EQ(f.listBox("ListBox4").selectedText(), "B");
    EXPECT_EQ(f.listBox("ListBox12").selectedText(), "20");
    EXPECT_EQ(f.previewLabel("Label9").caption, "020");
    EXPECT_EQ(f.state.layoutType, 2);
    EXPECT_TRUE(f.memo("Memo3").isEmpty());
    EXPECT_EQ(startFile(), "10,10,21\r\n10,10,1\r\n9,11,90\r\n10,10,1\r\nkeep me\r\n");
    ASSERT_EQ(f.state.printedLog.size(), 30u);
    EXPECT_EQ(f.state.printedLog[0], (PrintedLabel{"AB", "A990"}));
    EXPECT_EQ(f.state.printedLog[10], (PrintedLabel{"AB", "B000"}));
    int pages = 1;
    for (const auto &call : calls) pages = std::max(pages, call.page);
    EXPECT_EQ(pages, 2);

    // The next run goes on from there.
    f.clickButton("cmdPrintSet");
    printAndRecord("cmdPrint");
    EXPECT_EQ(f.state.printedLog[0].lower, "B020");
    EXPECT_EQ(f.state.startPosition[0], 51);
    EXPECT_EQ(f.state.startNumber, 50);
}

TEST_F(PrintScreenTest, CancellingThePrintDialogChangesNothing) {
    MainForm &f = *form;
    f.clickButton("cmdPrintSet");
    cancel = true;
    std::string before = startFile();
    f.clickButton("cmdPrint");
    EXPECT_EQ(kinds.size(), 1u);
    EXPECT_EQ(f.screen, Screen::Print);
    EXPECT_FALSE(f.state.printedFlag);
    EXPECT_EQ(f.state.startPosition[0], 141);
    EXPECT_EQ(f.state.startNumber, 1);
    EXPECT_EQ(startFile(), before);
}

TEST_F(PrintScreenTest, ReportListsThePrintedLabels) {
    MainForm &f = *form;
    f.clickListBox("ListBox2", 44);  // 45 samples, two copies each
    f.clickListBox("ListBox1", 1);
    f.clickButton("cmdPrintSet");
    printAndRecord("cmdPrint");
    ASSERT_EQ(f.state.printedLog.size(), 90u);
    auto calls = printAndRecord("cmdsheet");
    EXPECT_EQ(messages, std::vector<std::string>{kInsertPlainPaper});
    int entries = 0, titles = 0, times = 0;
    for (const auto &call : calls) {
        if (call.kind == DrawCall::Text && call.text == "ラベルプリント記録") ++titles;
        if (call.kind == DrawCall::Text && call.text == "printed in 2026/03/15 09:30:00") ++times;
        if (call.kind == DrawCall::Ellipse) ++entries;
    }
    EXPECT_EQ(entries, 45);  // the first sampleCount printed labels
    EXPECT_EQ(titles, 2);
    EXPECT_EQ(times, 2);

    // Above 300 labels the report refuses before asking for a printer.
    kinds.clear();
    f.clickListBox("ListBox2", 300);
    f.clickButton("cmdsheet");
    EXPECT_EQ(messages.back(), kReportTooLong);
    EXPECT_TRUE(kinds.empty());
}

TEST_F(PrintScreenTest, ARefusedDocumentIsReportedAndChangesNothing) {
    MainForm &f = *form;
    f.clickButton("cmdPrintSet");
    f.choosePrinter = [](PrintKind) -> std::unique_ptr<Canvas> {
        auto canvas = std::make_unique<RecordingCanvas>();
        canvas->acceptDocument = false;
        return canvas;
    };
    f.clickButton("cmdPrint");
    EXPECT_EQ(messages, std::vector<std::string>{kCannotPrint});
    EXPECT_FALSE(f.state.printedFlag);
    EXPECT_EQ(f.state.startPosition[0], 141);
}

}  // namespace
}  // namespace labelora
