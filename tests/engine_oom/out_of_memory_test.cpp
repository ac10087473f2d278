// Every out-of-memory path of the engine, reached by failing one chosen allocation: each call
// is swept with the 1st, 2nd, 3rd ... allocation failing until a run gets through. Every
// failing run must give the call's memory code, leave the workbook as it was, take a
// following write and close into a well-formed file. Each sweep runs twice: with only the
// chosen allocation failing, and with every allocation from it on failing, so that clean-up
// code that itself allocates is caught out too.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"
#include "engine/cells/shared_strings.h"
#include "engine/lifecycle/workbook_table.h"
#include "failing_allocator.h"
#include "tabrix.h"
#include "tests/engine/workbook_test_util.h"

namespace tabrix::engine::test {
namespace {

namespace allocator = tabrix::test::allocator;

constexpr uint64_t kSweepLimit = 5000;  // far above what any call here allocates
constexpr int32_t kMemory = -40;
constexpr int32_t kMemoryXf = -41;
constexpr int32_t kFormulaMemory = -101;
constexpr uint16_t kRk = 0x027E;
constexpr uint16_t kLabelSst = 0x00FD;
constexpr uint16_t kFormula = 0x0006;
constexpr uint16_t kExternSheet = 0x0017;
constexpr uint16_t kXf = 0x00E0;

// The cell record at (row, column) of a sheet section, or null.
const StreamRecord *cell_at(const std::vector<StreamRecord> &sheet, uint16_t row, uint16_t column) {
    for (const StreamRecord &record : sheet) {
        const bool cell = record.number == kRk || record.number == kLabelSst ||
                          record.number == kFormula || record.number == 0x0203 ||
                          record.number == 0x0201 || record.number == 0x0204;
        if (cell && record.u16(0) == row && record.u16(2) == column) return &record;
    }
    return nullptr;
}

// The integer an RK cell record holds.
int32_t rk_integer(const StreamRecord &record) {
    return static_cast<int32_t>(record.u32(6)) >> 2;
}

// The parameter: whether every allocation after the chosen one fails as well.
class OutOfMemoryTest : public ::testing::TestWithParam<bool> {
  protected:
    void TearDown() override {
        allocator::disarm();
        reset_process_state();
    }

    // `call` with the n-th allocation from now failing (and, by the parameter, every later
    // one); disarmed again before anything can assert.
    template <class Call>
    static int32_t armed(uint64_t n, Call &&call) {
        if (GetParam()) {
            allocator::fail_from(n);
        } else {
            allocator::fail_nth(n);
        }
        const int32_t rc = call();
        allocator::disarm();
        return rc;
    }

    // Runs attempt(n) for n = 1, 2, ... until one makes its call without a failed allocation,
    // or a check failed. attempt(n) returns whether its call met a failed allocation. Returns
    // the number of runs that met one.
    template <class Attempt>
    static uint64_t sweep(Attempt &&attempt) {
        for (uint64_t n = 1; n <= kSweepLimit; ++n) {
            SCOPED_TRACE("allocation " + std::to_string(n) + " failing");
            if (!attempt(n)) return n - 1;
            if (HasFailure()) return n;
        }
        ADD_FAILURE() << "no run got through";
        return kSweepLimit;
    }

    std::string next_path() { return folder_.file("oom" + std::to_string(files_++) + ".xls"); }

    // Creates a workbook of two sheets; the handle, or -1 after a failed check.
    int32_t create(const std::string &path, bool biff8 = true) {
        const int32_t h = biff8 ? XM_Create97(path.c_str(), 2) : XM_Create(path.c_str(), 2);
        EXPECT_GE(h, 0);
        return h;
    }

