#include "core/forms/main_form.h"

#include <gtest/gtest.h>

#include "core/files/cp932.h"
#include "temp_folder.h"

namespace labelora {
namespace {

using namespace std::chrono;

const sys_days kToday = sys_days(2026y / March / 15);

std::string sjis(const std::string &utf8) {
    return utf8ToCp932(utf8).value();
}

class MainFormTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder.write("start.txt", "10,10,21\r\n10,10,1\r\n9,11,90\r\n10,10,1\r\nkeep me\r\n");
        folder.write("DB1.txt", sjis("血清\r\n尿\r\n"));
        folder.write("DB3.txt", sjis("冷凍庫Ａ\r\n冷蔵庫\r\n棚\r\n"));
    }

    // Starts the form as the window does, with both timers fired.
    MainForm &start() {
        form = std::make_unique<MainForm>(folder.path(), [] { return kToday; });
        form->onMessage = [this](const std::string &text) { messages.push_back(text); };
        timers = form->startUp();
        for (const TimerRequest &timer : timers) form->timerFired(timer.timer);
        return *form;
    }

    std::vector<std::string> items(const std::string &list) { return form->listBox(list).items(); }
    std::string caption(const std::string &label) { return form->previewLabel(label).caption; }
    std::vector<std::string> visibleGroupPanels() {
        std::vector<std::string> names;
        for (const auto &group : groupPanels())
            if (form->panel(group.name).visible) names.push_back(group.name);
        return names;
    }
    std::vector<std::string> checkedLayoutRadios() {
        std::vector<std::string> names;
        for (const auto &layout : layouts())
            if (form->radio(layout.radio).checked) names.push_back(layout.radio);
        return names;
    }

    TempFolder folder;
    std::unique_ptr<MainForm> form;
    std::vector<TimerRequest> timers;
    std::vector<std::string> messages;
};

TEST_F(MainFormTest, StartUpReadsTheFilesAndChoosesTheFirstLayout) {
    MainForm &f = start();
    EXPECT_TRUE(messages.empty());
    ASSERT_EQ(timers.size(), 1u);
    EXPECT_EQ(timers[0].timer, StartUpTimer::FinishStartUp);
    EXPECT_EQ(timers[0].milliseconds, 1000);

    EXPECT_EQ(f.state.sheetType, 1);
    EXPECT_EQ(f.state.layoutType, 1);
    EXPECT_EQ(f.state.sampleCount, 30);
    EXPECT_EQ(f.state.startNumber, 1);
    EXPECT_EQ(f.state.repeatCount, 1);
    EXPECT_EQ(f.state.numberStep, 1);
    EXPECT_EQ(f.state.separator, " ");
    EXPECT_FALSE(f.state.plainNumbers);
    EXPECT_EQ(f.state.startPosition, (std::array<int, 4>{21, 1, 90, 1}));
    EXPECT_EQ(f.state.offsetRight, (std::array<int, 4>{10, 10, 9, 10}));
    EXPECT_EQ(f.state.offsetDown, (std::array<int, 4>{10, 10, 11, 10}));
    EXPECT_EQ(f.state.startFileExtra, "keep me");
    EXPECT_EQ(f.state.labelFontName, "ＭＳ Ｐゴシック");
    EXPECT_TRUE(f.state.labelFontBold);

    EXPECT_EQ(f.listBox("ListBox2").count(), 400);
    EXPECT_EQ(f.listBox("ListBox2").selectedText(), "30");
    EXPECT_EQ(f.listBox("ListBox12").count(), 9999);
    EXPECT_EQ(f.listBox("ListBox12").selectedText(), "1");
    EXPECT_EQ(items("ListBox1"), (std::vector<std::string>{"1", "2", "3", "4", "5"}));
    EXPECT_EQ(f.listBox("ListBox1").selectedText(), "1");
    for (const auto &name : letterLists()) EXPECT_EQ(f.listBox(name).selectedText(), "A") << name;
    for (const auto &name : dayOffsetLists()) {
        EXPECT_EQ(f.listBox(name).count(), 731) << name;
        EXPECT_EQ(f.listBox(name).items().front(), "-365");
        EXPECT_EQ(f.listBox(name).selectedText(), "0") << name;
    }
    for (const auto &name : firstWordLists()) {
        EXPECT_EQ(items(name), (std::vector<std::string>{"血清", "尿"})) << name;
        EXPECT_EQ(f.listBox(name).selectedText(), "血清");
    }
    for (const auto &name : secondWordLists())
        EXPECT_EQ(f.listBox(name).selectedText(), "冷凍庫Ａ") << name;

    EXPECT_TRUE(f.radio("RadioButton10").checked);
    EXPECT_FALSE(f.radio("RadioButton2").enabled);
    EXPECT_TRUE(f.radio("RadioButton9").enabled);
    EXPECT_EQ(f.tabControl1.captions, (std::vector<std::string>{"Type1-4", "Type5-8", "Type9-12"}));
    EXPECT_EQ(visibleGroupPanels(), std::vector<std::string>{"PnlCType1"});
    EXPECT_EQ(checkedLayoutRadios(), std::vector<std::string>{"RadioButton1"});
    EXPECT_TRUE(f.panel("Panel1").enabled);
    EXPECT_FALSE(f.panel("Panel2").enabled);
    EXPECT_EQ(f.focus, "Edit1");
    EXPECT_EQ(caption("Label5"), "0001");
    EXPECT_EQ(caption("Label10"), "03/15");
    EXPECT_EQ(caption("Label13"), "26|03");
    EXPECT_EQ(caption("Label20"), "26/03/15");
    EXPECT_TRUE(f.previewLabel("Label5").enabled);
    EXPECT_FALSE(f.previewLabel("Label9").enabled);
    EXPECT_TRUE(f.menuItem("mnuPadded").checked);
    EXPECT_TRUE(f.menuItem("mnuBlank").checked);
    EXPECT_TRUE(f.menuItem("mnuStep1").checked);
    EXPECT_FALSE(f.menuItem("mnuStep2").checked);
}

