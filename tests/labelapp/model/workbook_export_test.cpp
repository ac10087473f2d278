// The workbook record of a printed run: which runs have one, its file name, the Book API
// calls in their order, and "Excel" on the main form. What the library makes of the calls is
// read back by the interop check (tests/interop/test_label_export.py).
#include "core/export/workbook_export.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "core/files/cp932.h"
#include "core/forms/main_form.h"
#include "core/printing/preview_text.h"
#include "recording_canvas.h"
#include "temp_folder.h"

namespace labelora {
namespace {

using namespace std::chrono;

// A call as a short line: "B2 width 5", "A1 str 上段", "create /f.xls 2002 3".
std::string describe(const BookCall &call) {
    static const char *kNames[] = {"create", "str",    "height", "width", "back", "font",
                                   "top",    "bottom", "left",   "right", "close"};
    const std::string name = kNames[static_cast<int>(call.kind)];
    char value[32];
    if (call.kind == BookCallKind::CreateBook)
        return name + " " + call.text + " " + std::to_string(call.value) + " " +
               std::to_string(call.sheetCount);
    if (call.kind == BookCallKind::CloseBook) return name + " " + std::to_string(call.value);
    if (call.kind == BookCallKind::PutRowHeight)
        std::snprintf(value, sizeof value, "%g", call.height);
    else
        std::snprintf(value, sizeof value, call.kind >= BookCallKind::PutLineTop ? "%#x" : "%d",
                      static_cast<unsigned>(call.value));
    return std::string(1, static_cast<char>('A' + call.column)) + std::to_string(call.row + 1) +
           " " + name + " " + (call.kind == BookCallKind::PutStr ? call.text : value);
}

std::vector<std::string> describe(const std::vector<BookCall> &calls, size_t from, size_t count) {
    std::vector<std::string> lines;
    for (size_t i = from; i < from + count && i < calls.size(); ++i)
        lines.push_back(describe(calls[i]));
    return lines;
}

std::vector<std::string> box(const std::string &cell, const char *line) {
    return {cell + " top " + line, cell + " bottom " + line, cell + " left " + line,
            cell + " right " + line};
}

std::vector<std::string> join(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto &part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

std::vector<PrintedLabel> serialLog(int count, int repeat) {
    std::vector<PrintedLabel> log;
    for (int k = 1; k <= count; ++k)
        for (int copy = 0; copy < repeat; ++copy)
            log.push_back({"血清", formatNumber(k, "0000", false)});
    return log;
}

TEST(WorkbookRecord, OnlyLayoutsWithASerialRecordHaveOne) {
    struct Family {
        int sheet, layouts;
        std::vector<int> refused;
    };
    for (const Family &f : {Family{1, 12, {8}}, Family{2, 20, {8, 12, 17, 18, 19, 20}},
                            Family{3, 16, {3, 7, 8, 12}}, Family{4, 16, {3, 7, 8, 12}}}) {
        for (int layout = 1; layout <= f.layouts; ++layout) {
            bool refused = std::find(f.refused.begin(), f.refused.end(), layout) != f.refused.end();
            EXPECT_EQ(hasWorkbookRecord(f.sheet, layout), !refused)
                << "sheet " << f.sheet << " layout " << layout;
            const bool oneLine = f.sheet != 1 && layout >= 9 && layout <= 11;
            EXPECT_EQ(isOneColumnLayout(f.sheet, layout), oneLine)
                << "sheet " << f.sheet << " layout " << layout;
        }
    }
}

TEST(WorkbookRecord, XlsIsAppendedUnlessTheNameEndsInItExactly) {
    EXPECT_EQ(workbookFileName("/d/labels.XLS"), "/d/labels.XLS.xls");
    EXPECT_EQ(workbookFileName("/d/labels.xls"), "/d/labels.xls");
    EXPECT_EQ(workbookFileName("/d/labels"), "/d/labels.xls");
    EXPECT_EQ(workbookFileName("/d/記録.xlsx"), "/d/記録.xlsx.xls");
    EXPECT_EQ(workbookFileName("/d/記録xls"), "/d/記録xls.xls");
}

TEST(WorkbookRecord, RoundLabelsInTheirOrder) {
    PrintedRun run{1, 1, 30, false, "Black", "White"};
    std::string heading = workbookHeading("26/03/15", " ", 1);
    EXPECT_EQ(heading, "内容　(26/03/15 １１ｍφ円形ラベル)");
    auto calls = workbookCalls(run, serialLog(30, 1), heading, "/d/l.xls");
    // Create, the heading row (3 texts, 12 lines), 24 calls per label, close.
    ASSERT_EQ(calls.size(), 1 + 15 + 30 * 24 + 1u);
    EXPECT_EQ(describe(calls, 0, 16),
              join({{"create /d/l.xls 2002 3", "A1 str 上段", "B1 str 下段", "C1 str " + heading},
                    box("A1", "0x1000000"),
                    box("B1", "0x1000000"),
                    box("C1", "0x1000000")}));
    EXPECT_EQ(describe(calls, 16, 24),
              join({{"A2 height 20", "A2 width 5", "A2 back 9", "A2 font 8", "A2 str 血清",
                     "B2 height 20", "B2 width 5", "B2 back 9", "B2 font 8", "C2 height 20",
                     "C2 width 50", "B2 str 0001"},
                    box("A2", "0x1000000"),
                    box("B2", "0x1000000"),
                    box("C2", "0x1000000")}));
    EXPECT_EQ(describe(calls, 16 + 29 * 24, 12).back(), "B31 str 0030");
    EXPECT_EQ(describe(calls.back()), "close 1");
}

TEST(WorkbookRecord, ColouredBordersTakeThePaletteCodeOfTheBackground) {
    // Round labels with "枠", sky blue on red text: the ring's colour is palette code 30.
    PrintedRun round{1, 2, 1, true, "Red", "SkyBlue"};
    auto calls = workbookCalls(round, serialLog(1, 1), "h", "f.xls");
    EXPECT_EQ(describe(calls, 16 + 12, 8), join({box("A2", "0x200001e"), box("B2", "0x200001e")}));
    EXPECT_EQ(describe(calls, 16, 4)[2], "A2 back 30");
    EXPECT_EQ(describe(calls, 16, 4)[3], "A2 font 10");
    EXPECT_EQ(calls.size(), 16 + 20 + 1u);  // no border on column C

    // M layout 11 is framed and has one line: only column A gets the frame, B is 50 wide.
    PrintedRun framed{2, 11, 1, false, "Black", "Lime"};
    calls = workbookCalls(framed, {{"ABC 001", ""}}, "h", "f.xls");
    EXPECT_EQ(describe(calls, 1, 2), (std::vector<std::string>{"A1 str 文字", "B1 str h"}));
    EXPECT_EQ(describe(calls, 15, 14),
              join({{"A2 height 20", "A2 width 10", "A2 back 11", "A2 font 8", "A2 str ABC 001",
                     "B2 height 20", "B2 width 50", "B2 back 11", "B2 font 8", "B2 str "},
                    box("A2", "0x200000b")}));
    EXPECT_EQ(calls.size(), 15 + 14 + 1u);

    // T layouts above 9 are framed on both sheets; T 9 is not.
    for (int sheet : {3, 4}) {
        EXPECT_EQ(workbookCalls({sheet, 13, 1, false, "Black", "Blue"}, {{"a", "b"}}, "h", "f")
                      .at(16 + 12)
                      .value,
                  0x200000c);
        EXPECT_EQ(workbookCalls({sheet, 9, 1, true, "Black", "Blue"}, {{"a", ""}}, "h", "f")
                      .at(15 + 10)
                      .value,
                  kPlainLine);
    }
}

class ExcelButtonTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder.write("start.txt", "10,10,1\r\n10,10,1\r\n10,10,1\r\n10,10,1\r\n\r\n");
        folder.write("DB1.txt", utf8ToCp932("血清\r\n").value());
        folder.write("DB3.txt", utf8ToCp932("棚\r\n").value());
        form =
            std::make_unique<MainForm>(folder.path(), [] { return sys_days(2026y / March / 15); });
        form->onMessage = [this](const std::string &text) { messages.push_back(text); };
        for (const TimerRequest &timer : form->startUp()) form->timerFired(timer.timer);
        form->choosePrinter = [](PrintKind) { return std::make_unique<RecordingCanvas>(); };
        form->chooseWorkbookFile = [this]() -> std::optional<std::string> {
            ++dialogs;
            return chosen;
        };
        form->onQuestion = [this](const std::string &text) {
            questions.push_back(text);
            return answer;
        };
        form->writeBook = [this](const std::vector<BookCall> &calls) {
            written.push_back(calls);
            return result;
        };
    }
    void printRun(int sheet, int layout, int count) {
        form->clickSheetType(sheet);
        form->changeTab((layout - 1) / 4);
        form->clickLayout(layout);
        form->clickListBox("ListBox2", count - 1);
        form->clickButton("cmdPrintSet");
        form->clickButton("cmdPrint");
    }

