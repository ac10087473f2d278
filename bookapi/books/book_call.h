// The pattern of every Book API call on the current book, and the text forms the calls share.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "bookapi/books/book_registry.h"
#include "bookapi/books/caller_texts.h"
#include "bookapi/books/last_error.h"
#include "tabrix/types.h"

namespace tabrix::bookapi {

// Runs `call` on the current book and records its engine result (error 3 without a current
// book); returns 1 for success, else 0.
template <class Call>
int32_t on_current_book(Call &&call) noexcept {
    return guarded_call(
        [&]() -> int32_t {
            BookRecord *book = current_book();
            if (!book) return record_result(-errNotOpen);
            return record_result(call(*book));
        },
        0);
}

// A book opened for reading takes no change: the calls that would make one refuse it.
inline bool read_only(const BookRecord &book) {
    return book.mode == BookMode::read;
}

// Runs `call` as on_current_book does, on a book that may be changed: one opened for reading
// is refused with errMode before anything is asked of the engine.
template <class Call>
int32_t on_writable_book(Call &&call) noexcept {
    return on_current_book(
        [&](BookRecord &book) -> int32_t { return read_only(book) ? -errMode : call(book); });
}

// For calls that return a value of their own: `call` on the current book, or `without`
// when there is none (nothing recorded unless `call` records it).
template <class Call, class Result>
Result value_of_current_book(Call &&call, Result without) noexcept {
    return guarded_call(
        [&]() -> Result {
            BookRecord *book = current_book();
            return book ? call(*book) : without;
        },
        without);
}

// The position a call names, or the book's current position for a null one.
inline std::string_view position_or_current(const BookRecord &book, const char *position) {
    return position ? std::string_view(position) : std::string_view(book.current_position);
}

}  // namespace tabrix::bookapi
