// C entry points: workbooks made from templates, and files opened for modification.
#include <optional>
#include <string>

#include "engine/exports/boundary.h"
#include "engine/lifecycle/template_workbooks.h"
#include "tabrix.h"

using namespace tabrix::engine;

namespace {

std::optional<std::u16string_view> output_of(const char16_t *output) {
    if (!output) return std::nullopt;
    return std::u16string_view(output);
}

}  // namespace

extern "C" {

TABRIX_API int32_t XM_CreateTW(const char16_t *file_name, const char16_t *template_name) {
    return guarded(
        [&] { return create_from_template(wide_view(file_name), wide_view(template_name)); });
}

TABRIX_API int32_t XM_CreateT(const char *file_name, const char *template_name) {
    return guarded(
        [&] { return XM_CreateTW(wide_of(file_name).c_str(), wide_of(template_name).c_str()); });
}

TABRIX_API int32_t XM_OpenW(const char16_t *file_name, const char16_t *output_name) {
    return guarded([&] { return open_for_update(wide_view(file_name), output_of(output_name)); });
}

TABRIX_API int32_t XM_Open(const char *file_name, const char *output_name) {
    return guarded([&] {
        const std::u16string output = wide_of(output_name);
        return XM_OpenW(wide_of(file_name).c_str(), output_name ? output.c_str() : nullptr);
    });
}

TABRIX_API int32_t XM_OpenClose(int32_t handle, int32_t save) {
    return guarded([&] { return close_opened(handle, save != 0); });
}

TABRIX_API int32_t XL_CreateT(const char *file_name, const char *template_name) {
    return guarded(
        [&] { return create_for_xl([&] { return XM_CreateT(file_name, template_name); }); });
}

TABRIX_API int32_t XL_Open(const char *file_name, const char *output_name) {
    return guarded([&] { return create_for_xl([&] { return XM_Open(file_name, output_name); }); });
}

TABRIX_API int32_t XL_OpenClose(int32_t save) {
    return guarded([&] {
        if (!xl_current()) return err::kHandle;
        set_xl_current(false);
        return close_opened(0, save != 0);
    });
}

}  // extern "C"
