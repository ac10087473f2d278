// Templates made record by record, loaded into a new workbook and written again: where each
// record ends up, what the engine reads from it, and what becomes of keyword cells and shared,
// array and text-result formulas.
#include "engine/read/template/template_loader.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "engine/formula/shared_formulas.h"
#include "engine/styles/attribute_registry.h"
#include "engine/styles/xf_records.h"
#include "template_stream.h"
#include "workbook_test_util.h"

namespace tabrix::engine {
namespace {

using test::Bytes;
using test::joined;
using test::StreamRecord;
using test::TemplateStream;
using test::u16s;

constexpr int32_t kWithoutDefaultTables = 0x40000000;

Bytes text8(std::string_view text, bool short_count = false) {
    Bytes out = short_count ? Bytes{static_cast<uint8_t>(text.size())}
                            : u16s({static_cast<uint16_t>(text.size())});
    out.push_back(0);
    out.insert(out.end(), text.begin(), text.end());
    return out;
}

Bytes label(uint16_t row, uint16_t column, uint16_t xf, std::string_view text) {
    return joined({u16s({row, column, xf}), text8(text)});
}

Bytes label_sst(uint16_t row, uint16_t column, uint16_t xf, uint32_t index) {
    Bytes out = u16s({row, column, xf});
    put_u32(out, index);
    return out;
}

// FORMULA with a number result (or a text result with `text`), its option flags and tokens.
Bytes formula(uint16_t row, uint16_t column, double value, uint16_t options, const Bytes &tokens,
              bool text = false) {
    Bytes out = u16s({row, column, 15});
    if (text) {
        out.insert(out.end(), {0, 0, 0, 0, 0, 0, 0xFF, 0xFF});
    } else {
        put_f64(out, value);
    }
    put_u16(out, options);
    put_u32(out, 0);
    put_u16(out, static_cast<uint16_t>(tokens.size()));
    return joined({out, tokens});
}

Bytes sst(std::initializer_list<std::string_view> strings) {
    Bytes out;
    put_u32(out, static_cast<uint32_t>(strings.size()));
    put_u32(out, static_cast<uint32_t>(strings.size()));
    for (std::string_view text : strings) out = joined({out, text8(text)});
    return out;
}

// A workbook made for the template as a template open makes it, with the template loaded.
struct Loaded {
    int32_t handle = -1;
    Workbook *book = nullptr;
    int32_t result = -1;
};

Loaded load(const TemplateStream &stream, const std::string &path, bool keep = false) {
    std::unique_ptr<WorkbookReader> reader;
    EXPECT_EQ(WorkbookReader::from_stream(stream.bytes(), stream.biff8(), &reader), 0);
    Loaded loaded;
    if (!reader) return loaded;
    const std::u16string name(path.begin(), path.end());
    loaded.handle =
        create_workbook(name, static_cast<int32_t>(reader->sheets().size()) + kWithoutDefaultTables,
                        FileFormat{stream.biff8(), 97});
    loaded.book = workbook_at(loaded.handle);
    if (loaded.book) loaded.result = load_template(*loaded.book, *reader, keep);
    return loaded;
}

std::vector<std::vector<StreamRecord>> written(const Loaded &loaded, const std::string &path,
                                               bool biff8) {
    return test::split_sections(test::close_and_read(loaded.handle, path, biff8));
}

// The index of the first record of that number in a section, or the section's size.
size_t index_of(const std::vector<StreamRecord> &records, uint16_t number) {
    return std::find_if(records.begin(), records.end(),
                        [&](const StreamRecord &r) { return r.number == number; }) -
           records.begin();
}

Bytes xf(CellAttribute attribute) {
    normalise_attribute(XfFormat{true, false}, attribute);
    return xf_body(XfFormat{true, false}, attribute);
}

TEST(TemplateLoader, GlobalsGoWhereTheWriterPutsThem) {
    test::TempFolder folder;
    TemplateStream stream(true);
    stream.global(rec::kInterfaceHdr, u16s({1200}));
    stream.global(rec::kCodeName, text8("early"));  // no macro project yet: dropped
    stream.global(rec::kDsf, u16s({0}));
    stream.global(rec::kObProj, {});
    stream.global(rec::kCodeName, text8("Book1"));
    stream.global(rec::kWindow1, u16s({0, 0, 100, 100, 0x38, 1, 0, 1, 600}));
    stream.font(200);
    for (int i = 0; i < 4; ++i) stream.font(240);
    stream.global(rec::kFormat, joined({u16s({200}), text8("0.0")}));
    CellAttribute solid = default_attribute(XfFormat{true, false});
    solid.pattern = 1;
    solid.back_color = 10;
    solid.pattern_color = 64;
    for (int i = 0; i < 21; ++i) stream.global(rec::kXf, xf(default_attribute({true, false})));
    stream.global(rec::kXf, xf(solid));
    stream.global(rec::kStyle, {0x00, 0x80, 0x00, 0xFF});
    stream.global(rec::kPalette, Bytes(2 + 4 * 56, 0));
    stream.global(rec::kSupBook, {2, 0, 1, 4});
    stream.global(rec::kExternSheet, u16s({2, 0, 0, 0, 0, 1, 1}));
    stream.global(rec::kName, Bytes(15, 0));
    stream.global(rec::kMsoDrawingGroup, {1, 2, 3});
    stream.global(rec::kContinue, {4, 5});
    stream.global(rec::kSst, sst({"a", "b", "a"}));  // "a" twice: the third becomes the first
    stream.sheet("First", 0x0001);
    stream.record(rec::kLabelSst, label_sst(0, 0, 21, 2));
    stream.record(rec::kLabelSst, label_sst(0, 1, 21, 1));
    stream.sheet("Second");
    const std::string path = folder.file("globals.xls");
    Loaded loaded = load(stream, path);
    ASSERT_EQ(loaded.result, 0);

    Workbook &book = *loaded.book;
    EXPECT_EQ(book.default_font_size, 10.0);
    EXPECT_TRUE(book.macro_project);
    EXPECT_EQ(book.active_sheet, 1);
    EXPECT_EQ(book.attributes.next_format_no, 201);
    EXPECT_EQ(book.extern_sheets.size(), 2u);
    ASSERT_EQ(book.attributes.attributes.size(), 1u);
    EXPECT_EQ(book.attributes.attributes[0].back_color, 10);  // the solid fill's colour
    EXPECT_EQ(book.sheets[0]->name, u"First");
    EXPECT_TRUE(book.sheets[0]->hidden());
    // The next attribute is numbered after the template's, and the template's is found.
    EXPECT_EQ(attribute_number(book, solid), 21);
    CellAttribute other = solid;
    other.back_color = 12;
    EXPECT_EQ(attribute_number(book, other), 22);

    const auto sections = written(loaded, path, true);
    ASSERT_EQ(sections.size(), 3u);
    const auto &globals = sections[0];
    const size_t dsf = index_of(globals, rec::kDsf);
    ASSERT_LT(dsf + 1, globals.size());
    EXPECT_EQ(globals[dsf + 1].number, rec::kExcel9File);
    EXPECT_EQ(test::all_of(globals, rec::kCodeName).size(), 1u);
    EXPECT_GT(index_of(globals, rec::kCodeName), index_of(globals, rec::kObProj));
    EXPECT_EQ(test::all_of(globals, rec::kExternSheet).size(), 1u);
    EXPECT_LT(index_of(globals, rec::kExternSheet), index_of(globals, rec::kName));
    const size_t group = index_of(globals, rec::kMsoDrawingGroup);
    ASSERT_LT(group + 1, globals.size());
    EXPECT_EQ(globals[group + 1].number, rec::kContinue);
    EXPECT_EQ(test::all_of(globals, rec::kXf).size(), 23u);
    EXPECT_EQ(test::first_of(globals, rec::kBoundSheet)->u16(4), 1);
    EXPECT_EQ(test::all_of(globals, rec::kBoundSheet)[1]->u16(4), 0);
    EXPECT_EQ(test::first_of(globals, rec::kSst)->u32(4), 2u);  // two distinct texts
    const auto cells = test::all_of(sections[1], rec::kLabelSst);
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_EQ(cells[0]->u32(6), 0u);
    EXPECT_EQ(cells[1]->u32(6), 1u);
}

// ptgRefN and ptgAreaN of either format, made ordinary at a cell, relative parts wrapping round
// the grid.
TEST(TemplateLoader, SharedReferencesResolveAtTheirCell) {
    // Excel 97: RefN row -1 relative, column +1 relative; AreaN rows 0..2 relative, columns
    // 3 (absolute) .. -1 (relative).
    Bytes biff8 =
        joined({Bytes{0x4C}, u16s({0xFFFF, 0xC001}), Bytes{0x2D}, u16s({0, 2, 0x0003, 0xC0FF})});
    ASSERT_EQ(resolve_shared_expression(biff8, 0, 0, BiffVersion::kBiff8), 0);
    EXPECT_EQ(biff8, joined({Bytes{0x44}, u16s({0xFFFF, 0xC001}), Bytes{0x25},
                             u16s({0, 2, 0x0003, 0xC0FF})}));
    Bytes again = joined({Bytes{0x4C}, u16s({0x0002, 0x8005})});
    ASSERT_EQ(resolve_shared_expression(again, 10, 20, BiffVersion::kBiff8), 0);
    EXPECT_EQ(again, joined({Bytes{0x44}, u16s({12, 0x8005})}));  // column absolute

    // Excel 95: flags and a 14-bit row in the row field, the column in a byte.
    Bytes biff5 = joined({Bytes{0x2C}, u16s({0xFFFF}), Bytes{0xFF}, Bytes{0x6D},
                          u16s({0xC000 | 0x3FFE, 0x0005}), Bytes{0x01, 0x02}});
    ASSERT_EQ(resolve_shared_expression(biff5, 1, 0, BiffVersion::kBiff5), 0);
    EXPECT_EQ(biff5, joined({Bytes{0x24}, u16s({0xC000}), Bytes{0xFF}, Bytes{0x65},
                             u16s({0xC000 | 0x3FFF, 0x0005}), Bytes{0x01, 0x02}}));

    Bytes unknown{0x4C, 0, 0, 0, 0xC0, 0xFF};  // a code the walker does not know
    EXPECT_NE(resolve_shared_expression(unknown, 1, 1, BiffVersion::kBiff8), 0);
    EXPECT_EQ(unknown[0], 0x4C);
}

const StreamRecord *cell_at(const std::vector<StreamRecord> &sheet, uint16_t row, uint16_t column) {
    for (const StreamRecord &record : sheet) {
        switch (record.number) {
            case rec::kNumber:
            case rec::kLabel:
            case rec::kRString:
            case rec::kLabelSst:
            case rec::kBlank:
            case rec::kBoolErr:
            case rec::kRk:
            case rec::kFormula:
                if (record.u16(0) == row && record.u16(2) == column) return &record;
                break;
            default:
                break;
        }
    }
    return nullptr;
}

TEST(TemplateLoader, FormulasKeepWhatBelongsBehindThem) {
    for (bool biff8 : {true, false}) {
        SCOPED_TRACE(biff8 ? "Excel 97" : "Excel 95");
        test::TempFolder folder;
        TemplateStream stream(biff8);
        stream.font(220);
        stream.sheet("S");
        const Bytes exp_b2{0x01, 1, 0, 1, 0};
        // B2:B3 share =A<row>*2: the first cell, its SHRFMLA, the second cell.
        stream.record(rec::kFormula, formula(1, 1, 2.0, 0x0008, exp_b2));
        const Bytes ref_left = biff8 ? joined({Bytes{0x4C}, u16s({0, 0xC0FF})})
                                     : joined({Bytes{0x4C}, u16s({0xC000}), Bytes{0xFF}});
        const Bytes shared = joined({ref_left, Bytes{0x1E, 2, 0, 0x05}});
        stream.record(rec::kShrFmla,
                      joined({u16s({1, 2}), Bytes{1, 1, 0, 2},
                              u16s({static_cast<uint16_t>(shared.size())}), shared}));
        stream.record(rec::kFormula, formula(2, 1, 4.0, 0x0008, exp_b2));
        // A shared cell whose SHRFMLA is missing keeps its cached number.
        stream.record(rec::kFormula, formula(5, 1, 7.5, 0x0008, Bytes{0x01, 5, 0, 1, 0}));
        // {=A1:A2} over D1:D2: the first cell carries its ARRAY, then its text result.
        const Bytes exp_d1{0x01, 0, 0, 3, 0};
        const Bytes area = biff8 ? joined({Bytes{0x65}, u16s({0, 1, 0xC000, 0xC000})})
                                 : joined({Bytes{0x65}, u16s({0xC000, 0xC001}), Bytes{0, 0}});
        stream.record(rec::kFormula, formula(6, 3, 0, 0, exp_d1, true));
        stream.record(rec::kArray, joined({u16s({6, 7}), Bytes{3, 3}, u16s({0, 0, 0}),
                                           u16s({static_cast<uint16_t>(area.size())}), area}));
        stream.record(rec::kString, text8("x"));
        stream.record(rec::kFormula, formula(7, 3, 1.0, 0, Bytes{0x01, 6, 0, 3, 0}));
        // A cell of an array whose first cell never came: its cached number.
        stream.record(rec::kFormula, formula(9, 3, 3.0, 0, Bytes{0x01, 8, 0, 3, 0}));
        const std::string path = folder.file("formulas.xls");
        Loaded loaded = load(stream, path);
        ASSERT_EQ(loaded.result, 0);
        const auto sections = written(loaded, path, biff8);
        ASSERT_EQ(sections.size(), 2u);
        const auto &sheet = sections[1];

        for (uint16_t row : {1, 2}) {
            const StreamRecord *cell = cell_at(sheet, row, 1);
            ASSERT_TRUE(cell);
            ASSERT_EQ(cell->number, rec::kFormula);
            EXPECT_EQ(cell->u16(14), 3);  // always calculate, calculate on load
            const Bytes ref = biff8
                                  ? joined({Bytes{0x44}, u16s({row, 0xC000})})
                                  : joined({Bytes{0x44}, u16s({uint16_t(0xC000 | row)}), Bytes{0}});
            EXPECT_EQ(cell->u16(20), ref.size() + 4);
            EXPECT_EQ(Bytes(cell->data.begin() + 22, cell->data.end()),
                      joined({ref, Bytes{0x1E, 2, 0, 0x05}}));
        }
        const StreamRecord *lost = cell_at(sheet, 5, 1);
        ASSERT_TRUE(lost);
        EXPECT_EQ(lost->number, rec::kNumber);
        Bytes value;
        put_f64(value, 7.5);
        EXPECT_EQ(Bytes(lost->data.begin() + 6, lost->data.end()), value);

        const size_t first = cell_at(sheet, 6, 3) - sheet.data();
        ASSERT_LT(first + 2, sheet.size());
        EXPECT_EQ(sheet[first].number, rec::kFormula);
        EXPECT_EQ(sheet[first].u16(14) & 1, 1);
        EXPECT_EQ(sheet[first + 1].number, rec::kArray);
        EXPECT_EQ(sheet[first + 2].number, rec::kString);
        const StreamRecord *second = cell_at(sheet, 7, 3);
        ASSERT_TRUE(second);
        EXPECT_EQ(second->number, rec::kFormula);
        const StreamRecord *stray = cell_at(sheet, 9, 3);
        ASSERT_TRUE(stray);
        EXPECT_EQ(stray->number, rec::kNumber);
    }
}

TEST(TemplateLoader, KeywordTextsBecomeBlanksWithTheirFormat) {
    for (bool keep : {false, true}) {
        SCOPED_TRACE(keep ? "kept" : "blanked");
        test::TempFolder folder;
        TemplateStream stream(true);
        stream.font(220);
        for (int i = 0; i < 23; ++i) stream.global(rec::kXf, xf(default_attribute({true, false})));
        stream.global(rec::kSst, sst({"**SST", "plain"}));
        stream.sheet("S");
        stream.record(rec::kLabel, label(0, 0, 21, "**LABEL"));
        stream.record(rec::kRString, joined({label(0, 1, 22, "**RICH"), u16s({1, 0, 0})}));
        stream.record(rec::kLabelSst, label_sst(0, 2, 21, 0));
        stream.record(rec::kLabelSst, label_sst(0, 3, 21, 1));
        stream.record(rec::kLabel, label(0, 4, 99, "**XF"));  // an XF the file lacks
        stream.record(rec::kLabel, label(1, 0, 21, "x**"));
        stream.record(rec::kFormula, formula(2, 0, 0, 0, Bytes{0x17, 1, 0, '*'}, true));
        stream.record(rec::kString, text8("**FORMULA"));
        const std::string path = folder.file("keywords.xls");
        Loaded loaded = load(stream, path, keep);
        ASSERT_EQ(loaded.result, 0);

        std::vector<std::tuple<std::u16string, uint16_t, uint16_t, int16_t>> found;
        for (const KeywordEntry &entry : loaded.book->sheets[0]->keywords) {
            found.emplace_back(entry.text, entry.row, entry.column, entry.xf);
        }
        using Entry = decltype(found)::value_type;
        EXPECT_EQ(found, (std::vector<Entry>{{u"**FORMULA", 2, 0, 15},
                                             {u"**LABEL", 0, 0, 21},
                                             {u"**RICH", 0, 1, 22},
                                             {u"**SST", 0, 2, 21},
                                             {u"**XF", 0, 4, 15}}));

        const auto sections = written(loaded, path, true);
        ASSERT_EQ(sections.size(), 2u);
        const auto &sheet = sections[1];
        const uint16_t expected[] = {rec::kLabel, rec::kRString, rec::kLabelSst};
        for (uint16_t column = 0; column < 3; ++column) {
            const StreamRecord *cell = cell_at(sheet, 0, column);
            ASSERT_TRUE(cell);
            EXPECT_EQ(cell->number, keep ? expected[column] : rec::kBlank);
            EXPECT_EQ(cell->u16(4), column == 1 ? 22 : 21);
        }
        EXPECT_EQ(cell_at(sheet, 0, 3)->number, rec::kLabelSst);
        EXPECT_EQ(cell_at(sheet, 0, 4)->u16(4), 15);
        EXPECT_EQ(cell_at(sheet, 1, 0)->number, rec::kLabel);
        const size_t at = cell_at(sheet, 2, 0) - sheet.data();
        EXPECT_EQ(sheet[at].number, rec::kFormula);
        EXPECT_EQ(sheet[at + 1].number == rec::kString, keep);
        if (!keep) {
            EXPECT_EQ(Bytes(sheet[at].data.begin() + 6, sheet[at].data.begin() + 14), Bytes(8, 0));
        }
    }
}

TEST(TemplateLoader, ChartsStayWholeAndSettingsComeBackAsTheyWere) {
    test::TempFolder folder;
    TemplateStream stream(true);
    stream.font(220);
    stream.sheet("Data");
    const std::vector<std::pair<uint16_t, Bytes>> settings = {
        {rec::kDefaultRowHeight, u16s({0, 300})},
        {rec::kWsBool, u16s({0x05C1})},
        {rec::kHeader, text8("&CTitle")},
        {rec::kLeftMargin, Bytes{0, 0, 0, 0, 0, 0, 0xE0, 0x3F}},
        {rec::kSetup, joined({u16s({8, 80, 1, 1, 1, 0x0000, 600, 600}), Bytes(16, 0), u16s({2})})},
        {rec::kProtect, u16s({1})},
        {rec::kDefColWidth, u16s({10})},
        {rec::kColInfo, u16s({1, 3, 4000, 15, 1, 0})},
        {rec::kMergedCells, u16s({1, 0, 1, 0, 2})},
        {rec::kPhonetic, u16s({1, 0x31, 1, 0, 9, 0, 2})},
        {rec::kDv, Bytes{1, 2, 3, 4}},
    };
    for (const auto &[number, data] : settings) stream.record(number, data);
    stream.record(rec::kRow, u16s({4, 0, 0, 600, 0, 0, 0x0140, 15}));
    stream.record(rec::kNumber, joined({u16s({0, 0, 15}), Bytes(8, 0)}));
    // An embedded chart: its OBJ, then its own substream, which does not end the sheet's.
    stream.record(rec::kObj, u16s({0x15, 18, 5, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    stream.record(rec::kBof, stream.bof(0x0020));
    stream.record(0x1002, Bytes(16, 1));
    stream.record(rec::kEof, {});
    stream.record(rec::kNumber, joined({u16s({9, 0, 15}), Bytes(8, 0)}));
    stream.sheet("Chart", 0x0200, 0x0020);
    stream.record(0x1002, Bytes(16, 2));
    stream.record(rec::kWindow2, u16s({0, 0, 0, 0, 0, 0, 0, 0, 0}));
    const std::string path = folder.file("charts.xls");
    Loaded loaded = load(stream, path);
    ASSERT_EQ(loaded.result, 0);
    const std::vector<StreamRecord> records = test::close_and_read(loaded.handle, path, true);

    // The worksheet from its BOF to its own EOF, the embedded chart's substream inside.
    const auto bound = test::all_of(records, rec::kBoundSheet);
    ASSERT_EQ(bound.size(), 2u);
    auto at_offset = [&](uint32_t offset) {
        return std::find_if(records.begin(), records.end(),
                            [&](const StreamRecord &r) { return r.offset == offset; });
    };
    auto data_start = at_offset(bound[0]->u32(0));
    auto chart_start = at_offset(bound[1]->u32(0));
    ASSERT_NE(data_start, records.end());
    ASSERT_NE(chart_start, records.end());
    const std::vector<StreamRecord> data(data_start, chart_start);
    for (const auto &[number, body] : settings) {
        const StreamRecord *found = test::first_of(data, number);
        ASSERT_TRUE(found) << number;
        EXPECT_EQ(found->data, body) << number;
    }
    const auto rows = test::all_of(data, rec::kRow);
    auto row4 = std::find_if(rows.begin(), rows.end(), [](auto *r) { return r->u16(0) == 4; });
    ASSERT_NE(row4, rows.end());
    EXPECT_EQ((*row4)->u16(6), 600);
    EXPECT_TRUE(cell_at(data, 9, 0));
    const size_t obj = index_of(data, rec::kObj);
    ASSERT_LT(obj + 3, data.size());
    EXPECT_EQ(test::numbers_of({data.begin() + obj, data.begin() + obj + 4}),
              (std::vector<uint16_t>{rec::kObj, rec::kBof, 0x1002, rec::kEof}));
    EXPECT_EQ(data.back().number, rec::kEof);

    // The chart sheet as it was read, under its BOUNDSHEET type.
    EXPECT_EQ(bound[1]->u16(4), 0x0200);
    const std::vector<StreamRecord> chart(chart_start, records.end());
    EXPECT_EQ(test::numbers_of(chart),
              (std::vector<uint16_t>{rec::kBof, 0x1002, rec::kWindow2, rec::kEof}));
    EXPECT_EQ(chart[0].data, stream.bof(0x0020));
    EXPECT_EQ(chart[1].data, Bytes(16, 2));
}

// Phonetic settings cut short, or claiming more ranges than they hold, give way to the
// writer's own.
TEST(TemplateLoader, BrokenPhoneticSettingsAreWrittenAnew) {
    for (const Bytes &phonetic : {u16s({1, 0x31, 2, 0, 9, 0, 2}), Bytes{1, 0, 0x31}}) {
        test::TempFolder folder;
        TemplateStream stream(true);
        stream.font(220);
        stream.sheet("S");
        stream.record(rec::kPhonetic, phonetic);
        const std::string path = folder.file("phonetic.xls");
        Loaded loaded = load(stream, path);
        ASSERT_EQ(loaded.result, 0);
        const auto sections = written(loaded, path, true);
        ASSERT_EQ(sections.size(), 2u);
        const auto found = test::all_of(sections[1], rec::kPhonetic);
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(found[0]->data, (Bytes{5, 0, 0x35, 0, 0, 0}));
    }
}

// BOUNDSHEETs that lead into records another sheet loaded (the same BOF, an embedded chart's
// BOF inside it) give empty worksheets: the records are loaded once.
TEST(TemplateLoader, RecordsOfOneSheetAreNotLoadedIntoAnother) {
    test::TempFolder folder;
    TemplateStream stream(true);
    stream.font(200);
    stream.sheet("Data");
    stream.record(rec::kNumber, joined({u16s({0, 0, 15}), Bytes(8, 0)}));
    stream.record(rec::kBof, stream.bof(0x0020));
    stream.record(rec::kNumber, joined({u16s({1, 0, 15}), Bytes(8, 0)}));
    stream.record(rec::kEof, {});
    stream.sheet("Same");
    stream.sheet("Inside");
    Bytes bytes = stream.bytes();
    const auto records = test::parse_records(bytes);
    const auto bound = test::all_of(records, rec::kBoundSheet);
    ASSERT_EQ(bound.size(), 3u);
    const uint32_t data_bof = bound[0]->u32(0);
    const auto chart_bof = std::find_if(records.begin(), records.end(), [&](const auto &r) {
        return r.number == rec::kBof && r.offset > data_bof;
    });
    ASSERT_NE(chart_bof, records.end());
    store_u32(&bytes[bound[1]->offset + 4], data_bof);
    store_u32(&bytes[bound[2]->offset + 4], static_cast<uint32_t>(chart_bof->offset));

    std::unique_ptr<WorkbookReader> reader;
    ASSERT_EQ(WorkbookReader::from_stream(bytes, true, &reader), 0);
    const std::string path = folder.file("shared.xls");
    const std::u16string name(path.begin(), path.end());
    const int32_t handle = create_workbook(name, 3 + kWithoutDefaultTables, FileFormat{true, 97});
    Workbook &book = *workbook_at(handle);
    ASSERT_EQ(load_template(book, *reader, false), 0);
    CellView view;
    EXPECT_TRUE(book.sheets[0]->cells.find(0, 0, &view));
    EXPECT_EQ(book.sheets[0]->carried.objects.records().size(), 3u);  // the chart's substream
    for (size_t sheet : {1, 2}) {
        EXPECT_TRUE(book.sheets[sheet]->cells.empty()) << sheet;
        EXPECT_TRUE(book.sheets[sheet]->carried.objects.empty()) << sheet;
    }
    cancel_workbook(handle);
}

// Names taken already (as names compare) or empty are numbered as copies; each name's
// numbers go on where its last copy's stopped, past numbers held by other sheets.
TEST(TemplateLoader, SheetsNamedAlikeAreNumberedInTurn) {
    test::TempFolder folder;
    TemplateStream stream(false);
    stream.font(200);
    constexpr int kAlike = 2000;
    for (const char *name : {"A", "a", "A (3)", "A", "", ""}) stream.sheet(name);
    for (int i = 0; i < kAlike; ++i) stream.sheet("A");
    Loaded loaded = load(stream, folder.file("names.xls"));
    ASSERT_EQ(loaded.result, 0);
    const SheetList &sheets = loaded.book->sheets;
    ASSERT_EQ(sheets.size(), 6u + kAlike);
    const std::vector<std::u16string> first{u"A",     u"a (2)",     u"A (3)",
                                            u"A (4)", u"Sheet (2)", u"Sheet (3)"};
    for (size_t i = 0; i < first.size(); ++i) EXPECT_EQ(sheets[i]->name, first[i]);
    EXPECT_EQ(sheets[6]->name, u"A (5)");
    const std::string last = "A (" + std::to_string(kAlike + 4) + ")";
    EXPECT_EQ(sheets.back()->name, std::u16string(last.begin(), last.end()));
    cancel_workbook(loaded.handle);
}

}  // namespace
}  // namespace tabrix::engine
