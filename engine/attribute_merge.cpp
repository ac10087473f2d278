#include "engine/attribute_merge.h"

namespace tabrix::engine {

namespace {

bool g_replace_mode = false;

}  // namespace

uint16_t merge_attributes(Workbook &, uint16_t, uint16_t overlay) {
    // Until the attribute registry can decode XF records into properties, the overlay's
    // record stands for the merged look.
    return overlay;
}

bool replace_mode() {
    return g_replace_mode;
}

void set_replace_mode(bool on) {
    g_replace_mode = on;
}

}  // namespace tabrix::engine
