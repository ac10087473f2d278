// The parts of a template load, one per record family, and what they share: the load's state
// and a walk over one substream of the workbook stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/biff/record_cursor.h"
#include "engine/biff/record_reader.h"
#include "engine/formula/shared_formulas.h"
#include "engine/model/keywords.h"
#include "engine/model/workbook.h"
#include "engine/read/reader/workbook_reader.h"

namespace tabrix::engine {

struct TemplateLoad {
    Workbook &book;
    const WorkbookReader &reader;
    bool keep_keywords = false;
    // The workbook's shared-string index of each string of the file's table: the table gives
    // a text added twice its first index, so a file holding a text twice is renumbered.
    std::vector<uint32_t> string_index;
    // The part of the stream each sheet loaded so far walked (start to end), by its start. A
    // sheet's walk ends where another's began, so that sheets whose BOUNDSHEETs lead into the
    // same records do not each load them again.
    std::map<size_t, size_t> walked;
    // Taken once for the load: another thread may change it meanwhile.
    std::u16string keyword_prefix = engine::keyword_prefix();
};

// The records of one substream, from after its BOF to its EOF. A BOF inside starts a nested
// substream (an embedded chart's), whose records up to its own EOF come with a depth above 0.
// The walk ends early at a record cut short or longer than the format allows.
class SubstreamReader {
  public:
    // A walk over nothing when no BOF stands at `offset`.
    SubstreamReader(std::span<const uint8_t> stream, size_t offset);

    // The next record; false at the substream's EOF or where the walk ends early.
    bool next(RawRecord &out, size_t &depth);
    // `record`, the one next() gave last, with the CONTINUE records after it, which the walk
    // moves past. False (and `out` left alone) when none follows.
    bool take_continues(const RawRecord &record, ContinuedRecord &out);
    // Whether the walk reached the substream's EOF.
    bool complete() const { return complete_; }
    // Where the walk stands: after the last record it gave.
    size_t offset() const { return records_.offset(); }

  private:
    RecordReader records_;
    size_t depth_ = 0;
    bool done_ = false;
    bool complete_ = false;
};

// A FORMULA held until the records that belong behind it have been met: the ARRAY or TABLE
// of the range it anchors, the STRING of its text result.
struct HeldFormula {
    std::vector<uint8_t> image;  // FORMULA, then ARRAY or TABLE once met
    uint16_t row = 0;
    uint16_t column = 0;
    uint16_t xf = 0;
    bool awaits_string = false;  // its cached result is a text
    // A cell of an array formula or table outside every range met so far: only the range's
    // first cell, with its ARRAY or TABLE behind it, is sound.
    bool needs_range = false;
    bool anchors_range = false;  // its ARRAY or TABLE came
    bool as_value = false;       // a shared formula that cannot be expanded: its cached value
    std::optional<std::vector<uint8_t>> string_data;  // the STRING record's data, text whole
    std::vector<uint8_t> string_images;  // the STRING record and its CONTINUE records as read
    std::u16string text;                 // and its text
};

// The range of an array formula or table whose first cell carries its ARRAY or TABLE.
struct FormulaRange {
    uint16_t first_row = 0;
    uint16_t last_row = 0;
    uint8_t first_column = 0;
    uint8_t last_column = 0;
};

// The state of one worksheet's load.
struct SheetLoad {
    TemplateLoad &load;
    Sheet &sheet;
    std::vector<SharedFormula> shared;  // every SHRFMLA of the sheet
    // Each shared formula by its first cell (row in bits 8 and up, column in 0-7), which the
    // ptgExp of its cells names.
    std::map<uint32_t, size_t> shared_by_first_cell;
    std::vector<FormulaRange> ranges;  // array formulas and tables met so far
    std::optional<HeldFormula> held;
};

// Cells. A record that does not hold what its kind needs, or that the cell store refuses, is
// left out; the load goes on.
// NUMBER, BOOLERR, BLANK, RK, MULRK, MULBLANK: stored as they are.
void load_value_cell(SheetLoad &load, const RawRecord &record);
// LABEL, RSTRING, LABELSST: stored, or a blank when the text is a keyword. `continued` is the
// record with the CONTINUE records of a long text, when it has any.
void load_string_cell(SheetLoad &load, const RawRecord &record, const ContinuedRecord *continued);
// FORMULA: held (a shared one expanded first) until the records behind it are met.
void load_formula(SheetLoad &load, const RawRecord &record);
// ARRAY, TABLE, STRING: taken into the held formula when they belong to it; `continued` as
// for load_string_cell.
void attach_to_formula(SheetLoad &load, const RawRecord &record, const ContinuedRecord *continued);
// Stores the held formula, if any.
void store_held_formula(SheetLoad &load);

// Sheet settings, each true when the record was of its family (and taken if it was sound).
// ROW, COLINFO, DEFCOLWIDTH, STANDARDWIDTH, GCW, DEFAULTROWHEIGHT.
bool load_row_column_record(const Workbook &book, Sheet &sheet, const RawRecord &record);
// SETUP, margins, HEADER, FOOTER, print flags, centring, page breaks, WSBOOL, PLS (the last
// one met; its CONTINUE records go to the same list).
bool load_page_record(bool biff8, Sheet &sheet, const RawRecord &record);
// WINDOW2, PANE, SELECTION, SCL, MERGEDCELLS, PHONETIC.
bool load_window_record(const Workbook &book, Sheet &sheet, const RawRecord &record);

// The globals: header, external references, fonts, formats, XFs and attributes, styles,
// palette, drawing group and sheet visibility. False when the load must fail.
bool load_globals(TemplateLoad &load);

// One sheet of the template into the workbook's sheet of the same number: a worksheet record
// by record, a chart sheet as it stands.
void load_sheet(TemplateLoad &load, size_t sheet);

// A complete record image (header and data) from a record number and its data.
std::vector<uint8_t> record_image(uint16_t number, std::span<const uint8_t> data);

}  // namespace tabrix::engine
