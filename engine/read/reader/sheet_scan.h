// The records of one sheet of a file, from the record after its BOF to its own EOF. The
// substreams of embedded charts inside it (a BOF to its EOF) are stepped over, so that their
// records are never taken for the sheet's own.
#pragma once

#include <cstddef>

#include "engine/biff/record_reader.h"
#include "engine/read/reader/workbook_reader.h"

namespace tabrix::engine {

// Whether the sheet's BOF offset leads to a BOF record.
bool sheet_starts_with_bof(const WorkbookReader &reader, size_t sheet);

class SheetScan {
  public:
    // A sheet whose BOF offset does not lead to a BOF record gives no records.
    SheetScan(const WorkbookReader &reader, size_t sheet);

    // The next record of the sheet; false at its EOF, at the end of the stream and at a
    // record that runs past it.
    bool next(RawRecord &out);
    // Goes on from a later offset of the stream (an earlier one is ignored, so no scan can
    // go round in circles).
    void skip_to(size_t offset);

  private:
    RecordReader records_;
    bool done_ = false;
};

// Moves `records` past the STRING record that holds the text result of the FORMULA just
// read, stepping over the SHRFMLA, ARRAY and TABLE records that may come between. False,
// with `records` before the first other record, when there is no such STRING.
bool next_string_record(RecordReader &records, RawRecord &out);

// Whether a worksheet's records hold a PROTECT with a non-zero value (its row blocks are
// stepped over where its INDEX shows where they end).
bool sheet_protected(const WorkbookReader &reader, size_t sheet);
// Whether any worksheet (chart sheets aside) of the file is protected so.
bool any_worksheet_protected(const WorkbookReader &reader);

}  // namespace tabrix::engine
