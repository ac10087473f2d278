// C entry points: position texts built in the two library buffers, and the current position.
#include <charconv>
#include <cstdio>
#include <string>

#include "bookapi/books/book_call.h"
#include "bookapi/positions/current_position.h"
#include "bookapi/positions/position_parser.h"
#include "tabrix.h"

using namespace tabrix::bookapi;

namespace {

constexpr size_t kPositionBuffer = 256;
// One pair per thread: a text handed back is the caller's until its own thread's next call.
thread_local char first_buffer[kPositionBuffer] = "";
thread_local char second_buffer[kPositionBuffer] = "";

// Writes the A1-style text of one cell at `out` and returns its end. A column outside A-IV
// gets no letters and a negative row the row 0, so that the text names no cell and a write to
// it is refused instead of landing elsewhere.
char *cell_text(char *out, int32_t x, int32_t y) {
    if (x >= 26 && x <= 255) *out++ = static_cast<char>('A' + x / 26 - 1);
    if (x >= 0 && x <= 255) *out++ = static_cast<char>('A' + x % 26);
    return std::to_chars(out, out + 11, y >= 0 ? int64_t{y} + 1 : 0).ptr;
}

// At most 2 letters and 10 digits per corner: well inside the buffer.
char *position_into(char *buffer, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    char *end = cell_text(buffer, x1, y1);
    if (x2 != -1) {
        *end++ = ':';
        end = cell_text(end, x2, y2);
    }
    *end = '\0';
    return buffer;
}

// Builds a text into a buffer; the buffer is left empty when memory runs out.
template <class Build>
char *built_into(char *buffer, Build &&build) noexcept {
    try {
        const std::string text = build();
        std::snprintf(buffer, kPositionBuffer, "%s", text.c_str());
    } catch (...) {
        buffer[0] = '\0';
    }
    return buffer;
}

// The text with its offset; a result that would not fit the buffer becomes the empty text
// (which names no cell) rather than a shortened one that might name another.
char *offset_into(char *buffer, const char *text, int32_t dx, int32_t dy) {
    return built_into(buffer, [&] {
        std::string result = text ? text : "";
        if (dx != 0 || dy != 0)
            result += "_[" + std::to_string(dx) + ":" + std::to_string(dy) + "]";
        if (result.size() >= kPositionBuffer) result.clear();
        return result;
    });
}

}  // namespace

extern "C" {

TABRIX_API char *POS(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    return position_into(first_buffer, x1, y1, x2, y2);
}

TABRIX_API char *POS2(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    return position_into(second_buffer, x1, y1, x2, y2);
}

TABRIX_API char *CELL(const char *text, int32_t dx, int32_t dy) {
    return offset_into(first_buffer, text, dx, dy);
}

TABRIX_API char *CELL2(const char *text, int32_t dx, int32_t dy) {
    return offset_into(second_buffer, text, dx, dy);
}

// The Book API keeps its own copy of the prefix, taken whatever its length; the engine takes
// only prefixes of 1 to 64 characters.
TABRIX_API int32_t XlsSetKeyWord(const char *prefix) {
    guarded_call(
        [&] {
            set_keyword_prefix_text(narrow_view(prefix));
            return XM_SetKeyWord(prefix);
        },
        0);
    return 1;
}

TABRIX_API int32_t XlsMove(const char *position) {
    return on_current_book([&](BookRecord &book) { return move_to(book, position); });
}

}  // extern "C"
