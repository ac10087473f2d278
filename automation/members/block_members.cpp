// Members that insert, delete, clear, copy and paste rows, columns and blocks.
#include "automation/members/member_helpers.h"

namespace tabrix::automation {

namespace {

template <int32_t (*Operation)(int32_t, int32_t)>
Epilogue on_lines(Call &call) {
    Operation(call.number(0), call.number(1));
    return Epilogue::run;
}

template <int32_t (*Paste)(int32_t)>
Epilogue paste_lines(Call &call) {
    Paste(call.number(0));
    return Epilogue::run;
}

Epilogue clear(Call &call) {
    XlsClear(call.control().position());
    return Epilogue::run;
}

// Without a target the block is only copied, for a later Paste.
Epilogue copy(Call &call) {
    return with_narrow(call.text(0), [&](const char *target) {
        XlsCopy(call.control().position(), *target ? target : nullptr);
    });
}

Epilogue paste(Call &call) {
    XlsPaste(call.control().position());
    return Epilogue::run;
}

constexpr MemberCode kCode[] = {
    {0xD7, nullptr, nullptr, on_lines<XlsRowDelete>},
    {0xD8, nullptr, nullptr, on_lines<XlsRowClear>},
    {0xD9, nullptr, nullptr, on_lines<XlsRowInsert>},
    {0xDA, nullptr, nullptr, on_lines<XlsRowCopy>},
    {0xDB, nullptr, nullptr, paste_lines<XlsRowPaste>},
    {0xDC, nullptr, nullptr, on_lines<XlsColumnDelete>},
    {0xDD, nullptr, nullptr, on_lines<XlsColumnClear>},
    {0xDE, nullptr, nullptr, on_lines<XlsColumnInsert>},
    {0xDF, nullptr, nullptr, on_lines<XlsColumnCopy>},
    {0xE0, nullptr, nullptr, paste_lines<XlsColumnPaste>},
    {0xE1, nullptr, nullptr, clear},
    {0xE2, nullptr, nullptr, copy},
    {0xE3, nullptr, nullptr, paste},
};

}  // namespace

std::span<const MemberCode> block_member_code() {
    return kCode;
}

}  // namespace tabrix::automation
