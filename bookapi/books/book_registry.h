// The books open through the Book API: one record per book, at most 256 at once in the order
// they were opened, one of them current. Narrow texts are in the interface's code page. Handles are
// serial numbers checked against the registry, never addresses, so a closed or made-up handle finds
// nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bookapi/books/pending_attributes.h"

namespace tabrix::bookapi {

enum class BookMode : int32_t { read = 1, create = 2, open = 3 };

struct BookRecord {
    uint32_t handle = 0;
    int32_t engine_handle = -1;
    BookMode mode = BookMode::create;
    int32_t current_sheet = 0;
    std::string current_position = "A1";  // narrow, at most 255 characters
    std::string attribute_position;       // the position `pending` was gathered for
    PendingAttributes pending;
    std::string default_font_name;     // narrow
    int32_t default_font_size = 1100;  // hundredths of a point
};

inline constexpr size_t kMaxOpenBooks = 256;

// Whether another book may be opened (checked before the engine is asked).
bool registry_has_room();
// A record for a book about to be opened, made before the engine is asked so that running
// out of memory cannot strand an open workbook. Reserves the registry's room too.
std::unique_ptr<BookRecord> new_book_record(BookMode mode, bool excel95);
// Registers the record of a workbook the engine opened and makes it current; returns its
// handle. Does not allocate.
uint32_t register_book(std::unique_ptr<BookRecord> record, int32_t engine_handle) noexcept;
// The current book, or null.
BookRecord *current_book();
// Makes the book under the handle current; false (nothing changed) when no open book has it.
bool select_book(uint32_t handle);
// Removes the current book from the registry and frees it; no book is current afterwards.
void release_current_book();
// The handle of the first book still open in opening order, or 0.
uint32_t first_open_book();
size_t open_book_count();
// Every narrow text the open books hold, for carrying them into another code page.
std::vector<std::string *> held_book_texts();

}  // namespace tabrix::bookapi
