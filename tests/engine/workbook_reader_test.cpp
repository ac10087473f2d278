// The reader's checks on a file before anything is read from its sheets.
#include "engine/read/reader/workbook_reader.h"

#include <gtest/gtest.h>

#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"
#include "workbook_test_util.h"

namespace tabrix::engine {
namespace {

using test::TempFolder;

void put_record(std::vector<uint8_t> &stream, uint16_t number, std::vector<uint8_t> data) {
    put_u16(stream, number);
    put_u16(stream, static_cast<uint16_t>(data.size()));
    stream.insert(stream.end(), data.begin(), data.end());
}

// Globals of an Excel 95 stream: BOF, the given records, one BOUNDSHEET "S1", EOF.
std::vector<uint8_t> biff5_globals(
    const std::vector<std::pair<uint16_t, std::vector<uint8_t>>> &extra, bool with_sheet = true) {
    std::vector<uint8_t> stream;
    put_record(stream, rec::kBof, {0x00, 0x05, 0x05, 0x00, 0, 0, 0, 0});
    for (const auto &[number, data] : extra) put_record(stream, number, data);
    if (with_sheet) put_record(stream, rec::kBoundSheet, {0, 0, 0, 0, 0, 0, 2, 'S', '1'});
    put_record(stream, rec::kEof, {});
    return stream;
}

TEST(WorkbookReader, RefusesEncryptedProtectedAndSheetlessGlobals) {
    std::unique_ptr<WorkbookReader> reader;
    EXPECT_EQ(WorkbookReader::from_stream(biff5_globals({}), false, &reader), 0);
    ASSERT_TRUE(reader);
    ASSERT_EQ(reader->sheets().size(), 1u);
    EXPECT_EQ(reader->sheets()[0].name, u"S1");

    EXPECT_EQ(WorkbookReader::from_stream(biff5_globals({{rec::kFilePass, {0, 0, 0, 0}}}), false,
                                          &reader),
              -1);
    EXPECT_EQ(WorkbookReader::from_stream(biff5_globals({{rec::kProtect, {1, 0}}}), false, &reader),
              -1);
    EXPECT_EQ(WorkbookReader::from_stream(biff5_globals({{rec::kProtect, {0, 0}}}), false, &reader),
              0);
    EXPECT_EQ(WorkbookReader::from_stream(biff5_globals({}, false), false, &reader), -1);
    // A record header cut short ends the pass with what was read.
    std::vector<uint8_t> cut = biff5_globals({});
    cut.resize(cut.size() - 2);
    EXPECT_EQ(WorkbookReader::from_stream(cut, false, &reader), 0);
}

TEST(WorkbookReader, DecodesExcel95NamesByTheFilesCodePage) {
    std::unique_ptr<WorkbookReader> reader;
    std::vector<uint8_t> stream;
    put_record(stream, rec::kBof, {0x00, 0x05, 0x05, 0x00, 0, 0, 0, 0});
    put_record(stream, rec::kCodePage, {0xE4, 0x04});  // 1252
    put_record(stream, rec::kBoundSheet, {0, 0, 0, 0, 0, 0, 4, 'C', 'a', 'f', 0xE9});
    put_record(stream, rec::kEof, {});
    ASSERT_EQ(WorkbookReader::from_stream(stream, false, &reader), 0);
    EXPECT_EQ(reader->sheets()[0].name, u"Caf\u00E9");
    const uint8_t e_acute[] = {0xE9};
    EXPECT_EQ(reader->decode_narrow(e_acute), u"\u00E9");
}

TEST(WorkbookReader, TellsTheFormatByItsStreamAndSaysWhyItRefuses) {
    TempFolder folder;
    auto make = [&](const std::string &name, std::vector<std::u16string> streams) {
        auto file = platform::CompoundFile::create(folder.file(name));
        for (const auto &stream_name : streams) {
            // One sheet named "S" in either form: Excel 97 adds the option byte.
            std::vector<uint8_t> globals;
            std::vector<uint8_t> sheet{0, 0, 0, 0, 0, 0, 1, 'S'};
            if (stream_name == u"Workbook") sheet.insert(sheet.begin() + 7, 0);
            put_record(globals, rec::kBoundSheet, sheet);
            put_record(globals, rec::kEof, {});
            auto *stream = file->root().create_stream(stream_name);
            stream->write(globals.data(), globals.size());
        }
        file->commit();
        return folder.file(name);
    };
    std::unique_ptr<WorkbookReader> reader;
    ASSERT_EQ(WorkbookReader::open(make("95.xls", {u"Book"}), &reader), 0);
    EXPECT_FALSE(reader->biff8());
    ASSERT_EQ(WorkbookReader::open(make("97.xls", {u"Workbook"}), &reader), 0);
    EXPECT_TRUE(reader->biff8());
    EXPECT_FALSE(reader->dual_format());
    // Saved for both versions: the Excel 97 stream is the one read.
    ASSERT_EQ(WorkbookReader::open(make("both.xls", {u"Book", u"Workbook"}), &reader), 0);
    EXPECT_TRUE(reader->biff8());
    EXPECT_TRUE(reader->dual_format());
    XLFILECHECK why = fcWorkbook;
    EXPECT_EQ(WorkbookReader::open(make("neither.xls", {u"Other"}), &reader, &why), -1);
    EXPECT_EQ(why, fcNoWorkbook);
    EXPECT_EQ(WorkbookReader::open(folder.file("missing.xls"), &reader, &why), -1);
    EXPECT_EQ(why, fcUnreadable);
}

TEST(WorkbookReader, ReadsTheSharedStringsOfAWrittenWorkbook) {
    TempFolder folder;
    const std::string path = folder.file("strings.xls");
    int32_t book = XM_Create97(path.c_str(), 2);
    ASSERT_GE(book, 0);
    XM_SheetName(book, 1, "\x93\xfa\x96\x7b");  // 日本
    XM_WriteStrW(book, 0, 0, 0, u"\u6771\u4eac");
    XM_WriteStr(book, 0, 0, 1, "plain");
    ASSERT_EQ(XM_Close(book), 0);
    std::unique_ptr<WorkbookReader> reader;
    ASSERT_EQ(WorkbookReader::open(path, &reader), 0);
    ASSERT_EQ(reader->sheets().size(), 2u);
    EXPECT_EQ(reader->sheets()[1].name, u"\u65E5\u672C");
    EXPECT_EQ(reader->shared_strings(), (std::vector<std::u16string>{u"\u6771\u4eac", u"plain"}));
    RecordReader records = reader->sheet_records(1);
    RawRecord bof;
    ASSERT_TRUE(records.next(bof));
    EXPECT_EQ(bof.number, rec::kBof);
    RawRecord none;
    EXPECT_FALSE(reader->sheet_records(2).next(none));
}

}  // namespace
}  // namespace tabrix::engine
