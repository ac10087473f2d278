// The in-memory workbook: created by a create call, filled by any number of calls, written to
// its compound file only on close.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/biff/errors.h"
#include "engine/biff/narrow_string.h"
#include "engine/biff/record_list.h"
#include "engine/cells/shared_strings.h"
#include "engine/model/attribute_list.h"
#include "engine/model/extern_sheets.h"
#include "engine/model/read_state.h"
#include "engine/model/sheet.h"
#include "engine/model/sheet_list.h"
#include "platform/compound_file.h"
#include "platform/files/file_claim.h"

namespace tabrix::engine {

class WorkbookReader;

// TABID holds one 16-bit number per sheet in a record of at most 65535 bytes.
inline constexpr int32_t kMaxSheets = 32767;

// Which file format a create makes.
struct FileFormat {
    bool biff8 = false;
    uint16_t version_stamp = 97;  // 97, 2000 or 2002; decides RECALCID and XF alignment
};

struct Workbook {
    // File object. The claim keeps other creates off the file until close or cancel; the
    // compound file stays in memory until close writes it over the claimed file.
    platform::FileClaim claim;
    std::unique_ptr<platform::CompoundFile> storage;
    platform::Stream *stream = nullptr;
    FileFormat format;
    uint32_t max_rows = 16384;
    // Of the Excel 95 texts: the template's CODEPAGE, else the interface's.
    uint16_t code_page = kInterfaceCodePage;
    SharedStringTable strings;
    std::optional<std::array<uint8_t, 8>> template_recalc_id;

    SheetList sheets;
    uint32_t sheet_name_counter = 0;

    // Workbook-globals lists, in write order.
    RecordList header;
    RecordList fonts;
    RecordList formats;
    RecordList xfs;
    RecordList styles;
    RecordList carried_globals;
    RecordList uses_elfs;
    RecordList bound_sheets;
    RecordList country;
    RecordList external_references;
    RecordList drawing_group;
    RecordList ext_sst;
    RecordList trailing_globals;
    RecordList end;

    bool read_only = false;
    // The file a read-mode workbook reads, or a template-made one was loaded from: the
    // read-back calls answer from it.
    std::shared_ptr<WorkbookReader> source;
    ReadState read_state;        // what the read-back calls keep between calls
    bool macro_project = false;  // an OBPROJ came with the template: sheets stay
    bool template_flag = false;  // strings starting with the keyword prefix become blanks
    int32_t current_sheet = 0;
    uint16_t active_sheet = 0;
    std::vector<ExternSheetEntry> extern_sheets;
    AttributeRegistry attributes;   // fonts, formats and XFs registered after the defaults
    std::string default_font_name;  // code page 932
    double default_font_size = 11.0;

    bool biff8() const { return format.biff8; }
    int32_t sheet_count() const { return static_cast<int32_t>(sheets.size()); }
};

// The workbook a C call names by its handle, or why there is none.
struct BookRef {
    Workbook *book = nullptr;
    int32_t missing = err::kNotOpen;  // -2 for a negative handle, -3 for an empty entry
};

}  // namespace tabrix::engine
