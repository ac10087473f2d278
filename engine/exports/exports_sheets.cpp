// C entry points: the sheet list (count, names, renaming, appending, deleting, copying) and
// the active sheet.
#include <algorithm>
#include <cstring>
#include <string>

#include "engine/edit/sheet_edits.h"
#include "engine/exports/boundary.h"
#include "engine/layout/sheet_operations.h"
#include "engine/model/workbook.h"
#include "tabrix.h"

using namespace tabrix::engine;

namespace {

// The buffer a caller gives for a sheet name holds 32 units, its terminator included.
constexpr size_t kNameBufferUnits = 32;

// Copies as much of a narrow name as fits, never part of a character; -31 when the whole did
// not fit.
int32_t put_narrow_name(const std::string &name, char *buffer) {
    const size_t fits = tabrix::platform::narrow_fit(name, kNameBufferUnits - 1);
    std::memcpy(buffer, name.data(), fits);
    buffer[fits] = '\0';
    return fits == name.size() ? 0 : err::kLength;
}

}  // namespace

extern "C" {

TABRIX_API int32_t XM_GetSheetCount(int32_t h) {
    return guarded([&] { return sheet_count(book_ref(h)); });
}

TABRIX_API int32_t XM_SheetName(int32_t h, int32_t s, const char *name) {
    return guarded([&] { return rename_sheet(book_ref(h), s, wide_of(name)); });
}

TABRIX_API int32_t XM_SheetNameW(int32_t h, int32_t s, const char16_t *name) {
    return guarded([&] { return rename_sheet(book_ref(h), s, wide_view(name)); });
}

TABRIX_API int32_t XM_GetSheetName(int32_t h, int32_t s, char *buffer) {
    return guarded([&] {
        std::u16string name;
        if (int32_t rc = sheet_name(book_ref(h), s, &name); rc != 0) return rc;
        if (!buffer) return err::kParam;
        return put_narrow_name(tabrix::platform::utf16_to_narrow(name), buffer);
    });
}

TABRIX_API int32_t XM_GetSheetNameW(int32_t h, int32_t s, char16_t *buffer) {
    return guarded([&] {
        std::u16string name;
        if (int32_t rc = sheet_name(book_ref(h), s, &name); rc != 0) return rc;
        if (!buffer) return err::kParam;
        const size_t fits = std::min(name.size(), kNameBufferUnits - 1);
        std::copy_n(name.begin(), fits, buffer);
        buffer[fits] = u'\0';
        return fits == name.size() ? 0 : err::kLength;
    });
}

TABRIX_API int32_t XM_SetAddSheet(int32_t h, int32_t count) {
    return guarded([&] { return add_sheets(book_ref(h), count); });
}

TABRIX_API int32_t XM_SetDelSheet(int32_t h, int32_t first, int32_t count) {
    return guarded([&] { return delete_sheets_with_formulas(book_ref(h), first, count); });
}

TABRIX_API int32_t XM_CopySheet(int32_t h, int32_t source, int32_t position, const char *name) {
    return guarded(
        [&] { return copy_sheet_with_formulas(book_ref(h), source, position, wide_of(name)); });
}

TABRIX_API int32_t XM_CopySheetW(int32_t h, int32_t source, int32_t position,
                                 const char16_t *name) {
    return guarded(
        [&] { return copy_sheet_with_formulas(book_ref(h), source, position, wide_view(name)); });
}

TABRIX_API int32_t XM_GetActiveSheet(int32_t h) {
    return guarded([&] { return active_sheet(book_ref(h)); });
}

TABRIX_API int32_t XM_SetActiveSheet(int32_t h, int32_t s) {
    return guarded([&] { return set_active_sheet(book_ref(h), s); });
}

// The older layer: workbook 0 and its current sheet.

TABRIX_API int32_t XL_GetSheetCount(void) {
    return guarded([&] { return xl_current() ? XM_GetSheetCount(0) : err::kNotOpen; });
}

TABRIX_API int32_t XL_SheetName(const char *name) {
    return guarded(
        [&] { return on_xl_sheet([&](int32_t s) { return XM_SheetName(0, s, name); }); });
}

TABRIX_API int32_t XL_SetAddSheet(int32_t count) {
    return guarded([&] { return xl_current() ? XM_SetAddSheet(0, count) : err::kNotOpen; });
}

TABRIX_API int32_t XL_SetDelSheet(int32_t first, int32_t count) {
    return guarded([&] { return xl_current() ? XM_SetDelSheet(0, first, count) : err::kNotOpen; });
}

TABRIX_API int32_t XL_CopySheet(int32_t source, int32_t position, const char *name) {
    return guarded(
        [&] { return xl_current() ? XM_CopySheet(0, source, position, name) : err::kNotOpen; });
}

TABRIX_API int32_t XL_GetActiveSheet(void) {
    return guarded([&] { return xl_current() ? XM_GetActiveSheet(0) : err::kNotOpen; });
}

TABRIX_API int32_t XL_SetActiveSheet(int32_t s) {
    return guarded([&] { return xl_current() ? XM_SetActiveSheet(0, s) : err::kNotOpen; });
}

}  // extern "C"
