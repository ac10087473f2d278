// What a file holds beyond its cells: the version and sheet states its workbook stream names,
// and the storages and streams of the compound file, over files made record by record.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "engine/biff/record_numbers.h"
#include "template_stream.h"
#include "workbook_test_util.h"

namespace tabrix::engine::test {
namespace {

constexpr uint16_t kHidden = 0x0001;
constexpr uint16_t kVeryHidden = 0x0002;
constexpr uint16_t kChartSheet = 0x0200;
constexpr uint16_t kChartBof = 0x0020;

// Writes the workbook stream into a new compound file, with a storage "Ctls" holding a stream
// "Data" of 5000 bytes beside it when asked.
void write_file(const std::string &path, const TemplateStream &stream, bool with_storage = false) {
    auto file = platform::CompoundFile::create(path);
    ASSERT_TRUE(file);
    const Bytes bytes = stream.bytes();
    platform::Stream *book = file->root().create_stream(stream.biff8() ? u"Workbook" : u"Book");
    ASSERT_TRUE(book);
    ASSERT_EQ(book->write(bytes.data(), bytes.size()), bytes.size());
    if (with_storage) {
        platform::Storage *storage = file->root().create_storage(u"Ctls");
        ASSERT_TRUE(storage);
        platform::Stream *data = storage->create_stream(u"Data");
        ASSERT_TRUE(data);
        const std::vector<uint8_t> filler(5000, 0x5A);
        ASSERT_EQ(data->write(filler.data(), filler.size()), filler.size());
    }
    ASSERT_EQ(file->commit(), platform::StorageStatus::ok);
}

// A visible, a hidden and a very hidden worksheet, then a hidden chart sheet.
TemplateStream four_sheets(bool biff8) {
    TemplateStream stream(biff8);
    stream.font(200);
    stream.sheet("Shown");
    stream.sheet("Hidden", kHidden);
    stream.sheet("Deep", kVeryHidden);
    stream.sheet("Chart", kChartSheet | kHidden, kChartBof);
    return stream;
}

Bytes recalc_id(uint32_t build) {
    Bytes data = u16s({rec::kRecalcId, 0});
    put_u32(data, build);
    return data;
}

class FileContentsTest : public ::testing::Test {
  protected:
    void TearDown() override { reset_process_state(); }

    int32_t open(const TemplateStream &stream, const std::string &name) {
        const std::string path = folder_.file(name);
        write_file(path, stream);
        return XM_ReadOpen(path.c_str());
    }