    // Closes the workbook and reads the file back with the compound-file reader: every record
    // framed, the globals and both sheets each ending in EOF. Empty after a failed check.
    static std::vector<std::vector<StreamRecord>> close_and_read_back(int32_t h,
                                                                      const std::string &path,
                                                                      bool biff8 = true) {
        if (XM_Close(h) != 0) {
            ADD_FAILURE() << "close failed";
            return {};
        }
        const std::vector<uint8_t> stream =
            read_workbook_stream(path, biff8 ? u"Workbook" : u"Book");
        auto sections = split_sections(parse_records(stream));
        EXPECT_EQ(sections.size(), 3u);
        for (const auto &section : sections) {
            EXPECT_EQ(section.front().number, 0x0809);
            EXPECT_EQ(section.back().number, 0x000A);
        }
        return sections.size() == 3 ? sections : std::vector<std::vector<StreamRecord>>{};
    }

    // After a failed call: the workbook takes a write and closes into a file that holds it.
    void check_usable(int32_t h, const std::string &path, bool biff8 = true) {
        ASSERT_EQ(XM_WriteInt(h, 1, 9, 99, 4242), 0);
        const auto sections = close_and_read_back(h, path, biff8);
        ASSERT_FALSE(sections.empty());
        const StreamRecord *cell = cell_at(sections[2], 99, 9);
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(rk_integer(*cell), 4242);
    }

