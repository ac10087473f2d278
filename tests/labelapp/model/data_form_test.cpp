#include "core/forms/data_form.h"

#include <gtest/gtest.h>

#include "core/files/cp932.h"
#include "core/forms/main_form.h"
#include "temp_folder.h"

namespace labelora {
namespace {

std::string sjis(const std::string &utf8) {
    return utf8ToCp932(utf8).value();
}

class DataFormTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder.write("start.txt", "10,10,1\r\n10,10,1\r\n10,10,1\r\n10,10,1\r\n\r\n");
        folder.write("db1.txt", sjis("血清\r\n尿\r\n"));
        folder.write("DB3.TXT", sjis("冷凍庫Ａ\r\n"));
        form = std::make_unique<MainForm>(folder.path());
        for (const TimerRequest &timer : form->startUp()) form->timerFired(timer.timer);
    }

    TempFolder folder;
    std::unique_ptr<MainForm> form;
};

TEST_F(DataFormTest, OpeningLoadsBothMemosFromTheFiles) {
    DataForm &data = form->dataForm();
    EXPECT_FALSE(data.visible);
    form->clickButton("cmdData");
    EXPECT_TRUE(data.visible);
    EXPECT_EQ(data.memo1.text(), "血清\n尿");
    EXPECT_EQ(data.memo2.text(), "冷凍庫Ａ");
    EXPECT_TRUE(data.radioButton1.checked);
    EXPECT_TRUE(data.memo1.enabled);
    EXPECT_FALSE(data.memo2.enabled);
    EXPECT_EQ(data.focus, "Memo1");
    EXPECT_STREQ(DataForm::kLabel1, "それぞれのデータベースに変更を行ってください。");
    EXPECT_EQ(data.cmdEnter.caption, "Enter ");
    EXPECT_EQ(data.cmdExit.caption, "Exit");
}

TEST_F(DataFormTest, RadioButtonsSwitchTheEditableMemo) {
    DataForm &data = form->dataForm();
    form->clickButton("cmdData");
    data.checkSecondList();
    EXPECT_FALSE(data.memo1.enabled);
    EXPECT_TRUE(data.memo2.enabled);
    EXPECT_EQ(data.focus, "Memo2");
    data.checkFirstList();
    EXPECT_TRUE(data.memo1.enabled);
    EXPECT_FALSE(data.memo2.enabled);
    EXPECT_EQ(data.focus, "Memo1");
}

TEST_F(DataFormTest, TypingCutsTheCaretLineToTheListsBytes) {
    DataForm &data = form->dataForm();
    form->clickButton("cmdData");
    EXPECT_EQ(data.typeMemo("Memo1", "ABCDEFGHI\n尿", 0), MemoEdit::Cut);
    EXPECT_EQ(data.memo1.text(), "ABCDEFGH\n尿");
    EXPECT_EQ(data.typeMemo("Memo1", "ABCDEFGH\n尿血清ＤＮＡ", 1), MemoEdit::Cut);
    EXPECT_EQ(data.memo1.lines()[1], "尿血清Ｄ");
    EXPECT_EQ(data.typeMemo("Memo2", "液体窒素タンク１", 0), MemoEdit::Cut);
    EXPECT_EQ(data.memo2.text(), "液体窒素タンク");
}

TEST_F(DataFormTest, EnterWritesOnlyTheCheckedList) {
    DataForm &data = form->dataForm();
    form->clickButton("cmdData");
    data.checkSecondList();
    data.typeMemo("Memo1", "changed", 0);
    data.typeMemo("Memo2", "冷凍庫Ａ\n棚", 1);
    data.clickEnter();
    EXPECT_EQ(folder.read("DB3.TXT"), sjis("冷凍庫Ａ\r\n棚\r\n"));
    EXPECT_EQ(folder.read("db1.txt"), sjis("血清\r\n尿\r\n"));
    EXPECT_FALSE(folder.exists("DB3.txt"));
    data.checkFirstList();
    data.clickEnter();
    EXPECT_EQ(folder.read("db1.txt"), "changed\r\n");
}

TEST_F(DataFormTest, ExitReloadsEveryWordListBox) {
    DataForm &data = form->dataForm();
    form->clickButton("cmdData");
    data.typeMemo("Memo1", "組織\n細胞", 1);
    data.clickEnter();
    data.exit();
    EXPECT_FALSE(data.visible);
    EXPECT_TRUE(form->windowEnabled);
    for (const auto &name : firstWordLists()) {
        EXPECT_EQ(form->listBox(name).items(), (std::vector<std::string>{"組織", "細胞"}));
        EXPECT_EQ(form->listBox(name).selectedText(), "組織") << name;
    }
    for (const auto &name : secondWordLists())
        EXPECT_EQ(form->listBox(name).selectedText(), "冷凍庫Ａ") << name;
}

TEST_F(DataFormTest, ExitWithoutEnterLeavesTheFilesAndDataReloadsThem) {
    DataForm &data = form->dataForm();
    form->clickButton("cmdData");
    data.typeMemo("Memo1", "typed", 0);
    data.exit();
    EXPECT_EQ(folder.read("db1.txt"), sjis("血清\r\n尿\r\n"));
    EXPECT_EQ(data.memo1.text(), "typed");
    form->clickButton("cmdData");
    EXPECT_EQ(data.memo1.text(), "血清\n尿");
}

TEST_F(DataFormTest, AFileThatCannotBeWrittenIsReported) {
    std::vector<std::string> messages;
    form->onMessage = [&messages](const std::string &text) { messages.push_back(text); };
    std::filesystem::remove(folder.path() / "db1.txt");
    std::filesystem::create_directory(folder.path() / "DB1.txt");  // a folder in the way
    form->clickButton("cmdData");
    EXPECT_TRUE(form->dataForm().memo1.isEmpty());
    form->dataForm().clickEnter();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind(kCannotWriteList, 0), 0u);
}

}  // namespace
}  // namespace labelora
