#include "automation/control/error_epilogue.h"

#include <cstring>
#include <optional>
#include <string>

#include "platform/codepage.h"
#include "tabrix.h"

namespace tabrix::automation {

namespace {

// Where the control is described, in place of a help file.
constexpr char kHelpFile[] = "README.md#the-automation-control";
thread_local std::optional<XLERRORINFO> thread_error_info;

void set_error_info() {
    const std::u16string description = last_error_description();

    XLERRORINFO info{};
    static_assert(sizeof XLCONTROL_CLSID == sizeof info.guid);
    std::memcpy(info.guid, XLCONTROL_CLSID, sizeof info.guid);
    info.help_context = XLCONTROL_HELP_CONTEXT;
    const size_t units = std::min(description.size(), std::size(info.description) - 1);
    std::memcpy(info.description, description.data(), units * sizeof(char16_t));
    static_assert(sizeof kHelpFile <= sizeof info.help_file);
    std::memcpy(info.help_file, kHelpFile, sizeof kHelpFile);
    thread_error_info = info;
}

}  // namespace

std::u16string last_error_description() {
    // The message buffer the Book API fills: 512 bytes and NUL.
    constexpr int32_t kMessageBytes = 513;
    char message[kMessageBytes] = {};
    XlsGetErrorMessage(message, kMessageBytes);
    return platform::cp932_to_utf16(message);
}

int32_t error_epilogue(const Control &control) {
    int32_t number = 0;
    XlsGetErrorNo(&number);
    if (number == 0 || number == errErrorValue) return 0;

    control.fire_error(number);
    if (number == 0) return 0;

    set_error_info();
    // Clients rely on this: after any failure no book stays open, so they start afresh.
    XlsAllClose();
    int32_t after_closing = 0;
    XlsGetErrorNo(&after_closing);
    if (after_closing == 0) XlsSetErrorNo(number);
    return static_cast<int32_t>(0x80000000u | static_cast<uint32_t>(number));
}

bool take_error_info(XLERRORINFO &info) {
    if (!thread_error_info) return false;
    info = *thread_error_info;
    thread_error_info.reset();
    return true;
}

}  // namespace tabrix::automation
