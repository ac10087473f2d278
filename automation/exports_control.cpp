// C entry points of the automation control: the member table, controls, invoke, the Error
// event's sinks and the thread's error information.
#include <cstring>
#include <new>

#include "automation/control/control.h"
#include "automation/control/error_epilogue.h"
#include "automation/members/member_table.h"
#include "bookapi/books/last_error.h"
#include "platform/interface_text.h"
#include "tabrix.h"

using namespace tabrix::automation;

namespace {

// No exception leaves the library: running out of memory is a status of its own. A control
// works on the Book API's current book: its calls take the Book API's lock, which also keeps
// two threads off one control's state.
// The control converts its texts to and from code page 932 itself, whatever the setting.
template <class Body>
int32_t guarded(Body &&body) noexcept {
    const std::lock_guard lock(tabrix::bookapi::book_api_mutex());
    const tabrix::platform::NarrowCodePageScope cp932(tabrix::platform::kShiftJisCodePage);
    try {
        return body();
    } catch (const std::bad_alloc &) {
        return XLE_OUTOFMEMORY;
    } catch (...) {
        return XLE_UNEXPECTED;
    }
}

template <class Item>
const Item *item_at(std::span<const Item> items, int32_t index) {
    return index >= 0 && static_cast<size_t>(index) < items.size() ? &items[index] : nullptr;
}

}  // namespace

extern "C" {

TABRIX_API int32_t XlsControlMemberCount(void) {
    return static_cast<int32_t>(member_table().size());
}

TABRIX_API const XLMEMBER *XlsControlMember(int32_t index) {
    return item_at(member_table(), index);
}

TABRIX_API int32_t XlsControlEnumCount(void) {
    return static_cast<int32_t>(enumeration_table().size());
}

TABRIX_API const XLENUMVALUE *XlsControlEnum(int32_t index) {
    return item_at(enumeration_table(), index);
}

TABRIX_API int32_t XlsControlGetDispID(const char *name, int32_t *dispid) {
    if (!name || !dispid) return XLE_POINTER;
    return guarded([&] {
        const XLMEMBER *member = member_by_name(name);
        if (!member) return XLDISP_E_UNKNOWNNAME;
        *dispid = member->dispid;
        return 0;
    });
}

TABRIX_API int32_t XlsControlCreate(int32_t *control) {
    if (!control) return XLE_POINTER;
    return guarded([&] {
        *control = register_control();
        return 0;
    });
}

TABRIX_API int32_t XlsControlAddRef(int32_t control) {
    const std::shared_ptr<Control> live = find_control(control);
    return live ? live->references.fetch_add(1) + 1 : 0;
}

TABRIX_API int32_t XlsControlRelease(int32_t control) {
    const std::shared_ptr<Control> live = find_control(control);
    if (!live) return 0;
    const int32_t left = live->references.fetch_sub(1) - 1;
    if (left == 0) unregister_control(control);
    return left;
}

TABRIX_API int32_t XlsControlInvoke(int32_t control, int32_t dispid, int32_t invoke,
                                    int32_t arg_count, const VARIANT *args, VARIANT *result) {
    return guarded([&] {
        // Held for the call, so that a sink releasing the control cannot end it mid-call.
        const std::shared_ptr<Control> live = find_control(control);
        if (!live) return XLE_HANDLE;
        const MemberEntry *member = member_by_dispid(dispid);
        if (!member) return XLDISP_E_MEMBERNOTFOUND;
        return run_member(*live, *member, invoke, arg_count, args, result);
    });
}

TABRIX_API int32_t XlsControlAdvise(int32_t control, XLERRORSINK sink, void *context,
                                    int32_t *cookie) {
    if (!sink || !cookie) return XLE_POINTER;
    return guarded([&] {
        const std::shared_ptr<Control> live = find_control(control);
        if (!live) return XLE_HANDLE;
        *cookie = live->connect(sink, context);
        return 0;
    });
}

TABRIX_API int32_t XlsControlUnadvise(int32_t control, int32_t cookie) {
    return guarded([&] {
        const std::shared_ptr<Control> live = find_control(control);
        if (!live) return XLE_HANDLE;
        return live->disconnect(cookie) ? 0 : XLCONNECT_E_NOCONNECTION;
    });
}

TABRIX_API int32_t XlsControlGetErrorInfo(XLERRORINFO *info) {
    if (!info) return 0;
    return take_error_info(*info) ? 1 : 0;
}

}  // extern "C"
