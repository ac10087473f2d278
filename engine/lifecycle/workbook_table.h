// The engine's workbook table: the workbooks open under their handles, their create, close
// and cancel, and the older single-workbook layer's workbook 0.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>

#include "engine/model/process_state.h"
#include "engine/model/workbook.h"

namespace tabrix::engine {

// A file name as the file system takes it; none for a name it cannot hold (an unpaired
// surrogate).
std::optional<std::filesystem::path> file_path(std::u16string_view name);

// The version-taking create's mapping: 95 and 0 give Excel 95; 97, 2000 and 2002 Excel 97
// with that stamp; any other value Excel 97 stamped 97.
FileFormat format_for_version(int32_t version);

// Claims the file and makes a workbook for it (nothing reaches the disk before close); returns
// the handle or a negative code. A sheet count above 0x40000000 means that count less
// 0x40000000, without the default FONT, FORMAT, XF and STYLE records.
int32_t create_workbook(std::u16string_view file_name, int32_t sheet_count, FileFormat format);
// What a create puts into a new workbook whose file is ready: its sheets, the header records,
// the default FONT, FORMAT, XF and STYLE records when asked for, EOF.
void fill_new_workbook(Workbook &book, int32_t sheet_count, bool default_tables);
// Puts a workbook under the lowest free handle and returns it; `book` is taken only then.
int32_t register_workbook(std::unique_ptr<Workbook> &book);
// Writes the workbook over its file, whole or not at all, and releases it (-5 when the file
// could not be written: the old file, or none, stays as it was).
int32_t close_workbook(int32_t handle);
// Releases the workbook without writing: the disk stays as it was before the create or open.
int32_t cancel_workbook(int32_t handle);

// One C call on this thread, nested ones included: each workbook the call looks up is locked
// at its first lookup and stays locked, and alive, until the outermost call returns. Calls on
// one workbook from several threads thus run one after the other, and a close waits for a
// call on another thread (which then finds the workbook closed). A call reaches one workbook
// at a time, so no two threads can wait for each other.
//
// The thread's frame of calls: how deeply C calls are nested on it (an entry point may call
// another), the table entries the running call holds locked, and the entry it looked up last
// (entries are never freed). Trivially built, so that no guard runs at each access; the
// common call (the outermost, on one workbook, the handle the thread used last) takes and
// gives back its entry's lock inline.
//
// The depth stands apart from the counts beside it: a compiler that tests it together with
// its neighbour in one wide read, just after the call's entry raised it, would wait on that
// narrower store every call.
struct CallFrame {
    static constexpr uint32_t kInlineHeld = 4;
    uint32_t held_count;
    int32_t last_handle;
    WorkbookEntry *last_entry;
    WorkbookEntry *held[kInlineHeld];
    alignas(8) int32_t depth;
};
extern constinit thread_local CallFrame call_frame;

// The frame's address, for a function to take once: in a shared library each computation of a
// thread-local address is a call, and the compiler would otherwise compute it at every use.
inline CallFrame &this_frame() {
    CallFrame *calls = &call_frame;
    asm("" : "+r"(calls));
    return *calls;
}

void enter_call() noexcept;
void leave_call();
class CallScope {
  public:
    CallScope() noexcept : calls_(this_frame()) { ++calls_.depth; }
    ~CallScope() {
        CallFrame &calls = calls_;
        if (calls.depth != 1 || calls.held_count > 1) {
            leave_call();
            return;
        }
        calls.depth = 0;
        if (calls.held_count == 1) {
            calls.held_count = 0;
            calls.held[0]->call_lock.unlock();
        }
    }
    CallScope(const CallScope &) = delete;
    CallScope &operator=(const CallScope &) = delete;

  private:
    CallFrame &calls_;  // found once: each lookup of a thread-local is a call
};

// book_ref's lookup through the table, for any call.
BookRef table_book_ref(int32_t handle);

// The workbook under a handle, or why there is none; locked for the C call (see CallScope).
inline BookRef book_ref(int32_t handle) {
    if (handle < 0) return {nullptr, err::kHandle};
    CallFrame &calls = this_frame();
    if (handle != calls.last_handle || calls.depth != 1 || calls.held_count != 0) {
        return table_book_ref(handle);
    }
    WorkbookEntry *entry = calls.last_entry;
    entry->call_lock.lock();
    calls.held[0] = entry;
    calls.held_count = 1;
    return {entry->book.load(std::memory_order_acquire), err::kNotOpen};
}
// The workbook under a handle or null, without telling why; locked as book_ref locks it.
Workbook *workbook_at(int32_t handle);

// The older single-workbook layer: table entry 0, once an XL_ create or open made it current.
Workbook *xl_current();
void set_xl_current(bool current);

// Puts the process back as it started: every open workbook cancelled, the older layer's hold
// released, the keyword prefix, the replace mode and the default fonts as they were.
void reset_process_state();

}  // namespace tabrix::engine
