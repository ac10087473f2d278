// The library-wide last error number of the Book API and its messages.
#pragma once

#include <cstdint>
#include <mutex>
#include <new>
#include <string>

#include "engine/exports/book_services/book_services.h"
#include "tabrix/types.h"

namespace tabrix::bookapi {

// Stores an engine result as the last error: 0 stays 0, a negative code is negated, and every
// number from 100 to 199 becomes 100. Returns 1 when the stored number is 0, else 0.
int32_t record_result(int32_t code);
int32_t last_error();
void set_last_error(int32_t number);

// The message of an error number in the interface's narrow code page; the fallback text for
// a number without one.
std::string error_message(int32_t number);
// The same in plain ASCII English; "unknown error (N)" for a number without one.
std::string error_message_en(int32_t number);

// The Book API has one current book per process: its calls run one at a time, on whichever
// threads, under this lock. Recursive, as the API's calls use one another (and the automation
// control uses them under it too).
std::recursive_mutex &book_api_mutex();

// Runs a Book API call, keeping exceptions inside: running out of memory is recorded as the
// memory error, anything else as the internal error; `failed` is what the call then returns.
// The call holds the Book API lock, and the engine workbooks it reaches, to its end.
template <class Body>
auto guarded_call(Body &&body, decltype(body()) failed) noexcept -> decltype(body()) {
    const std::lock_guard lock(book_api_mutex());
    const engine::services::CallHold hold;
    try {
        return body();
    } catch (const std::bad_alloc &) {
        record_result(-errMemory1);
    } catch (...) {
        record_result(-errInternal);
    }
    return failed;
}

}  // namespace tabrix::bookapi
