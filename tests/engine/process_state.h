// The engine's process-wide state put back as a fresh process has it: open workbooks (the
// older layer's workbook 0 among them), the keyword prefix, the attribute replace mode and
// the default font table. Fixtures call reset_process_state() from TearDown, which runs even
// when an assertion ended the test body early.
#pragma once

#include <cstdint>

#include "engine/lifecycle/workbook_table.h"
#include "engine/model/keywords.h"
#include "engine/styles/attribute_merge.h"
#include "engine/styles/default_records.h"

namespace tabrix::engine::test {

// Taken while the test program starts, before any test can change the table.
inline const DefaultFontTable kStartingDefaultFonts = default_font_table();

// Cancels every workbook still open (a written or read-only file stays, a half-made one goes)
// and restores the settings.
inline void reset_process_state() {
    constexpr int32_t kHandlesScanned = 64;  // far more than any test keeps open
    for (int32_t handle = 0; handle < kHandlesScanned; ++handle) {
        if (workbook_at(handle)) cancel_workbook(handle);
    }
    set_xl_current(false);
    set_keyword_prefix(u"**");
    set_replace_mode(false);
    default_font_table() = kStartingDefaultFonts;
}

}  // namespace tabrix::engine::test