    TempFolder folder_;
};

TEST_F(FileContentsTest, VersionComesFromTheStreamAndItsRecalcId) {
    const int32_t biff5 = open(four_sheets(false), "biff5.xls");
    const int32_t biff8 = open(four_sheets(true), "biff8.xls");
    TemplateStream stamped = four_sheets(true);
    stamped.global(rec::kRecalcId, recalc_id(92512));
    const int32_t stamped2000 = open(stamped, "2000.xls");
    TemplateStream unknown = four_sheets(true);
    unknown.global(rec::kRecalcId, recalc_id(12345));
    const int32_t unknown_build = open(unknown, "unknown.xls");
    ASSERT_GE(biff5, 0);
    ASSERT_GE(biff8, 0);
    ASSERT_GE(stamped2000, 0);
    ASSERT_GE(unknown_build, 0);
    EXPECT_EQ(XM_GetFileVersion(biff5), 95);
    EXPECT_EQ(XM_GetFileVersion(biff8), 97);
    EXPECT_EQ(XM_GetFileVersion(stamped2000), 2000);
    EXPECT_EQ(XM_GetFileVersion(unknown_build), 97);

    // A workbook of our own before its close has no file; handles that name nothing.
    const int32_t made = XM_Create97(folder_.file("made.xls").c_str(), 1);
    ASSERT_GE(made, 0);
    EXPECT_EQ(XM_GetFileVersion(made), -6);
    EXPECT_EQ(XM_GetSheetState(made, 0, nullptr, nullptr), -6);
    EXPECT_EQ(XM_GetFileVersion(-1), -2);
    ASSERT_EQ(XM_ReadClose(biff5), 0);
    EXPECT_EQ(XM_GetFileVersion(biff5), -3);
    EXPECT_EQ(XM_GetSheetState(biff5, 0, nullptr, nullptr), -3);
    EXPECT_EQ(XM_GetSheetState(-7, 0, nullptr, nullptr), -2);
}

TEST_F(FileContentsTest, SheetStatesInBothFormats) {
    for (const bool biff8 : {false, true}) {
        const int32_t h = open(four_sheets(biff8), biff8 ? "states8.xls" : "states5.xls");
        ASSERT_GE(h, 0) << biff8;
        std::vector<std::pair<int32_t, int32_t>> states;
        for (int32_t s = 0; s < 4; ++s) {
            int32_t visibility = -1, type = -1;
            EXPECT_EQ(XM_GetSheetState(h, s, &visibility, &type), 0);
            states.emplace_back(visibility, type);
        }
        const std::vector<std::pair<int32_t, int32_t>> expected = {{0, 0}, {1, 0}, {2, 0}, {1, 2}};
        EXPECT_EQ(states, expected) << biff8;
        int32_t visibility = -1;
        EXPECT_EQ(XM_GetSheetState(h, 2, &visibility, nullptr), 0);
        EXPECT_EQ(visibility, 2);
        int32_t untouched = 99;
        EXPECT_EQ(XM_GetSheetState(h, 4, &untouched, &untouched), -34);
        EXPECT_EQ(XM_GetSheetState(h, -1, &untouched, &untouched), -34);
        EXPECT_EQ(untouched, 99);
    }
}

TEST_F(FileContentsTest, EntriesListEachStorageBeforeWhatItHolds) {
    // The name in UTF-8 on disk; the narrow call names it in code page 932.
    const std::string folder = folder_.file("");                                   // ASCII
    write_file(folder + "\xE6\x9D\xB1\xE4\xBA\xAC.xls", four_sheets(true), true);  // 東京.xls
    const std::string narrow = folder + "\x93\x8c\x8b\x9e.xls";
    const std::u16string wide = std::u16string(folder.begin(), folder.end()) + u"\u6771\u4eac.xls";

    XLFILEENTRY entries[4] = {};
    ASSERT_EQ(XM_GetFileEntries(narrow.c_str(), entries, 4), 3);
    EXPECT_EQ(std::u16string(entries[0].name), u"Ctls");
    EXPECT_EQ(entries[0].storage, 1);
    EXPECT_EQ(entries[0].depth, 0);
    EXPECT_EQ(entries[0].size, 0u);
    EXPECT_EQ(std::u16string(entries[1].name), u"Data");
    EXPECT_EQ(entries[1].storage, 0);
    EXPECT_EQ(entries[1].depth, 1);
    EXPECT_EQ(entries[1].size, 5000u);
    EXPECT_EQ(std::u16string(entries[2].name), u"Workbook");
    EXPECT_EQ(entries[2].depth, 0);
    EXPECT_EQ(entries[2].size, four_sheets(true).bytes().size());

    // Too small a buffer: the count of all, only what fits written.
    XLFILEENTRY few[3] = {};
    few[1].depth = 77;
    EXPECT_EQ(XM_GetFileEntriesW(wide.c_str(), few, 1), 3);
    EXPECT_EQ(std::u16string(few[0].name), u"Ctls");
    EXPECT_EQ(few[1].depth, 77);
    EXPECT_EQ(XM_GetFileEntriesW(wide.c_str(), nullptr, 8), 3);
    EXPECT_EQ(XM_GetFileEntriesW(wide.c_str(), few, -1), 3);
    EXPECT_EQ(few[0].depth, 0);
}

TEST_F(FileContentsTest, EntriesRefuseWhatIsNoCompoundFile) {
    const std::string text = folder_.file("plain.xls");
    std::ofstream(text) << std::string(2048, 'x');
    XLFILEENTRY entry{};
    EXPECT_EQ(XM_GetFileEntries(text.c_str(), &entry, 1), -1);
    EXPECT_EQ(XM_GetFileEntries(folder_.file("missing.xls").c_str(), &entry, 1), -1);
    EXPECT_EQ(XM_GetFileEntries("", &entry, 1), -9);
    EXPECT_EQ(XM_GetFileEntries(nullptr, &entry, 1), -9);
    EXPECT_EQ(XM_GetFileEntriesW(u"", &entry, 1), -9);
    EXPECT_EQ(XM_GetFileEntriesW(nullptr, &entry, 1), -9);
}

}  // namespace
}  // namespace tabrix::engine::test
