#include "bookapi/books/book_registry.h"

#include <algorithm>
#include <vector>

#include "platform/interface_text.h"

namespace tabrix::bookapi {

namespace {

std::vector<std::unique_ptr<BookRecord>> open_books;
BookRecord *current = nullptr;
// Serials start far from small integers, so that a count or an index passed by mistake
// does not name a book; they are not reused while the process lives.
uint32_t next_handle = 0x10810001;

}  // namespace

bool registry_has_room() {
    return open_books.size() < kMaxOpenBooks;
}

std::unique_ptr<BookRecord> new_book_record(BookMode mode, bool excel95) {
    open_books.reserve(kMaxOpenBooks);
    auto record = std::make_unique<BookRecord>();
    record->mode = mode;
    record->default_font_name = platform::utf16_to_narrow(excel95 ? u"明朝" : u"ＭＳ Ｐゴシック");
    return record;
}

uint32_t register_book(std::unique_ptr<BookRecord> record, int32_t engine_handle) noexcept {
    record->handle = next_handle++;
    if (next_handle == 0) next_handle = 1;
    record->engine_handle = engine_handle;
    open_books.push_back(std::move(record));
    current = open_books.back().get();
    return current->handle;
}

BookRecord *current_book() {
    return current;
}

bool select_book(uint32_t handle) {
    auto found = std::find_if(open_books.begin(), open_books.end(),
                              [&](const auto &book) { return book->handle == handle; });
    if (handle == 0 || found == open_books.end()) return false;
    current = found->get();
    return true;
}

void release_current_book() {
    if (!current) return;
    std::erase_if(open_books, [&](const auto &book) { return book.get() == current; });
    current = nullptr;
    if (open_books.empty()) open_books.shrink_to_fit();
}

uint32_t first_open_book() {
    return open_books.empty() ? 0 : open_books.front()->handle;
}

size_t open_book_count() {
    return open_books.size();
}

std::vector<std::string *> held_book_texts() {
    std::vector<std::string *> texts;
    for (const auto &book : open_books) {
        texts.insert(texts.end(),
                     {&book->current_position, &book->attribute_position, &book->pending.format,
                      &book->pending.font_name, &book->default_font_name});
    }
    return texts;
}

}  // namespace tabrix::bookapi
