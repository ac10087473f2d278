// What every C entry point shares: exceptions kept inside, null-safe texts in both forms
// (narrow texts in the interface's code page), the workbook a handle names, the older layer's
// workbook 0 and its current sheet, and the public attribute request in the engine's form.
#pragma once

#include <cstdint>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "engine/biff/narrow_string.h"
#include "engine/formula/formula_record.h"
#include "engine/lifecycle/workbook_table.h"
#include "engine/model/attribute.h"
#include "platform/interface_text.h"
#include "tabrix.h"

namespace tabrix::engine {

// Every entry point runs its body here: the workbooks it reaches are locked for the call.
template <class Body>
int32_t guarded(Body &&body) noexcept {
    const CallScope scope;
    try {
        return body();
    } catch (const std::bad_alloc &) {
        return err::kMemory;
    } catch (...) {
        return err::kInternal;
    }
}

// Texts as given, a null pointer read as the empty text.
inline std::string_view narrow_view(const char *text) {
    return text ? std::string_view(text) : std::string_view();
}
inline std::u16string_view wide_view(const char16_t *text) {
    return text ? std::u16string_view(text) : std::u16string_view();
}
// A narrow text in UTF-16, a null pointer read as the empty text.
inline std::u16string wide_of(const char *text) {
    return text ? platform::narrow_to_utf16(text) : std::u16string();
}

// A caller's narrow text as the engine takes it: its code page 932 bytes as they are, or in
// UTF-8 mode its UTF-16 form, held here. A null pointer reads as the empty text.
class NarrowArgument {
  public:
    explicit NarrowArgument(const char *text)
        : given_(text != nullptr), utf8_(platform::narrow_is_utf8()), narrow_(narrow_view(text)) {
        if (utf8_) wide_ = platform::utf8_to_utf16(narrow_);
    }
    NarrowArgument(const NarrowArgument &) = delete;
    NarrowArgument &operator=(const NarrowArgument &) = delete;

    bool given() const { return given_; }
    CallerText text() const {
        return utf8_ ? CallerText(std::u16string_view(wide_)) : CallerText(narrow_);
    }

  private:
    bool given_;
    bool utf8_;
    std::string_view narrow_;
    std::u16string wide_;
};

// The older layer owns table entry 0 only while it is free: an XL_ create or open makes the
// workbook there and makes it the older layer's.
// A create on another thread may take entry 0 between the test and this create: the workbook
// made elsewhere is then given up, as if entry 0 had been taken first.
template <class Create>
int32_t create_for_xl(Create &&create) {
    if (workbook_at(0)) return err::kOpen;
    int32_t handle = create();
    if (handle > 0) {
        cancel_workbook(handle);
        return err::kOpen;
    }
    if (handle == 0) set_xl_current(true);
    return handle;
}

// Runs a call on the older layer's workbook 0, with its current sheet.
template <class Call>
int32_t on_xl_sheet(Call &&call) {
    Workbook *book = xl_current();
    if (!book) return err::kNotOpen;
    return call(book->current_sheet);
}

// The engine's attribute of a public request, and back.
CellAttribute attribute_of(const XLATTR &request);
XLATTR public_attribute(const CellAttribute &attribute);

// The engine's view of a caller's formula result; its text is taken only when its length is
// in range, so that the record builder refuses the rest.
std::optional<CachedResult> cached_of(const FormulaResult *result);

}  // namespace tabrix::engine
