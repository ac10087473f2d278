// Workbook handles, create, close and cancel, and the error codes of the value writes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "engine/layout/sheet_names.h"
#include "engine/lifecycle/workbook_table.h"
#include "tabrix.h"
#include "workbook_test_util.h"

namespace tabrix::engine::test {
namespace {

namespace fs = std::filesystem;

class LifecycleTest : public ::testing::Test {
  protected:
    void TearDown() override { reset_process_state(); }
    std::string file(const std::string &name) { return folder_.file(name); }
    TempFolder folder_;
};

TEST_F(LifecycleTest, HandlesAreTheLowestFreeEntriesAndComeBackAfterClose) {
    int32_t a = XM_Create97(file("a.xls").c_str(), 1);
    int32_t b = XM_Create(file("b.xls").c_str(), 1);
    EXPECT_EQ(a, 0);
    EXPECT_EQ(b, 1);
    EXPECT_EQ(XM_Close(a), 0);
    EXPECT_EQ(XM_Close(a), -3) << "a handle is never valid after close";
    EXPECT_EQ(XM_WriteInt(a, 0, 0, 0, 1), -3);
    int32_t c = XM_CreateVer(file("c.xls").c_str(), 2, 2000);
    EXPECT_EQ(c, 0);
    EXPECT_EQ(XM_Cancel(c), 0);
    EXPECT_EQ(XM_Cancel(c), -3);
    EXPECT_EQ(XM_Close(b), 0);
    EXPECT_TRUE(fs::exists(file("a.xls")));
    EXPECT_TRUE(fs::exists(file("b.xls")));
    EXPECT_FALSE(fs::exists(file("c.xls")));
}

TEST_F(LifecycleTest, SheetCountDefaultsAndVersions) {
    struct Case {
        int32_t handle;
        bool biff8;
        int32_t sheets;
        uint16_t stamp;
    };
    std::vector<Case> cases = {
        {XM_Create(file("1.xls").c_str(), 0), false, 16, 97},
        {XM_Create97(file("2.xls").c_str(), 0), true, 3, 97},
        {XM_CreateVer(file("3.xls").c_str(), 0, 95), false, 16, 97},
        {XM_CreateVer(file("4.xls").c_str(), 0, 2002), true, 3, 2002},
        {XM_CreateVer(file("5.xls").c_str(), 2, 0), false, 2, 97},
        {XM_CreateVer(file("6.xls").c_str(), 2, 2003), true, 2, 97},
        {XM_CreateW(u"", 1), false, 0, 0},
    };
    for (size_t i = 0; i + 1 < cases.size(); ++i) {
        Workbook *book = workbook_at(cases[i].handle);
        ASSERT_NE(book, nullptr) << i;
        EXPECT_EQ(book->biff8(), cases[i].biff8) << i;
        EXPECT_EQ(book->sheet_count(), cases[i].sheets) << i;
        EXPECT_EQ(book->format.version_stamp, cases[i].stamp) << i;
        EXPECT_EQ(book->max_rows, cases[i].biff8 ? 65536u : 16384u);
        const std::string count = std::to_string(cases[i].sheets);
        EXPECT_EQ(book->sheets.back()->name, u"Sheet" + std::u16string(count.begin(), count.end()));
    }
    EXPECT_EQ(cases.back().handle, -9);
    for (size_t i = 0; i + 1 < cases.size(); ++i) EXPECT_EQ(XM_Cancel(cases[i].handle), 0);
}

TEST_F(LifecycleTest, CreateFailures) {
    EXPECT_EQ(XM_Create(nullptr, 1), -9);
    EXPECT_EQ(XM_Create97("", 1), -9);
    EXPECT_EQ(XM_Create97W(nullptr, 1), -9);
    EXPECT_EQ(XM_Create97(file("missing/dir/x.xls").c_str(), 1), -1);
    std::u16string unpaired = u"/tmp/name";
    unpaired.push_back(char16_t{0xD800});
    EXPECT_EQ(XM_Create97W(unpaired.c_str(), 1), -1) << "no file name for it";
    EXPECT_EQ(workbook_at(0), nullptr) << "nothing left in the table";
    EXPECT_EQ(XM_Create97(file("many.xls").c_str(), 40000), -34);
}

std::string bytes_of(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST_F(LifecycleTest, CancelLeavesTheDiskAsItWasBeforeTheCreate) {
    std::string path = file("existing.xls");
    std::ofstream(path) << "old content";
    int32_t h = XM_Create97(path.c_str(), 1);
    ASSERT_GE(h, 0);
    ASSERT_EQ(XM_WriteInt(h, 0, 0, 0, 1), 0);
    EXPECT_EQ(bytes_of(path), "old content") << "a create writes nothing";
    EXPECT_EQ(XM_Cancel(h), 0);
    EXPECT_EQ(bytes_of(path), "old content");
    h = XM_Create97(file("new.xls").c_str(), 1);
    EXPECT_EQ(XM_Cancel(h), 0);
    EXPECT_FALSE(fs::exists(file("new.xls")));
    EXPECT_EQ(std::distance(fs::directory_iterator(file("")), fs::directory_iterator()), 1)
        << "nothing of ours stays beside it";
    EXPECT_EQ(XM_Close(-1), -2);
    EXPECT_EQ(XM_Cancel(-5), -2);
}

TEST_F(LifecycleTest, AFileBeingWrittenCannotBeCreatedAgainByAnyName) {
    const std::string path = file("one.xls");
    std::ofstream(path) << "old content";
    int32_t h = XM_Create97(path.c_str(), 1);
    ASSERT_EQ(h, 0);
    ASSERT_EQ(XM_WriteInt(h, 0, 0, 0, 7), 0);
    fs::create_symlink(path, file("link.xls"));
    fs::create_hard_link(path, file("hard.xls"));
    const std::string relative = fs::relative(path, fs::current_path()).string();
    for (const std::string &name : {path, file("link.xls"), file("hard.xls"), relative}) {
        EXPECT_EQ(XM_Create(name.c_str(), 1), -1) << name;
    }
    EXPECT_EQ(workbook_at(1), nullptr) << "nothing left in the table";
    auto records = close_and_read(h, path, true);
    EXPECT_EQ(all_of(records, 0x027E).size(), 1u) << "the cell written before";

    h = XM_Create97(file("link.xls").c_str(), 1);
    EXPECT_EQ(h, 0) << "free again once closed";
    EXPECT_EQ(XM_Cancel(h), 0);
    EXPECT_TRUE(fs::is_symlink(file("link.xls")));
}

TEST_F(LifecycleTest, DefaultTablesCanBeSkipped) {
    int32_t h = XM_Create97(file("bare.xls").c_str(), 3 + 0x40000000);
    Workbook *book = workbook_at(h);
    ASSERT_NE(book, nullptr);
    EXPECT_EQ(book->sheet_count(), 3);
    EXPECT_TRUE(book->fonts.empty());
    EXPECT_TRUE(book->formats.empty());
    EXPECT_TRUE(book->xfs.empty());
    EXPECT_TRUE(book->styles.empty());
    EXPECT_FALSE(book->header.empty());
    EXPECT_EQ(XM_Cancel(h), 0);
}

TEST_F(LifecycleTest, ReadOnlyWorkbookIsNotWrittenAndKeepsItsFile) {
    std::string path = file("read.xls");
    std::ofstream(path) << "old content";
    int32_t h = XM_Create97(path.c_str(), 1);
    workbook_at(h)->read_only = true;
    ASSERT_EQ(XM_WriteInt(h, 0, 0, 0, 1), 0);
    EXPECT_EQ(XM_Close(h), 0);
    EXPECT_EQ(bytes_of(path), "old content");
    EXPECT_EQ(workbook_at(h), nullptr);
}

TEST_F(LifecycleTest, HiddenActiveSheetPassesTheRoleOnOrFailsTheClose) {
    std::string path = file("hidden.xls");
    int32_t h = XM_Create97(path.c_str(), 3);
    Workbook *book = workbook_at(h);
    book->active_sheet = 1;
    book->sheets[1]->options = 0x0001;
    auto records = close_and_read(h, path, true);
    const StreamRecord *window1 = first_of(records, 0x003D);
    EXPECT_EQ(window1->u16(10), 2);
    EXPECT_EQ(window1->u16(12), 2);
    auto windows = all_of(records, 0x023E);
    ASSERT_EQ(windows.size(), 3u);
    EXPECT_EQ(windows[1]->u16(0) & 0x0600, 0);
    EXPECT_EQ(windows[2]->u16(0) & 0x0600, 0x0600);
    EXPECT_EQ(all_of(records, 0x0085)[1]->u16(4), 1) << "hidden in BOUNDSHEET";

    h = XM_Create97(path.c_str(), 3);
    book = workbook_at(h);
    book->active_sheet = 1;
    book->sheets[1]->options = 0x0001;
    book->sheets[2]->options = 0x0001;
    const std::string written = bytes_of(path);
    EXPECT_EQ(XM_Close(h), -1);
    EXPECT_EQ(bytes_of(path), written) << "the file the first close wrote stays";
    EXPECT_EQ(workbook_at(h), nullptr);
}

TEST_F(LifecycleTest, ActiveSheetSetsWindowTabsAndWindow2Bits) {
    std::string path = file("active.xls");
    int32_t h = XM_Create(path.c_str(), 3);
    workbook_at(h)->active_sheet = 2;
    auto records = close_and_read(h, path, false);
    EXPECT_EQ(first_of(records, 0x003D)->u16(10), 2);
    auto windows = all_of(records, 0x023E);
    EXPECT_EQ(windows[0]->u16(0), 0x00B6);
    EXPECT_EQ(windows[2]->u16(0), 0x06B6);
}

TEST_F(LifecycleTest, TabIdFollowsSheetsAddedAfterCreate) {
    std::string path = file("added.xls");
    int32_t h = XM_Create97(path.c_str(), 2);
    add_sheet(*workbook_at(h));
    auto records = close_and_read(h, path, true);
    EXPECT_EQ(first_of(records, 0x013D)->data, (std::vector<uint8_t>{1, 0, 2, 0, 3, 0}));
    EXPECT_EQ(all_of(records, 0x0085).size(), 3u);
}

TEST_F(LifecycleTest, WriteErrorsInTheirOrder) {
    int32_t h5 = XM_Create(file("five.xls").c_str(), 2);
    int32_t h8 = XM_Create97(file("eight.xls").c_str(), 2);
    ASSERT_EQ(h5, 0);
    ASSERT_EQ(h8, 1);
    EXPECT_EQ(XM_WriteInt(h8, 0, 256, 0, 1), -32);
    EXPECT_EQ(XM_WriteInt(h8, 0, -1, 0, 1), -32);
    EXPECT_EQ(XM_WriteInt(h8, 0, 0, 65536, 1), -32);
    EXPECT_EQ(XM_WriteInt(h8, 0, 0, 65535, 1), 0);
    EXPECT_EQ(XM_WriteDouble(h5, 0, 0, 16384, 1.0), -32);
    EXPECT_EQ(XM_WriteStr(h5, 0, 0, 16383, "last"), 0);
    EXPECT_EQ(XM_WriteInt(h8, 2, 0, 0, 1), -4);
    EXPECT_EQ(XM_WriteStr(h8, -1, 0, 0, "x"), -4);
    EXPECT_EQ(XM_WriteStr(-1, 0, 0, 0, "x"), -3);
    EXPECT_EQ(XM_WriteDouble(7, 0, 0, 0, 1.0), -3);
    EXPECT_EQ(XM_WriteStr(7, 0, 0, -1, "x"), -3) << "the workbook is checked before the row";
    EXPECT_EQ(XM_WriteStr(7, 0, 300, 0, nullptr), -32) << "a blank checks the column first";
    EXPECT_EQ(XM_WriteStr(h8, 0, 300, 0, "x"), -32);
    EXPECT_EQ(XM_WriteBin(-1, 0, 1, 0, nullptr), -3);
    Workbook *book = workbook_at(h8);
    EXPECT_EQ(book->sheets[0]->cells.record_count(), 1u) << "failed writes store nothing";
    EXPECT_EQ(book->strings.unique_count(), 0u) << "nor texts";
    EXPECT_EQ(XM_WriteInt(h8, 1, 0, 0, 1), 0);
    EXPECT_EQ(book->current_sheet, 1) << "a write selects its sheet";
    EXPECT_EQ(XM_Close(h5), 0);
    EXPECT_EQ(XM_Close(h8), 0);
}

}  // namespace
}  // namespace tabrix::engine::test