TEST_F(MainFormTest, AMissingStartFileIsReportedAndDefaultsKeepTheProgramUsable) {
    std::filesystem::remove(folder.path() / "start.txt");
    form = std::make_unique<MainForm>(folder.path(), [] { return kToday; });
    form->onMessage = [this](const std::string &text) { messages.push_back(text); };
    timers = form->startUp();
    EXPECT_EQ(messages, std::vector<std::string>{"スタートファイルがありません。"});
    EXPECT_TRUE(form->startFileMissing);
    ASSERT_EQ(timers.size(), 2u);
    EXPECT_EQ(timers[0].timer, StartUpTimer::MissingStartFile);
    EXPECT_EQ(timers[0].milliseconds, 100);
    EXPECT_EQ(form->state.startPosition, (std::array<int, 4>{1, 1, 1, 1}));
    EXPECT_EQ(form->state.offsetDown, (std::array<int, 4>{10, 10, 10, 10}));
    EXPECT_EQ(form->listBox("ListBox2").count(), 400);

    form->timerFired(StartUpTimer::MissingStartFile);
    EXPECT_TRUE(form->panel("PnlCType1").enabled);
    EXPECT_TRUE(form->panel("Panel1").enabled);
    EXPECT_EQ(form->focus, "Edit1");

    // The next save creates the file.
    ASSERT_TRUE(form->saveStartFile());
    EXPECT_EQ(folder.read("start.txt"), "10,10,1\r\n10,10,1\r\n10,10,1\r\n10,10,1\r\n\r\n");
}

TEST_F(MainFormTest, SavingTheStartFileRewritesItWholeAndKeepsTheFifthLine) {
    folder.write("start.txt",
                 "10,10,0\r\n1,x\r\n9,11,90\r\n10,10,1\r\n\x8A\xBF\x8E\x9A\r\nmore\r\n");
    MainForm &f = start();
    EXPECT_EQ(f.state.startPosition[0], 1);
    EXPECT_EQ(f.state.offsetRight[1], 1);
    f.state.offsetDown[0] = 8;
    ASSERT_TRUE(f.saveStartFile());
    EXPECT_EQ(folder.read("start.txt"),
              "10,8,1\r\n1,10,1\r\n9,11,90\r\n10,10,1\r\n\x8A\xBF\x8E\x9A\r\nmore\r\n");
}

