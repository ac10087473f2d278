#include "workbook_fuzz_seeds.h"

#include <cstring>
#include <string>
#include <utility>

#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"
#include "engine/edit/value_writes.h"
#include "engine/layout/page_setup.h"
#include "engine/lifecycle/workbook_table.h"
#include "platform/compound_file.h"
#include "tabrix.h"
#include "workbook_fuzz_target.h"

namespace tabrix::engine::fuzz {

namespace {

constexpr const char *kTokyo = "\x93\x8c\x8b\x9e";  // 東京

// A cell record image for the write of a raw cell: row, column and XF are set by the write.
std::vector<uint8_t> image(uint16_t number, const std::vector<uint8_t> &value) {
    const size_t head = number == rec::kMulRk || number == rec::kMulBlank ? 4 : 6;
    std::vector<uint8_t> bytes(4 + head + value.size(), 0);
    store_u16(bytes.data(), number);
    store_u16(bytes.data() + 2, static_cast<uint16_t>(head + value.size()));
    std::copy(value.begin(), value.end(), bytes.begin() + 4 + static_cast<std::ptrdiff_t>(head));
    return bytes;
}

void raw_cell(int32_t h, int32_t x, int32_t y, std::vector<uint8_t> bytes) {
    write_cell_image(book_ref(h), 0, x, y, bytes, 15);
}

void formula(int32_t h, int32_t x, int32_t y, const char *text, int16_t kind, double value,
             const char *result_text = nullptr) {
    FormulaResult result{};
    result.kind = kind;
    result.value = value;
    if (result_text) {
        result.length = static_cast<int16_t>(std::strlen(result_text));
        std::memcpy(result.text, result_text, std::strlen(result_text));
    }
    XM_WriteFunc3(h, 0, x, y, text, 15, &result);
}

void append_record(std::vector<uint8_t> &out, uint16_t number, const std::vector<uint8_t> &data) {
    put_u16(out, number);
    put_u16(out, static_cast<uint16_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
}

// A text (count, Excel 97 option byte, characters) cut after `first` characters, the rest in
// a CONTINUE record (which repeats the option byte in Excel 97).
std::pair<std::vector<uint8_t>, std::vector<uint8_t>> cut_text(bool biff8, const std::string &text,
                                                               size_t first) {
    std::vector<uint8_t> head;
    put_u16(head, static_cast<uint16_t>(text.size()));
    std::vector<uint8_t> rest;
    if (biff8) {
        head.push_back(0);
        rest.push_back(0);
    }
    head.insert(head.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(first));
    rest.insert(rest.end(), text.begin() + static_cast<std::ptrdiff_t>(first), text.end());
    return {head, rest};
}

// Long texts in CONTINUE records (a LABEL's, a formula's STRING), a pivot table view, printer
// settings with a CONTINUE, calculation settings and a hyperlink with its tooltip.
void write_continued_records(int32_t h, bool biff8) {
    const std::string text(300, 'w');
    auto [label, label_rest] = cut_text(biff8, text, 200);
    std::vector<uint8_t> cell = image(rec::kLabel, label);
    append_record(cell, rec::kContinue, label_rest);
    raw_cell(h, 2, 0, cell);

    // =1 with a text result: FORMULA, then STRING and its CONTINUE.
    std::vector<uint8_t> formula = {0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0, 0,
                                    0, 0, 0, 0, 3, 0, 0x1E, 1,    0};
    cell = image(rec::kFormula, formula);
    auto [string, string_rest] = cut_text(biff8, text, 100);
    append_record(cell, rec::kString, string);
    append_record(cell, rec::kContinue, string_rest);
    raw_cell(h, 3, 0, cell);

    const std::vector<std::pair<uint16_t, std::vector<uint8_t>>> records = {
        {rec::kSxView, std::vector<uint8_t>(44, 1)},
        {rec::kSxVd, {1, 0, 1, 0, 0, 0, 1, 0, 0xFF, 0xFF}},
        {rec::kSxVi, {0, 0, 0, 0, 0, 0, 0xFF, 0xFF}},
        {rec::kSxIvd, {0, 0}},
        {rec::kSxDi, std::vector<uint8_t>(12, 0)},
        {rec::kSxLi, std::vector<uint8_t>(8, 0)},
        {rec::kSxEx, std::vector<uint8_t>(24, 0)},
        {rec::kContinue, {1, 2, 3}},
        {rec::kQsiSxTag, std::vector<uint8_t>(32, 0)},
        {rec::kPls, std::vector<uint8_t>(40, 7)},
        {rec::kContinue, std::vector<uint8_t>(20, 8)},
        {rec::kIteration, {1, 0}},
        {rec::kCalcCount, {50, 0}},
        {rec::kHlink, std::vector<uint8_t>(32, 0)},
        {rec::kHlinkTooltip, {0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 'a', 0, 0, 0}},
    };
    for (const auto &[number, data] : records) {
        XM_WriteBin(h, 1, number, static_cast<uint16_t>(data.size()), data.data());
    }
}

// Sheet 0: every kind of cell, formulas, attributes and merged cells, keyword cells, sizes,
// page settings, rows in several blocks, long texts in CONTINUE records and (Excel 97) a rich
// text with a phonetic block and phonetic settings; sheet 1: a number, pivot table, printer,
// calculation and hyperlink records, an object, more cells and long texts.
bool write_sample(const std::string &path, bool biff8) {
    const int32_t h = biff8 ? XM_Create97(path.c_str(), 2) : XM_Create(path.c_str(), 2);
    if (h < 0) return false;
    XM_WriteInt(h, 0, 0, 0, 42);
    XM_WriteInt(h, 0, 1, 0, -536870912);
    XM_WriteInt(h, 0, 2, 0, 536870912);
    XM_WriteDouble(h, 0, 3, 0, 0.1);
    XM_WriteDouble(h, 0, 4, 0, -1.5e300);
    XM_WriteStr(h, 0, 0, 1, "plain");
    XM_WriteStr(h, 0, 1, 1, kTokyo);
    XM_WriteStr(h, 0, 2, 1, "**NAME");
    XM_WriteStr(h, 0, 3, 1, nullptr);  // a blank
    std::vector<uint8_t> mulrk;
    for (uint32_t rk : {7u << 2 | 2, 0x40040000u, 1u << 2 | 3}) {
        put_u16(mulrk, 15);
        put_u32(mulrk, rk);
    }
    put_u16(mulrk, 2);
    raw_cell(h, 0, 2, image(rec::kMulRk, mulrk));
    raw_cell(h, 0, 3, image(rec::kMulBlank, {15, 0, 15, 0, 1, 0}));
    raw_cell(h, 0, 4, image(rec::kBoolErr, {1, 0}));
    raw_cell(h, 1, 4, image(rec::kBoolErr, {0x2A, 1}));
    raw_cell(h, 2, 4, image(rec::kRk, {0x39, 0x30, 0, 0}));
    formula(h, 0, 5, "=A1*2+SUM(A1:E1)", 0, 84.0);
    formula(h, 1, 5, "=IF(A1>1,\"yes\",\"no\")", 3, 0, "yes");
    formula(h, 2, 5, "=A1>1", 1, 1);
    formula(h, 3, 5, "=1/0", 2, 0x07);
    formula(h, 4, 5, "=\"**KEY\"", 3, 0, "**KEY");
    XM_SetRefSheet(h, 0, "Sheet2");
    formula(h, 5, 5, "=Sheet2!A1+1", 0, 10.5);

    XLATTR look;
    XM_InitAttr(&look);
    look.Format = 4;
    look.PosHorz = 2;
    look.LineTop = 1;
    look.Pattern = 1;
    look.PatternColor = 10;
    look.Joint = biff8 ? 1 : 0;
    XM_SetAttrExt2(h, 0, 0, 8, 2, 9, &look);
    XM_SetAttr(h, 0, 0, 0, XM_GetAttrNo2(h, &look));
    XM_BoxLine(h, 0, 4, 8, 6, 10, 0x0A02);

    for (int32_t row = 10; row < 90; ++row) XM_WriteInt(h, 0, row % 7, row, row);
    XM_WriteDouble(h, 0, 255, 5000, 5000.5);
    XM_SetColWidth(h, 0, 1, 3, 14);
    XM_SetColWidth(h, 0, 6, 6, 0);
    XM_SetRowHeight(h, 0, 2, 30.0);
    XM_SetRowHeight(h, 0, 3, 0.0);
    XM_SetPageMode(h, 0, 8, 75, 0, 10.0, 9.0);
    XM_SetZoom(h, 0, 150);
    XM_SetGridMode(h, 0, 0);
    Workbook &book = *workbook_at(h);
    set_margins(book, 0, 15, 16, 30, 31);
    set_page_text(book, 0, PageText::kHeader, u"left", u"&P", u"");
    set_page_text(book, 0, PageText::kFooter, u"", u"&D", u"right");
    set_page_break(book, 0, 3, 40, true);
    set_print_headings(book, 0, true);
    set_fit_to_page(book, 0, true);
    if (biff8) {
        // A text with formatting runs (fonts 5 and 1) and a phonetic block (block size,
        // settings, the reading U+30C8 and its run over the three characters), and phonetic
        // settings over A1:C10.
        const uint8_t runs[] = {0, 0, 5, 0, 1, 0, 1, 0};
        const uint8_t phonetic[] = {1, 0, 18, 0,    0,    0, 1, 0, 1, 0, 1,
                                    0, 1, 0,  0xC8, 0x30, 0, 0, 0, 0, 3, 0};
        std::vector<uint8_t> index;
        put_u32(index, book.strings.add(u"\u6771\u4eac\u90fd", runs, phonetic));
        raw_cell(h, 4, 1, image(rec::kLabelSst, index));
        book.sheets[0]->carried.phonetic =
            Record{rec::kPhonetic, {1, 0, 0x31, 0, 1, 0, 0, 0, 9, 0, 0, 0, 2, 0}};
    }

    write_continued_records(h, biff8);
    XM_SheetName(h, 1, "Sheet2");
    XM_WriteDouble(h, 1, 0, 0, 9.5);
    const uint8_t obj[4] = {};
    XM_WriteBin(h, 1, rec::kObj, 4, obj);
    XM_WriteStr(h, 1, 0, 1, "after the object");
    // Long distinct texts: in Excel 97 the shared-string table runs on in CONTINUE records.
    for (int32_t i = 0; i < 40; ++i) {
        std::string text = std::to_string(i);
        for (int k = 0; k < 120; ++k) text += k % 2 ? "\x8b\x9e" : "\x93\x8c";  // 東, 京
        XM_WriteStr(h, 1, 1, 2 + i, text.c_str());
    }
    return XM_Close(h) == 0;
}

}  // namespace

Input seed_of_file(const std::filesystem::path &file) {
    auto compound = platform::CompoundFile::open_read(file);
    if (!compound) return {};
    platform::Stream *book = compound->root().open_stream(u"Book");
    platform::Stream *workbook = compound->root().open_stream(u"Workbook");
    if ((book != nullptr) == (workbook != nullptr)) return {};
    platform::Stream &stream = workbook ? *workbook : *book;
    Input input(1 + static_cast<size_t>(stream.size()));
    input[0] = workbook ? kBiff8Bit : 0;
    if (stream.read(input.data() + 1, input.size() - 1) != input.size() - 1) return {};
    return input;
}

std::vector<Input> writer_seeds(const std::filesystem::path &folder) {
    std::vector<Input> seeds;
    for (bool biff8 : {false, true}) {
        const std::filesystem::path path = folder / (biff8 ? "seed97.xls" : "seed95.xls");
        if (!write_sample(path.string(), biff8)) return {};
        Input input = seed_of_file(path);
        if (input.empty()) return {};
        for (uint8_t options : {uint8_t{0}, kKeepKeywordsBit, kBackwardsBit, kEditBit}) {
            input[0] = static_cast<uint8_t>(options | (biff8 ? kBiff8Bit : 0));
            seeds.push_back(input);
        }
    }
    return seeds;
}

}  // namespace tabrix::engine::fuzz
