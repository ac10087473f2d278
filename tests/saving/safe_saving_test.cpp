// Saving never destroys a file: every way a workbook is written over an existing one, failing
// at each step of the save (no space, a size limit, a failed flush, a failed rename), leaves
// the old bytes and nothing else; a discarded workbook leaves the disk as it was; what is not
// a regular file is refused; links are followed.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "engine/lifecycle/workbook_table.h"
#include "tabrix.h"
#include "tests/platform/scratch_folder.h"
#include "write_faults.h"

namespace tabrix::test {
namespace {

namespace fs = std::filesystem;

std::string bytes_of(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The text in A1 of sheet 0, read back through the library's read mode.
std::string first_text(const fs::path &path) {
    const int32_t h = XM_ReadOpen(path.c_str());
    if (h < 0) return "<unreadable>";
    int32_t kind = -1;
    double value = 0;
    char text[64] = {};
    XM_Read(h, 0, 0, 0, &kind, &value, text, sizeof text);
    XM_ReadClose(h);
    return text;
}

int32_t book_error(int32_t ok) {
    int32_t number = 0;
    if (!ok) XlsGetErrorNo(&number);
    return number;
}

// Enough cells that the new file is far larger than the old one.
void fill(int32_t h) {
    for (int32_t y = 1; y < 400; ++y) {
        for (int32_t x = 0; x < 10; ++x) XM_WriteDouble(h, 0, x, y, y * 10.0 + x);
    }
}

// One way to write a workbook over a file: `open` makes the workbook (the file holds one),
// writes "new" into A1 and many cells, and gives its handle; `save` and `discard` end it and
// give the error number they report (0 for success).
struct Writer {
    const char *name;
    std::function<int32_t(const std::string &file, const std::string &templ)> open;
    std::function<int32_t(int32_t h)> save;
    std::function<int32_t(int32_t h)> discard;
};

int32_t engine_error(int32_t rc) {
    return rc < 0 ? -rc : rc;
}

// The engine handle of the Book API's current book, found by the workbook it made last.
int32_t newest_handle() {
    int32_t h = 255;
    while (h > 0 && !engine::workbook_at(h)) --h;
    return h;
}

const std::vector<Writer> &writers() {
    static const std::vector<Writer> all = {
        {"XM_Close",
         [](const std::string &file, const std::string &) { return XM_Create97(file.c_str(), 1); },
         [](int32_t h) { return engine_error(XM_Close(h)); },
         [](int32_t h) { return engine_error(XM_Cancel(h)); }},
        {"XL_Close",
         [](const std::string &file, const std::string &) { return XL_Create97(file.c_str(), 1); },
         [](int32_t) { return engine_error(XL_Close()); },
         [](int32_t) { return engine_error(XL_Cancel()); }},
        {"XlsCloseBook",
         [](const std::string &file, const std::string &) {
             int32_t book = 0;
             return XlsCreateBook(file.c_str(), 97, 1, &book) ? newest_handle() : -1;
         },
         [](int32_t) { return book_error(XlsCloseBook(1)); },
         [](int32_t) { return book_error(XlsCloseBook(0)); }},
        {"XM_CreateT",
         [](const std::string &file, const std::string &templ) {
             return XM_CreateT(file.c_str(), templ.c_str());
         },
         [](int32_t h) { return engine_error(XM_Close(h)); },
         [](int32_t h) { return engine_error(XM_Cancel(h)); }},
        {"XM_Open in place",
         [](const std::string &file, const std::string &) {
             return XM_Open(file.c_str(), nullptr);
         },
         [](int32_t h) { return engine_error(XM_OpenClose(h, 1)); },
         [](int32_t h) { return engine_error(XM_OpenClose(h, 0)); }},
        {"XlsOpenBook in place",
         [](const std::string &file, const std::string &) {
             int32_t book = 0;
             return XlsOpenBook(file.c_str(), nullptr, &book) ? newest_handle() : -1;
         },
         [](int32_t) { return book_error(XlsCloseBook(1)); },
         [](int32_t) { return book_error(XlsCloseBook(0)); }},
    };
    return all;
}

// A fresh folder for each test, and the library as it started afterwards.
class FolderTest : public ::testing::Test {
  protected:
    void TearDown() override {
        faults::disarm();
        XlsAllClose();
        engine::reset_process_state();
    }
    std::vector<std::string> names() const { return folder_.names(); }

    ScratchFolder folder_;
    const fs::path &dir_ = folder_.path();
};

class SafeSavingTest : public FolderTest, public ::testing::WithParamInterface<size_t> {
  protected:
    void SetUp() override {
        file_ = (dir_ / "book.xls").string();
        templ_ = (dir_ / "template.xls").string();
        make_workbook(file_, "old");
        make_workbook(templ_, "template");
        old_ = bytes_of(file_);
        names_ = names();
    }
    static void make_workbook(const std::string &path, const char *text) {
        const int32_t h = XM_Create97(path.c_str(), 1);
        ASSERT_GE(h, 0);
        XM_WriteStr(h, 0, 0, 0, text);
        ASSERT_EQ(XM_Close(h), 0);
    }
    const Writer &writer() const { return writers()[GetParam()]; }
    int32_t open() {
        const int32_t h = writer().open(file_, templ_);
        EXPECT_GE(h, 0) << writer().name;
        XM_WriteStr(h, 0, 0, 0, "new");
        fill(h);
        return h;
    }
    // After a failed save: the old file as it was, nothing beside it, the handle free.
    void expect_old_file_kept(const char *fault) {
        EXPECT_TRUE(bytes_of(file_) == old_) << fault << ": the old bytes";
        EXPECT_EQ(names(), names_) << fault;
        EXPECT_EQ(engine::workbook_at(0), nullptr) << fault;
    }

    std::string file_;
    std::string templ_;
    std::string old_;
    std::vector<std::string> names_;
};

TEST_P(SafeSavingTest, AFailedSaveReportsAWriteErrorAndLeavesTheOldFile) {
    struct Fault {
        const char *name;
        faults::Call call;
        int error;
    };
    for (const Fault &fault :
         {Fault{"no space", faults::Call::write, ENOSPC},
          Fault{"quota", faults::Call::write, EDQUOT}, Fault{"flush", faults::Call::fsync, EIO},
          Fault{"rename", faults::Call::rename, EIO}}) {
        const int32_t h = open();
        faults::arm(fault.call, fault.error);
        EXPECT_EQ(writer().save(h), 5) << fault.name;
        EXPECT_EQ(faults::failures(), 1) << fault.name;
        faults::disarm();
        expect_old_file_kept(fault.name);
    }
    EXPECT_EQ(first_text(file_), "old");
}

TEST_P(SafeSavingTest, ASizeLimitReportsAWriteErrorAndLeavesTheOldFile) {
    const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old_limit{};
    ::getrlimit(RLIMIT_FSIZE, &old_limit);
    const int32_t h = open();
    const rlimit limit{old_.size() + 4096, old_limit.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const int32_t error = writer().save(h);
    ::setrlimit(RLIMIT_FSIZE, &old_limit);
    std::signal(SIGXFSZ, old_handler);
    EXPECT_EQ(error, 5);
    expect_old_file_kept("size limit");
}

TEST_P(SafeSavingTest, ADiscardedWorkbookLeavesTheDiskAsItWas) {
    EXPECT_EQ(writer().discard(open()), 0);
    expect_old_file_kept("discarded");
    // And the file is free again: a save now replaces it whole.
    EXPECT_EQ(writer().save(open()), 0);
    EXPECT_EQ(first_text(file_), "new");
    EXPECT_EQ(names(), names_);
}

INSTANTIATE_TEST_SUITE_P(EveryWriter, SafeSavingTest, ::testing::Range(size_t{0}, writers().size()),
                         [](const ::testing::TestParamInfo<size_t> &info) {
                             std::string name = writers()[info.param].name;
                             std::replace(name.begin(), name.end(), ' ', '_');
                             return name;
                         });

using OutputsTest = FolderTest;

TEST_F(OutputsTest, WhatIsNotARegularFileIsRefusedAndLeftAlone) {
    const fs::path fifo = dir_ / "fifo.xls";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_directory(dir_ / "folder.xls");
    const fs::path templ = dir_ / "template.xls";
    const int32_t made = XM_Create97(templ.c_str(), 1);
    ASSERT_EQ(XM_Close(made), 0);
    for (const fs::path &out : {fs::path("/dev/null"), fifo, dir_ / "folder.xls"}) {
        EXPECT_EQ(XM_Create97(out.c_str(), 1), -1) << out;
        EXPECT_EQ(XM_Create(out.c_str(), 1), -1) << out;
        EXPECT_EQ(XM_CreateT(out.c_str(), templ.c_str()), -1) << out;
        EXPECT_EQ(XM_Open(templ.c_str(), out.c_str()), -1) << out;
        int32_t book = 0;
        EXPECT_EQ(book_error(XlsCreateBook(out.c_str(), 97, 1, &book)), 1) << out;
    }
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_TRUE(fs::is_empty(dir_ / "folder.xls"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 3);
}

TEST_F(OutputsTest, ASaveThroughASymbolicLinkReplacesTheFileItNames) {
    fs::create_directory(dir_ / "real");
    const fs::path file = dir_ / "real" / "book.xls";
    fs::create_symlink("real/book.xls", dir_ / "link.xls");
    for (const char *text : {"first", "second"}) {
        const int32_t h = XM_Create97((dir_ / "link.xls").c_str(), 1);
        XM_WriteStr(h, 0, 0, 0, text);
        ASSERT_EQ(XM_Close(h), 0);
        EXPECT_TRUE(fs::is_symlink(dir_ / "link.xls"));
        EXPECT_EQ(first_text(file), text);
    }
    // In place too.
    const int32_t h = XM_Open((dir_ / "link.xls").c_str(), nullptr);
    XM_WriteStr(h, 0, 0, 0, "third");
    ASSERT_EQ(XM_OpenClose(h, 1), 0);
    EXPECT_TRUE(fs::is_symlink(dir_ / "link.xls"));
    EXPECT_EQ(first_text(file), "third");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "real"), fs::directory_iterator()), 1);
}

TEST_F(OutputsTest, AFolderThatVanishedBeforeTheCloseIsAWriteError) {
    fs::create_directory(dir_ / "gone");
    const int32_t h = XM_Create97((dir_ / "gone" / "book.xls").c_str(), 1);
    ASSERT_GE(h, 0);
    fs::remove_all(dir_ / "gone");
    EXPECT_EQ(XM_Close(h), -5);
    EXPECT_TRUE(fs::is_empty(dir_));
}

}  // namespace
}  // namespace tabrix::test