TEST_F(MainFormTest, SheetTypeChoosesFamilyTabsAndFirstLayout) {
    MainForm &f = start();
    f.changeTab(1);
    f.clickLayout(7);
    f.clickRadio("RadioButton9");
    EXPECT_EQ(f.state.sheetType, 3);
    EXPECT_EQ(f.family(), Family::T);
    EXPECT_EQ(f.state.layoutType, 1);
    EXPECT_EQ(f.state.layoutTab, 0);
    EXPECT_EQ(f.tabControl1.tabIndex, 0);
    EXPECT_EQ(f.tabControl1.captions,
              (std::vector<std::string>{"Type1-4", "Type5-8", "Type9-12", "Type13-16"}));
    EXPECT_EQ(visibleGroupPanels(), std::vector<std::string>{"pnlTtype1"});
    EXPECT_EQ(checkedLayoutRadios(), std::vector<std::string>{"RadioButton28"});
    EXPECT_TRUE(f.radio("RadioButton9").checked);
    EXPECT_FALSE(f.radio("RadioButton10").checked);

    f.clickSheetType(2);
    EXPECT_EQ(f.tabControl1.captions.size(), 5u);
    EXPECT_EQ(f.tabControl1.captions.back(), "Type17-20");
    EXPECT_EQ(visibleGroupPanels(), std::vector<std::string>{"pnlMType1"});
    EXPECT_EQ(checkedLayoutRadios(), std::vector<std::string>{"RadioButton16"});

    f.clickRadio("RadioButton10");
    EXPECT_EQ(f.tabControl1.captions.size(), 3u);
    EXPECT_EQ(visibleGroupPanels(), std::vector<std::string>{"PnlCType1"});
    // A layout radio of another family does nothing.
    f.clickRadio("RadioButton28");
    EXPECT_EQ(f.state.layoutType, 1);
    EXPECT_EQ(checkedLayoutRadios(), std::vector<std::string>{"RadioButton1"});
}

TEST_F(MainFormTest, TabChangeBringsTheLayoutIntoTheTabsRange) {
    MainForm &f = start();
    f.changeTab(1);
    f.clickLayout(8);
    f.changeTab(2);
    EXPECT_EQ(f.state.layoutType, 9);
    EXPECT_EQ(f.state.layoutTab, 2);
    EXPECT_EQ(visibleGroupPanels(), std::vector<std::string>{"pnlCtype3"});
    EXPECT_EQ(checkedLayoutRadios(), std::vector<std::string>{"RadioButton44"});

    f.changeTab(0);
    f.clickLayout(3);
    f.changeTab(1);
    EXPECT_EQ(f.state.layoutType, 5);

    // A tab the family does not have is ignored.
    f.changeTab(3);
    EXPECT_EQ(f.state.layoutTab, 1);
    EXPECT_EQ(f.state.layoutType, 5);

    f.clickSheetType(2);
    f.changeTab(4);
    EXPECT_EQ(f.state.layoutType, 17);
    EXPECT_EQ(visibleGroupPanels(), std::vector<std::string>{"pnlMtype5"});
    EXPECT_TRUE(f.memo("Memo5").enabled);
    EXPECT_EQ(f.memo("Memo5").text(), "ー８０℃");
    EXPECT_FALSE(f.memo("Memo6").enabled);
    f.clickLayout(20);
    EXPECT_EQ(f.memo("Memo4").text(), "　注意");
    EXPECT_TRUE(f.memo("Memo4").enabled);
    EXPECT_FALSE(f.memo("Memo5").enabled);
    f.changeTab(3);
    EXPECT_EQ(f.state.layoutType, 13);
    EXPECT_EQ(visibleGroupPanels(), std::vector<std::string>{"pnlMtype4"});
}

TEST_F(MainFormTest, EveryLayoutEnablesOnlyItsOwnInputsAndSetsItsDigits) {
    MainForm &f = start();
    for (const Layout &layout : layouts()) {
        int sheet = layout.family == Family::C ? 1 : layout.family == Family::M ? 2 : 3;
        f.clickSheetType(sheet);
        f.changeTab((layout.number - 1) / 4);
        int before = f.state.digitMode;
        f.clickLayout(layout.number);
        EXPECT_EQ(f.state.layoutType, layout.number);
        EXPECT_EQ(checkedLayoutRadios(), std::vector<std::string>{layout.radio});
        for (const Layout &other : layouts()) {
            if (!other.subPanel.empty()) {
                EXPECT_EQ(f.panel(other.subPanel).enabled, &other == &layout) << other.subPanel;
            }
        }
        int expected = layout.digitMode == kKeepDigitMode ? before : layout.digitMode;
        EXPECT_EQ(f.state.digitMode, expected) << layout.radio;
        EXPECT_EQ(f.listBox("ListBox12").count(), expected == 0 ? 9999 : expected == 1 ? 999 : 99);
    }
}

