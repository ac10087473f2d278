// What follows every member: the Book API's error number becomes the Error event, the
// thread's error information, every book closed, and a failed status.
#pragma once

#include <cstdint>
#include <string>

#include "automation/control/control.h"

namespace tabrix::automation {

// 0 when the last error number is 0 or errErrorValue, or a sink turned it into 0; else the
// failed status 0x80000000 | number, after every open book was closed.
int32_t error_epilogue(const Control &control);

// The Book API's message of its last error, as read into a 513-byte buffer, in UTF-16.
std::u16string last_error_description();

// Takes the calling thread's error information: false when there is none.
bool take_error_info(XLERRORINFO &info);

}  // namespace tabrix::automation
