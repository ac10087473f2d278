// One sheet of a workbook in memory: its cells, keyword cells, row and column settings,
// page setup and window settings, and the records carried over from a template.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/biff/record_list.h"
#include "engine/cells/cell_store.h"

namespace tabrix::engine {

// A template cell whose text starts with the keyword prefix.
struct KeywordEntry {
    uint16_t row = 0;
    uint16_t column = 0;
    int16_t xf = 15;
    std::u16string text;  // prefix included
};

// Stored settings of one row (height, format, hidden mark), written as its ROW record.
struct RowSetting {
    uint16_t height = 270;  // twips
    uint16_t options = 0x0100;
    uint16_t xf = 15;
    bool written = false;  // already written during the present close
};

// One COLINFO record.
struct ColumnInfo {
    uint16_t first = 0;
    uint16_t last = 0;
    uint16_t width = 0;  // 1/256 character
    uint16_t xf = 15;
    uint16_t options = 0;
};

struct MergedRange {
    uint16_t first_row = 0;
    uint16_t last_row = 0;
    uint16_t first_column = 0;
    uint16_t last_column = 0;
};

// A comment taken by a copy: its NOTE body and the records of its shape (pieces of the
// drawing cut to its bytes, its OBJ, TXO and CONTINUE records); where its id and cell anchor
// lie in the shape's drawing bytes.
struct CopiedNote {
    int32_t row = 0;
    int32_t column = 0;
    std::vector<uint8_t> note;
    std::vector<Record> shape;
    size_t id_at = 0;
    size_t anchor_at = 0;
};

// A validation or conditional format rule over copied cells: the rule without its cell ranges,
// and its ranges inside the copied rectangle.
struct CopiedRule {
    std::vector<uint8_t> identity;
    std::vector<MergedRange> ranges;
};

// What the last row, column or block copy of the sheet took, for any number of pastes.
struct CopyBuffer {
    enum Kind : uint8_t { kEmpty = 0, kRows = 1, kColumn = 2, kBlock = 3 };
    Kind kind = kEmpty;
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> cells;  // record images back to back, runs cut to the rectangle
    std::vector<MergedRange> merged;
    std::map<int32_t, RowSetting> row_settings;  // rows copies: by row from `y`
    RecordList hyperlinks;                       // cut to the rectangle, where copied
    std::vector<CopiedNote> notes;
    bool notes_unreadable = false;  // the copied cells had comments whose drawing was not walked
    std::vector<CopiedRule> validations;
    std::vector<CopiedRule> conditional_formats;
};

// The SETUP record fields.
struct SetupRecord {
    uint16_t paper_size = 9;  // A4
    uint16_t scale = 100;
    uint16_t first_page = 1;
    uint16_t fit_width = 1;
    uint16_t fit_height = 1;
    uint16_t options = 0;  // the orientation value is added when written
    uint16_t resolution = 0;
    uint16_t vertical_resolution = 0;
    double header_margin = 0.5;  // inches
    double footer_margin = 0.5;
    uint16_t copies = 1;
};

// Row heights and formats, column ranges and the sheet's defaults for both.
struct RowsAndColumns {
    std::map<uint16_t, RowSetting> row_settings;
    std::vector<ColumnInfo> columns;  // sorted by (first, last)
    uint16_t default_column_width = 8;
    uint16_t default_row_options = 0;
    uint16_t default_row_height = 270;
    uint16_t standard_width = 0;    // 0 = no STANDARDWIDTH record
    std::array<uint8_t, 34> gcw{};  // count 0 = no GCW record
};

// How the sheet prints.
struct PageSettings {
    uint16_t print_headers = 0;
    uint16_t print_gridlines = 0;
    uint16_t sheet_options = 0x04C1;  // WSBOOL
    bool fit_to_page = false;
    uint16_t hcenter = 0;
    uint16_t vcenter = 0;
    SetupRecord setup;
    uint16_t orientation = 2;                                                           // portrait
    std::array<double, 4> margins{20.0 / 25.4, 20.0 / 25.4, 25.0 / 25.4, 25.0 / 25.4};  // inches
    // The margins a template's file had records for: written back even at 20 or 25 mm, since
    // a reader takes a missing margin for its own default, not for ours.
    std::array<bool, 4> margins_from_file{};
    std::optional<std::vector<uint8_t>> header;  // HEADER body when set
    std::optional<std::vector<uint8_t>> footer;
    std::vector<uint16_t> row_breaks;     // sorted
    std::vector<uint16_t> column_breaks;  // sorted
    RecordList printer_settings;          // PLS and its CONTINUE records
};

// How the sheet shows in its window.
struct WindowSettings {
    bool show_grid = true;
    uint16_t options = 0x00B4;
    uint16_t first_visible_row = 0;
    uint16_t first_visible_column = 0;
    uint16_t page_break_zoom = 0;
    uint16_t normal_zoom = 0;
    uint16_t zoom_numerator = 0;  // SCL, written when not 0/0
    uint16_t zoom_denominator = 0;
    std::optional<std::vector<uint8_t>> pane;       // PANE body
    std::optional<std::vector<uint8_t>> selection;  // SELECTION body
};

// Records of other origins, in their places in the sheet.
struct CarriedRecords {
    RecordList references;      // BIFF5 EXTERNCOUNT/EXTERNSHEET, carried-over references
    RecordList calculation;     // CALCMODE to SAVERECALC, in place of the writer's own
    RecordList settings;        // before DIMENSIONS
    RecordList objects;         // OBJ, TXO, notes, pivot views, with their CONTINUE records
    RecordList caller_records;  // XM_WriteBin, first in the trailer
    RecordList trailer;         // after the phonetic settings
    std::optional<Record> code_name;
    // The phonetic settings (PHONETIC) of a template's Excel 97 sheet, written instead of the
    // default ones.
    std::optional<Record> phonetic;
    // A chart or module sheet of a template, BOF to EOF as read: written in place of the
    // records of a worksheet.
    RecordList substream;
};

struct Sheet {
    std::u16string name;
    uint16_t options = 0;  // BOUNDSHEET options: low byte visibility, high byte type

    CellStore cells;
    // Lowest and highest cell key (row * 256 + column) written so far.
    uint32_t lowest_key = UINT32_MAX;
    int64_t highest_key = -1;
    // Write cursor of the XL_Wrt* calls.
    int32_t cursor_column = 0;
    int32_t cursor_row = 0;
    std::vector<KeywordEntry> keywords;  // sorted by text, row, column
    std::vector<MergedRange> merged;
    CopyBuffer copy_buffer;

    RowsAndColumns rows_columns;
    PageSettings page;
    WindowSettings window;

    // Sheets the formulas of this sheet may name (the last ref-sheet list given), and in
    // Excel 95 the names of the sheet's EXTERNSHEET records, in record order.
    std::vector<std::u16string> ref_sheets;
    std::vector<std::u16string> extern_sheet_names;

    CarriedRecords carried;

    // Hidden (1) or very hidden (2). Another visibility byte of a template is kept as it is
    // and counts as visible, so that a workbook loaded with one always finds a sheet to show.
    bool hidden() const {
        const uint8_t visibility = options & 0x00FF;
        return visibility == 1 || visibility == 2;
    }
};

}  // namespace tabrix::engine
