// The View* calls and how the viewer library is found.
#include <optional>
#include <string>

#include "bridges/forwarding.h"
#include "platform/settings.h"
#include "tabrix/book.h"
#include "tabrix/bridges.h"

namespace tabrix::bridges {
namespace {

// The folder of the Navigator setting, then the folder tabrix was installed to, then the
// dynamic linker's search.
void *load_viewer() {
    const std::string file = platform::module_file_name("vuebrix");
    if (std::optional<std::string> folder = platform::read_setting("Navigator")) {
        if (folder->back() != '/') *folder += '/';
        if (void *module = platform::load_module(*folder + file)) return module;
    }
    if (const auto own = platform::own_directory(); !own.empty()) {
        if (void *module = platform::load_module((own / file).string())) return module;
    }
    return platform::load_module(file);
}

constinit platform::LazyModule viewer(load_viewer);

// The class value the viewer's class calls are given; nothing sets it.
constexpr int32_t viewer_class = 0;

}  // namespace
}  // namespace tabrix::bridges

using tabrix::bridges::viewer;

// clang-format off
TABRIX_BRIDGE(viewer, ViewCreateWnd,      "_ViewCreateWnd",      3)
TABRIX_BRIDGE(viewer, ViewPutZoom,        "_ViewPutZoom",        2)
TABRIX_BRIDGE(viewer, ViewPutUrlName,     "_ViewPutUrlName",     2)
TABRIX_BRIDGE(viewer, ViewPutModeGrid,    "_ViewPutModeGrid",    2)
TABRIX_BRIDGE(viewer, ViewPutContextMenu, "_ViewPutContextMenu", 2)
TABRIX_BRIDGE(viewer, ViewPutOpenEnable,  "_ViewPutOpenEnable",  2)
TABRIX_BRIDGE(viewer, ViewPutSaveEnable,  "_ViewPutSaveEnable",  2)
TABRIX_BRIDGE(viewer, ViewPutPrintEnable, "_ViewPutPrintEnable", 2)
TABRIX_BRIDGE(viewer, ViewPutSheetNo,     "_ViewPutSheetNo",     2)
TABRIX_BRIDGE(viewer, ViewSetPrint,       "_ViewSetPrint",       1)
TABRIX_BRIDGE(viewer, ViewPrint,          "_ViewPrint",          3)
TABRIX_BRIDGE(viewer, ViewPreView,        "_ViewPreView",        5)
// clang-format on

extern "C" TABRIX_API int32_t ViewCreateClass(int32_t) {
    return tabrix::bridges::forward(viewer, "_ViewCreateClass", tabrix::bridges::viewer_class);
}

extern "C" TABRIX_API int32_t ViewReleaseClass(void) {
    return tabrix::bridges::forward(viewer, "_ViewReleaseClass", tabrix::bridges::viewer_class);
}

extern "C" TABRIX_API int32_t ViewGetErrorNo(int32_t *number) {
    return XlsGetErrorNo(number);
}

extern "C" TABRIX_API int32_t ViewGetErrorMessage(char *buffer, int32_t size) {
    return XlsGetErrorMessage(buffer, size);
}