TEST_F(MainFormTest, DigitModesFollowTheLayoutTable) {
    MainForm &f = start();
    struct Case {
        int sheet, layout, digits;
    };
    for (const Case &c :
         {Case{1, 1, 0}, Case{1, 4, 0}, Case{1, 5, 0}, Case{1, 2, 1}, Case{1, 6, 1}, Case{1, 7, 1},
          Case{1, 3, 2}, Case{2, 1, 0}, Case{2, 2, 1}, Case{2, 7, 1}, Case{2, 11, 1}, Case{3, 1, 0},
          Case{3, 6, 0}, Case{4, 9, 1}, Case{4, 11, 1}}) {
        f.clickSheetType(c.sheet);
        f.changeTab((c.layout - 1) / 4);
        f.clickLayout(c.layout);
        EXPECT_EQ(f.state.digitMode, c.digits) << c.sheet << "/" << c.layout;
    }
}

TEST_F(MainFormTest, FewerDigitsTrimTheStartNumber) {
    MainForm &f = start();
    f.clickListBox("ListBox12", 1233);
    EXPECT_EQ(f.state.startNumber, 1234);
    EXPECT_EQ(caption("Label5"), "1234");
    f.clickLayout(2);  // three digits
    EXPECT_EQ(f.state.startNumber, 234);
    EXPECT_EQ(f.listBox("ListBox12").count(), 999);
    EXPECT_EQ(f.listBox("ListBox12").selectedText(), "234");
    EXPECT_EQ(caption("Label9"), "234");

    f.clickLayout(1);
    f.clickListBox("ListBox12", 1233);
    f.clickLayout(3);  // two digits
    EXPECT_EQ(f.state.startNumber, 34);
    EXPECT_EQ(f.listBox("ListBox12").count(), 99);
    EXPECT_EQ(f.listBox("ListBox12").selectedText(), "34");
    EXPECT_EQ(caption("Label12"), "34");

    // Back to four digits: nothing to trim, the list grows again.
    f.clickLayout(1);
    EXPECT_EQ(f.state.startNumber, 34);
    EXPECT_EQ(f.listBox("ListBox12").count(), 9999);
    EXPECT_EQ(f.listBox("ListBox12").selectedText(), "34");

    // A number with nothing left after the trim selects nothing and shows zeros.
    f.clickListBox("ListBox12", 999);
    f.clickLayout(2);
    EXPECT_EQ(f.state.startNumber, 0);
    EXPECT_EQ(f.listBox("ListBox12").itemIndex(), -1);
    EXPECT_EQ(caption("Label9"), "000");
}

TEST_F(MainFormTest, LayoutsWithoutANumberKeepTheStartNumberList) {
    MainForm &f = start();
    f.changeTab(1);
    f.clickLayout(6);  // three digits
    unsigned revision = f.listBox("ListBox12").revision();
    f.clickLayout(8);  // no number
    EXPECT_EQ(f.state.digitMode, 1);
    EXPECT_EQ(f.listBox("ListBox12").count(), 999);
    EXPECT_EQ(f.listBox("ListBox12").revision(), revision);
    f.clickLayout(7);  // three digits again: not refilled
    EXPECT_EQ(f.listBox("ListBox12").revision(), revision);
    f.clickLayout(5);  // four digits: refilled
    EXPECT_NE(f.listBox("ListBox12").revision(), revision);
    EXPECT_EQ(f.listBox("ListBox12").count(), 9999);
}

TEST_F(MainFormTest, NumberDisplayMenuPadsOrNot) {
    MainForm &f = start();
    f.clickListBox("ListBox12", 6);
    EXPECT_EQ(caption("Label5"), "0007");
    EXPECT_EQ(caption("Label9"), "007");
    EXPECT_EQ(caption("Label12"), "07");
    f.clickMenu("mnuPlain");
    EXPECT_TRUE(f.state.plainNumbers);
    EXPECT_TRUE(f.menuItem("mnuPlain").checked);
    EXPECT_FALSE(f.menuItem("mnuPadded").checked);
    for (const auto &[name, label] : f.previewLabels())
        if (label.format.find('0') == 0) {
            EXPECT_EQ(label.caption, "7") << name;
        }
    f.clickMenu("mnuPadded");
    EXPECT_EQ(caption("Label11"), "0007");
    EXPECT_EQ(caption("Label18"), "007");
}

