// The engine's workbook table and the in-memory workbook: created by a create call,
// filled by any number of calls, written to its compound file only on close.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/attribute_registry.h"
#include "engine/formula_context.h"  // ExternSheetEntry
#include "engine/record_list.h"
#include "engine/shared_strings.h"
#include "engine/sheet.h"
#include "engine/sheet_list.h"
#include "platform/compound_file.h"
#include "platform/file_services.h"

namespace tabrix::engine {

// Engine error codes (returned negated from the XM_/XL_ calls).
namespace err {
inline constexpr int32_t kOpen = -1;
inline constexpr int32_t kHandle = -2;
inline constexpr int32_t kNotOpen = -3;
inline constexpr int32_t kSheetNo = -4;
inline constexpr int32_t kWrite = -5;
inline constexpr int32_t kFileName = -9;
inline constexpr int32_t kLength = -31;
inline constexpr int32_t kPosition = -32;
inline constexpr int32_t kParam = -34;
inline constexpr int32_t kNoVariable = -37;
inline constexpr int32_t kMemory = -40;
inline constexpr int32_t kInternal = -50;
}  // namespace err

// TABID holds one 16-bit number per sheet in a record of at most 65535 bytes.
inline constexpr int32_t kMaxSheets = 32767;

// Which file format a create makes.
struct FileFormat {
    bool biff8 = false;
    uint16_t version_stamp = 97;  // 97, 2000 or 2002; decides RECALCID and XF alignment
};

// The version-taking create's mapping: 95 and 0 give Excel 95; 97, 2000 and 2002 Excel 97
// with that stamp; any other value Excel 97 stamped 97.
FileFormat format_for_version(int32_t version);

struct Workbook {
    // File object. The claim keeps other creates off the file until close or cancel.
    platform::FileClaim claim;
    std::unique_ptr<platform::CompoundFile> storage;
    platform::Stream *stream = nullptr;
    FileFormat format;
    uint32_t max_rows = 16384;
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

    bool written = false;
    bool read_only = false;
    bool template_flag = false;  // strings starting with the keyword prefix become blanks
    std::u16string file_name;
    int32_t current_sheet = 0;
    uint16_t active_sheet = 0;
    std::vector<ExternSheetEntry> extern_sheets;
    AttributeRegistry attributes;   // fonts, formats and XFs registered after the defaults
    std::string default_font_name;  // code page 932
    double default_font_size = 11.0;

    bool biff8() const { return format.biff8; }
    int32_t sheet_count() const { return static_cast<int32_t>(sheets.size()); }
};

// Creates the file and a workbook for it; returns the handle or a negative code. A sheet
// count above 0x40000000 means that count less 0x40000000, without the default FONT,
// FORMAT, XF and STYLE records.
int32_t create_workbook(std::u16string_view file_name, int32_t sheet_count, FileFormat format);
// Writes the workbook to its file and releases it.
int32_t close_workbook(int32_t handle);
// Releases the workbook; deletes its file unless it was written or opened for reading.
int32_t cancel_workbook(int32_t handle);

// The workbook under a handle: null with -2 for a negative handle, -3 for an empty entry.
Workbook *find_workbook(int32_t handle, int32_t *error);
// The workbook under a handle or null, without telling why.
Workbook *workbook_at(int32_t handle);

// The older single-workbook layer: table entry 0, once an XL_ create or open made it current.
Workbook *xl_current();
void set_xl_current(bool current);

// Appends a sheet named "Sheet%d" with the next free counter value.
void add_sheet(Workbook &book);

}  // namespace tabrix::engine
