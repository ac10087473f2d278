// Members that put and get cell values and formulas at the current position.
#include <vector>

#include "automation/members/member_helpers.h"

namespace tabrix::automation {

namespace {

// The Str read buffer: 65536 bytes.
constexpr int32_t kReadUnits = 32768;

VARIANT text_variant(const std::u16string &text) {
    VARIANT value{};
    value.vt = VT_BSTR;
    value.bstrVal = const_cast<char16_t *>(text.c_str());
    return value;
}

Epilogue get_double(Call &call) {
    double value = 0;
    XlsGetDouble(&value, call.control().position());
    put_double(call.result(), value);
    return Epilogue::run;
}

Epilogue put_double_value(Call &call) {
    XlsPutDouble(call.value().real, call.control().position());
    return Epilogue::run;
}

Epilogue get_long(Call &call) {
    int32_t value = 0;
    XlsGetLong(&value, call.control().position());
    put_long(call.result(), value);
    return Epilogue::run;
}

Epilogue put_long_value(Call &call) {
    XlsPutLong(call.value().number, call.control().position());
    return Epilogue::run;
}

Epilogue get_str(Call &call) {
    std::vector<char16_t> buffer(kReadUnits);
    XlsGetStrW(buffer.data(), kReadUnits, call.control().wide_position());
    put_text(call.result(), buffer.data());
    return Epilogue::run;
}

Epilogue put_str(Call &call) {
    XlsPutStrW(call.value().text.c_str(), call.control().wide_position());
    return Epilogue::run;
}

Epilogue get_value(Call &call) {
    VARIANT read{};
    XlsGetValueV(&read, call.control().position());
    const std::u16string text = variant_text(read).value_or(u"");
    XlsClearValueV(&read);
    put_text(call.result(), text);
    return Epilogue::run;
}

Epilogue put_value(Call &call) {
    XlsPutValueV(text_variant(call.value().text), call.control().position());
    return Epilogue::run;
}

Epilogue put_func(Call &call) {
    XlsPutFuncVW(call.value().text.c_str(), VARIANT{}, call.control().wide_position());
    return Epilogue::run;
}

// The result is stored only when one is given.
Epilogue func2(Call &call) {
    const std::u16string &result = call.text(1);
    XlsPutFuncVW(call.text(0).c_str(), result.empty() ? VARIANT{} : text_variant(result),
                 call.control().wide_position());
    return Epilogue::run;
}

Epilogue func_v(Call &call) {
    XlsPutFuncVW(call.text(0).c_str(), call.argument(1).variant, call.control().wide_position());
    return Epilogue::run;
}

Epilogue double2(Call &call) {
    XlsPutDouble2(call.real(0), call.control().position(), call.number(1));
    return Epilogue::run;
}

Epilogue long2(Call &call) {
    XlsPutLong2(call.number(0), call.control().position(), call.number(1));
    return Epilogue::run;
}

Epilogue str2(Call &call) {
    XlsPutStr2W(call.text(0).c_str(), call.control().wide_position(), call.number(1));
    return Epilogue::run;
}

Epilogue value2(Call &call) {
    XlsPutValue2(call.argument(0).variant, call.control().position(), call.number(1));
    return Epilogue::run;
}

// The caller takes the variant as read (a text it releases with XlsClearValueV).
Epilogue get_value_v(Call &call) {
    VARIANT read{};
    XlsGetValueV(&read, call.control().position());
    if (call.result()) {
        *call.result() = read;
    } else {
        XlsClearValueV(&read);
    }
    return Epilogue::run;
}

Epilogue put_value_v(Call &call) {
    XlsPutValueV(call.value().variant, call.control().position());
    return Epilogue::run;
}

constexpr MemberCode kCode[] = {
    {0x3E8, get_double, put_double_value, nullptr},
    {0x3E9, get_long, put_long_value, nullptr},
    {0x3EA, get_str, put_str, nullptr},
    {0x3EC, get_value, put_value, nullptr},
    {0x3EB, nullptr, put_func, nullptr},
    {0x64, nullptr, nullptr, func2},
    {0x67, nullptr, nullptr, func_v},
    {0x3ED, nullptr, nullptr, double2},
    {0x3EE, nullptr, nullptr, long2},
    {0x3EF, nullptr, nullptr, str2},
    {0x3F0, nullptr, nullptr, value2},
    {0x3F1, get_value_v, put_value_v, nullptr},
};

}  // namespace

std::span<const MemberCode> value_member_code() {
    return kCode;
}

}  // namespace tabrix::automation