    TempFolder folder_;
    int files_ = 0;
};

TEST_P(OutOfMemoryTest, AttributeEntryGives40AndItsXfRecord41) {
    XLATTR look;
    XM_InitAttr(&look);
    look.BackColor = xcRed;
    look.LineTop = 2;
    std::set<int32_t> codes;
    const uint64_t failed = sweep([&](uint64_t n) {
        const std::string path = next_path();
        const int32_t h = create(path);
        if (h < 0) return false;
        Workbook &book = *workbook_at(h);
        const size_t entries = book.attributes.attributes.size();
        const size_t xfs = book.xfs.records().size();
        const int32_t rc = armed(n, [&] { return XM_GetAttrNo2(h, &look); });
        if (!allocator::failure_happened()) {
            EXPECT_EQ(rc, kFirstRegisteredXf + static_cast<int32_t>(entries));
            // The new number reaches a cell and the file carries its XF record.
            EXPECT_EQ(XM_WriteInt2(h, 0, 0, 0, 1, rc), 0);
            const auto sections = close_and_read_back(h, path);
            if (sections.empty()) return false;
            EXPECT_EQ(all_of(sections[0], kXf).size(), xfs + 1);
            const StreamRecord *cell = cell_at(sections[1], 0, 0);
            EXPECT_TRUE(cell && cell->u16(4) == rc);
            return false;
        }
        codes.insert(rc);
        EXPECT_TRUE(rc == kMemory || rc == kMemoryXf) << rc;
        // The entry list and the XF list stay in step.
        EXPECT_EQ(book.attributes.attributes.size(), entries);
        EXPECT_EQ(book.xfs.records().size(), xfs);
        check_usable(h, path);
        return true;
    });
    EXPECT_GT(failed, 0u);
    EXPECT_TRUE(codes.count(kMemory)) << "the entry's own allocations";
    EXPECT_TRUE(codes.count(kMemoryXf)) << "the XF record's allocations";
}

TEST_P(OutOfMemoryTest, GrowingARowGives40AndKeepsTheRow) {
    const uint64_t failed = sweep([&](uint64_t n) {
        const std::string path = next_path();
        const int32_t h = create(path);
        if (h < 0) return false;
        // Row 0 is given back its slack when row 1 starts, so a cell between its two
        // must grow it. Its NUMBER cells make it larger than the blocks the cell store's
        // arena keeps, so the grown row comes from the heap, where an allocation can fail.
        EXPECT_EQ(XM_WriteInt(h, 0, 0, 0, 10), 0);
        EXPECT_EQ(XM_WriteInt(h, 0, 2, 0, 12), 0);
        for (int32_t column = 3; column <= 255; ++column) {
            EXPECT_EQ(XM_WriteDouble(h, 0, column, 0, column + 0.5), 0);
        }
        EXPECT_EQ(XM_WriteInt(h, 0, 0, 1, 20), 0);
        const CellStore &cells = workbook_at(h)->sheets[0]->cells;
        const size_t records = cells.record_count();
        const size_t bytes = cells.byte_total();
        const int32_t rc = armed(n, [&] { return XM_WriteInt(h, 0, 1, 0, 11); });
        const bool failed_here = allocator::failure_happened();
        if (failed_here) {
            EXPECT_EQ(rc, kMemory);
            EXPECT_EQ(cells.record_count(), records);
            EXPECT_EQ(cells.byte_total(), bytes);
            EXPECT_FALSE(cells.find(0, 1, nullptr));
        } else {
            EXPECT_EQ(rc, 0);
        }
        const auto sections = close_and_read_back(h, path);
        if (sections.empty()) return failed_here;
        for (auto [column, value] : {std::pair{0, 10}, {1, 11}, {2, 12}}) {
            const StreamRecord *cell = cell_at(sections[1], 0, static_cast<uint16_t>(column));
            if (failed_here && column == 1) {
                EXPECT_EQ(cell, nullptr);
            } else {
                EXPECT_TRUE(cell && rk_integer(*cell) == value) << "column " << column;
            }
        }
        return failed_here;
    });
    EXPECT_GT(failed, 0u);
}

TEST_P(OutOfMemoryTest, FormulaCompilerGives101AndStoresNothing) {
    const char *text = "=SUM(Sheet2!A1:B2)*2+LEN(\"abc\")";
    std::set<int32_t> codes;
    const uint64_t failed = sweep([&](uint64_t n) {
        const std::string path = next_path();
        const int32_t h = create(path);
        if (h < 0) return false;
        EXPECT_EQ(XM_SetRefSheet(h, 0, "Sheet2"), 0);
        Workbook &book = *workbook_at(h);
        const int32_t rc = armed(n, [&] { return XM_WriteFunc(h, 0, 3, 3, text); });
        if (!allocator::failure_happened()) {
            EXPECT_EQ(rc, 0);
            const auto sections = close_and_read_back(h, path);
            if (sections.empty()) return false;
            EXPECT_NE(cell_at(sections[1], 3, 3), nullptr);
            const StreamRecord *externs = first_of(sections[0], kExternSheet);
            EXPECT_TRUE(externs && externs->u16(0) == 1) << "one EXTERNSHEET entry";
            return false;
        }
        codes.insert(rc);
        // Inside the compiler the code is its own; around it, the cell store's.
        EXPECT_TRUE(rc == kFormulaMemory || rc == kMemory) << rc;
        EXPECT_FALSE(book.sheets[0]->cells.find(3, 3, nullptr));
        EXPECT_TRUE(book.extern_sheets.empty());
        check_usable(h, path);
        return true;
    });
    EXPECT_GT(failed, 0u);
    EXPECT_TRUE(codes.count(kFormulaMemory));
}

TEST_P(OutOfMemoryTest, CreateGives40AndLeavesNeitherHandleNorFile) {
    std::set<int32_t> codes;
    const uint64_t failed = sweep([&](uint64_t n) {
        const std::string path = next_path();
        const int32_t rc = armed(n, [&] { return XM_Create97(path.c_str(), 2); });
        if (!allocator::failure_happened()) {
            EXPECT_EQ(rc, 0);
            if (rc >= 0) check_usable(rc, path);
            return false;
        }
        codes.insert(rc);
        // -1 when the allocation failed while the container was being made.
        EXPECT_TRUE(rc == kMemory || rc == -1) << rc;
        EXPECT_EQ(workbook_at(0), nullptr);
        EXPECT_FALSE(std::filesystem::exists(path)) << "a half-made file stays behind";
        // The next create gets the first handle and works.
        const int32_t h = create(path);
        EXPECT_EQ(h, 0);
        if (h >= 0) check_usable(h, path);
        return true;
    });
    EXPECT_GT(failed, 0u);
    EXPECT_TRUE(codes.count(kMemory));
}

TEST_P(OutOfMemoryTest, CloseGives40AndReleasesTheWorkbook) {
    std::set<int32_t> codes;
    const uint64_t failed = sweep([&](uint64_t n) {
        const std::string path = next_path();
        const int32_t h = create(path);
        if (h < 0) return false;
        XLATTR look;
        XM_InitAttr(&look);
        look.Pattern = 1;
        look.BackColor = xcRed;
        EXPECT_EQ(XM_WriteStr(h, 0, 0, 0, "text"), 0);
        EXPECT_EQ(XM_WriteInt(h, 0, 1, 0, 7), 0);
        EXPECT_EQ(XM_SetRefSheet(h, 0, "Sheet2"), 0);
        EXPECT_EQ(XM_WriteFunc(h, 0, 2, 0, "=Sheet2!A1*2"), 0);
        EXPECT_EQ(XM_SetAttr2(h, 0, 1, 0, &look), 0);
        const int32_t rc = armed(n, [&] { return XM_Close(h); });
        if (!allocator::failure_happened()) {
            EXPECT_EQ(rc, 0);
            const auto sections =
                split_sections(parse_records(read_workbook_stream(path, u"Workbook")));
            EXPECT_EQ(sections.size(), 3u);
            return false;
        }
        // -5 when the container's own write ran out: it reports that as a write failure.
        codes.insert(rc);
        EXPECT_TRUE(rc == kMemory || rc == -5) << rc;
        // Released all the same: the handle is gone and the next create takes it.
        EXPECT_EQ(workbook_at(h), nullptr);
        EXPECT_EQ(XM_Close(h), -3);
        const std::string next = next_path();
        const int32_t again = create(next);
        EXPECT_EQ(again, h);
        if (again >= 0) check_usable(again, next);
        return true;
    });
    EXPECT_GT(failed, 0u);
    EXPECT_TRUE(codes.count(kMemory)) << "the engine's own records";
}

// Fills the table to just under one record, so that the next long text crosses from the SST
// record into a CONTINUE record.
void fill_first_record(const std::function<void(const std::string &)> &add) {
    for (int i = 0; i < 39; ++i) add(std::string(200, 'f') + std::to_string(i));
}

TEST_P(OutOfMemoryTest, SharedStringTableTakesBackAFailedText) {
    // The text plain, then with a formatting run (two header bytes, four after the text).
    for (const bool formatted : {false, true}) {
        SCOPED_TRACE(formatted ? "formatted" : "plain");
        const std::u16string crossing(300, u'c');
        const uint8_t run[] = {1, 0, 5, 0};
        const auto add_crossing = [&](SharedStringTable &strings) {
            return formatted ? strings.add(crossing, run, {}) : strings.add(crossing);
        };
        const uint64_t failed = sweep([&](uint64_t n) {
            SharedStringTable strings;
            fill_first_record([&](const std::string &text) { strings.add(text); });
            const uint32_t unique = strings.unique_count();
            const uint32_t total = strings.total_count();
            const size_t bytes = strings.byte_total();
            EXPECT_LT(bytes, 8224u) << "still within the first record";
            bool thrown = false;
            uint32_t index = 0;
            armed(n, [&] {
                try {
                    index = add_crossing(strings);
                } catch (const std::bad_alloc &) {
                    thrown = true;
                }
                return 0;
            });
            if (!allocator::failure_happened()) {
                EXPECT_FALSE(thrown);
                EXPECT_EQ(index, unique);
                EXPECT_GT(strings.byte_total(), 8224u);
                return false;
            }
            EXPECT_TRUE(thrown);
            EXPECT_EQ(strings.unique_count(), unique);
            EXPECT_EQ(strings.total_count(), total);
            EXPECT_EQ(strings.byte_total(), bytes);
            // The same text then goes in as the next string, and the records come out whole:
            // the SST record full, one CONTINUE holding the rest of the text.
            EXPECT_EQ(add_crossing(strings), unique);
            EXPECT_EQ(strings.add(std::string(200, 'f') + "0"), 0u) << "earlier texts are found";
            strings.finish();
            const std::vector<Record> &records = strings.records();
            EXPECT_EQ(records.size(), 2u);
            if (records.size() == 2) {
                const size_t head = formatted ? 5 : 3;
                EXPECT_EQ(records[0].data.size(), 8224u);
                EXPECT_EQ(load_u32(records[0].data.data()), total + 2);
                EXPECT_EQ(load_u32(records[0].data.data() + 4), unique + 1);
                EXPECT_EQ(records[1].data.size(),
                          1u + 300 - (8224 - (bytes - 4) - head) + (formatted ? 4 : 0));
            }
            return true;
        });
        EXPECT_GT(failed, 0u);
    }
}

TEST_P(OutOfMemoryTest, TextWriteGives40) {
    const std::string crossing(300, 'c');
    const uint64_t failed = sweep([&](uint64_t n) {
        const std::string path = next_path();
        const int32_t h = create(path);
        if (h < 0) return false;
        int row = 0;
        fill_first_record([&](const std::string &text) {
            EXPECT_EQ(XM_WriteStr(h, 0, 0, row++, text.c_str()), 0);
        });
        const SharedStringTable &strings = workbook_at(h)->strings;
        const uint32_t unique = strings.unique_count();
        const int32_t rc = armed(n, [&] { return XM_WriteStr(h, 0, 1, 0, crossing.c_str()); });
        if (!allocator::failure_happened()) {
            EXPECT_EQ(rc, 0);
            const auto sections = close_and_read_back(h, path);
            if (sections.empty()) return false;
            const StreamRecord *cell = cell_at(sections[1], 0, 1);
            EXPECT_TRUE(cell && cell->u32(6) == unique) << "the next string index";
            EXPECT_EQ(all_of(sections[0], 0x003C).size(), 1u) << "one CONTINUE record";
            return false;
        }
        EXPECT_EQ(rc, kMemory);
        EXPECT_FALSE(workbook_at(h)->sheets[0]->cells.find(0, 1, nullptr));
        // When the cell store failed after the table took the text, the text stays
        // unreferenced; the table never holds more than it.
        EXPECT_LE(strings.unique_count(), unique + 1);
        check_usable(h, path);
        return true;
    });
    EXPECT_GT(failed, 0u);
}

// The allocator itself: off until armed, then exactly the chosen allocation fails, in every
// form.
TEST_P(OutOfMemoryTest, AllocatorFailsExactlyTheChosenAllocation) {
    // Direct calls: a new-expression whose block is never used may be left out.
    const uint64_t before = allocator::allocation_count();
    ::operator delete(::operator new(8));
    EXPECT_EQ(allocator::allocation_count(), before + 1);

    if (GetParam()) {
        allocator::fail_from(2);
    } else {
        allocator::fail_nth(2);
    }
    void *first = ::operator new(8);
    bool thrown = false;
    try {
        ::operator delete[](::operator new[](8));
    } catch (const std::bad_alloc &) {
        thrown = true;
    }
    void *third = ::operator new(8, std::nothrow);
    void *aligned = ::operator new (64, std::align_val_t{64}, std::nothrow);
    allocator::disarm();
    EXPECT_NE(first, nullptr);
    EXPECT_TRUE(thrown);
    EXPECT_TRUE(allocator::failure_happened());
    EXPECT_EQ(third == nullptr, GetParam()) << "a later nothrow allocation";
    EXPECT_EQ(aligned == nullptr, GetParam());
    EXPECT_EQ(reinterpret_cast<uintptr_t>(aligned) % 64, 0u);
    ::operator delete(first);
    ::operator delete(third, std::nothrow);
    ::operator delete (aligned, std::align_val_t{64}, std::nothrow);
}

INSTANTIATE_TEST_SUITE_P(Failing, OutOfMemoryTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool> &info) {
                             return info.param ? "EveryAllocationFromThen" : "OneAllocation";
                         });

}  // namespace
}  // namespace tabrix::engine::test