TEST_F(MainFormTest, SeparatorAndStepMenus) {
    MainForm &f = start();
    f.clickMenu("mnuHyphen");
    EXPECT_EQ(f.state.separator, "-");
    f.clickMenu("mnuTwoBlanks");
    EXPECT_EQ(f.state.separator, "  ");
    EXPECT_TRUE(f.menuItem("mnuTwoBlanks").checked);
    EXPECT_FALSE(f.menuItem("mnuHyphen").checked);
    f.clickMenu("mnuBlank");
    EXPECT_EQ(f.state.separator, " ");
    for (auto [name, step] : {std::pair{"mnuStep10", 10}, std::pair{"mnuStep3", 3},
                              std::pair{"mnuStep5", 5}, std::pair{"mnuStep2", 2}}) {
        f.clickMenu(name);
        EXPECT_EQ(f.state.numberStep, step);
        int checked = 0;
        for (const auto &choice : stepMenu()) checked += f.menuItem(choice.name).checked;
        EXPECT_EQ(checked, 1);
        EXPECT_TRUE(f.menuItem(name).checked);
    }
}

TEST_F(MainFormTest, DayOffsetListsMoveTogetherAndRewriteTheDates) {
    MainForm &f = start();
    f.clickListBox("ListBox28", 0);  // "-365"
    EXPECT_EQ(f.state.dayOffset, -365);
    for (const auto &name : dayOffsetLists()) EXPECT_EQ(f.listBox(name).selectedText(), "-365");
    EXPECT_EQ(caption("Label10"), "03/15");  // 2025-03-15
    EXPECT_EQ(caption("Label13"), "25|03");
    EXPECT_EQ(caption("Label30"), "25/03/15");
    f.clickListBox("ListBox38", 365 + 17);
    EXPECT_EQ(f.state.dayOffset, 17);
    EXPECT_EQ(f.listBox("ListBox27").selectedText(), "17");
    EXPECT_EQ(caption("Label20"), "26/04/01");
    f.clickListBox("ListBox9", 730);
    EXPECT_EQ(caption("Label46"), "27/03/15");
}

TEST_F(MainFormTest, PrintSetTakesTheDateOfTheDayItIsPressed) {
    sys_days today = kToday;
    MainForm f(folder.path(), [&today] { return today; });
    for (const TimerRequest &timer : f.startUp()) f.timerFired(timer.timer);
    EXPECT_EQ(f.previewLabel("Label30").caption, "26/03/15");
    today += days(1);  // the window stayed open past midnight
    f.clickButton("cmdPrintSet");
    EXPECT_EQ(f.previewLabel("Label30").caption, "26/03/16");
}

TEST_F(MainFormTest, CountListsSetTheirValues) {
    MainForm &f = start();
    f.clickListBox("ListBox2", 399);
    EXPECT_EQ(f.state.sampleCount, 400);
    f.clickListBox("ListBox1", 4);
    EXPECT_EQ(f.state.repeatCount, 5);
    f.clickListBox("ListBox1", 5);  // no sixth item: nothing changes
    EXPECT_EQ(f.state.repeatCount, 5);
}

TEST_F(MainFormTest, RepeatListHasSevenItemsForBlankColourLabels) {
    MainForm &f = start();
    f.changeTab(1);
    f.clickLayout(8);
    EXPECT_EQ(f.listBox("ListBox1").count(), 7);
    f.clickListBox("ListBox1", 6);
    EXPECT_EQ(f.state.repeatCount, 7);
    // Text in the memo: five items, and the seventh choice falls back to the first.
    f.typeMemo("Memo2", "A", 0);
    EXPECT_EQ(f.listBox("ListBox1").count(), 5);
    EXPECT_EQ(f.listBox("ListBox1").itemIndex(), 0);
    EXPECT_EQ(f.state.repeatCount, 1);
    f.typeMemo("Memo2", "", 0);
    EXPECT_EQ(f.listBox("ListBox1").count(), 7);
    f.clickListBox("ListBox1", 2);
    f.clickLayout(7);
    EXPECT_EQ(f.listBox("ListBox1").count(), 5);
    EXPECT_EQ(f.state.repeatCount, 3);  // within five: kept

    f.clickSheetType(4);
    f.changeTab(1);
    f.clickLayout(8);
    EXPECT_EQ(f.listBox("ListBox1").count(), 7);
    f.typeMemo("Memo9", "x", 0);
    EXPECT_EQ(f.listBox("ListBox1").count(), 5);
    f.clickSheetType(2);
    f.changeTab(1);
    f.clickLayout(8);  // the M blank layout has no extra copies
    EXPECT_EQ(f.listBox("ListBox1").count(), 5);
}

