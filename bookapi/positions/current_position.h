// A book's current position, and the attributes gathered for one position.
#pragma once

#include <cstdint>

#include "bookapi/books/book_registry.h"

namespace tabrix::bookapi {

// Moves the book to a position (null: its current one). -34 for a position of 256
// characters or more; a position other than the one the pending attributes were gathered
// for (letter case aside) drops them.
int32_t move_to(BookRecord &book, const char *position);

}  // namespace tabrix::bookapi
