#include "engine/write/globals_records.h"

#include <algorithm>

#include "engine/biff/biff_string.h"
#include "engine/biff/common_records.h"
#include "engine/biff/le_bytes.h"
#include "engine/biff/narrow_string.h"
#include "engine/biff/record_numbers.h"
#include "engine/layout/sheet_references.h"

namespace tabrix::engine {

namespace {

constexpr std::string_view kMakerName = "Norvane";

std::vector<uint8_t> bytes(std::initializer_list<uint8_t> list) {
    return list;
}

std::vector<uint8_t> write_access_body(bool biff8) {
    std::vector<uint8_t> body;
    if (biff8) {
        put_biff8_string(body, biff8_chars(kMakerName));
        body.resize(112, 0x20);
    } else {
        // Filled in place: GCC 12 misreads an append to a one-byte vector at -O3.
        body.assign(54, 0);
        body[0] = static_cast<uint8_t>(kMakerName.size());
        std::copy(kMakerName.begin(), kMakerName.end(), body.begin() + 1);
    }
    return body;
}

void append_biff5_header(RecordList &list, int32_t sheet_count) {
    list.records().push_back(bof_record(false, kBofGlobals));
    list.append_empty(rec::kInterfaceHdr);
    list.append_u16(rec::kMms, 0);
    list.append_empty(rec::kToolbarHdr);
    list.append(rec::kToolbarInfo, bytes({0x01, 0x00, 0x10, 0x0F, 0x00, 0x00}));
    list.append_empty(rec::kToolbarEnd);
    list.append_empty(rec::kInterfaceEnd);
    list.append(rec::kWriteAccess, write_access_body(false));
    list.append_u16(rec::kCodePage, 932);
    list.append(rec::kTabId, tab_id_body(false, sheet_count));
    list.append(rec::kTabIdConf, bytes({0xFF, 0xFF}));
    list.append_u16(rec::kFnGroupCount, 14);
    list.append_u16(rec::kWindowProtect, 0);
    list.append_u16(rec::kProtect, 0);
    list.append_u16(rec::kPassword, 0);
    list.append(rec::kWindow1, bytes({0xE0, 0x01, 0x3C, 0x00, 0x39, 0x30, 0xAC, 0x17, 0x38, 0x00,
                                      0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x58, 0x02}));
    list.append_u16(rec::kBackup, 0);
    list.append_u16(rec::kHideObj, 0);
    list.append_u16(rec::k1904, 0);
    list.append_u16(rec::kPrecision, 1);
    list.append_u16(rec::kBookBool, 0);
}

void append_biff8_header(RecordList &list, int32_t sheet_count) {
    list.records().push_back(bof_record(true, kBofGlobals));
    list.append_u16(rec::kInterfaceHdr, 1200);
    list.append_u16(rec::kMms, 0);
    list.append_empty(rec::kInterfaceEnd);
    list.append(rec::kWriteAccess, write_access_body(true));
    list.append_u16(rec::kCodePage, 1200);
    list.append_u16(rec::kDsf, 0);
    list.append(rec::kTabId, tab_id_body(true, sheet_count));
    list.append_u16(rec::kFnGroupCount, 14);
    list.append_u16(rec::kWindowProtect, 0);
    list.append_u16(rec::kProtect, 0);
    list.append_u16(rec::kPassword, 0);
    list.append_u16(rec::kProt4Rev, 0);
    list.append_u16(rec::kProt4RevPass, 0);
    list.append(rec::kWindow1, bytes({0xF0, 0x00, 0x2D, 0x00, 0x6B, 0x3A, 0x01, 0x1D, 0x38, 0x00,
                                      0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x58, 0x02}));
    list.append_u16(rec::kBackup, 0);
    list.append_u16(rec::kHideObj, 0);
    list.append_u16(rec::k1904, 0);
    list.append_u16(rec::kPrecision, 1);
    list.append_u16(rec::kRefreshAll, 0);
    list.append_u16(rec::kBookBool, 0);
}

}  // namespace

void append_header_records(Workbook &book) {
    if (book.biff8()) {
        append_biff8_header(book.header, book.sheet_count());
    } else {
        append_biff5_header(book.header, book.sheet_count());
    }
}

std::vector<uint8_t> tab_id_body(bool biff8, int32_t sheet_count) {
    std::vector<uint8_t> body;
    for (int32_t i = 0; i < sheet_count; ++i)
        put_u16(body, static_cast<uint16_t>(biff8 ? i + 1 : i));
    return body;
}

void set_window1_tabs(std::vector<uint8_t> &window1, uint16_t active_sheet) {
    if (window1.size() < 14) return;
    store_u16(&window1[10], active_sheet);
    store_u16(&window1[12], active_sheet);
}

Record bound_sheet_record(const Workbook &book, const Sheet &sheet) {
    Record record{rec::kBoundSheet, {}};
    put_u32(record.data, 0);
    put_u16(record.data, sheet.options);
    if (book.biff8()) {
        put_biff8_short_string(record.data, biff8_chars(sheet.name));
    } else {
        // Every name of an Excel 95 workbook is one its code page holds.
        const std::string narrow = encode_narrow(sheet.name, book.code_page).value();
        const std::string_view kept = narrow_prefix(narrow, book.code_page, UINT8_MAX);
        put_u8(record.data, static_cast<uint8_t>(kept.size()));
        put_bytes(record.data, kept.data(), kept.size());
    }
    return record;
}

void set_bound_sheet_offset(Record &bound_sheet, uint32_t offset) {
    store_u32(bound_sheet.data.data(), offset);
}

void append_uses_elfs_record(Workbook &book) {
    book.uses_elfs.append_u16(rec::kUsesElfs, 1);
}

void append_country_records(Workbook &book) {
    book.country.append(rec::kCountry, bytes({0x01, 0x00, 0x00, 0x00}));
    if (book.template_recalc_id) {
        book.country.append(rec::kRecalcId, std::span<const uint8_t>(*book.template_recalc_id));
    } else if (book.format.version_stamp == 2000) {
        book.country.append(rec::kRecalcId,
                            bytes({0xC1, 0x01, 0x00, 0x00, 0x60, 0x69, 0x01, 0x00}));
    } else if (book.format.version_stamp == 2002) {
        book.country.append(rec::kRecalcId,
                            bytes({0xC1, 0x01, 0x00, 0x00, 0x54, 0x8D, 0x01, 0x00}));
    }
}

void append_extern_sheet_record(Workbook &book) {
    // The workbook's own SUPBOOK counts the sheets it has now; another workbook's stays.
    for (Record &record : book.external_references.records()) {
        if (is_self_supbook(record)) {
            store_u16(record.data.data(), static_cast<uint16_t>(book.sheet_count()));
        }
    }
    if (book.extern_sheets.empty()) return;
    std::vector<uint8_t> body;
    put_u16(body, static_cast<uint16_t>(book.extern_sheets.size()));
    for (const ExternSheetEntry &entry : book.extern_sheets) {
        put_u16(body, entry.supporting_book);
        put_u16(body, entry.first_sheet);
        put_u16(body, entry.last_sheet);
    }
    // A template's EXTERNSHEET keeps its place, before the NAME records that refer to it.
    if (Record *existing = book.external_references.find(rec::kExternSheet)) {
        existing->data = std::move(body);
    } else {
        book.external_references.append(rec::kExternSheet, std::move(body));
    }
}

}  // namespace tabrix::engine