TEST_F(MainFormTest, TwoLineMemosKeepTwoLinesCutToTheirBytes) {
    MainForm &f = start();
    EXPECT_EQ(f.typeMemo("Memo2", "血清サ", 0), MemoEdit::Cut);  // 6 bytes: cut to 5
    EXPECT_EQ(f.memo("Memo2").text(), "血清");
    EXPECT_EQ(f.typeMemo("Memo2", "血清\nABCDEF", 1), MemoEdit::Cut);
    EXPECT_EQ(f.memo("Memo2").text(), "血清\nABCDE");
    EXPECT_EQ(f.typeMemo("Memo2", "血清\nABCDE\n", 2), MemoEdit::Rejected);
    EXPECT_EQ(f.memo("Memo2").text(), "血清\nABCDE");
    EXPECT_EQ(f.typeMemo("Memo1", "123456789012X", 0), MemoEdit::Cut);
    EXPECT_EQ(f.memo("Memo1").text(), "123456789012");
}

TEST_F(MainFormTest, TheLongSheetAllowsLongerTLayoutTexts) {
    MainForm &f = start();
    f.clickSheetType(4);
    EXPECT_EQ(f.edit("Edit8").maxLength(), 6);
    EXPECT_EQ(f.edit("Edit11").maxLength(), 6);
    EXPECT_EQ(f.edit("Edit13").maxLength(), 6);
    for (const char *name : {"Edit9", "Edit14", "Edit15", "Edit16", "Edit19"})
        EXPECT_EQ(f.edit(name).maxLength(), 14) << name;
    EXPECT_EQ(f.edit("Edit20").maxLength(), 10);
    EXPECT_EQ(f.edit("Edit29").maxLength(), 12);  // not one of the longer ones
    EXPECT_EQ(f.memo("Memo9").lineByteLimit, 14);
    f.typeEdit("Edit11", "ABCDEFGH");
    EXPECT_EQ(f.edit("Edit11").text(), "ABCDEF");
    f.typeEdit("Edit9", "血清血清血清血清血清血清血清");
    EXPECT_EQ(f.edit("Edit9").text(), "血清血清血清血清血清血清血清");
    f.typeMemo("Memo9", "12345678901234", 0);

    f.clickSheetType(3);
    EXPECT_EQ(f.edit("Edit11").maxLength(), 4);
    EXPECT_EQ(f.edit("Edit11").text(), "ABCD");
    EXPECT_EQ(f.edit("Edit9").text(), "血清血清血清血清血清血清");
    EXPECT_EQ(f.edit("Edit20").maxLength(), 8);
    EXPECT_EQ(f.memo("Memo9").lineByteLimit, 12);
    EXPECT_EQ(f.memo("Memo9").text(), "123456789012");

    // Only the two tube sheets set these limits: a look at the round sheet keeps the texts
    // typed for the 12 x 40 mm sheet.
    f.clickSheetType(4);
    f.typeEdit("Edit16", "ABCDEFGHIJKLMN");
    f.typeEdit("Edit13", "ABCDEF");
    f.typeMemo("Memo9", "12345678901234", 0);
    f.clickSheetType(1);
    f.clickSheetType(4);
    EXPECT_EQ(f.edit("Edit16").text(), "ABCDEFGHIJKLMN");
    EXPECT_EQ(f.edit("Edit13").text(), "ABCDEF");
    EXPECT_EQ(f.memo("Memo9").text(), "12345678901234");
    EXPECT_EQ(f.edit("Edit16").maxLength(), 14);
}

