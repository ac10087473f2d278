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

namespace tabrix::engine {

// FONT bodies of the five default fonts of each format, as new workbooks take them.
struct DefaultFontTable {
    std::array<std::vector<uint8_t>, 5> biff5;
    std::array<std::vector<uint8_t>, 5> biff8;
};

struct ProcessState {
    // By handle; empty entries are free. A call holds its workbook by a share of its own, so
    // that a close on another thread empties the entry without freeing the workbook under it.
    std::vector<std::shared_ptr<Workbook>> workbooks;
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