    TempFolder folder;
    std::unique_ptr<MainForm> form;
    std::vector<std::string> messages, questions;
    std::vector<std::vector<BookCall>> written;
    std::optional<std::string> chosen;
    bool answer = false;
    int dialogs = 0;
    WorkbookResult result;
};

TEST_F(ExcelButtonTest, SaveDialogNameRuleAndOverwriteQuestion) {
    form->typeEdit("Edit1", "血清");
    printRun(1, 1, 3);
    ASSERT_TRUE(form->button("cmdExcel").visible);

    form->clickButton("cmdExcel");  // cancelled
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(written.empty());

    chosen = (folder.path() / "labels.XLS").string();
    form->clickButton("cmdExcel");
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(written[0].front().text, *chosen + ".xls");
    EXPECT_EQ(written[0][3].text, "内容　(26/03/15 １１ｍφ円形ラベル)");
    EXPECT_EQ(written[0][16 + 4].text, "血清");
    EXPECT_TRUE(questions.empty());

    folder.write("labels.XLS.xls", "old");
    form->clickButton("cmdExcel");  // "No"
    EXPECT_EQ(questions, std::vector<std::string>{"同名のファイルがあります。重ねがきしますか？"});
    EXPECT_EQ(written.size(), 1u);
    answer = true;
    form->clickMenu("mnuTwoBlanks");
    form->clickButton("cmdExcel");
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(written[1][3].text, "内容　(26/03/15  １１ｍφ円形ラベル)");

    result = {WorkbookOutcome::NotSaved, 2, "保存できません"};
    form->clickButton("cmdExcel");
    EXPECT_EQ(messages, std::vector<std::string>{"ワークブックを保存できません：" + *chosen +
                                                 ".xls（2：保存できません）"});
}

TEST_F(ExcelButtonTest, TheRecordIsOfTheRunAsPrinted) {
    chosen = (folder.path() / "run.xls").string();
    printRun(3, 10, 5);  // framed T layout on the 10 x 30 mm sheet
    // Changed on the set-up screen afterwards: free lines, 400 labels, the round sheet.
    form->clickSheetType(1);
    form->changeTab(1);
    form->clickLayout(8);
    form->clickListBox("ListBox2", 399);
    form->clickButton("cmdExcel");
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(written[0][2].text, "内容　(26/03/15 １０ｍｍＸ３０ｍｍラベル)");
    EXPECT_EQ(written[0].size(), 15 + 5 * 14 + 1u);

    // A run of free lines has no record: "Excel" does nothing, not even the dialog.
    form->clickButton("cmdPrintSet");
    form->clickButton("cmdPrint");
    form->clickButton("cmdExcel");
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(messages.empty());
}

}  // namespace
}  // namespace labelora
