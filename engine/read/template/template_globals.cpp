// The workbook globals of a template: each record to the workbook list the writer puts it
// in, with what the engine reads from it on the way.
#include <algorithm>

#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"
#include "engine/read/template/template_parts.h"
#include "engine/styles/attribute_registry.h"
#include "engine/styles/xf_records.h"

namespace tabrix::engine {
namespace {

// WINDOW1: the active sheet.
constexpr size_t kActiveTabOffset = 10;
// XF indexes are 16-bit in cell records.
constexpr size_t kMaxXfs = 0x10000;
constexpr uint16_t kLastFormatNumber = 0xFFFF;

bool is_header_record(uint16_t number) {
    switch (number) {
        case rec::kPrecision:
        case rec::kProtect:
        case rec::kPassword:
        case rec::kWindowProtect:
        case rec::k1904:
        case rec::kWindow1:
        case rec::kBackup:
        case rec::kCodePage:
        case rec::kWriteAccess:
        case rec::kHideObj:
        case rec::kFnGroupCount:
        case rec::kToolbarInfo:
        case rec::kToolbarHdr:
        case rec::kToolbarEnd:
        case rec::kMms:
        case rec::kAddMenu:
        case rec::kDelMenu:
        case rec::kObProj:
        case rec::kBookBool:
        case rec::kInterfaceHdr:
        case rec::kInterfaceEnd:
        case rec::kTabIdConf:
        case rec::kTabId:
        case rec::kDsf:
        case rec::kXl5Modify:
        case rec::kProt4Rev:
        case rec::kRefreshAll:
        case rec::kCodeName:
        case rec::kProt4RevPass:
        case rec::kCarried01Bd:
            return true;
        default:
            return false;
    }
}

// The pivot caches' definitions: each stream id with its source and the ranges, names,
// consolidation tables or queries it reads from.
bool is_pivot_cache_record(uint16_t number) {
    switch (number) {
        case rec::kSxIdStm:
        case rec::kSxVs:
        case rec::kDconRef:
        case rec::kDconName:
        case rec::kDconBin:
        case rec::kSxTbl:
        case rec::kSxTbrgiitm:
        case rec::kSxTbpg:
        case rec::kSxString:
        case rec::kDbQuery:
        case rec::kDbQueryExt:
        case rec::kExtString:
        case rec::kTxtQry:
        case rec::kOleDbConn:
        case rec::kSxAddl:
        case rec::kContinueFrt:
            return true;
        default:
            return false;
    }
}

bool is_reference_record(uint16_t number) {
    switch (number) {
        case rec::kExternCount:
        case rec::kExternSheet:
        case rec::kName:
        case rec::kExternName:
        case rec::kXct:
        case rec::kCrn:
        case rec::kSupBook:
            return true;
        default:
            return false;
    }
}

// Excel 97 EXTERNSHEET: a count and the entries the record holds (those of a CONTINUE after
// it are not taken).
void take_extern_sheets(Workbook &book, std::span<const uint8_t> data) {
    if (data.size() < 2) return;
    const size_t count = std::min<size_t>(load_u16(data.data()), (data.size() - 2) / 6);
    book.extern_sheets.clear();
    for (size_t i = 0; i < count; ++i) {
        const uint8_t *entry = data.data() + 2 + 6 * i;
        book.extern_sheets.push_back(
            ExternSheetEntry{load_u16(entry), load_u16(entry + 2), load_u16(entry + 4)});
    }
}

// The attribute of an XF as a request leaves the fields that the XF writer writes as 0 when
// unset: wrap, border styles, shrink and diagonal style read back unset, so that requests
// that leave them unset find the template's attribute instead of adding one that looks alike.
CellAttribute as_requested(CellAttribute attribute) {
    for (int16_t *field :
         {&attribute.over_return, &attribute.line_top, &attribute.line_bottom, &attribute.line_left,
          &attribute.line_right, &attribute.fit, &attribute.diag_style}) {
        if (*field == 0) *field = kUnset;
    }
    return attribute;
}

// Every XF is kept as it is; one from 21 on also describes its attribute number. A body too
// short for its format becomes the default cell XF, so that no cell points at a broken one.
void take_xf(Workbook &book, std::span<const uint8_t> data) {
    if (book.xfs.records().size() >= kMaxXfs) return;
    const XfFormat format = xf_format(book);
    const bool attribute = book.xfs.records().size() >= kFirstRegisteredXf;
    std::optional<CellAttribute> read = read_xf_attribute(format, data);
    if (!read) {
        const CellAttribute fallback = default_attribute(format);
        book.xfs.append(rec::kXf, xf_body(format, fallback));
        if (attribute) book.attributes.attributes.push_back(fallback);
        return;
    }
    book.xfs.append(rec::kXf, data);
    if (attribute) book.attributes.attributes.push_back(as_requested(*read));
}

void take_format(Workbook &book, std::span<const uint8_t> data) {
    if (data.size() < 3) return;
    book.formats.append(rec::kFormat, data);
    const uint32_t next = std::min<uint32_t>(load_u16(data.data()) + 1u, kLastFormatNumber);
    book.attributes.next_format_no =
        std::max<uint16_t>(book.attributes.next_format_no, static_cast<uint16_t>(next));
}

void take_font(Workbook &book, std::span<const uint8_t> data) {
    if (book.fonts.empty() && data.size() >= 2) {
        book.default_font_size = load_u16(data.data()) / 20.0;
    }
    book.fonts.append(rec::kFont, data);
}

}  // namespace

bool load_globals(TemplateLoad &load) {
    Workbook &book = load.book;
    RecordReader records(load.reader.stream(), 0);
    RawRecord record;
    if (!records.next(record) || record.number != rec::kBof) return false;
    RecordList header;
    header.append(record.number, record.data);
    bool project = false;
    uint16_t active_sheet = 0;
    RecordList *continued = nullptr;  // where a CONTINUE goes: the list of the record before it
    while (records.next(record) && record.data.size() <= kMaxRecordData &&
           record.number != rec::kEof) {
        const std::span<const uint8_t> data = record.data;
        if (record.number == rec::kContinue) {
            if (continued) continued->append(record.number, data);
            continue;
        }
        continued = nullptr;
        if (is_header_record(record.number)) {
            // A code name names a macro project's module: without the project it names nothing.
            if (record.number == rec::kCodeName && !project) continue;
            header.append(record.number, data);
            if (record.number == rec::kObProj) project = true;
            if (record.number == rec::kWindow1 && data.size() >= kActiveTabOffset + 2) {
                active_sheet = load_u16(data.data() + kActiveTabOffset);
            }
            if (record.number == rec::kDsf && book.biff8()) header.append_empty(rec::kExcel9File);
            continue;
        }
        if (is_pivot_cache_record(record.number)) {
            // Written where the palette is, after the styles, as they stand in the file.
            book.carried_globals.append(record.number, data);
            continued = &book.carried_globals;
            continue;
        }
        if (is_reference_record(record.number)) {
            book.external_references.append(record.number, data);
            if (record.number == rec::kExternSheet && book.biff8()) {
                take_extern_sheets(book, data);
            } else {
                continued = &book.external_references;
            }
            continue;
        }
        switch (record.number) {
            case rec::kFilePass:
                return false;
            case rec::kFont:
                take_font(book, data);
                break;
            case rec::kFormat:
                take_format(book, data);
                break;
            case rec::kXf:
                take_xf(book, data);
                break;
            case rec::kStyle:
                book.styles.append(record.number, data);
                break;
            case rec::kPalette:
            case rec::kChartPalette:
                book.carried_globals.append(record.number, data);
                break;
            case rec::kMsoDrawingGroup:
                if (book.biff8()) {
                    book.drawing_group.append(record.number, data);
                    continued = &book.drawing_group;
                }
                break;
            default:
                break;  // the writer makes its own
        }
    }
    book.header = std::move(header);
    book.macro_project = project;
    book.active_sheet = active_sheet < book.sheet_count() ? active_sheet : 0;
    return true;
}

}  // namespace tabrix::engine
