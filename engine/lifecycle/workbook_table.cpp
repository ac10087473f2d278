#include "engine/lifecycle/workbook_table.h"

#include <filesystem>
#include <new>

#include "engine/biff/common_records.h"
#include "engine/biff/record_numbers.h"
#include "engine/layout/sheet_names.h"
#include "engine/model/process_state.h"
#include "engine/styles/default_records.h"
#include "engine/write/globals_records.h"
#include "engine/write/workbook_writer.h"
#include "platform/codepage.h"
#include "platform/file_services.h"

namespace tabrix::engine {

namespace {

constexpr int32_t kSkipDefaultTables = 0x40000000;
constexpr std::string_view kBiff5DefaultFontName = "\x96\xbe\x92\xa9";  // 明朝
constexpr std::string_view kBiff8DefaultFontName =
    "\x82\x6c\x82\x72\x20\x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e";  // ＭＳ Ｐゴシック

std::vector<std::unique_ptr<Workbook>> &table() {
    return process_state().workbooks;
}

size_t lowest_free_entry() {
    for (size_t i = 0; i < table().size(); ++i) {
        if (!table()[i]) return i;
    }
    table().emplace_back();
    return table().size() - 1;
}

// Creates the compound file with its class identifier and workbook stream; `path` is the
// file's name as the file system takes it.
bool create_container(Workbook &book, std::filesystem::path &path) {
    try {
        path = std::filesystem::path(book.file_name);
    } catch (const std::exception &) {
        return false;  // not a name the file system can hold (an unpaired surrogate)
    }
    // The file is ours alone from here to close or cancel: a second create of it, by any
    // name, fails instead of overwriting or deleting what this workbook writes.
    auto made = platform::FileClaim::make_file(
        path,
        [&] {
            book.storage = platform::CompoundFile::create(path);
            return book.storage != nullptr;
        },
        &book.claim);
    if (made != platform::ClaimStatus::ok) return false;
    auto class_id =
        platform::ClassId::from_string(book.biff8() ? "{00020820-0000-0000-C000-000000000046}"
                                                    : "{00020810-0000-0000-C000-000000000046}");
    if (!class_id || book.storage->root().set_class_id(*class_id) != platform::StorageStatus::ok) {
        return false;
    }
    book.stream = book.storage->root().create_stream(book.biff8() ? u"Workbook" : u"Book");
    return book.stream != nullptr;
}

void release_entry(int32_t handle) {
    table()[handle].reset();
    if (handle == 0) process_state().xl_current = false;
}

}  // namespace

FileFormat format_for_version(int32_t version) {
    if (version == 0 || version == 95) return {false, 97};
    if (version == 97 || version == 2000 || version == 2002) {
        return {true, static_cast<uint16_t>(version)};
    }
    return {true, 97};
}

int32_t create_workbook(std::u16string_view file_name, int32_t sheet_count, FileFormat format) {
    if (file_name.empty()) return err::kFileName;
    bool default_tables = true;
    if (sheet_count > kSkipDefaultTables) {
        sheet_count -= kSkipDefaultTables;
        default_tables = false;
    }
    if (sheet_count < 1) sheet_count = 16;
    if (sheet_count > kMaxSheets) return err::kParam;

    auto book = std::make_unique<Workbook>();
    book->format = format;
    book->file_name = file_name;
    // Kept from the container's create, so that removing a half-made file needs no memory.
    std::filesystem::path path;
    if (!create_container(*book, path)) {
        // A file the container did create is removed again.
        bool made = book->storage != nullptr;
        book->storage.reset();
        if (made) platform::delete_file(path);
        return err::kOpen;
    }
    try {
        fill_new_workbook(*book, sheet_count, default_tables);
        return register_workbook(book);
    } catch (const std::bad_alloc &) {
        // Out of memory while the workbook is filled: its file goes, as a cancel removes it.
        book->stream = nullptr;
        book->storage.reset();
        platform::delete_file(path);
        throw;
    }
}

void fill_new_workbook(Workbook &book, int32_t sheet_count, bool default_tables) {
    book.max_rows = book.biff8() ? 65536 : 16384;
    book.default_font_name = book.biff8() ? kBiff8DefaultFontName : kBiff5DefaultFontName;
    for (int32_t i = 0; i < sheet_count; ++i) add_sheet(book);
    append_header_records(book);
    if (default_tables) {
        append_default_records(book.biff8(), book.format.version_stamp, book.fonts, book.formats,
                               book.xfs, book.styles);
    }
    book.end.records().push_back(eof_record());
}

int32_t register_workbook(std::unique_ptr<Workbook> &book) {
    const size_t handle = lowest_free_entry();  // may throw: the book is still the caller's
    table()[handle] = std::move(book);
    return static_cast<int32_t>(handle);
}

int32_t close_workbook(int32_t handle) {
    const BookRef ref = book_ref(handle);
    if (!ref.book) return ref.missing;
    Workbook *book = ref.book;
    if (book->read_only) return cancel_workbook(handle);

    // A hidden active sheet hands the role on to the next sheet.
    while (book->active_sheet < book->sheets.size() && book->sheets[book->active_sheet]->hidden()) {
        ++book->active_sheet;
    }
    if (book->active_sheet >= book->sheets.size()) {
        cancel_workbook(handle);
        return err::kOpen;
    }

    int32_t result = 0;
    try {
        result = write_workbook(*book);
    } catch (const std::bad_alloc &) {
        result = err::kMemory;
    }
    book->written = true;
    int32_t released = cancel_workbook(handle);
    if (result != 0) return result;
    return released != 0 ? err::kWrite : 0;
}

int32_t cancel_workbook(int32_t handle) {
    const BookRef ref = book_ref(handle);
    if (!ref.book) return ref.missing;
    Workbook *book = ref.book;
    // A read-mode workbook holds no container of its own: nothing to commit.
    bool released = !book->storage || book->storage->commit() == platform::StorageStatus::ok;
    book->stream = nullptr;
    book->storage.reset();
    if (!book->written && !book->read_only) {
        platform::delete_file(std::filesystem::path(book->file_name));
    }
    release_entry(handle);
    return released ? 0 : err::kWrite;
}

BookRef book_ref(int32_t handle) {
    if (handle < 0) return {nullptr, err::kHandle};
    return {workbook_at(handle), err::kNotOpen};
}

Workbook *workbook_at(int32_t handle) {
    if (handle < 0 || static_cast<size_t>(handle) >= table().size()) return nullptr;
    return table()[handle].get();
}

Workbook *xl_current() {
    return process_state().xl_current ? workbook_at(0) : nullptr;
}

void set_xl_current(bool current) {
    process_state().xl_current = current;
}

void reset_process_state() {
    for (size_t handle = 0; handle < table().size(); ++handle) {
        if (table()[handle]) cancel_workbook(static_cast<int32_t>(handle));
    }
    process_state() = ProcessState{};
}

}  // namespace tabrix::engine
