// Members that create, open, choose and close books, and those of the error state.
#include <string_view>

#include "automation/control/error_epilogue.h"
#include "automation/members/member_helpers.h"
#include "platform/named_mutex.h"

namespace tabrix::automation {

namespace {

// Processes that open books for update take turns; created when the library is loaded.
platform::NamedMutex open_book_mutex("tabrix3");
constexpr int kOpenBookWaitMilliseconds = 5000;

// In place of the About dialog: the library's name and version.
Epilogue about(Call &call) {
    constexpr std::string_view kAbout = "tabrix " TABRIX_VERSION_STRING;
    put_text(call.result(), std::u16string(kAbout.begin(), kAbout.end()));
    return Epilogue::skip;
}

// Only publishes the enumerations; its arguments were checked on the way in.
Epilogue dumy(Call &) {
    return Epilogue::skip;
}

Epilogue create_book(Call &call) {
    int32_t book = 0;
    XlsCreateBookW(call.text(0).c_str(), call.number(1), call.number(2), &book);
    put_long(call.result(), book);
    return Epilogue::run;
}

Epilogue read_book(Call &call) {
    int32_t book = 0;
    XlsReadBookW(call.text(0).c_str(), &book);
    put_long(call.result(), book);
    return Epilogue::run;
}

// The book is opened whether or not the wait succeeded; the mutex is given back only when
// it was taken.
Epilogue open_book(Call &call) {
    const bool held = open_book_mutex.wait(kOpenBookWaitMilliseconds);
    int32_t book = 0;
    XlsOpenBookW(call.text(0).c_str(), text_or_null(call.text(1)), &book);
    if (held) open_book_mutex.release();
    put_long(call.result(), book);
    return Epilogue::run;
}

Epilogue close_book(Call &call) {
    XlsCloseBook(call.number(0));
    call.control().set_position("A1");
    return Epilogue::run;
}

Epilogue select_book(Call &call) {
    XlsSelectBook(call.number(0));
    return Epilogue::run;
}

// Reading the error number never raises it again.
Epilogue get_error_no(Call &call) {
    int32_t number = 0;
    XlsGetErrorNo(&number);
    put_long(call.result(), number);
    return Epilogue::skip;
}

Epilogue put_error_no(Call &call) {
    XlsSetErrorNo(call.value().number);
    return Epilogue::run;
}

Epilogue get_error_message(Call &call) {
    put_text(call.result(), last_error_description());
    return Epilogue::skip;
}

constexpr MemberCode kCode[] = {
    {-552, nullptr, nullptr, about, true},
    {0x60020001, nullptr, nullptr, dumy, true},
    {0xCE, nullptr, nullptr, create_book},
    {0xCF, nullptr, nullptr, read_book},
    {0xC8, nullptr, nullptr, open_book},
    {0xC9, nullptr, nullptr, close_book},
    {0xCA, nullptr, nullptr, select_book},
    {0x44D, get_error_no, put_error_no, nullptr, true},
    {0x44C, get_error_message, nullptr, nullptr, true},
};

}  // namespace

std::span<const MemberCode> book_member_code() {
    return kCode;
}

}  // namespace tabrix::automation
