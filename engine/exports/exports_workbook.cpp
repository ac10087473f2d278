// C entry points: workbook create, close and cancel, and the older layer's workbook 0.
#include <string>

#include "engine/edit/value_writes.h"
#include "engine/exports/boundary.h"
#include "engine/model/workbook.h"
#include "platform/codepage.h"
#include "tabrix.h"

using namespace tabrix::engine;

namespace {

int32_t create_versioned(std::u16string_view name, int32_t sheet_count, int32_t version) {
    if (sheet_count < 1) sheet_count = version < 97 ? 16 : 3;
    return create_workbook(name, sheet_count, format_for_version(version));
}

}  // namespace

extern "C" {

TABRIX_API int32_t XM_CreateW(const char16_t *file_name, int32_t sheet_count) {
    return guarded([&] {
        return create_workbook(wide_view(file_name), sheet_count < 1 ? 16 : sheet_count,
                               FileFormat{false, 97});
    });
}

TABRIX_API int32_t XM_Create(const char *file_name, int32_t sheet_count) {
    return guarded([&] { return XM_CreateW(wide_of(file_name).c_str(), sheet_count); });
}

TABRIX_API int32_t XM_Create97W(const char16_t *file_name, int32_t sheet_count) {
    return guarded([&] {
        return create_workbook(wide_view(file_name), sheet_count < 1 ? 3 : sheet_count,
                               FileFormat{true, 97});
    });
}

TABRIX_API int32_t XM_Create97(const char *file_name, int32_t sheet_count) {
    return guarded([&] { return XM_Create97W(wide_of(file_name).c_str(), sheet_count); });
}

TABRIX_API int32_t XM_CreateVerW(const char16_t *file_name, int32_t sheet_count, int32_t version) {
    return guarded([&] { return create_versioned(wide_view(file_name), sheet_count, version); });
}

TABRIX_API int32_t XM_CreateVer(const char *file_name, int32_t sheet_count, int32_t version) {
    return guarded([&] { return create_versioned(wide_of(file_name), sheet_count, version); });
}

TABRIX_API int32_t XM_Close(int32_t handle) {
    return guarded([&] { return close_workbook(handle); });
}

TABRIX_API int32_t XM_Cancel(int32_t handle) {
    return guarded([&] { return cancel_workbook(handle); });
}

TABRIX_API int32_t XL_Create(const char *file_name, int32_t sheet_count) {
    return guarded(
        [&] { return create_for_xl([&] { return XM_Create(file_name, sheet_count); }); });
}

TABRIX_API int32_t XL_Create97(const char *file_name, int32_t sheet_count) {
    return guarded(
        [&] { return create_for_xl([&] { return XM_Create97(file_name, sheet_count); }); });
}

TABRIX_API int32_t XL_Close(void) {
    return guarded([&] {
        if (!xl_current()) return err::kNotOpen;
        set_xl_current(false);
        return close_workbook(0);
    });
}

TABRIX_API int32_t XL_Cancel(void) {
    return guarded([&] {
        if (!xl_current()) return err::kNotOpen;
        set_xl_current(false);
        return cancel_workbook(0);
    });
}

TABRIX_API int32_t XL_SelSheetNo(int32_t sheet) {
    return guarded([&] {
        if (!xl_current()) return err::kNotOpen;
        return select_sheet(book_ref(0), sheet);
    });
}

}  // extern "C"
