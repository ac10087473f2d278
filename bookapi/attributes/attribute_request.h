// The attribute request a book's pending attributes stand for, and the font each target
// cell gets from them.
#pragma once

#include <cstdint>

#include "bookapi/books/book_registry.h"
#include "tabrix/types.h"

namespace tabrix::bookapi {

// The longest format string or font name a book keeps pending.
inline constexpr size_t kMaxPendingText = 64;

// The request of everything pending for the book's position, fonts aside (they depend on
// each cell). A format the engine refuses as too long changes nothing. 0, or the engine's
// failure.
int32_t pending_request(const BookRecord &book, XLATTR &request);

// Sets the request's font for one cell when a font property is pending: the pending
// properties over the cell's present font. A font the engine refuses (a name too long)
// leaves the cell's font as it is. 0, or the failure: -33 when the cell's font cannot be
// read.
int32_t resolve_font(const BookRecord &book, int32_t x, int32_t y, XLATTR &request);

}  // namespace tabrix::bookapi