TEST_F(MainFormTest, EditLimitsCountCharacters) {
    MainForm &f = start();
    f.typeEdit("Edit1", "血清サンプル");
    EXPECT_EQ(f.edit("Edit1").text(), "血清サンプ");
    f.typeEdit("Edit18", "12345678901");
    EXPECT_EQ(f.edit("Edit18").text(), "1234567890");
}

TEST_F(MainFormTest, TextListMemosAndReset) {
    MainForm &f = start();
    f.changeTab(2);
    f.clickLayout(9);
    EXPECT_EQ(f.typeMemo("Memo10", "ABCDEF", 0), MemoEdit::Cut);
    EXPECT_EQ(f.memo("Memo10").text(), "ABCDE");
    f.clickLayout(10);  // letter + text: four bytes
    EXPECT_EQ(f.typeMemo("Memo10", "ABCDE\nVWXYZ", 1), MemoEdit::Cut);
    EXPECT_EQ(f.memo("Memo10").text(), "ABCDE\nVWXY");
    f.state.textCount = 2;
    f.clickButton("cmdReset1");
    EXPECT_TRUE(f.memo("Memo10").isEmpty());
    EXPECT_EQ(f.state.textCount, 0);
}

TEST_F(MainFormTest, PrintSetSwitchesScreensAndBackRestoresTheLayout) {
    MainForm &f = start();
    f.changeTab(1);
    f.clickLayout(7);
    f.clickButton("cmdPrintSet");
    EXPECT_EQ(f.screen, Screen::Print);
    EXPECT_FALSE(f.panel("pnlMain").visible);
    EXPECT_TRUE(f.panel("pnlPrint").visible);
    EXPECT_FALSE(f.tabControl1.visible);
    EXPECT_TRUE(visibleGroupPanels().empty());
    EXPECT_TRUE(f.button("cmdBack").visible);
    EXPECT_EQ(f.button("cmdBack").left, 152);
    EXPECT_EQ(f.button("cmdEnd").left, 226);
    EXPECT_FALSE(f.button("cmdPrintSet").visible);

    f.clickButton("cmdBack");
    EXPECT_EQ(f.screen, Screen::Setup);
    EXPECT_TRUE(f.panel("pnlMain").visible);
    EXPECT_TRUE(f.tabControl1.visible);
    EXPECT_EQ(f.tabControl1.tabIndex, 1);
    EXPECT_EQ(f.state.layoutType, 7);
    EXPECT_EQ(visibleGroupPanels(), std::vector<std::string>{"pnlCType2"});
    EXPECT_FALSE(f.button("cmdBack").visible);
    EXPECT_EQ(f.button("cmdData").left, 80);
    EXPECT_EQ(f.button("cmdEnd").left, 152);
}

TEST_F(MainFormTest, PrintSetRefusesMoreThanFourHundredLabels) {
    MainForm &f = start();
    f.clickListBox("ListBox2", 99);  // 100 samples
    f.clickListBox("ListBox1", 4);   // five copies
    f.clickButton("cmdPrintSet");
    EXPECT_EQ(f.screen, Screen::Setup);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], kTooManyLabels);
    f.clickListBox("ListBox1", 3);  // exactly 400
    f.clickButton("cmdPrintSet");
    EXPECT_EQ(f.screen, Screen::Print);
}

TEST_F(MainFormTest, VersionDataAndEndButtons) {
    MainForm &f = start();
    f.clickButton("cmdVersion");
    EXPECT_TRUE(f.versionOpen);
    EXPECT_FALSE(f.windowEnabled);
    f.closeVersion();
    EXPECT_TRUE(f.windowEnabled);
    f.clickButton("cmdData");
    EXPECT_TRUE(f.dataForm().visible);
    EXPECT_FALSE(f.windowEnabled);
    f.dataForm().exit();
    EXPECT_TRUE(f.windowEnabled);
    EXPECT_FALSE(f.closeRequested);
    f.clickButton("cmdEnd");
    EXPECT_TRUE(f.closeRequested);
}

TEST_F(MainFormTest, AnEmptyListFileGivesEmptyWordLists) {
    folder.write("DB1.txt", "");
    MainForm &f = start();
    for (const auto &name : firstWordLists()) {
        EXPECT_EQ(f.listBox(name).count(), 0);
        EXPECT_EQ(f.listBox(name).selectedText(), "");
    }
}

}  // namespace
}  // namespace labelora
