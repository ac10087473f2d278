#include "engine/lifecycle/read_workbooks.h"

#include <filesystem>
#include <memory>

#include "engine/lifecycle/workbook_table.h"
#include "engine/read/reader/sheet_scan.h"
#include "engine/read/reader/workbook_reader.h"

namespace tabrix::engine {

int32_t open_read_workbook(std::u16string_view file_name) {
    if (file_name.empty()) return err::kFileName;
    const auto path = file_path(file_name);
    std::unique_ptr<WorkbookReader> reader;
    if (!path || WorkbookReader::open(*path, &reader) != 0) return err::kOpen;
    std::unique_ptr<Workbook> book;
    if (int32_t rc = make_read_workbook(std::move(reader), &book); rc != 0) return rc;
    return register_workbook(book);
}

int32_t make_read_workbook(std::shared_ptr<WorkbookReader> reader, std::unique_ptr<Workbook> *out) {
    if (any_worksheet_protected(*reader)) return err::kOpen;
    if (!sheet_starts_with_bof(*reader, 0)) return err::of(errNoData);

    auto book = std::make_unique<Workbook>();
    book->format = FileFormat{reader->biff8(), reader->version_stamp()};
    book->max_rows = reader->biff8() ? 65536 : 16384;
    book->read_only = true;
    for (const SheetEntry &entry : reader->sheets()) {
        auto sheet = std::make_unique<Sheet>();
        sheet->name = entry.name;
        sheet->options = entry.options;
        book->sheets.add(std::move(sheet));
    }
    book->sheet_name_counter = static_cast<uint32_t>(book->sheets.size());
    book->source = std::move(reader);
    *out = std::move(book);
    return 0;
}

int32_t close_read_workbook(int32_t handle) {
    const BookRef ref = book_ref(handle);
    if (!ref.book) return ref.missing;
    if (!ref.book->read_only) return err::of(errMode);
    return cancel_workbook(handle) == 0 ? 0 : err::kHandle;
}

}  // namespace tabrix::engine
