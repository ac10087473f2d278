#include "engine/write/workbook_writer.h"

#include <memory>
#include <new>
#include <vector>

#include "engine/biff/record_numbers.h"
#include "engine/write/globals_records.h"
#include "engine/write/row_blocks.h"
#include "engine/write/sheet_records.h"
#include "engine/write/stream_writer.h"

namespace tabrix::engine {

namespace {

struct SheetSection {
    RecordList header;
    CellArea cells;
    RecordList trailer;
    size_t byte_total = 0;
};

size_t sum_sizes(const std::vector<Record> &records) {
    size_t total = 0;
    for (const Record &record : records) total += record.disk_size();
    return total;
}

// Globals lists before the SST, in write order. In Excel 95 the external references are
// written inside the header list, right after FNGROUPCOUNT.
std::vector<const RecordList *> globals_before_sst(const Workbook &book) {
    if (!book.biff8()) {
        return {
            &book.header, &book.external_references, &book.fonts,       &book.formats, &book.xfs,
            &book.styles, &book.carried_globals,     &book.bound_sheets};
    }
    return {&book.header,       &book.fonts,
            &book.formats,      &book.xfs,
            &book.styles,       &book.carried_globals,
            &book.uses_elfs,    &book.bound_sheets,
            &book.country,      &book.external_references,
            &book.drawing_group};
}

SheetSection build_sheet_section(const Workbook &book, Sheet &sheet, bool active) {
    SheetSection section;
    // A chart or module sheet of a template is written as it was read.
    if (!sheet.carried.substream.empty()) {
        section.byte_total = sheet.carried.substream.byte_total();
        return section;
    }
    section.cells = build_cell_area(sheet);
    section.header = sheet_header_records(book.biff8(), sheet, section.cells);
    section.trailer = sheet_trailer_records(book.biff8(), sheet, active);
    section.byte_total = section.header.byte_total() + sheet.carried.references.byte_total() +
                         section.cells.byte_total + sheet.carried.objects.byte_total() +
                         section.trailer.byte_total();
    return section;
}

bool write_header_list(StreamWriter &out, const Workbook &book) {
    // Excel 95: the references follow the first FNGROUPCOUNT, or the header when a template's
    // has none; they are written once, as the sheet offsets count them.
    bool references_written = book.biff8();
    for (const Record &record : book.header.records()) {
        if (!out.write_record(record.number, record.data)) return false;
        if (!references_written && record.number == rec::kFnGroupCount) {
            if (!out.write_list(book.external_references)) return false;
            references_written = true;
        }
    }
    return references_written || out.write_list(book.external_references);
}

bool write_globals(StreamWriter &out, const Workbook &book) {
    if (!write_header_list(out, book)) return false;
    for (const RecordList *list : globals_before_sst(book)) {
        if (list == &book.header || (!book.biff8() && list == &book.external_references)) {
            continue;
        }
        if (!out.write_list(*list)) return false;
    }
    if (book.biff8()) {
        for (const Record &record : book.strings.records()) {
            if (!out.write_record(record.number, record.data)) return false;
        }
        if (!out.write_list(book.ext_sst)) return false;
    }
    return out.write_list(book.trailing_globals) && out.write_list(book.end);
}

bool write_cell_area(StreamWriter &out, const CellArea &area) {
    for (const RowBlock &block : area.blocks) {
        if (!out.write(block.rows.data(), block.rows.size())) return false;
        for (const RowCells &cells : block.cells) {
            if (!out.write(cells.bytes.data(), cells.bytes.size())) return false;
        }
        if (!out.write(block.dbcell.data(), block.dbcell.size())) return false;
    }
    return true;
}

bool write_sheet(StreamWriter &out, const Sheet &sheet, const SheetSection &section) {
    if (!sheet.carried.substream.empty()) return out.write_list(sheet.carried.substream);
    return out.write_list(section.header) && out.write_list(sheet.carried.references) &&
           write_cell_area(out, section.cells) && out.write_list(sheet.carried.objects) &&
           out.write_list(section.trailer);
}

}  // namespace

int32_t write_workbook(Workbook &book) {
    const bool biff8 = book.biff8();
    if (biff8) book.strings.finish();

    std::vector<SheetSection> sections;
    sections.reserve(book.sheets.size());
    book.bound_sheets.clear();
    for (size_t i = 0; i < book.sheets.size(); ++i) {
        Sheet &sheet = *book.sheets[i];
        sections.push_back(build_sheet_section(book, sheet, i == book.active_sheet));
        book.bound_sheets.records().push_back(bound_sheet_record(book, sheet));
    }
    // Sheets may have been added or removed since the header was made.
    if (Record *tab_id = book.header.find(rec::kTabId)) {
        tab_id->data = tab_id_body(biff8, book.sheet_count());
    }
    if (Record *window1 = book.header.find(rec::kWindow1)) {
        set_window1_tabs(window1->data, book.active_sheet);
    }
    if (biff8) {
        book.uses_elfs.clear();
        append_uses_elfs_record(book);
        book.country.clear();
        append_country_records(book);
        append_extern_sheet_record(book);
    }

    size_t globals_size = 0;
    for (const RecordList *list : globals_before_sst(book)) globals_size += list->byte_total();
    if (biff8) {
        book.ext_sst.clear();
        book.ext_sst.append(rec::kExtSst, book.strings.extsst(static_cast<uint32_t>(globals_size)));
        globals_size += sum_sizes(book.strings.records()) + book.ext_sst.byte_total();
    }
    globals_size += book.trailing_globals.byte_total() + book.end.byte_total();

    size_t offset = globals_size;
    for (size_t i = 0; i < sections.size(); ++i) {
        const Sheet &sheet = *book.sheets[i];
        set_bound_sheet_offset(book.bound_sheets.records()[i], static_cast<uint32_t>(offset));
        if (sheet.carried.substream.empty()) {
            size_t cell_area_start =
                offset + sections[i].header.byte_total() + sheet.carried.references.byte_total();
            add_index_base(sections[i].header.records()[1], biff8,
                           static_cast<uint32_t>(cell_area_start));
        }
        offset += sections[i].byte_total;
    }

    // The stream is made while the file is written (at commit, for a compound file): the
    // records go from the cell stores to the file with no copy of the whole stream between.
    // Memory running out while they are made is told apart from a refused write.
    auto planned = std::make_shared<std::vector<SheetSection>>(std::move(sections));
    auto out_of_memory = std::make_shared<bool>(false);
    auto status =
        book.stream->produce(offset, [&book, planned, out_of_memory](platform::ByteSink &sink) {
            try {
                StreamWriter out(sink);
                bool ok = write_globals(out, book);
                for (size_t i = 0; ok && i < planned->size(); ++i) {
                    ok = write_sheet(out, *book.sheets[i], (*planned)[i]);
                }
                return out.flush() && ok;
            } catch (const std::bad_alloc &) {
                *out_of_memory = true;
                return false;
            }
        });
    // A workbook whose stream goes elsewhere than a compound file has nothing to commit.
    if (status == platform::StorageStatus::ok && book.storage) status = book.storage->commit();
    if (*out_of_memory) return err::kMemory;
    return status == platform::StorageStatus::ok ? 0 : err::kWrite;
}

}  // namespace tabrix::engine
