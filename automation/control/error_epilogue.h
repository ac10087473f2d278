// What follows every member: the Book API's error number becomes the Error event, the
// thread's error information, every book closed, and a failed status.
#pragma once

#include <cstdint>

#include "automation/control/control.h"

namespace tabrix::automation {

// 0 when the last error number is 0 or errValue, or a sink turned it into 0; else the
// failed status 0x80000000 | number, after every open book was closed.
int32_t error_epilogue(const Control &control);

// Takes the calling thread's error information: false when there is none.
bool take_error_info(XLERRORINFO &info);

}  // namespace tabrix::automation
