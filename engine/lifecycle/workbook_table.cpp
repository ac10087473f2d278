#include "engine/lifecycle/workbook_table.h"

#include <algorithm>
#include <atomic>
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
#include "platform/files/file_claim.h"

namespace tabrix::engine {

namespace {

constexpr int32_t kSkipDefaultTables = 0x40000000;
constexpr std::string_view kBiff5DefaultFontName = "\x96\xbe\x92\xa9";  // 明朝
constexpr std::string_view kBiff8DefaultFontName =
    "\x82\x6c\x82\x72\x20\x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e";  // ＭＳ Ｐゴシック

// Under table_mutex().
std::vector<std::unique_ptr<WorkbookEntry>> &table() {
    return process_state().workbooks;
}

// Under table_mutex().
WorkbookEntry &lowest_free_entry(size_t *handle) {
    for (size_t i = 0; i < table().size(); ++i) {
        if (!table()[i]->book.load(std::memory_order_acquire)) {
            *handle = i;
            return *table()[i];
        }
    }
    table().push_back(std::make_unique<WorkbookEntry>());
    *handle = table().size() - 1;
    return *table().back();
}

// The entries a call holds beyond the frame's own few (a call that reaches many workbooks).
thread_local std::vector<WorkbookEntry *> more_held;

WorkbookEntry *table_entry(CallFrame &calls, int32_t handle) {
    if (handle == calls.last_handle) return calls.last_entry;
    const std::lock_guard lock(table_mutex());
    if (handle < 0 || static_cast<size_t>(handle) >= table().size()) return nullptr;
    calls.last_handle = handle;
    calls.last_entry = table()[static_cast<size_t>(handle)].get();
    return calls.last_entry;
}

bool holds(const CallFrame &calls, const WorkbookEntry *entry) {
    for (uint32_t i = 0; i < calls.held_count && i < CallFrame::kInlineHeld; ++i) {
        if (calls.held[i] == entry) return true;
    }
    return calls.held_count > CallFrame::kInlineHeld &&
           std::find(more_held.begin(), more_held.end(), entry) != more_held.end();
}

// The workbook under a handle, its entry locked for the rest of the C call on this thread; null
// when there is none or it was closed while this thread waited for it. Outside a C call (the
// engine's own tests) nothing is locked.
Workbook *hold_entry(int32_t handle) {
    CallFrame &calls = this_frame();
    WorkbookEntry *entry = table_entry(calls, handle);
    if (!entry) return nullptr;
    if (calls.depth == 0 || holds(calls, entry)) {
        return entry->book.load(std::memory_order_acquire);
    }
    if (calls.held_count >= CallFrame::kInlineHeld) {
        more_held.reserve(more_held.size() + 1);  // may throw: nothing is locked yet
        entry->call_lock.lock();
        more_held.push_back(entry);
    } else {
        entry->call_lock.lock();
        calls.held[calls.held_count] = entry;
    }
    ++calls.held_count;
    return entry->book.load(std::memory_order_acquire);
}

// Claims the file, then makes the compound file with its class identifier and workbook
// stream, in memory: nothing reaches the disk before close.
bool create_container(Workbook &book, std::u16string_view file_name) {
    const auto path = file_path(file_name);
    // The file is ours alone from here to close or cancel: a second create of it, by any
    // name, fails instead of overwriting what this workbook writes.
    if (!path || platform::FileClaim::claim(*path, &book.claim) != platform::ClaimStatus::ok) {
        return false;
    }
    book.storage = platform::CompoundFile::create(book.claim.file());
    if (!book.storage) return false;
    auto class_id =
        platform::ClassId::from_string(book.biff8() ? "{00020820-0000-0000-C000-000000000046}"
                                                    : "{00020810-0000-0000-C000-000000000046}");
    if (!class_id || book.storage->root().set_class_id(*class_id) != platform::StorageStatus::ok) {
        return false;
    }
    book.stream = book.storage->root().create_stream(book.biff8() ? u"Workbook" : u"Book");
    return book.stream != nullptr;
}

// The caller holds the entry's lock (or runs outside a C call): a call waiting for it finds
// the entry empty. The workbook is freed at once; the lock it waited on is the entry's.
void release_entry(int32_t handle) {
    const std::unique_ptr<Workbook> book(table_entry(this_frame(), handle)->book.exchange(nullptr));
    const std::lock_guard lock(table_mutex());
    if (handle == 0) process_state().xl_current = false;
}

}  // namespace

constinit thread_local CallFrame call_frame{0, -1, nullptr, {}, 0};

std::optional<std::filesystem::path> file_path(std::u16string_view name) {
    try {
        return std::filesystem::path(name);
    } catch (const std::exception &) {
        return std::nullopt;
    }
}

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
    // A failure from here on releases the claim with the book, and leaves the disk as it was.
    if (!create_container(*book, file_name)) return err::kOpen;
    fill_new_workbook(*book, sheet_count, default_tables);
    return register_workbook(book);
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
    const std::lock_guard lock(table_mutex());
    size_t handle = 0;
    // May throw, leaving the book the caller's.
    WorkbookEntry &entry = lowest_free_entry(&handle);
    entry.book.store(book.release(), std::memory_order_release);
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
    release_entry(handle);
    return result;
}

int32_t cancel_workbook(int32_t handle) {
    const BookRef ref = book_ref(handle);
    if (!ref.book) return ref.missing;
    // Nothing was written: the file, if there was one, is as it was before the create.
    release_entry(handle);
    return 0;
}

void enter_call() noexcept {
    ++this_frame().depth;
}

void leave_call() {
    CallFrame &calls = this_frame();
    if (--calls.depth > 0) return;
    if (calls.held_count > CallFrame::kInlineHeld) {
        for (size_t i = more_held.size(); i-- > 0;) more_held[i]->call_lock.unlock();
        more_held.clear();
    }
    const uint32_t inline_held = std::min(calls.held_count, CallFrame::kInlineHeld);
    for (uint32_t i = inline_held; i-- > 0;) calls.held[i]->call_lock.unlock();
    calls.held_count = 0;
}

BookRef table_book_ref(int32_t handle) {
    if (handle < 0) return {nullptr, err::kHandle};
    return {hold_entry(handle), err::kNotOpen};
}

Workbook *workbook_at(int32_t handle) {
    return hold_entry(handle);
}

Workbook *xl_current() {
    {
        const std::lock_guard lock(table_mutex());
        if (!process_state().xl_current) return nullptr;
    }
    return workbook_at(0);
}

void set_xl_current(bool current) {
    const std::lock_guard lock(table_mutex());
    process_state().xl_current = current;
}

void reset_process_state() {
    size_t count = 0;
    {
        const std::lock_guard lock(table_mutex());
        count = table().size();
    }
    for (size_t handle = 0; handle < count; ++handle) {
        const CallScope scope;
        if (workbook_at(static_cast<int32_t>(handle)))
            cancel_workbook(static_cast<int32_t>(handle));
    }
    ProcessState &state = process_state();
    {
        // The entries stay: other threads may keep their addresses.
        const std::lock_guard lock(table_mutex());
        state.xl_current = false;
    }
    const std::lock_guard lock(settings_mutex());
    state.keyword_prefix = u"**";
    state.replace_mode = false;
    state.default_fonts.reset();
}

}  // namespace tabrix::engine
