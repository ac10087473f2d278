// Everything the engine keeps for the whole process, in one place: the open workbooks, the
// older layer's hold on workbook 0, and the settings that outlive a workbook. Callers on
// several threads share it: the workbook table and the older layer's hold are touched only
// under table_mutex(), the keyword prefix and the default fonts only under settings_mutex().
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "engine/model/workbook.h"
#include "platform/futex_lock.h"

namespace tabrix::engine {

// FONT bodies of the five default fonts of each format, as new workbooks take them.
struct DefaultFontTable {
    std::array<std::vector<uint8_t>, 5> biff5;
    std::array<std::vector<uint8_t>, 5> biff8;
};

// One entry of the workbook table. Entries are never freed, so a thread keeps the address of
// the entry a handle names and reaches its workbook without the table's lock; the entry's own
// lock serialises the C calls on its workbook. A call takes it at its first lookup of the
// handle and keeps it to its end; the close that empties the entry does so under it, so a call
// that waited for it finds no workbook, and the closed workbook is freed after the lock is
// given back.
struct WorkbookEntry {
    WorkbookEntry() = default;
    WorkbookEntry(const WorkbookEntry &) = delete;
    WorkbookEntry &operator=(const WorkbookEntry &) = delete;
    // A workbook still open when the process ends is released with its entry: its file claim
    // goes, and the disk stays as it was before the create.
    ~WorkbookEntry() { delete book.load(); }

    platform::FutexLock call_lock;
    std::atomic<Workbook *> book = nullptr;  // owned; null when the entry is free
};

struct ProcessState {
    // By handle; an entry without a workbook is free.
    std::vector<std::unique_ptr<WorkbookEntry>> workbooks;
    bool xl_current = false;  // workbook 0 belongs to the older layer
    std::u16string keyword_prefix = u"**";
    std::atomic<bool> replace_mode = false;         // applying to one cell replaces its attribute
    std::optional<DefaultFontTable> default_fonts;  // made on first use
};

ProcessState &process_state();
// Guards the workbook table and the older layer's hold; never held while a file is read or
// written, nor while waiting for a workbook's own lock.
std::mutex &table_mutex();
// Guards the keyword prefix and the default fonts.
std::mutex &settings_mutex();

}  // namespace tabrix::engine
