// Engine and Book API calls from several threads at once. Built and run under ThreadSanitizer
// by scripts/test, which then reports any unguarded shared state these calls reach.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "tabrix.h"
#include "tests/platform/scratch_folder.h"

namespace {

constexpr int kThreads = 4;
constexpr int kRows = 60;

void run_threads(int count, const std::function<void(int)> &body) {
    std::vector<std::thread> threads;
    for (int i = 0; i < count; ++i) threads.emplace_back(body, i);
    for (std::thread &thread : threads) thread.join();
}

// Every cell of sheet 0 as the walk delivers it, keyed by (x, y).
std::map<std::pair<int, int>, XLWALKCELL> walk_sheet(int32_t h) {
    std::map<std::pair<int, int>, XLWALKCELL> cells;
    std::vector<XLWALKCELL> block(256);
    std::vector<char16_t> text(65535);
    int32_t position = 0, count = 0;
    do {
        position = XM_WalkCellsW(h, 0, position, block.data(), 256, text.data(), 65535, &count);
        for (int i = 0; i < count; ++i) cells[{block[i].x, block[i].y}] = block[i];
    } while (position > 0);
    EXPECT_EQ(position, 0);
    return cells;
}

double read_number(int32_t h, int x, int y) {
    int32_t kind = -1;
    double value = 0;
    char text[64] = "";
    EXPECT_EQ(XM_Read(h, 0, x, y, &kind, &value, text, sizeof text), 0) << x << "," << y;
    EXPECT_EQ(kind, 0);
    return value;
}

// Each thread makes, fills, closes and reads back workbooks of its own, all at once.
TEST(EngineThreads, OwnWorkbooksWrittenAndReadAtOnce) {
    tabrix::test::ScratchFolder folder;
    run_threads(kThreads, [&](int t) {
        for (int round = 0; round < 3; ++round) {
            const std::string file =
                (folder.path() / ("own" + std::to_string(t) + "_" + std::to_string(round) + ".xls"))
                    .string();
            const int32_t h = XM_Create97(file.c_str(), 2);
            ASSERT_GE(h, 0);
            for (int y = 0; y < kRows; ++y) {
                ASSERT_EQ(XM_WriteInt(h, 0, 0, y, t * 1000 + y), 0);
                ASSERT_EQ(XM_WriteStr(h, 0, 1, y, ("t" + std::to_string(t)).c_str()), 0);
                ASSERT_EQ(XM_WriteDouble(h, 0, 2, y, y + 0.5), 0);
                const std::string formula = "A" + std::to_string(y + 1) + "*2";
                ASSERT_EQ(XM_WriteFunc(h, 0, 3, y, formula.c_str()), 0);
            }
            XLATTR attr;
            ASSERT_EQ(XM_InitAttr(&attr), 0);
            attr.LineTop = 1;
            attr.Pattern = 1;
            attr.BackColor = static_cast<int16_t>(10 + t);
            ASSERT_EQ(XM_SetAttrExt2(h, 0, 0, 0, 2, 9, &attr), 0);
            // One row in at the top: every value moves down by one.
            ASSERT_EQ(XM_RowInsert(h, 0, 0, 1), 0);
            ASSERT_EQ(XM_Close(h), 0);

            const int32_t r = XM_ReadOpen(file.c_str());
            ASSERT_GE(r, 0);
            EXPECT_EQ(read_number(r, 0, 1), t * 1000);
            EXPECT_EQ(read_number(r, 0, kRows), t * 1000 + kRows - 1);
            EXPECT_EQ(read_number(r, 2, 5), 4.5);
            const auto cells = walk_sheet(r);
            EXPECT_EQ(cells.size(), static_cast<size_t>(4 * kRows));
            ASSERT_TRUE(cells.count({1, 3}));
            EXPECT_EQ(cells.at({1, 3}).kind, 4);
            EXPECT_EQ(XM_ReadClose(r), 0);
        }
    });
}

// Threads writing through one handle: each call runs whole, so the file holds every cell.
TEST(EngineThreads, OneWorkbookSharedByThreads) {
    tabrix::test::ScratchFolder folder;
    const std::string file = (folder.path() / "shared.xls").string();
    const int32_t h = XM_Create97(file.c_str(), 1);
    ASSERT_GE(h, 0);
    run_threads(kThreads, [&](int t) {
        for (int y = 0; y < kRows; ++y) {
            ASSERT_EQ(XM_WriteInt(h, 0, t, y, t * 1000 + y), 0);
            ASSERT_EQ(XM_WriteStr(h, 0, kThreads + t, y, "shared"), 0);
        }
    });
    ASSERT_EQ(XM_Close(h), 0);

    const int32_t r = XM_ReadOpen(file.c_str());
    ASSERT_GE(r, 0);
    const auto cells = walk_sheet(r);
    EXPECT_EQ(cells.size(), static_cast<size_t>(2 * kThreads * kRows));
    for (int t = 0; t < kThreads; ++t) {
        for (int y = 0; y < kRows; ++y) {
            ASSERT_TRUE(cells.count({t, y})) << t << "," << y;
            EXPECT_EQ(cells.at({t, y}).value, t * 1000 + y);
        }
    }
    EXPECT_EQ(XM_ReadClose(r), 0);
}

// A close on one thread while others write through the handle: the writes before it are
// saved, the ones after it find no workbook, and nothing is freed under a running call.
TEST(EngineThreads, CloseWhileOtherThreadsWrite) {
    tabrix::test::ScratchFolder folder;
    const std::string file = (folder.path() / "closing.xls").string();
    const int32_t h = XM_Create97(file.c_str(), 1);
    ASSERT_GE(h, 0);
    std::atomic<int> written = 0;
    std::atomic<bool> closed = false;
    run_threads(3, [&](int t) {
        if (t == 0) {
            while (written.load() < 50) std::this_thread::yield();
            EXPECT_EQ(XM_Close(h), 0);
            closed = true;
            return;
        }
        for (int y = 0;; ++y) {
            const bool after_close = closed.load();
            const int32_t rc = XM_WriteInt(h, 0, t, y % 1000, y);
            if (rc != 0) {
                EXPECT_EQ(rc, -3);
                break;
            }
            EXPECT_FALSE(after_close);
            ++written;
        }
    });
    const int32_t r = XM_ReadOpen(file.c_str());
    ASSERT_GE(r, 0);
    EXPECT_GE(walk_sheet(r).size(), 50u);
    EXPECT_EQ(XM_ReadClose(r), 0);
}

// A handle closed and given to a new workbook by other threads names the new workbook on a
// thread that used it before, too: no thread keeps reaching the closed one.
TEST(EngineThreads, HandleTakenByANewWorkbookElsewhere) {
    tabrix::test::ScratchFolder folder;
    const std::string first = (folder.path() / "first.xls").string();
    const std::string second = (folder.path() / "second.xls").string();
    const int32_t h = XM_Create97(first.c_str(), 1);
    ASSERT_GE(h, 0);
    std::atomic<int> step = 0;
    run_threads(2, [&](int t) {
        if (t == 0) {
            EXPECT_EQ(XM_WriteInt(h, 0, 0, 0, 1), 0);
            step = 1;
            while (step.load() < 2) std::this_thread::yield();
            EXPECT_EQ(XM_WriteInt(h, 0, 0, 0, 2), 0);
            return;
        }
        while (step.load() < 1) std::this_thread::yield();
        EXPECT_EQ(XM_Close(h), 0);
        EXPECT_EQ(XM_Create97(second.c_str(), 1), h);
        step = 2;
    });
    EXPECT_EQ(XM_Close(h), 0);
    for (const auto &[file, value] : {std::pair{first, 1.0}, std::pair{second, 2.0}}) {
        const int32_t r = XM_ReadOpen(file.c_str());
        ASSERT_GE(r, 0);
        EXPECT_EQ(read_number(r, 0, 0), value) << file;
        EXPECT_EQ(XM_ReadClose(r), 0);
    }
}

// The Book API's one current book, written from two threads: its calls run one at a time.
TEST(BookApiThreads, TwoThreadsOnTheCurrentBook) {
    tabrix::test::ScratchFolder folder;
    const std::string file = (folder.path() / "book.xls").string();
    ASSERT_EQ(XlsCreateBook(file.c_str(), 97, 1, nullptr), 1);
    run_threads(2, [&](int t) {
        for (int y = 0; y < kRows; ++y) {
            // POS builds its text in a buffer of the calling thread.
            ASSERT_EQ(XlsPutLong(t * 1000 + y, POS(t, y, -1, -1)), 1);
            int32_t number = -1;
            EXPECT_EQ(XlsGetErrorNo(&number), 1);
        }
    });
    ASSERT_EQ(XlsCloseBook(1), 1);

    int32_t book = 0;
    ASSERT_EQ(XlsReadBook(file.c_str(), &book), 1);
    for (int t = 0; t < 2; ++t) {
        for (int y = 0; y < kRows; ++y) {
            int32_t value = -1;
            ASSERT_EQ(XlsGetLong(&value, POS(t, y, -1, -1)), 1);
            EXPECT_EQ(value, t * 1000 + y);
        }
    }
    EXPECT_EQ(XlsCloseBook(0), 1);
}

}  // namespace
