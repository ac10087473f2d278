// Members that set the control's current position and return the control, so that a
// client chains a position and a property in one statement: c.Pos(1, 2).Str = "...".
#include "automation/members/member_helpers.h"

namespace tabrix::automation {

namespace {

Epilogue chained(Call &call, const char *position) {
    Control &control = call.control();
    control.set_position(position);
    if (call.result()) {
        control.references.fetch_add(1);
        put_control(call.result(), control.handle());
    }
    return Epilogue::skip;
}

template <char *(*Build)(int32_t, int32_t, int32_t, int32_t)>
Epilogue pos(Call &call) {
    return chained(call, Build(call.number(0), call.number(1), call.number(2), call.number(3)));
}

// A cell text without a code page 932 form names no cell: the member's error.
template <char *(*Build)(const char *, int32_t, int32_t)>
Epilogue cell(Call &call) {
    const std::optional<std::string> text = narrow_exact(call.text(0));
    if (!text) return refuse_argument();
    return chained(call, Build(text->c_str(), call.number(1), call.number(2)));
}

Epilogue move(Call &call) {
    XlsMove(call.control().position());
    return Epilogue::run;
}

constexpr MemberCode kCode[] = {
    {0x456, cell<CELL>, nullptr, nullptr}, {0x458, cell<CELL2>, nullptr, nullptr},
    {0x457, pos<POS>, nullptr, nullptr},   {0x459, pos<POS2>, nullptr, nullptr},
    {0x66, nullptr, nullptr, move},
};

}  // namespace

std::span<const MemberCode> position_member_code() {
    return kCode;
}

}  // namespace tabrix::automation
