// One forwarding export per line of a companion library's table: the export, the entry point
// it calls and how many 32-bit arguments it passes on.
#pragma once

#include <cstdint>

#include "platform/modules.h"

namespace tabrix::bridges {

// Calls a companion's entry point with the arguments as given; 0 without the library or the
// entry point.
template <class... Arguments>
int32_t forward(platform::LazyModule &module, const char *entry, Arguments... arguments) noexcept {
    try {
        using Entry = int32_t (*)(Arguments...);
        void *address = platform::module_entry(module.get(), entry);
        return address ? reinterpret_cast<Entry>(address)(arguments...) : 0;
    } catch (...) {
        return 0;
    }
}

}  // namespace tabrix::bridges

#define TABRIX_BRIDGE_PARAMETERS_0 void
#define TABRIX_BRIDGE_PARAMETERS_1 int32_t a1
#define TABRIX_BRIDGE_PARAMETERS_2 int32_t a1, int32_t a2
#define TABRIX_BRIDGE_PARAMETERS_3 int32_t a1, int32_t a2, int32_t a3
#define TABRIX_BRIDGE_PARAMETERS_5 int32_t a1, int32_t a2, int32_t a3, int32_t a4, int32_t a5
#define TABRIX_BRIDGE_ARGUMENTS_0
#define TABRIX_BRIDGE_ARGUMENTS_1 , a1
#define TABRIX_BRIDGE_ARGUMENTS_2 , a1, a2
#define TABRIX_BRIDGE_ARGUMENTS_3 , a1, a2, a3
#define TABRIX_BRIDGE_ARGUMENTS_5 , a1, a2, a3, a4, a5

#define TABRIX_BRIDGE(module, name, entry, count)                                         \
    extern "C" TABRIX_API int32_t name(TABRIX_BRIDGE_PARAMETERS_##count) {                \
        return ::tabrix::bridges::forward(module, entry TABRIX_BRIDGE_ARGUMENTS_##count); \
    }
