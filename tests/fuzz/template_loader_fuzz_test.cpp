// Templates with mutated records: the load either refuses them or takes what it can, never
// reading outside the stream, and the workbook written from what it took is sound: every
// record whole, every BOF closed, every BOUNDSHEET pointing at a BOF, readable again as a
// workbook.
#include <gtest/gtest.h>

#include <random>

#include "../engine/template_stream.h"
#include "../engine/workbook_test_util.h"
#include "engine/read/template/template_loader.h"

namespace tabrix::engine {
namespace {

using test::Bytes;
using test::joined;
using test::TemplateStream;
using test::u16s;

constexpr int32_t kWithoutDefaultTables = 0x40000000;

Bytes text(bool biff8, std::string_view chars) {
    Bytes out = u16s({static_cast<uint16_t>(chars.size())});
    if (biff8) out.push_back(0);
    out.insert(out.end(), chars.begin(), chars.end());
    return out;
}

// One of each record family the loader reads.
Bytes seed(bool biff8) {
    TemplateStream s(biff8);
    s.global(rec::kWindow1, u16s({0, 0, 100, 100, 0x38, 0, 0, 1, 600}));
    s.font(220);
    s.font(200);
    s.global(rec::kFormat,
             joined({u16s({180}), biff8 ? text(true, "0.0") : Bytes{3, '0', '.', '0'}}));
    for (int i = 0; i < 24; ++i) {
        s.global(rec::kXf, biff8 ? Bytes(20, static_cast<uint8_t>(i)) : Bytes(16, 0));
    }
    s.global(rec::kStyle, {0x00, 0x80, 0x00, 0xFF});
    if (biff8) {
        s.global(rec::kSupBook, {2, 0, 1, 4});
        s.global(rec::kExternSheet, u16s({1, 0, 0, 1}));
        s.global(rec::kMsoDrawingGroup, Bytes(12, 0xF0));
        s.global(rec::kSst, joined({u16s({3, 0, 2, 0}), text(true, "**KEY"), text(true, "v")}));
    } else {
        s.global(rec::kExternCount, u16s({1}));
        s.global(rec::kExternSheet, {3, 3, 'S', '2'});
    }
    s.sheet("S1");
    s.record(rec::kDefaultRowHeight, u16s({0, 300}));
    s.record(rec::kHeader, biff8 ? text(true, "&Cx") : Bytes{3, '&', 'C', 'x'});
    s.record(rec::kHorizontalPageBreaks, biff8 ? u16s({1, 4, 0, 255}) : u16s({1, 4}));
    s.record(rec::kSetup, Bytes(34, 1));
    if (!biff8) s.record(rec::kExternSheet, {3, 3, 'S', '2'});
    s.record(rec::kColInfo, u16s({0, 3, 3000, 15, 0, 0}));
    s.record(rec::kRow, u16s({2, 0, 4, 400, 0, 0, 0x0140, 15}));
    s.record(rec::kLabel, joined({u16s({0, 0, 21}), text(biff8, "**L")}));
    if (biff8) s.record(rec::kLabelSst, joined({u16s({0, 1, 22}), u16s({0, 0})}));
    s.record(rec::kRString,
             joined({u16s({0, 2, 21}), text(biff8, "r"), biff8 ? u16s({0}) : Bytes{0}}));
    s.record(rec::kMulRk, joined({u16s({1, 0, 15, 3, 0, 15, 5, 0, 1})}));
    s.record(rec::kMulBlank, u16s({2, 0, 21, 22, 23, 2}));
    s.record(rec::kBoolErr, joined({u16s({3, 0, 15}), Bytes{1, 0}}));
    const Bytes exp{0x01, 4, 0, 0, 0};
    const Bytes refn = biff8 ? Bytes{0x4C, 0xFF, 0xFF, 0x00, 0xC0} : Bytes{0x4C, 0xFF, 0xFF, 0x00};
    s.record(rec::kFormula, joined({u16s({4, 0, 15, 0, 0, 0, 0, 8, 0, 0}),
                                    u16s({static_cast<uint16_t>(exp.size())}), exp}));
    s.record(rec::kShrFmla, joined({u16s({4, 5}), Bytes{0, 1, 0, 0},
                                    u16s({static_cast<uint16_t>(refn.size())}), refn}));
    s.record(rec::kFormula, joined({u16s({5, 1, 15, 0, 0, 0, 0xFFFF, 8, 0, 0}),
                                    u16s({static_cast<uint16_t>(exp.size())}), exp}));
    s.record(rec::kString, text(biff8, "**F"));
    s.record(rec::kFormula,
             joined({u16s({6, 0, 15, 0, 0, 0, 0, 0, 0, 0}), u16s({5}), Bytes{0x01, 6, 0, 0, 0}}));
    s.record(rec::kArray,
             joined({u16s({6, 7}), Bytes{0, 0}, u16s({0, 0, 0, 3}), Bytes{0x1E, 1, 0}}));
    s.record(rec::kObj, u16s({0x15, 18, 5, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    s.record(rec::kBof, s.bof(0x0020));
    s.record(0x1002, Bytes(16, 0));
    s.record(rec::kEof, {});
    s.record(rec::kTxo, Bytes(18, 0));
    s.record(rec::kContinue, Bytes(4, 'x'));
    s.record(rec::kWindow2, u16s({0x06B6, 0, 0, 64, 0, 0, 0, 0, 0}));
    s.record(rec::kPane, u16s({1, 1, 1, 1, 0}));
    s.record(rec::kSelection, joined({Bytes{0}, u16s({1, 1, 0, 1, 1, 1}), Bytes{1, 1}}));
    s.record(rec::kMergedCells, u16s({1, 8, 8, 0, 2}));
    s.record(rec::kDv, Bytes(20, 0));
    s.sheet("S2", 0x0200, 0x0020);
    s.record(0x1002, Bytes(16, 0));
    return s.bytes();
}

// The written stream holds whole records, each sheet's BOUNDSHEET points at a BOF, and it
// reads again as a workbook of as many sheets.
void check_written(const std::string &path, bool biff8, size_t sheets) {
    const Bytes stream = test::read_workbook_stream(path, biff8 ? u"Workbook" : u"Book");
    const auto records = test::parse_records(stream);
    for (const auto *bound : test::all_of(records, rec::kBoundSheet)) {
        const uint32_t offset = bound->u32(0);
        const bool at_bof = std::any_of(records.begin(), records.end(), [&](const auto &r) {
            return r.offset == offset && r.number == rec::kBof;
        });
        EXPECT_TRUE(at_bof) << "BOUNDSHEET offset " << offset;
    }
    // Every BOF is closed by its EOF: the globals, each sheet, each chart inside a sheet.
    int depth = 0;
    for (const auto &record : records) {
        depth += record.number == rec::kBof;
        depth -= record.number == rec::kEof;
        ASSERT_GE(depth, 0) << "EOF without BOF at " << record.offset;
    }
    EXPECT_EQ(depth, 0);
    std::unique_ptr<WorkbookReader> again;
    ASSERT_EQ(WorkbookReader::from_stream(stream, biff8, &again), 0);
    EXPECT_EQ(again->sheets().size(), sheets);
}

TEST(TemplateLoaderFuzz, MutatedTemplatesLoadSafelyAndWriteSoundWorkbooks) {
    test::TempFolder folder;
    const std::string path = folder.file("out.xls");
    const std::u16string name(path.begin(), path.end());
    std::mt19937 rng(8128);
    int loaded = 0;
    for (bool biff8 : {false, true}) {
        const Bytes base = seed(biff8);
        for (int round = 0; round < 600; ++round) {
            Bytes stream = base;
            // The first round takes the seed as it is: it must load and write.
            const int edits = round == 0 ? 0 : 1 + static_cast<int>(rng() % 4);
            for (int e = 0; e < edits && !stream.empty(); ++e) {
                const size_t at = rng() % stream.size();
                switch (rng() % 8) {
                    case 0:
                        stream.resize(at);
                        break;
                    case 1:
                        stream.insert(stream.begin() + static_cast<std::ptrdiff_t>(at),
                                      static_cast<uint8_t>(rng()));
                        break;
                    case 2:  // a large value, as a length or count would take
                        stream[at] = 0xFF;
                        if (at + 1 < stream.size()) stream[at + 1] = static_cast<uint8_t>(rng());
                        break;
                    default:
                        stream[at] = static_cast<uint8_t>(rng());
                }
            }
            std::unique_ptr<WorkbookReader> reader;
            if (WorkbookReader::from_stream(stream, biff8, &reader) != 0) {
                EXPECT_NE(round, 0);
                continue;
            }
            const auto sheets = static_cast<int32_t>(reader->sheets().size());
            const int32_t handle =
                create_workbook(name, sheets + kWithoutDefaultTables, FileFormat{biff8, 97});
            if (handle < 0) continue;  // a sheet count no workbook holds
            const int32_t result = load_template(*workbook_at(handle), *reader, round % 2 == 1);
            if (round == 0) {
                EXPECT_EQ(result, 0);
                EXPECT_EQ(close_workbook(handle), 0);
                check_written(path, biff8, reader->sheets().size());
                continue;
            }
            if (result != 0) {
                cancel_workbook(handle);
                continue;
            }
            ++loaded;
            if (close_workbook(handle) == 0) check_written(path, biff8, reader->sheets().size());
            if (HasFailure()) return;
        }
    }
    EXPECT_GT(loaded, 300);
}

}  // namespace
}  // namespace tabrix::engine
