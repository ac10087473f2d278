// What the members' code shares: texts in code page 932, the refusal of a bad argument.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "automation/control/control.h"
#include "automation/members/member_table.h"
#include "tabrix.h"

namespace tabrix::automation {

// The text in code page 932; none when a character has no form there (it would become "?").
std::optional<std::string> narrow_exact(std::u16string_view text);

// errParam as the member's error.
inline Epilogue refuse_argument() {
    XlsSetErrorNo(errParam);
    return Epilogue::run;
}

// Calls `call` with the text in code page 932, or refuses it.
template <class Narrow>
Epilogue with_narrow(std::u16string_view text, Narrow &&call) {
    const std::optional<std::string> narrow = narrow_exact(text);
    if (!narrow) return refuse_argument();
    call(narrow->c_str());
    return Epilogue::run;
}

// A property put of one integer (a flag arrives as 1 or 0) at the current position.
template <int32_t (*Set)(int32_t, const char *)>
Epilogue put_number(Call &call) {
    Set(call.value().number, call.control().position());
    return Epilogue::run;
}

template <int32_t (*Set)(double, const char *)>
Epilogue put_real(Call &call) {
    Set(call.value().real, call.control().position());
    return Epilogue::run;
}

// An omitted optional text (empty) as null, for the calls where null means "none".
inline const char16_t *text_or_null(const std::u16string &text) {
    return text.empty() ? nullptr : text.c_str();
}

}  // namespace tabrix::automation
