#include "automation/control/control.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "automation/control/error_epilogue.h"
#include "automation/members/member_table.h"
#include "platform/codepage.h"
#include "platform/interface_text.h"
#include "tabrix.h"

namespace tabrix::automation {

namespace {

// The position buffer holds 512 bytes, NUL included.
constexpr size_t kPositionBytes = 511;
// Far from small integers and from book handles, so that neither passes for a control.
constexpr int32_t kFirstHandle = 0x30810001;

struct Registry {
    std::mutex lock;
    std::unordered_map<int32_t, std::shared_ptr<Control>> controls;
    int32_t next_handle = kFirstHandle;
};

Registry &registry() {
    static Registry live;
    return live;
}

// Which code answers an invoke kind: a put only when asked for a put alone; a caller that
// asks for a method or a get (or both, as scripting clients do) gets what the member has.
MemberBody body_for(const XLMEMBER &member, const MemberCode &code, int32_t invoke) {
    if (invoke == XLINVOKE_PROPERTYPUT)
        return (member.invoke & XLINVOKE_PROPERTYPUT) ? code.put : nullptr;
    if ((invoke & XLINVOKE_METHOD) && (member.invoke & XLINVOKE_METHOD)) return code.method;
    if ((invoke & XLINVOKE_PROPERTYGET) && (member.invoke & XLINVOKE_PROPERTYGET)) return code.get;
    return nullptr;
}

}  // namespace

void Control::set_position(const char *text) {
    std::string_view given = text ? text : "";
    position_.assign(given.substr(0, kPositionBytes));
    wide_position_made_ = false;
}

const char16_t *Control::wide_position() {
    if (!wide_position_made_) {
        wide_position_ = platform::cp932_to_utf16(position_);
        wide_position_made_ = true;
    }
    return wide_position_.c_str();
}

int32_t Control::connect(XLERRORSINK sink, void *context) {
    sinks_.push_back({next_cookie_, sink, context});
    return next_cookie_++;
}

bool Control::disconnect(int32_t cookie) {
    const auto found = std::find_if(sinks_.begin(), sinks_.end(),
                                    [&](const Sink &entry) { return entry.cookie == cookie; });
    if (found == sinks_.end()) return false;
    sinks_.erase(found);
    return true;
}

void Control::fire_error(int32_t &number) const {
    // A sink may connect or disconnect while it runs; the event goes to those connected now.
    const std::vector<Sink> connected = sinks_;
    // The caller's code runs with the process's narrow code page, not the control's own.
    const platform::NarrowCodePageScope callers(platform::kProcessCodePage);
    for (const Sink &entry : connected) entry.sink(entry.context, &number);
}

int32_t register_control() {
    Registry &live = registry();
    const std::lock_guard guard(live.lock);
    const int32_t handle = live.next_handle++;
    live.controls.emplace(handle, std::make_shared<Control>(handle));
    return handle;
}

std::shared_ptr<Control> find_control(int32_t handle) {
    Registry &live = registry();
    const std::lock_guard guard(live.lock);
    const auto found = live.controls.find(handle);
    return found == live.controls.end() ? nullptr : found->second;
}

void unregister_control(int32_t handle) {
    Registry &live = registry();
    const std::lock_guard guard(live.lock);
    live.controls.erase(handle);
}

int32_t run_member(Control &control, const MemberEntry &entry, int32_t invoke, int32_t arg_count,
                   const VARIANT *args, VARIANT *result) {
    const XLMEMBER &member = *entry.member;
    const MemberCode *code = entry.code;
    const MemberBody body = code ? body_for(member, *code, invoke) : nullptr;
    if (!body) return XLDISP_E_MEMBERNOTFOUND;
    if (arg_count < 0 || (arg_count > 0 && !args)) return XLE_POINTER;
    const bool put = invoke == XLINVOKE_PROPERTYPUT;
    const int32_t given = put ? arg_count - 1 : arg_count;
    if (given < 0 || given > member.arg_count) return XLDISP_E_BADPARAMCOUNT;

    // Arguments the interface types are coerced before the member runs, as a dispatch
    // interface does; an optional one that cannot be taken is the member's own error.
    std::vector<Argument> arguments(member.arg_count + (put ? 1 : 0));
    bool optional_refused = false;
    for (int32_t i = 0; i < member.arg_count; ++i) {
        const XLMEMBERARG &declared = member.args[i];
        if (i >= given || is_omitted(args[i])) {
            if (!declared.optional) return XLDISP_E_PARAMNOTOPTIONAL;
            arguments[i] = default_argument(declared);
        } else if (!convert_argument(args[i], static_cast<XLARGKIND>(declared.kind),
                                     arguments[i])) {
            if (!declared.optional) return XLDISP_E_TYPEMISMATCH;
            optional_refused = true;
        }
    }
    if (put && !convert_argument(args[given], static_cast<XLARGKIND>(member.value_kind),
                                 arguments.back())) {
        return XLDISP_E_TYPEMISMATCH;
    }
    if (result) {
        std::memset(result, 0, sizeof *result);
        result->vt = VT_EMPTY;
    }

    if (optional_refused) {
        XlsSetErrorNo(errParam);
        return error_epilogue(control);
    }
    if (!code->keeps_error_state) XlsSetErrorNo(0);
    Call call(control, arguments, result);
    if (body(call) == Epilogue::skip) return 0;
    return error_epilogue(control);
}

}  // namespace tabrix::automation
