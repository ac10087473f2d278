// Everything the engine keeps for the whole process, in one place: the open workbooks, the
// older layer's hold on workbook 0, and the settings that outlive a workbook. One caller
// thread at a time, as for every engine call.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
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
    std::vector<std::unique_ptr<Workbook>> workbooks;  // by handle; empty entries are free
    bool xl_current = false;                           // workbook 0 belongs to the older layer
    std::u16string keyword_prefix = u"**";
    bool replace_mode = false;                      // applying to one cell replaces its attribute
    std::optional<DefaultFontTable> default_fonts;  // made on first use
};

ProcessState &process_state();

}  // namespace tabrix::engine
